#pragma once

// Generic views of a written document, so that tests can state key order and
// produce documents lacking one entry without knowing the writer's syntax.

#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include <LxStd/XIni.h>

#include <gtest/gtest.h>

// Every entry of the document, sections included, in document order, as a
// path from the root: "int_or/fiducials/[0]/index" (unnamed entries by
// position).
std::vector<std::string> EntryPaths(const std::string& text);

// Names of the entries of the section at `path` ("" for the root), in order,
// separated by blanks.
std::string KeysIn(const std::string& text, const std::string& path);

// The document without the entry at `path` (for a section, with all it holds).
// Sections come out in normal form; values keep their types.
std::string WithoutEntry(const std::string& text, const std::string& path);

// `path` with every position "[n]" replaced by "[]".
std::string Generic(std::string path);

// Saves `record` at the root of a new document.
template <typename Record>
std::string Saved(const Record& record) {
  TLxXIniWriter writer;
  record.SaveE(&writer);
  return writer.Text();
}

// Loads `text` into `record` with the strict reader.
template <typename Record>
void LoadInto(const std::string& text, Record& record) {
  TLxXIniReader reader(text);
  record.LoadE(&reader);
}

// Removes each entry of `text` in turn and loads the rest into a copy of
// `before`: an entry whose generic path is in `optional` may be missing, any
// other makes LoadE raise and leave the record `same` as before.
template <typename Record, typename Same>
void ExpectEveryEntryRequiredBut(const std::string& text, const std::set<std::string>& optional,
                                 const Record& before, Same same) {
  for (const std::string& path : EntryPaths(text)) {
    SCOPED_TRACE(path);
    Record record = before;
    const std::string reduced = WithoutEntry(text, path);
    if (optional.count(Generic(path))) {
      EXPECT_NO_THROW(LoadInto(reduced, record));
    } else {
      EXPECT_THROW(LoadInto(reduced, record), TLxXIniError);
      EXPECT_TRUE(same(record, before));
    }
  }
}

// Message of the std::runtime_error (TLxXIniError included) that `f` raises;
// empty if it raises none.
template <typename F>
std::string ErrorOf(F f) {
  try {
    f();
  } catch (const std::runtime_error& e) {
    return e.what();
  }
  return {};
}

// `text` with the first `from` replaced by `to`.
inline std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  const std::size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

// Refuses the `fail_at`th piece of text (counted from 0) and counts the
// attempts, so a test sees whether anything was tried after a failure.
class FailingWriter : public TLxXIniWriter {
 public:
  explicit FailingWriter(int fail_at) : fail_at_(fail_at) {}
  int attempts = 0;

 protected:
  bool AppendText(std::string_view piece) override {
    return attempts++ != fail_at_ && TLxXIniWriter::AppendText(piece);
  }

 private:
  int fail_at_;
};

// Failing each piece of `record`'s document in turn: SaveE raises at once, and
// what was written is the document up to the failure.
template <typename Record>
void ExpectSaveStopsAtEachFailure(const Record& record) {
  const std::string full = Saved(record);
  FailingWriter counter(-1);
  record.SaveE(&counter);
  for (int fail_at = 0; fail_at < counter.attempts; ++fail_at) {
    SCOPED_TRACE(fail_at);
    FailingWriter writer(fail_at);
    EXPECT_THROW(record.SaveE(&writer), TLxXIniError);
    EXPECT_EQ(writer.attempts, fail_at + 1);
    EXPECT_EQ(full.compare(0, writer.Text().size(), writer.Text()), 0);
  }
}
