// Single-pass, non-recursive parser: open sections live on an explicit stack so
// that hostile nesting is bounded by kXIniMaxDepth, not by the machine stack.

#include <LxStd/XIni.h>
#include <LxStd/ssprintf.h>

#include <cstring>
#include <string_view>

#include "xini/Document.h"
#include "xini/Syntax.h"

namespace lx::xini {

namespace {

// Bytes that end the plain run of a quoted text: quote, backslash and control
// bytes other than tab.
constexpr std::array<bool, 256> kQuotedStop = [] {
  std::array<bool, 256> t{};
  for (int c = 0; c < 0x20; ++c)
    t[static_cast<std::size_t>(c)] = c != '\t';
  t['"'] = t['\\'] = true;
  return t;
}();

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// A word that reads as a decimal number and ends in a digit: "153", "-0.5".
bool IsNumberWord(std::string_view word) {
  const std::size_t first = !word.empty() && (word[0] == '-' || word[0] == '+') ? 1 : 0;
  const bool starts = first < word.size() &&
                      (IsDigit(word[first]) ||
                       (word[first] == '.' && first + 1 < word.size() && IsDigit(word[first + 1])));
  return starts && IsDigit(word.back());
}

std::string ShowByte(char c) {
  const auto u = static_cast<unsigned char>(c);
  if (u > 0x20 && u < 0x7F) return Kelvora::ssprintf("'%c'", c);
  return Kelvora::ssprintf("byte 0x%02X", u);
}

}  // namespace

class Parser {
 public:
  explicit Parser(Document& doc)
      : doc_(doc),
        begin_(doc.source_.data()),
        p_(begin_),
        end_(begin_ + doc.source_.size()),
        line_start_(begin_) {}

  void Run() {
    if (doc_.source_.size() > Document::kMaxSize)
      throw TLxXIniError(Kelvora::ssprintf("document of %zu bytes is larger than the limit of %zu",
                                           doc_.source_.size(), Document::kMaxSize));
    if (end_ - p_ >= 3 && std::memcmp(p_, "\xEF\xBB\xBF", 3) == 0) p_ += 3;
    doc_.nodes_.push_back(Node{});
    open_.push_back(0);
    while (true) {
      SkipBlanks();
      if (p_ == end_) break;
      switch (*p_) {
        case '\n':
          NewLine();
          break;
        case ',':
          ++p_;
          break;
        case '}':
          CloseSection();
          break;
        default:
          if (open_.size() == 1) entry_begin_ = p_;
          ParseEntry();
      }
    }
    if (open_.size() > 1) {
      const Node& n = doc_.nodes_[open_.back()];
      Fail(p_, Kelvora::ssprintf("unterminated section %s opened at line %u",
                                 SectionLabel(n).c_str(), n.line));
    }
    doc_.LinkChildren();
  }

 private:
  [[noreturn]] void Fail(const char* at, const std::string& what) const {
    const auto column = static_cast<std::size_t>(at - line_start_) + 1;
    throw TLxXIniError(Kelvora::ssprintf("line %u, column %zu: %s", line_, column, what.c_str()));
  }

  std::string SectionLabel(const Node& n) const {
    return n.name.length == 0 ? std::string("(unnamed)") : QuoteForMessage(doc_.View(n.name));
  }

  void NewLine() {
    ++p_;
    ++line_;
    line_start_ = p_;
  }

  // Spaces, tabs, CRs and comments up to the end of the line.
  void SkipBlanks() {
    while (p_ < end_) {
      const char c = *p_;
      if (c == ' ' || c == '\t' || c == '\r') {
        ++p_;
      } else if (c == '#') {
        const void* nl = std::memchr(p_, '\n', static_cast<std::size_t>(end_ - p_));
        p_ = nl ? static_cast<const char*>(nl) : end_;
      } else {
        return;
      }
    }
  }

  void SkipSpaces() {
    while (p_ < end_ && (*p_ == ' ' || *p_ == '\t'))
      ++p_;
  }

  // After an entry only a separator, the end of its section or of the line may follow.
  void ExpectEntryEnd() {
    SkipBlanks();
    if (p_ == end_ || *p_ == '\n' || *p_ == ',' || *p_ == '}') return;
    Fail(p_, "expected ',' or a line end after the entry, found " + ShowByte(*p_));
  }

  void ParseEntry() {
    const char c = *p_;
    if (c == '{') {
      ++p_;
      OpenSection(Span{});
      return;
    }
    if (c == '=') {
      ++p_;
      ParseValue(Span{});
      return;
    }
    if (c == '|') Fail(p_, "block text line '|' without a block text header 'key = |'");
    Span word;
    NodeKind kind = NodeKind::Word;
    if (c == '"') {
      word = ParseQuoted();
      kind = NodeKind::Text;
    } else if (IsWordByte(c)) {
      word = ParseWord();
    } else {
      Fail(p_, "unexpected " + ShowByte(c));
    }
    SkipSpaces();
    if (p_ < end_ && *p_ == '=') {
      ++p_;
      ParseValue(word);
    } else if (p_ < end_ && *p_ == '{') {
      ++p_;
      OpenSection(word);
    } else {
      AddValue(Span{}, word, kind);  // an unnamed value
      if (kind == NodeKind::Word) RefuseDecimalComma();
      ExpectEntryEnd();
    }
  }

  void ParseValue(Span name) {
    SkipSpaces();
    if (p_ < end_) {
      const char c = *p_;
      if (c == '"') {
        AddValue(name, ParseQuoted(), NodeKind::Text);
        ExpectEntryEnd();
        return;
      }
      if (c == '|') {
        ++p_;
        SkipBlanks();
        if (p_ < end_ && *p_ != '\n')
          Fail(p_, "expected a line end after the block text header '|'");
        const std::uint32_t header_line = line_;
        AddValue(name, ParseBlock(), NodeKind::Text);
        doc_.nodes_.back().line = header_line;
        return;
      }
      if (IsWordByte(c)) {
        AddValue(name, ParseWord(), NodeKind::Word);
        RefuseDecimalComma();
        ExpectEntryEnd();
        return;
      }
    }
    Fail(p_, "missing value after '='");
  }

  // "focus = 153,214" would read as 153 and an unnamed 214: a number directly
  // followed by a comma and a digit is taken for a decimal comma. The writer
  // separates list entries by ", ", so its lists never look like this.
  void RefuseDecimalComma() {
    if (end_ - p_ < 2 || *p_ != ',' || !IsDigit(p_[1])) return;
    const std::string_view word = doc_.View(doc_.nodes_.back().value);
    if (!IsNumberWord(word)) return;
    const char* digits = p_ + 1;
    while (digits < end_ && IsDigit(*digits))
      ++digits;
    const std::string meant = std::string(word) + "." + std::string(p_ + 1, digits);
    Fail(p_, Kelvora::ssprintf("decimal comma in %s: numbers use a decimal point (%s); separate "
                               "list entries by \", \"",
                               QuoteForMessage(std::string(word) + std::string(p_, digits)).c_str(),
                               meant.c_str()));
  }

  Span ParseWord() {
    const char* start = p_;
    while (p_ < end_ && IsWordByte(*p_))
      ++p_;
    return SourceSpan(start, p_);
  }

  // A quoted text at p_; its content stays in the source unless it has escapes.
  Span ParseQuoted() {
    const char* open = p_++;
    const char* start = p_;
    while (p_ < end_ && !kQuotedStop[static_cast<unsigned char>(*p_)])
      ++p_;
    if (p_ < end_ && *p_ == '"') return SourceSpan(start, p_++);
    const auto pool_start = doc_.pool_.size();
    doc_.pool_.append(start, p_);
    DecodeQuotedTail(open);
    return PoolSpan(pool_start);
  }

  // Decodes the rest of a quoted text (p_ inside it) onto the pool, through the
  // closing quote.
  void DecodeQuotedTail(const char* open) {
    std::string& pool = doc_.pool_;
    while (true) {
      const char* run = p_;
      while (p_ < end_ && !kQuotedStop[static_cast<unsigned char>(*p_)])
        ++p_;
      pool.append(run, p_);
      if (p_ == end_ || *p_ == '\n' || (*p_ == '\r' && (p_ + 1 == end_ || p_[1] == '\n')))
        Fail(open, "unterminated text value");
      const char c = *p_;
      if (c == '"') {
        ++p_;
        return;
      }
      if (c != '\\')
        Fail(p_, Kelvora::ssprintf("control byte 0x%02X in a text value (write it as \\x%02X)",
                                   static_cast<unsigned char>(c), static_cast<unsigned char>(c)));
      pool += DecodeEscape(open);
    }
  }

  char DecodeEscape(const char* open) {
    const char* at = p_++;
    if (p_ == end_) Fail(open, "unterminated text value");
    switch (*p_++) {
      case '"':
        return '"';
      case '\\':
        return '\\';
      case 'n':
        return '\n';
      case 'r':
        return '\r';
      case 't':
        return '\t';
      case '0':
        return '\0';
      case 'x': {
        const int hi = p_ < end_ ? HexDigit(*p_) : -1;
        const int lo = p_ + 1 < end_ ? HexDigit(p_[1]) : -1;
        if (hi < 0 || lo < 0) Fail(at, "\\x must be followed by two hex digits");
        p_ += 2;
        return static_cast<char>(hi * 16 + lo);
      }
      default:
        Fail(at, "unknown escape sequence \\" + std::string(1, p_[-1]));
    }
  }

  // The lines of a block text, p_ at the line end of its header. Each line is
  // "| raw text", "|" (empty) or "|\"escaped text\"".
  Span ParseBlock() {
    const auto pool_start = doc_.pool_.size();
    bool first = true;
    while (p_ < end_ && *p_ == '\n') {
      const char* const save = p_;
      const std::uint32_t save_line = line_;
      const char* const save_start = line_start_;
      NewLine();
      SkipSpaces();
      if (p_ == end_ || *p_ != '|') {
        p_ = save;
        line_ = save_line;
        line_start_ = save_start;
        break;
      }
      ++p_;
      if (!first) doc_.pool_ += '\n';
      first = false;
      ParseBlockLine();
    }
    return PoolSpan(pool_start);
  }

  void ParseBlockLine() {
    const char* nl =
        static_cast<const char*>(std::memchr(p_, '\n', static_cast<std::size_t>(end_ - p_)));
    const char* eol = nl ? nl : end_;
    if (eol > p_ && eol[-1] == '\r') --eol;  // CRLF files
    if (p_ == eol) {
      p_ = nl ? nl : end_;
      return;
    }
    if (*p_ == ' ') {
      doc_.pool_.append(p_ + 1, eol);
      p_ = nl ? nl : end_;
      return;
    }
    if (*p_ != '"') Fail(p_, "expected ' ' or '\"' after '|' in a block text");
    const char* open = p_++;
    DecodeQuotedTail(open);
    SkipSpaces();
    if (p_ < end_ && *p_ == '\r') ++p_;
    if (p_ < end_ && *p_ != '\n') Fail(p_, "expected a line end after the quoted block text line");
  }

  void AddValue(Span name, Span value, NodeKind kind) {
    ++doc_.nodes_[open_.back()].value.length;
    doc_.nodes_.push_back(Node{name, value, line_, kind});
    if (open_.size() == 1) doc_.top_extents_.push_back({Offset(entry_begin_), Offset(p_)});
  }

  void OpenSection(Span name) {
    if (open_.size() > kXIniMaxDepth)
      Fail(p_ - 1, Kelvora::ssprintf("sections nested deeper than %zu levels", kXIniMaxDepth));
    AddValue(name, Span{}, NodeKind::Section);
    open_.push_back(doc_.nodes_.size() - 1);
  }

  void CloseSection() {
    if (open_.size() == 1) Fail(p_, "'}' without an open section");
    open_.pop_back();
    ++p_;
    if (open_.size() == 1) doc_.top_extents_.back().end = Offset(p_);
    ExpectEntryEnd();
  }

  std::uint32_t Offset(const char* at) const { return static_cast<std::uint32_t>(at - begin_); }

  Span SourceSpan(const char* from, const char* to) const {
    return Span{static_cast<std::uint32_t>(from - begin_), static_cast<std::uint32_t>(to - from)};
  }

  Span PoolSpan(std::size_t start) const {
    return Span{static_cast<std::uint32_t>(start) | Span::kPoolBit,
                static_cast<std::uint32_t>(doc_.pool_.size() - start)};
  }

  Document& doc_;
  const char* begin_;
  const char* p_;
  const char* end_;
  const char* line_start_;
  const char* entry_begin_ = nullptr;  // where the current top-level entry starts
  std::uint32_t line_ = 1;
  std::vector<std::uint32_t> open_;
};

Document::Document(std::string source) : source_(std::move(source)) {
  Parser(*this).Run();
}

// Entries are in document order (pre-order), so each one's section is the
// innermost open section that still misses children.
void Document::LinkChildren() {
  struct Open {
    std::uint32_t node;
    std::uint32_t placed;
  };
  std::uint32_t total = 0;
  for (std::uint32_t i = 0; i < nodes_.size(); ++i) {
    Node& n = nodes_[i];
    if (n.kind != NodeKind::Section) continue;
    n.value.offset = total;
    total += n.count();
  }
  children_.resize(total);
  std::vector<Open> open{{0, 0}};
  for (std::uint32_t i = 1; i < nodes_.size(); ++i) {
    while (open.back().placed == nodes_[open.back().node].count())
      open.pop_back();
    Open& top = open.back();
    children_[nodes_[top.node].first() + top.placed++] = i;
    if (nodes_[i].kind == NodeKind::Section && nodes_[i].count() > 0) open.push_back({i, 0});
  }
}

}  // namespace lx::xini
