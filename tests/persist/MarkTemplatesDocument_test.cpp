#include <LxCameraUtils/MarkTemplates.h>
#include <LxStd/XIni.h>

#include <gtest/gtest.h>

#include <string>

#include "DocumentTree.h"

TEST(MarkTemplatesDocument, GivesBackTheSetWithItsItemsNamedOrNot) {
  const TCameraMarkTemplates full = lxrel::Prefilled<TCameraMarkTemplates>();
  const std::string text = Saved(full);
  EXPECT_EQ(text.find("min_corr_half_size"), text.rfind("min_corr_half_size"));
  TCameraMarkTemplates loaded = lxrel::Prefilled<TCameraMarkTemplates>();
  LoadInto(text, loaded);
  EXPECT_TRUE(Bits(loaded) == Bits(full));
  loaded = lxrel::Prefilled<TCameraMarkTemplates>();
  LoadInto(Replaced(text, "  {\n", "  first {\n"), loaded);
  EXPECT_TRUE(Bits(loaded) == Bits(full));

  TCameraMarkTemplates empty = full;
  empty.mark_templates.clear();
  LoadInto(Saved(empty), loaded);
  EXPECT_TRUE(Bits(loaded) == Bits(empty));
}

TEST(MarkTemplatesDocument, StrictReaderNeedsEveryEntryButTheCorrelationSize) {
  ExpectEveryEntryRequiredBut<TCameraMarkTemplates>(
      Saved(lxrel::Prefilled<TCameraMarkTemplates>()),
      {"mark_templates/[]", "mark_templates/[]/min_corr_half_size"});
}
