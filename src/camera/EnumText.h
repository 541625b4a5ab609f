#pragma once

#include <cstdint>
#include <string>

// Generic conversions between enumeration values and their texts, over a
// static table of rows. A table ends with a row whose `text` is null; that
// row's `value` is the table's no-match value. Rows are searched in order.
struct TEnumTextRow {
  std::int32_t value;
  const char* text;
};

struct TEnumTextResult {
  std::string text;  // empty when invalid
  bool invalid = false;
};

// The machine text of `value`. The end row's value is never compared, so a
// value that stands only in the end row is invalid. Never throws (beyond
// allocation).
TEnumTextResult EnumToText(const TEnumTextRow* table, std::int32_t value);

// The machine text of `value`; throws std::runtime_error naming the value,
// preceded by `context` and a line feed when `context` is non-null and
// non-empty.
std::string EnumToTextE(const TEnumTextRow* table, std::int32_t value, const char* context);

// The value whose text equals `text` byte for byte over its whole length; the
// no-match value when none does or when `text` holds a zero byte.
std::int32_t TextToEnum(const TEnumTextRow* table, const std::string& text);

// As TextToEnum, but throws std::runtime_error naming the text where
// TextToEnum would fall back to the no-match value.
std::int32_t TextToEnumE(const TEnumTextRow* table, const std::string& text);

// The user text of `value` through a table of (value, resource key) rows:
// "???" for a value without a row, otherwise the module's text of the key
// (empty when the store has none).
std::string EnumToUserText(const TEnumTextRow* key_table, std::int32_t value);
