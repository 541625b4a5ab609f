#include <LxCameraUtils/MarkTemplates.h>
#include <LxStd/XIni.h>

#include <gtest/gtest.h>

#include <string>

#include "DocumentTree.h"
#include "Samples.h"

namespace {

// The set has no operator==; every field compared, doubles exactly.
bool Same(const TCameraMarkTemplates& a, const TCameraMarkTemplates& b) {
  if (a.template_pixel_size_um != b.template_pixel_size_um ||
      a.default_scan_size_mm != b.default_scan_size_mm ||
      a.mark_templates.size() != b.mark_templates.size())
    return false;
  for (std::size_t i = 0; i < a.mark_templates.size(); ++i) {
    const TMarkTemplate& x = a.mark_templates[i];
    const TMarkTemplate& y = b.mark_templates[i];
    if (x.template_index != y.template_index || x.coords_cam != y.coords_cam ||
        x.filename != y.filename || x.half_size_reduced != y.half_size_reduced ||
        x.min_corr_half_size != y.min_corr_half_size)
      return false;
  }
  return true;
}

TCameraMarkTemplates Other() {
  TCameraMarkTemplates other;
  other.template_pixel_size_um = 7.0;
  other.mark_templates.resize(3);
  return other;
}

}  // namespace

TEST(MarkTemplatesDocument, GivesBackTheSetInOrder) {
  const TCameraMarkTemplates full = FullTemplates();
  const std::string text = Saved(full);
  EXPECT_EQ(KeysIn(text, ""), "template_pixel_size_um default_scan_size_mm mark_templates");
  EXPECT_EQ(KeysIn(text, "mark_templates/[0]"),
            "template_index coords_cam filename half_size_reduced min_corr_half_size");
  EXPECT_EQ(KeysIn(text, "mark_templates/[1]"),
            "template_index coords_cam filename half_size_reduced");
  TCameraMarkTemplates loaded = Other();
  LoadInto(text, loaded);
  EXPECT_TRUE(Same(loaded, full));

  TCameraMarkTemplates empty = full;
  empty.mark_templates.clear();
  LoadInto(Saved(empty), loaded);
  EXPECT_TRUE(Same(loaded, empty));
}

TEST(MarkTemplatesDocument, StrictReaderNeedsEveryEntryButTheCorrelationSize) {
  ExpectEveryEntryRequiredBut(Saved(FullTemplates()),
                              {"mark_templates/[]", "mark_templates/[]/min_corr_half_size"},
                              Other(), Same);
}

TEST(MarkTemplatesDocument, ReadsNamedItemsLikeUnnamedOnes) {
  TCameraMarkTemplates loaded;
  LoadInto(
      "template_pixel_size_um = 12.5\ndefault_scan_size_mm { x = 240, y = 230 }\n"
      "mark_templates {\n  first { template_index = 3, coords_cam { x = 1, y = 2 }, "
      "filename = \"a.tif\", half_size_reduced { x = 8, y = 9 } }\n}\n",
      loaded);
  ASSERT_EQ(loaded.mark_templates.size(), 1u);
  EXPECT_EQ(loaded.mark_templates[0].template_index, 3);
  EXPECT_EQ(loaded.mark_templates[0].half_size_reduced.y, 9u);
  EXPECT_EQ(loaded.mark_templates[0].min_corr_half_size, 0u);
}

TEST(MarkTemplatesDocument, FailedSaveLeavesWhatWasWritten) {
  ExpectSaveStopsAtEachFailure(FullTemplates());
}
