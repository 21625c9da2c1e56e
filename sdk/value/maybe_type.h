// maybe_type.h: MaybeType<E, T>, the result of a fallible operation: either a
// T (success) or an E, normally a Failure (failure), never both. T may be void.
//
// Not for: optional values that are not errors (use std::optional). A result
// cannot be ignored ([[nodiscard]]), cannot be default-constructed, and
// reading the wrong side ends the process (nothing throws).
//
//   MaybeType<Failure, int> Parse(std::string_view text) {
//     if (text.empty()) return Fail(Failure(400, "empty"));
//     return 7;
//   }
//   KIV_TRY_ASSIGN(int number, Parse(text));  // returns the failure upward
#pragma once

#include <concepts>
#include <type_traits>
#include <utility>
#include <variant>

#include "sdk/value/failure.h"

namespace kiv {

namespace value_internal {
/// Reports reading the wrong side of a MaybeType and aborts.
[[noreturn]] void AbortOnWrongSide(const char* what);
}  // namespace value_internal

/// A failure on its way into a MaybeType; made by Fail(). It converts into a
/// MaybeType<E, T> of any T, so the failure side is never ambiguous with T.
template <typename E>
struct [[nodiscard]] FailedResult {
  E failure;
};

template <typename E>
FailedResult<std::decay_t<E>> Fail(E&& failure) {
  return {std::forward<E>(failure)};
}
inline FailedResult<Failure> Fail(uint32_t errorCode, std::string message) {
  return {Failure(errorCode, std::move(message))};
}

/// The success of a MaybeType<E, void>; made by Ok().
struct [[nodiscard]] OkResult {};
inline OkResult Ok() { return {}; }

template <typename E, typename T>
class [[nodiscard]] MaybeType {
 public:
  MaybeType() = delete;
  /// Success. Implicit, so `return value;` works.
  template <typename U = T>
  requires(std::constructible_from<T, U&&> && !std::same_as<std::remove_cvref_t<U>, MaybeType> &&
           !std::same_as<std::remove_cvref_t<U>, FailedResult<E>>) MaybeType(U&& value)
      : state_(std::in_place_index<0>, std::forward<U>(value)) {}
  /// Failure.
  MaybeType(FailedResult<E>&& failed) : state_(std::in_place_index<1>, std::move(failed.failure)) {}

  bool ok() const { return state_.index() == 0; }

  /// The value; aborts when failed.
  T& operator*() & { return *std::get_if<0>(&CheckedState()); }
  const T& operator*() const& { return *std::get_if<0>(&CheckedState()); }
  T* operator->() { return std::get_if<0>(&CheckedState()); }
  const T* operator->() const { return std::get_if<0>(&CheckedState()); }
  /// Moves the value out; aborts when failed.
  T take() && { return std::move(*std::get_if<0>(&CheckedState())); }

  /// The failure; aborts on success.
  const E& failure() const {
    if (ok()) [[unlikely]]
      value_internal::AbortOnWrongSide("failure() of a successful MaybeType");
    return *std::get_if<1>(&state_);
  }
  /// Moves the failure out; aborts on success.
  E takeFailure() && {
    if (ok()) [[unlikely]]
      value_internal::AbortOnWrongSide("failure() of a successful MaybeType");
    return std::move(*std::get_if<1>(&state_));
  }

 private:
  // The state, after checking that it holds a value.
  template <typename Self>
  static auto& Checked(Self& self) {
    if (!self.ok()) [[unlikely]]
      value_internal::AbortOnWrongSide("value of a failed MaybeType");
    return self.state_;
  }
  std::variant<T, E>& CheckedState() { return Checked(*this); }
  const std::variant<T, E>& CheckedState() const { return Checked(*this); }

  std::variant<T, E> state_;
};

template <typename E>
class [[nodiscard]] MaybeType<E, void> {
 public:
  MaybeType() = delete;
  MaybeType(OkResult) {}
  MaybeType(FailedResult<E>&& failed) : failure_(std::move(failed.failure)), failed_(true) {}

  bool ok() const { return !failed_; }
  /// Checks success; aborts when failed.
  void operator*() const {
    if (!ok()) [[unlikely]]
      value_internal::AbortOnWrongSide("value of a failed MaybeType");
  }
  void take() && { **this; }

  const E& failure() const {
    if (ok()) [[unlikely]]
      value_internal::AbortOnWrongSide("failure() of a successful MaybeType");
    return failure_;
  }
  E takeFailure() && {
    if (ok()) [[unlikely]]
      value_internal::AbortOnWrongSide("failure() of a successful MaybeType");
    return std::move(failure_);
  }

 private:
  E failure_{};
  bool failed_ = false;
};

}  // namespace kiv

#define KIV_TRY_CONCAT_INNER_(a, b) a##b
#define KIV_TRY_CONCAT_(a, b) KIV_TRY_CONCAT_INNER_(a, b)

/// Evaluates `expr` (a MaybeType); on failure returns the failure from the
/// enclosing function, whose result must be a MaybeType with the same E.
#define KIV_TRY(expr)                                               \
  do {                                                              \
    auto kiv_try_result_ = (expr);                                  \
    if (!kiv_try_result_.ok()) [[unlikely]]                         \
      return ::kiv::Fail(std::move(kiv_try_result_).takeFailure()); \
  } while (false)

/// Evaluates `expr` (a MaybeType); on failure returns the failure from the
/// enclosing function, else move-assigns the value to `lhs`, which may be a
/// declaration (`KIV_TRY_ASSIGN(auto team, LoadTeam(id));`).
/// Hazard: this expands to several statements. Never use it as the unbraced
/// body of if/else/for/while, and use it at most once per line.
#define KIV_TRY_ASSIGN(lhs, expr) \
  KIV_TRY_ASSIGN_IMPL_(KIV_TRY_CONCAT_(kiv_try_assign_, __LINE__), lhs, expr)
#define KIV_TRY_ASSIGN_IMPL_(result, lhs, expr)          \
  auto result = (expr);                                  \
  if (!result.ok()) [[unlikely]]                         \
    return ::kiv::Fail(std::move(result).takeFailure()); \
  lhs = std::move(result).take()
