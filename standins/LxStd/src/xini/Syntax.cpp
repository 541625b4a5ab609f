#include "xini/Syntax.h"

namespace lx::xini {

namespace {

constexpr std::size_t kMessageTextMax = 60;

bool IsContinuation(unsigned char c) {
  return (c & 0xC0) == 0x80;
}

// Bytes that AppendQuoted copies as they are when not part of a multi-byte
// sequence check.
bool NeedsEscape(unsigned char c) {
  return c < 0x20 || c == '"' || c == '\\' || c >= 0x7F;
}

void AppendHexEscape(std::string& out, unsigned char c) {
  constexpr char kHex[] = "0123456789ABCDEF";
  out += "\\x";
  out += kHex[c >> 4];
  out += kHex[c & 0xF];
}

}  // namespace

std::size_t Utf8SequenceLength(const unsigned char* p, const unsigned char* end) {
  const unsigned char c = *p;
  const std::size_t avail = static_cast<std::size_t>(end - p);
  // Lowest and highest allowed second byte exclude overlong forms and surrogates.
  std::size_t length = 0;
  unsigned char lo = 0x80, hi = 0xBF;
  if (c >= 0xC2 && c <= 0xDF) {
    length = 2;
  } else if (c >= 0xE0 && c <= 0xEF) {
    length = 3;
    if (c == 0xE0) lo = 0xA0;
    if (c == 0xED) hi = 0x9F;
  } else if (c >= 0xF0 && c <= 0xF4) {
    length = 4;
    if (c == 0xF0) lo = 0x90;
    if (c == 0xF4) hi = 0x8F;
  } else {
    return 0;
  }
  if (avail < length || p[1] < lo || p[1] > hi) return 0;
  for (std::size_t i = 2; i < length; ++i)
    if (!IsContinuation(p[i])) return 0;
  return length;
}

bool IsBareName(std::string_view name) {
  if (name.empty()) return false;
  for (const char ch : name) {
    const bool ok = (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') ||
                    (ch >= '0' && ch <= '9') || ch == '_' || ch == '.' || ch == '+' || ch == '-';
    if (!ok) return false;
  }
  return true;
}

void AppendQuoted(std::string& out, std::string_view text) {
  out += '"';
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  const auto* const end = p + text.size();
  while (p < end) {
    const auto* run = p;
    while (p < end && !NeedsEscape(*p))
      ++p;
    out.append(reinterpret_cast<const char*>(run), static_cast<std::size_t>(p - run));
    if (p == end) break;
    const unsigned char c = *p;
    if (c >= 0x80) {
      if (const std::size_t n = Utf8SequenceLength(p, end)) {
        out.append(reinterpret_cast<const char*>(p), n);
        p += n;
        continue;
      }
    }
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\0':
        out += "\\0";
        break;
      default:
        AppendHexEscape(out, c);
    }
    ++p;
  }
  out += '"';
}

void AppendName(std::string& out, std::string_view name) {
  if (IsBareName(name))
    out += name;
  else
    AppendQuoted(out, name);
}

bool IsRawBlockLine(std::string_view line) {
  if (!line.empty() && (line.back() == ' ' || line.back() == '\t')) return false;
  const auto* p = reinterpret_cast<const unsigned char*>(line.data());
  const auto* const end = p + line.size();
  while (p < end) {
    const unsigned char c = *p;
    if (c >= 0x80) {
      const std::size_t n = Utf8SequenceLength(p, end);
      if (n == 0) return false;
      p += n;
    } else {
      if ((c < 0x20 && c != '\t') || c == 0x7F) return false;
      ++p;
    }
  }
  return true;
}

std::string QuoteForMessage(std::string_view text) {
  std::string out;
  if (text.size() <= kMessageTextMax) {
    AppendQuoted(out, text);
    return out;
  }
  // Cut before a continuation byte would split a character.
  std::size_t cut = kMessageTextMax;
  while (cut > 0 && IsContinuation(static_cast<unsigned char>(text[cut])))
    --cut;
  AppendQuoted(out, text.substr(0, cut));
  out += "...";
  return out;
}

}  // namespace lx::xini
