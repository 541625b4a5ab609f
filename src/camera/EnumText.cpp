#include "camera/EnumText.h"

#include <LxStd/ssprintf.h>

#include <cstring>
#include <stdexcept>
#include <utility>

#include "module/ModuleRecord.h"

namespace {

// The row whose value is `value`, or the end row.
const TEnumTextRow* FindValue(const TEnumTextRow* row, std::int32_t value) {
  while (row->text != nullptr && row->value != value)
    ++row;
  return row;
}

// The row whose text equals `text`, or the end row. A text with an embedded
// zero byte would otherwise match by its prefix in C-string comparisons.
const TEnumTextRow* FindText(const TEnumTextRow* row, const std::string& text) {
  const bool has_zero = std::strlen(text.c_str()) != text.size();
  while (row->text != nullptr && (has_zero || text != row->text))
    ++row;
  return row;
}

}  // namespace

TEnumTextResult EnumToText(const TEnumTextRow* table, std::int32_t value) {
  const TEnumTextRow* row = FindValue(table, value);
  if (row->text == nullptr) return {std::string(), true};
  return {row->text, false};
}

std::string EnumToTextE(const TEnumTextRow* table, std::int32_t value, const char* context) {
  TEnumTextResult found = EnumToText(table, value);
  if (!found.invalid) return std::move(found.text);
  const int printed = value;
  if (context != nullptr && context[0] != '\0')
    throw std::runtime_error(
        Kelvora::ssprintf("%s\n@EnumToTextE(): Invalid enum value: %i.", context, printed));
  throw std::runtime_error(Kelvora::ssprintf("@EnumToTextE(): Invalid enum value: %i.", printed));
}

std::int32_t TextToEnum(const TEnumTextRow* table, const std::string& text) {
  return FindText(table, text)->value;
}

std::int32_t TextToEnumE(const TEnumTextRow* table, const std::string& text) {
  const TEnumTextRow* row = FindText(table, text);
  if (row->text == nullptr)
    throw std::runtime_error(
        Kelvora::ssprintf("@TextToEnumE(): Invalid text value: %s.", text.c_str()));
  return row->value;
}

std::string EnumToUserText(const TEnumTextRow* key_table, std::int32_t value) {
  const TEnumTextRow* row = FindValue(key_table, value);
  if (row->text == nullptr) return "???";
  return ModuleRecord().UserText(row->text);
}
