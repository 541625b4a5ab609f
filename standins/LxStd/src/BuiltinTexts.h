#pragma once

#include <span>
#include <string_view>

namespace lxstd {

struct TBuiltinText {
  std::string_view key;
  std::string_view text;
};

struct TBuiltinTextModule {
  std::string_view module;
  std::span<const TBuiltinText> texts;
};

// The English texts the store starts with, per module.
std::span<const TBuiltinTextModule> BuiltinTextModules();

}  // namespace lxstd
