// runtime_future.h: Promise<T> and Future<T>, the one-shot result channel
// between a backend call's answer and the caller waiting in AppModule::Await.
//
// A Promise fulfils its Future once. A Promise destroyed without a value
// breaks it; taking a value twice, or from a future without a promise, is the
// "no state" or "already retrieved" error. Errors are values (FutureError)
// with the codes and texts of std::future_errc, because the library runs
// without exceptions and std::future reports them only by throwing.
//
// Not for: results across threads in a hot loop (each state has a mutex), or
// more than one waiter (the value is taken out once).
//
//   Promise<int> promise;
//   Future<int> future = promise.GetFuture();
//   promise.SetValue(7);
//   future.IsReady();                 // true
//   std::move(future).Take();         // FutureResult holding 7
#pragma once

#include <future>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <variant>

namespace kiv {

/// Why a future holds no value: the std::future_errc code and its text.
struct FutureError {
  std::future_errc code;

  int CodeValue() const { return static_cast<int>(code); }
  /// The platform's text of the error, as std::future_error::what() gives it.
  std::string Text() const { return std::future_error(code).what(); }
};

/// What Take() yields: the value or the error.
template <typename T>
using FutureResult = std::variant<T, FutureError>;

namespace runtime_internal {

template <typename T>
struct FutureState {
  std::mutex lock;
  std::optional<T> value;
  bool broken = false;
  bool retrieved = false;
};

}  // namespace runtime_internal

template <typename T>
class Future {
 public:
  /// A future without a promise: never ready; Take() gives "no state".
  Future() = default;
  Future(Future&&) noexcept = default;
  Future& operator=(Future&&) noexcept = default;

  /// True once the promise was fulfilled or broken (the zero-timeout test).
  /// A future without state is "ready" with the no-state error.
  bool IsReady() const {
    if (!state_) return true;
    std::lock_guard guard(state_->lock);
    return state_->value.has_value() || state_->broken || state_->retrieved;
  }

  /// Moves the value out; the future is left without state.
  FutureResult<T> Take() && {
    auto state = std::move(state_);
    if (!state) return FutureError{std::future_errc::no_state};
    std::lock_guard guard(state->lock);
    if (state->retrieved) return FutureError{std::future_errc::future_already_retrieved};
    if (!state->value) return FutureError{std::future_errc::broken_promise};
    state->retrieved = true;
    return FutureResult<T>(std::in_place_index<0>, std::move(*state->value));
  }

 private:
  template <typename>
  friend class Promise;
  explicit Future(std::shared_ptr<runtime_internal::FutureState<T>> state)
      : state_(std::move(state)) {}

  std::shared_ptr<runtime_internal::FutureState<T>> state_;
};

template <typename T>
class Promise {
 public:
  Promise() : state_(std::make_shared<runtime_internal::FutureState<T>>()) {}
  Promise(Promise&&) noexcept = default;
  Promise& operator=(Promise&& other) noexcept {
    Break();
    state_ = std::move(other.state_);
    return *this;
  }
  Promise(const Promise&) = delete;
  Promise& operator=(const Promise&) = delete;
  /// Breaks the future when no value was set.
  ~Promise() { Break(); }

  /// The future of this promise; call once.
  Future<T> GetFuture() const { return Future<T>(state_); }

  /// Fulfils the future; later calls do nothing (the first value wins).
  void SetValue(T value) {
    if (!state_) return;
    std::lock_guard guard(state_->lock);
    if (!state_->value && !state_->broken) state_->value.emplace(std::move(value));
  }

 private:
  void Break() {
    if (!state_) return;
    std::lock_guard guard(state_->lock);
    if (!state_->value) state_->broken = true;
  }

  std::shared_ptr<runtime_internal::FutureState<T>> state_;
};

}  // namespace kiv
