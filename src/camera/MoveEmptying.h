#pragma once

#include <utility>

// Moves `from` into `to` and leaves `from` empty. A moved-from std::string is
// only "valid but unspecified"; the records promise an empty source.
template <typename T>
void MoveEmptying(T& to, T& from) noexcept {
  to = std::move(from);
  from.clear();
}
