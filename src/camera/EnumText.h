#pragma once

#include <cstdint>
#include <string>

namespace lxcu::internal {

// One value of an enumeration: its machine text, as stored in documents, and
// the resource key of its user text; either may be null when the value has
// none. A table of rows is searched in order and ends with a row holding
// neither, whose value is the table's no-match value.
struct TEnumRow {
  std::int32_t value;
  const char* text;
  const char* user_key;
};

struct TEnumTextResult {
  std::string text;  // empty when invalid
  bool invalid = false;
};

// The machine text of `value`; invalid when no row has both. Never throws
// (beyond allocation).
TEnumTextResult EnumToText(const TEnumRow* table, std::int32_t value);

// The machine text of `value`; throws std::runtime_error naming the value,
// preceded by `context` and a line feed when `context` is non-null and
// non-empty.
std::string EnumToTextE(const TEnumRow* table, std::int32_t value, const char* context);

// The value whose machine text equals `text` byte for byte over its whole
// length; the no-match value when none does or when `text` holds a zero byte.
std::int32_t TextToEnum(const TEnumRow* table, const std::string& text);

// As TextToEnum, but throws std::runtime_error naming the text where
// TextToEnum would fall back to the no-match value.
std::int32_t TextToEnumE(const TEnumRow* table, const std::string& text);

// "???" for a value without a user-text key, otherwise the module's text of
// the key (empty when the store has none).
std::string EnumToUserText(const TEnumRow* table, std::int32_t value);

}  // namespace lxcu::internal
