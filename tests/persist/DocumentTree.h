#pragma once

// Documents lacking one entry, made without knowing the writer's syntax.
// Paths name entries as lxrel::EntryPaths does: "int_or/fiducials/[0]/index".

#include <LxStd/XIni.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "Reliability.h"
#include "Texts.h"

using lxrel::Bits;
using lxrel::Saved;
using testing::AllOf;
using testing::HasSubstr;
using testing::Not;
using testing::ThrowsMessage;

// The document without the entry at `path` (for a section, with all it holds).
inline std::string WithoutEntry(const std::string& text, const std::string& path) {
  TLxXIniReader reader(text);
  return lxrel::Rewrite(reader, path);
}

// Loads `text` into `record` with the strict reader.
template <typename Record>
void LoadInto(const std::string& text, Record& record) {
  TLxXIniReader reader(text);
  record.LoadE(&reader);
}

// Removes each entry of `text` in turn and loads the rest into a prefilled
// record: an entry whose path, positions "[n]" read as "[]", is in `optional`
// may be missing; any other makes LoadE raise and leave the record as it was.
template <typename Record>
void ExpectEveryEntryRequiredBut(const std::string& text, const std::set<std::string>& optional) {
  const std::string before = Bits(lxrel::Prefilled<Record>());
  TLxXIniReader reader(text);
  for (std::string path : lxrel::EntryPaths(reader)) {
    SCOPED_TRACE(path);
    Record record = lxrel::Prefilled<Record>();
    const std::string reduced = lxrel::Rewrite(reader, path);
    for (std::size_t open = path.find('['); open != std::string::npos;
         open = path.find('[', open + 1))
      path.erase(open + 1, path.find(']', open) - open - 1);
    if (optional.count(path)) {
      EXPECT_NO_THROW(LoadInto(reduced, record));
    } else {
      EXPECT_THROW(LoadInto(reduced, record), TLxXIniError);
      EXPECT_TRUE(Bits(record) == before);
    }
  }
}
