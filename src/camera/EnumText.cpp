#include "camera/EnumText.h"

#include <LxStd/ssprintf.h>

#include <cstring>
#include <stdexcept>
#include <utility>

#include "module/ModuleRecord.h"

namespace lxcu::internal {

namespace {

bool IsEnd(const TEnumRow& row) {
  return row.text == nullptr && row.user_key == nullptr;
}

// The first row with `value` whose column `column` is set, or the end row.
const TEnumRow* FindValue(const TEnumRow* row, std::int32_t value, const char* TEnumRow::*column) {
  while (!IsEnd(*row) && (row->value != value || row->*column == nullptr))
    ++row;
  return row;
}

// The row whose machine text equals `text`, or the end row. A text with an
// embedded zero byte would otherwise match by its prefix in C-string
// comparisons.
const TEnumRow* FindText(const TEnumRow* row, const std::string& text) {
  const bool has_zero = std::strlen(text.c_str()) != text.size();
  while (!IsEnd(*row) && (has_zero || row->text == nullptr || text != row->text))
    ++row;
  return row;
}

}  // namespace

TEnumTextResult EnumToText(const TEnumRow* table, std::int32_t value) {
  const TEnumRow* row = FindValue(table, value, &TEnumRow::text);
  if (IsEnd(*row)) return {std::string(), true};
  return {row->text, false};
}

std::string EnumToTextE(const TEnumRow* table, std::int32_t value, const char* context) {
  TEnumTextResult found = EnumToText(table, value);
  if (!found.invalid) return std::move(found.text);
  const int printed = value;
  if (context != nullptr && context[0] != '\0')
    throw std::runtime_error(
        Kelvora::ssprintf("%s\n@EnumToTextE(): Invalid enum value: %i.", context, printed));
  throw std::runtime_error(Kelvora::ssprintf("@EnumToTextE(): Invalid enum value: %i.", printed));
}

std::int32_t TextToEnum(const TEnumRow* table, const std::string& text) {
  return FindText(table, text)->value;
}

std::int32_t TextToEnumE(const TEnumRow* table, const std::string& text) {
  const TEnumRow* row = FindText(table, text);
  if (IsEnd(*row))
    throw std::runtime_error(
        Kelvora::ssprintf("@TextToEnumE(): Invalid text value: %s.", text.c_str()));
  return row->value;
}

std::string EnumToUserText(const TEnumRow* table, std::int32_t value) {
  const TEnumRow* row = FindValue(table, value, &TEnumRow::user_key);
  if (IsEnd(*row)) return "???";
  return ModuleRecord().UserText(row->user_key);
}

}  // namespace lxcu::internal
