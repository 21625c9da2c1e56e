// invoke.h: the typed invoker behind Router::Register: converts the bound
// argument values to the handler's native argument types and stores the
// handler's MaybeType outcome in the HandlerResult.
#pragma once

#include <array>
#include <concepts>
#include <span>
#include <tuple>
#include <type_traits>
#include <utility>

#include "sdk/rest/endpoint.h"
#include "sdk/value/conversion_status.h"
#include "sdk/value/maybe_type.h"
#include "sdk/value/native/convert.h"
#include "sdk/value/native/owned_host_form.h"

namespace kiv::rest_internal {

template <typename T>
struct OutcomeTraits;
template <typename R>
struct OutcomeTraits<MaybeType<Failure, R>> {
  using Result = R;
};

struct ArgumentFlags {
  std::string_view name;
  bool optional = false;
};

template <typename T>
void ConvertArgument(BindingProperty& value, const ArgumentFlags& flags, T& out,
                     ConversionStatus& status) {
  // An optional argument that no source named keeps its native default.
  if (flags.optional && value.IsEmpty()) return;
  if constexpr (std::same_as<T, BindingProperty>) {
    // An "object" argument takes the value unchanged; the bound values are
    // the call's own, so it is moved rather than copied.
    if (status.IsValid()) out = std::move(value);
  } else {
    FromValue(value, flags.name, out, status);
  }
}

template <typename R>
void StoreOutcome(MaybeType<Failure, R>&& outcome, HandlerResult& result,
                  ConversionStatus& status) {
  if (!outcome.ok()) {
    const Failure failure = std::move(outcome).takeFailure();
    result.status = failure.ErrorCode();
    result.body.SetError(failure.Message());
    return;
  }
  if constexpr (std::same_as<R, void>) {
    result.body.Clear();
  } else if constexpr (std::same_as<R, HandlerResult>) {
    result = std::move(outcome).take();
  } else if constexpr (std::same_as<R, BindingProperty>) {
    result.body = std::move(outcome).take();
  } else {
    // Written straight into the host's records; the answer keeps the value.
    (void)status;
    result.nativeBody = MakeOwnedHostForm(std::move(outcome).take());
  }
}

template <typename Handler, typename... Ts, size_t... I>
void Invoke(Handler& handler,
            [[maybe_unused]] const std::array<ArgumentFlags, sizeof...(Ts)>& flags,
            [[maybe_unused]] std::span<BindingProperty> values, const RequestContext& request,
            ConversionStatus& status, HandlerResult& result, std::index_sequence<I...>) {
  std::tuple<Ts...> natives{};
  (ConvertArgument(values[I], flags[I], std::get<I>(natives), status), ...);
  if (!status.IsValid()) return;
  if constexpr (std::is_invocable_v<Handler&, const RequestContext&, Ts&...>) {
    StoreOutcome(handler(request, std::get<I>(natives)...), result, status);
  } else {
    StoreOutcome(handler(std::get<I>(natives)...), result, status);
  }
}

template <typename Handler, typename... Ts>
using HandlerOutcome =
    typename std::conditional_t<std::is_invocable_v<Handler&, const RequestContext&, Ts&...>,
                                std::invoke_result<Handler&, const RequestContext&, Ts&...>,
                                std::invoke_result<Handler&, Ts&...>>::type;

}  // namespace kiv::rest_internal
