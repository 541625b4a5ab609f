#pragma once

// Lexical rules of the document text shared by parser and writer.

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace lx::xini {

// Bytes that may form an unquoted word (a name or a number) when reading:
// everything but blanks, control bytes and the punctuation = { } , # " |.
inline constexpr std::array<bool, 256> kWordByte = [] {
  std::array<bool, 256> t{};
  for (int c = 0x21; c < 0x100; ++c)
    t[static_cast<std::size_t>(c)] = true;
  for (const unsigned char c : std::string_view("={},#\"|\x7f"))
    t[c] = false;
  return t;
}();

inline bool IsWordByte(char c) {
  return kWordByte[static_cast<unsigned char>(c)];
}

// Length of the valid UTF-8 sequence of two or more bytes starting at `p`, or 0.
std::size_t Utf8SequenceLength(const unsigned char* p, const unsigned char* end);

// True if `name` is written without quotes: non-empty, letters, digits, _ . + -.
bool IsBareName(std::string_view name);

// Appends `text` in quotes, escaping quote, backslash, control bytes and bytes
// that are not valid UTF-8, so that the literal is valid UTF-8 on one line.
void AppendQuoted(std::string& out, std::string_view text);

// Appends `name` bare when possible, else quoted.
void AppendName(std::string& out, std::string_view name);

// True if a line of a block text can be written as it is: valid UTF-8, no
// control bytes but tabs, and no blank at the end that an editor could strip.
bool IsRawBlockLine(std::string_view line);

// `text` quoted for an error message, shortened when long.
std::string QuoteForMessage(std::string_view text);

}  // namespace lx::xini
