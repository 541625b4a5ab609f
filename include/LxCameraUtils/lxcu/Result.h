#pragma once

// The result of an operation that can fail on its input: the value, or a
// Failure saying what went wrong and where.

#include <string>
#include <utility>
#include <variant>

namespace lxcu {

struct Failure {
  enum class Kind {
    Io,       // the file could not be read or written
    Syntax,   // the text is not a well-formed document
    Content,  // the document lacks a required entry or holds a bad value
  };
  Kind kind = Kind::Content;
  std::string message;  // English, the whole story: what, key, section, line
  std::string file;     // as given; empty for a text
  std::string key;      // the entry at fault; empty when none is named
  std::string section;  // its section path from the root, e.g. "/camera/int_or"
  int line = 0;         // 1-based; 0 when unknown
};

// Holds a T or a Failure, like std::expected<T, Failure>. value() on a
// failure and error() on a value are contract violations (unchecked).
template <class T>
class Result {
 public:
  Result(T value) : state_(std::in_place_index<0>, std::move(value)) {}
  Result(Failure failure) : state_(std::in_place_index<1>, std::move(failure)) {}

  bool has_value() const noexcept { return state_.index() == 0; }
  explicit operator bool() const noexcept { return has_value(); }

  T& value() & { return *std::get_if<0>(&state_); }
  const T& value() const& { return *std::get_if<0>(&state_); }
  T&& value() && { return std::move(*std::get_if<0>(&state_)); }
  T& operator*() & { return value(); }
  const T& operator*() const& { return value(); }
  T* operator->() { return &value(); }
  const T* operator->() const { return &value(); }

  const Failure& error() const& { return *std::get_if<1>(&state_); }

 private:
  std::variant<T, Failure> state_;
};

// Saving yields nothing but may fail.
struct Done {};

}  // namespace lxcu
