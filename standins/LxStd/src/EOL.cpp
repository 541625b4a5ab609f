#include <LxStd/EOL.h>

std::string LxNormalizeEOL(std::string_view text, TEOLType type) {
  const std::string_view eol = type == eolCRLF ? "\r\n" : type == eolCR ? "\r" : "\n";
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r') {
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
      out += eol;
    } else if (c == '\n') {
      out += eol;
    } else {
      out += c;
    }
  }
  return out;
}
