#include <LxStd/XIni.h>
#include <LxStd/ssprintf.h>

#include <algorithm>

#include "xini/File.h"
#include "xini/Numbers.h"
#include "xini/Syntax.h"

namespace {

constexpr std::size_t kIndentWidth = 2;

std::string HandleText(TLxXIniHandle handle) {
  return std::to_string(static_cast<unsigned long long>(handle));
}

}  // namespace

TLxXIniWriter::TLxXIniWriter() {
  stack_.push_back(Frame{0, {}, 0, 0, false});
}

TLxXIniWriter::TLxXIniWriter(TLxXIniWriter&&) noexcept = default;
TLxXIniWriter& TLxXIniWriter::operator=(TLxXIniWriter&&) noexcept = default;
TLxXIniWriter::~TLxXIniWriter() = default;

bool TLxXIniWriter::AppendText(std::string_view piece) {
  text_.append(piece);
  return true;
}

// Starts piece_ with what goes before an entry: the separator inside a compact
// section, else the indentation of the line.
void TLxXIniWriter::StartEntry(std::string_view key) {
  piece_.clear();
  const Frame& frame = stack_.back();
  if (frame.compact)
    piece_ += frame.entries ? ", " : " ";
  else
    piece_.append(kIndentWidth * (stack_.size() - 1), ' ');
  if (key.empty()) return;
  lx::xini::AppendName(piece_, key);
  piece_ += " = ";
}

// Appends piece_ as the next entry of the current section; false on failure.
bool TLxXIniWriter::Commit(const char* what, std::string_view key) {
  if (!stack_.back().compact) piece_ += '\n';
  if (!AppendText(piece_)) {
    error_ = Kelvora::ssprintf("cannot write %s ", what) +
             (key.empty() ? "entry " + std::to_string(stack_.back().entries)
                          : lx::xini::QuoteForMessage(key)) +
             Where();
    return false;
  }
  line_ += static_cast<std::uint64_t>(std::count(piece_.begin(), piece_.end(), '\n'));
  ++stack_.back().entries;
  return true;
}

bool TLxXIniWriter::WriteValue(std::string_view key, int value) {
  StartEntry(key);
  lx::xini::AppendNumber(piece_, value);
  return Commit("key", key);
}

bool TLxXIniWriter::WriteValue(std::string_view key, std::uint64_t value) {
  StartEntry(key);
  lx::xini::AppendNumber(piece_, value);
  return Commit("key", key);
}

bool TLxXIniWriter::WriteValue(std::string_view key, double value) {
  StartEntry(key);
  lx::xini::AppendNumber(piece_, value);
  return Commit("key", key);
}

bool TLxXIniWriter::WriteValue(std::string_view key, const std::string& value) {
  return WriteText(key, value);
}

bool TLxXIniWriter::WriteText(std::string_view key, std::string_view text) {
  StartEntry(key);
  lx::xini::AppendQuoted(piece_, text);
  return Commit("key", key);
}

void TLxXIniWriter::throw_error() {
  throw TLxXIniError(error_.empty() ? std::string("throw_error(): no write has failed") : error_);
}

TLxXIniHandle TLxXIniWriter::BeginSectionSE(std::string_view name) {
  return Begin(name, false);
}

TLxXIniHandle TLxXIniWriter::BeginSectionCompactSE(std::string_view name) {
  return Begin(name, true);
}

TLxXIniHandle TLxXIniWriter::Begin(std::string_view name, bool compact) {
  const std::string label =
      name.empty() ? std::string("(unnamed)") : lx::xini::QuoteForMessage(name);
  if (stack_.size() > kXIniMaxDepth)
    throw TLxXIniError(
        "cannot begin section " + label +
        Kelvora::ssprintf(": sections nested deeper than %zu levels", kXIniMaxDepth) + Where());
  // Everything that can fail for memory comes before the text is appended.
  // Doubling, as push_back would: reserving one more would copy the stack each time.
  if (stack_.size() == stack_.capacity()) stack_.reserve(2 * stack_.size());
  Frame frame{next_handle_, std::string(name), stack_.back().entries, 0,
              compact || stack_.back().compact};
  StartEntry({});
  if (!name.empty()) {
    lx::xini::AppendName(piece_, name);
    piece_ += ' ';
  }
  piece_ += '{';
  if (!frame.compact) piece_ += '\n';
  if (!AppendText(piece_)) throw TLxXIniError("cannot begin section " + label + Where());
  line_ += frame.compact ? 0 : 1;
  ++stack_.back().entries;
  stack_.push_back(std::move(frame));
  return next_handle_++;
}

void TLxXIniWriter::EndSection(TLxXIniHandle handle) {
  if (stack_.size() == 1)
    throw TLxXIniError("EndSection(" + HandleText(handle) + "): no section is open");
  if (stack_.back().handle != handle)
    throw TLxXIniError("EndSection(" + HandleText(handle) +
                       "): not the handle of the innermost section" + Where());
  const Frame& frame = stack_.back();
  const bool parent_compact = stack_[stack_.size() - 2].compact;
  piece_.clear();
  if (frame.compact) {
    piece_ += frame.entries ? " }" : "}";
    if (!parent_compact) piece_ += '\n';
  } else {
    piece_.append(kIndentWidth * (stack_.size() - 2), ' ');
    piece_ += "}\n";
  }
  if (!AppendText(piece_)) throw TLxXIniError("cannot end section" + Where());
  line_ += parent_compact ? 0 : 1;
  stack_.pop_back();
}

void TLxXIniWriter::WriteLongStringSE(std::string_view key, std::string_view text) {
  StartEntry(key);
  if (stack_.back().compact) {
    lx::xini::AppendQuoted(piece_, text);
  } else {
    // "= |" also when unnamed: a lone "|" would read as a block line.
    if (key.empty()) piece_ += "= ";
    piece_ += '|';
    const std::string indent(kIndentWidth * stack_.size(), ' ');
    std::size_t start = 0;
    while (!text.empty() && start <= text.size()) {
      const std::size_t nl = std::min(text.find('\n', start), text.size());
      const std::string_view line = text.substr(start, nl - start);
      piece_ += '\n';
      piece_ += indent;
      piece_ += '|';
      if (!lx::xini::IsRawBlockLine(line)) {
        lx::xini::AppendQuoted(piece_, line);
      } else if (!line.empty()) {
        piece_ += ' ';
        piece_ += line;
      }
      start = nl + 1;
    }
  }
  if (!Commit("long text", key)) throw_error();
}

std::string TLxXIniWriter::Text() const {
  return text_;
}

void TLxXIniWriter::SaveToFile(const std::string& path) const {
  if (stack_.size() > 1)
    throw TLxXIniError("cannot save \"" + path + "\": a section is still open" + Where());
  lx::xini::ReplaceFile(path, text_);
}

// " in section /a/[2]/b (line N)", N being the line of the next entry.
std::string TLxXIniWriter::Where() const {
  std::string path;
  for (std::size_t i = 1; i < stack_.size(); ++i) {
    path += '/';
    if (stack_[i].name.empty())
      path += "[" + std::to_string(stack_[i].index) + "]";
    else
      lx::xini::AppendName(path, stack_[i].name);
  }
  if (path.empty()) path = "/";
  return " in section " + path + " (line " + std::to_string(line_) + ")";
}
