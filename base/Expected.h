#pragma once

#include <cstddef>
#include <optional>
#include <type_traits>
#include <utility>
#include <variant>

#include "base/Error.h"

namespace base {

// The result of an operation that can fail: the value it made, or the error that says why not.
// The one way the internal code reports a failure (the library's public face keeps its own). A
// result must be looked at: a failure that nobody reads is a failure lost.
//
//   base::Expected<Catalogue> loaded = Catalogue::load(path);
//   if (!loaded) return loaded.error();
//   use(*loaded);
//
// A value is never made from nullptr: "return nullptr;" in a function that returns a pointer
// inside an Expected does not compile, so that no failure turns into a null success.
template <typename T>
class [[nodiscard]] Expected {
 public:
  template <typename U = T>
  requires(std::is_constructible_v<T, U&&> && !std::is_same_v<std::remove_cvref_t<U>, Error> &&
           !std::is_same_v<std::remove_cvref_t<U>, Expected> &&
           !std::is_same_v<std::remove_cvref_t<U>, std::nullptr_t>)
      Expected(U&& value)  // NOLINT(google-explicit-constructor)
      : state_(std::in_place_index<0>, std::forward<U>(value)) {}
  Expected(Error error)  // NOLINT(google-explicit-constructor)
      : state_(std::in_place_index<1>, std::move(error)) {}

  bool hasValue() const { return state_.index() == 0; }
  explicit operator bool() const { return hasValue(); }

  // The value; only when hasValue().
  T& value() & { return std::get<0>(state_); }
  const T& value() const& { return std::get<0>(state_); }
  T&& value() && { return std::get<0>(std::move(state_)); }
  T& operator*() & { return value(); }
  const T& operator*() const& { return value(); }
  T&& operator*() && { return std::move(*this).value(); }
  T* operator->() { return &value(); }
  const T* operator->() const { return &value(); }

  // The error; only when !hasValue().
  const Error& error() const { return std::get<1>(state_); }

 private:
  std::variant<T, Error> state_;
};

// The result of an operation that makes nothing: success, or the error.
template <>
class [[nodiscard]] Expected<void> {
 public:
  Expected() = default;
  Expected(Error error)  // NOLINT(google-explicit-constructor)
      : error_(std::move(error)) {}

  bool hasValue() const { return !error_; }
  explicit operator bool() const { return hasValue(); }
  // The error; only when !hasValue().
  const Error& error() const { return *error_; }

 private:
  std::optional<Error> error_;
};

}  // namespace base
