#pragma once

// Structured text documents: an ordered tree of sections whose entries are named
// values (text, int, unsigned 64-bit, double) or named sections. Positions of
// entries count from 0 in document order inside their section; kXIniAbsent
// (all ones) means "no such entry". The text format is described in
// docs/xini-format.md.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include <LxStd/Export.h>

namespace lx {
// Keys of a point's two components, written in this order: "x" and "y".
LXSTD_API extern const std::string s_x;
LXSTD_API extern const std::string s_y;

namespace xini {
class Document;
}
}  // namespace lx

// Position meaning "absent", as returned by FindF.
inline constexpr std::uint64_t kXIniAbsent = ~std::uint64_t{0};

// Deepest nesting of sections below the root that reader and writer accept;
// deeper documents are rejected with a TLxXIniError, never by exhausting the stack.
inline constexpr std::size_t kXIniMaxDepth = 1000;

// Identifies one entered (reader) or begun (writer) section. Never 0 for a
// section; 0 is what the lenient operations return when there is no section.
// Each enter/begin hands out a new value, so a stale handle never matches.
using TLxXIniHandle = std::uint64_t;

// Every failure of reader and writer. The message names what is wrong and where:
// key, section path from the root (e.g. /camera/int_or), line, and for syntax
// errors the column.
class LXSTD_API TLxXIniError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The value types a document entry can be read or written as.
template <typename T>
concept XIniValueType = std::is_same_v<T, int> || std::is_same_v<T, std::uint64_t> ||
    std::is_same_v<T, double> || std::is_same_v<T, std::string>;

// Reads a parsed document. All operations work on the current section, which is
// the root after construction. Values that are present but cannot be read as the
// requested type (a text as a number, "1.5" as int, a section as a value) raise
// TLxXIniError from the lenient forms too: those only cover absence.
class LXSTD_API TLxXIniReader {
 public:
  // Parses `text` (UTF-8; LF or CRLF line ends). Raises TLxXIniError with line
  // and column on a syntax error.
  explicit TLxXIniReader(std::string_view text);
  // Reads and parses a file; raises TLxXIniError if it cannot be read.
  static TLxXIniReader FromFile(const std::string& path);

  TLxXIniReader(TLxXIniReader&&) noexcept;
  TLxXIniReader& operator=(TLxXIniReader&&) noexcept;
  TLxXIniReader(const TLxXIniReader&) = delete;
  TLxXIniReader& operator=(const TLxXIniReader&) = delete;
  virtual ~TLxXIniReader();

  // Position of the first entry named `key` at or after `start`; kXIniAbsent if
  // none (FindF) or TLxXIniError "missing key" (FindFE).
  std::uint64_t FindF(std::string_view key, std::uint64_t start = 0) const;
  std::uint64_t FindFE(std::string_view key, std::uint64_t start = 0) const;

  // Value of the entry at `pos`. Read gives `def` when `pos` names no entry
  // (kXIniAbsent or past the end); ReadE raises then.
  template <XIniValueType T>
  T Read(std::uint64_t pos, const T& def) const {
    T value{};
    return ReadValue(pos, value, false) ? value : def;
  }
  template <XIniValueType T>
  T ReadE(std::uint64_t pos) const {
    T value{};
    ReadValue(pos, value, true);
    return value;
  }

  // Text of the first entry named `key` (a block text or a one-line text).
  std::string ReadLongStringS(std::string_view key, const std::string& def) const;
  std::string ReadLongStringSE(std::string_view key) const;

  // Enters the first entry named `name`. EnterSectionS gives 0 if there is no
  // such entry or it is a value; EnterSectionSE raises.
  TLxXIniHandle EnterSectionS(std::string_view name);
  TLxXIniHandle EnterSectionSE(std::string_view name);

  // True if the current section has an entry at `pos`.
  virtual bool HasEntry(std::uint64_t pos) const;
  // Number of entries of the current section, the name of the entry at `pos`
  // (empty if there is none) and whether it is a section.
  std::uint64_t EntryCount() const;
  std::string_view NameAt(std::uint64_t pos) const;
  bool IsSectionAt(std::uint64_t pos) const;
  // Line (from 1) on which the entry at `pos` starts; 0 if there is none.
  std::uint32_t LineAt(std::uint64_t pos) const;

  // Where the top-level entry at `pos` stands in the parsed text, whatever the
  // current section: the byte offsets [first, second) from its name (or
  // opening brace) through its value or closing brace, without the blanks and
  // comments around it. Lets a tool replace one section and keep the rest of
  // a file as written. {kXIniAbsent, kXIniAbsent} if there is no such entry.
  std::pair<std::uint64_t, std::uint64_t> TopLevelExtent(std::uint64_t pos) const;

  // Enters the section at `pos`. EnterSection gives 0 for an absent entry or a
  // value; EnterSectionE raises.
  virtual TLxXIniHandle EnterSection(std::uint64_t pos);
  virtual TLxXIniHandle EnterSectionE(std::uint64_t pos);

  // Returns to the section that was current before `handle`'s section was
  // entered. LeaveSectionE requires the innermost section's handle. LeaveSection
  // ignores 0 and handles that are not entered; given an outer section's handle
  // it leaves the inner ones too.
  virtual void LeaveSection(TLxXIniHandle handle);
  virtual void LeaveSectionE(TLxXIniHandle handle);

  // Raises the invalid-value error for `key` of the current section.
  [[noreturn]] void throw_error_valueS(std::string_view key) const;

 private:
  struct Frame {
    std::uint32_t node;
    TLxXIniHandle handle;
  };

  bool ReadValue(std::uint64_t pos, int& out, bool required) const;
  bool ReadValue(std::uint64_t pos, std::uint64_t& out, bool required) const;
  bool ReadValue(std::uint64_t pos, double& out, bool required) const;
  bool ReadValue(std::uint64_t pos, std::string& out, bool required) const;
  template <typename T>
  bool ReadNumber(std::uint64_t pos, T& out, bool required) const;
  // Node of the entry at `pos` of the current section, or ~0u if absent.
  std::uint32_t EntryNode(std::uint64_t pos) const;
  // Node of a value entry at `pos`; ~0u if absent and not required.
  std::uint32_t ValueNode(std::uint64_t pos, bool required) const;
  TLxXIniHandle Enter(std::uint32_t node);
  // " in section /path (line N)"; N is `line`, or else the section's line.
  std::string Where(std::uint32_t line = 0) const;
  std::string Describe(std::uint64_t pos) const;

  std::unique_ptr<lx::xini::Document> doc_;
  std::vector<Frame> stack_;
  TLxXIniHandle next_handle_ = 1;
};

// Builds a document in memory, appending to the current section (the root after
// construction). Every entry becomes one call of the protected AppendText, so a
// derived writer can inject failures entry by entry.
class LXSTD_API TLxXIniWriter {
 public:
  TLxXIniWriter();
  TLxXIniWriter(TLxXIniWriter&&) noexcept;
  TLxXIniWriter& operator=(TLxXIniWriter&&) noexcept;
  TLxXIniWriter(const TLxXIniWriter&) = delete;
  TLxXIniWriter& operator=(const TLxXIniWriter&) = delete;
  virtual ~TLxXIniWriter();

  // Appends a value entry; any key, the empty one included. False when the
  // entry could not be written; throw_error() then raises the reason.
  template <XIniValueType T>
  bool WriteS(std::string_view key, const T& value) {
    return WriteValue(key, value);
  }
  // Text given as a literal or view.
  bool WriteS(std::string_view key, std::string_view text) { return WriteText(key, text); }

  // Raises the error of the last failed write.
  [[noreturn]] virtual void throw_error();

  // Begins a section as a new entry and makes it current. The compact form is
  // written on one line; so is everything inside it.
  TLxXIniHandle BeginSectionSE(std::string_view name);
  TLxXIniHandle BeginSectionCompactSE(std::string_view name);
  // Ends the current section; `handle` must be the one its beginning returned.
  virtual void EndSection(TLxXIniHandle handle);

  // Appends a text of any number of lines as a block, one document line per text
  // line (inside a compact section: as a one-line text).
  void WriteLongStringSE(std::string_view key, std::string_view text);

  // The document written so far.
  std::string Text() const;
  // Writes the document to `path` through a temporary file in the same folder
  // that replaces `path` only when complete. Raises if a section is still open
  // or the file cannot be written.
  void SaveToFile(const std::string& path) const;

 protected:
  // Appends one entry's text to the document; false to report failure. The
  // default implementation always succeeds.
  virtual bool AppendText(std::string_view piece);

 private:
  struct Frame {
    TLxXIniHandle handle;
    std::string name;
    std::uint64_t index;    // position in the enclosing section
    std::uint64_t entries;  // entries written into this section
    bool compact;
  };

  bool WriteValue(std::string_view key, int value);
  bool WriteValue(std::string_view key, std::uint64_t value);
  bool WriteValue(std::string_view key, double value);
  bool WriteValue(std::string_view key, const std::string& value);
  bool WriteText(std::string_view key, std::string_view text);
  TLxXIniHandle Begin(std::string_view name, bool compact);
  void StartEntry(std::string_view key);
  bool Commit(const char* what, std::string_view key);
  std::string Where() const;

  std::string text_;
  std::string piece_;
  std::string error_;
  std::vector<Frame> stack_;
  TLxXIniHandle next_handle_ = 1;
  std::uint64_t line_ = 1;
};
