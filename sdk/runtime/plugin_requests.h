// plugin_requests.h: PluginRequests, the module's requests to other plugins'
// resources, reached as `module.requests()`.
//
// Synchronous: Send returns once the host has answered, yielding to the host
// between short reads of a streamed body. Each argument becomes one
// positional parameter. Failures use the templates "Error response for
// {method} {url}: {error}" and its siblings (request_sender.h), with the
// three values also as fields.
//
// Not for: backend calls (service_proxy.h) or resource events
// (resource_events.h).
//
//   auto session = module.requests().Send<LoginSession>(KIV_METHOD_GET, "/kiv-login/v1/session");
//   auto ok = module.requests().Send<void>(KIV_METHOD_POST, "/kiv-gameflow/v1/tournament-end");
#pragma once

#include <array>
#include <string_view>
#include <type_traits>

#include "sdk/registry/type_registry.h"
#include "sdk/runtime/named_failure.h"
#include "sdk/runtime/request_sender.h"
#include "sdk/value/conversion_status.h"
#include "sdk/value/maybe_type.h"
#include "sdk/value/native/convert.h"
#include "sdk/value/static_type.h"

namespace kiv {

class AppModule;

namespace runtime_internal {

/// Converts `value` into T under `name`: a described record or enum through
/// `registry` when it is registered there, anything else (scalars, texts,
/// containers) by the native rules. The status tells the outcome.
template <typename T>
void ConvertFromValue(const TypeRegistry& registry, const BindingProperty& value,
                      std::string_view name, T& out, ConversionStatus& status) {
  if constexpr (DescribedRecord<T> || DescribedEnum<T>) {
    if (registry.FindTypeById(StaticType::Id<T>()) != nullptr) {
      return registry.FromValueById(StaticType::Id<T>(), value, name, &out, status);
    }
  }
  FromValue(value, name, out, status);
}

}  // namespace runtime_internal

class PluginRequests {
 public:
  /// `module` is borrowed: the module owns its services.
  explicit PluginRequests(AppModule& module) : module_(module) {}
  PluginRequests(const PluginRequests&) = delete;
  PluginRequests& operator=(const PluginRequests&) = delete;

  /// Sends `method` `url` with each argument as one positional parameter.
  /// R is void (only the outcome), BindingProperty (the body) or a native
  /// type (the body converted, through the type registry when registered).
  template <typename R, typename... Args>
  MaybeType<Failure, R> Send(uint32_t method, std::string_view url, const Args&... args);

 private:
  const TypeRegistry& Registry() const;

  AppModule& module_;
};

template <typename R, typename... Args>
MaybeType<Failure, R> PluginRequests::Send(uint32_t method, std::string_view url,
                                           const Args&... args) {
  std::array<BindingProperty, sizeof...(Args)> params;
  ConversionStatus status;
  size_t index = 0;
  ((ToValue(args, params[index++], status)), ...);
  (void)index;
  if (!status.IsValid()) return Fail(ParameterFailure(method, url, status.Error()));
  constexpr ResponseUse use = std::is_void_v<R> ? ResponseUse::kOutcome : ResponseUse::kBody;
  auto body = SendRequestValues(module_, method, url, params, use);
  if constexpr (std::is_void_v<R>) {
    if (!body.ok()) return Fail(std::move(body).takeFailure());
    return Ok();
  } else if constexpr (std::is_same_v<R, BindingProperty>) {
    return body;
  } else {
    if (!body.ok()) return Fail(std::move(body).takeFailure());
    R result{};
    runtime_internal::ConvertFromValue(Registry(), *body, "<result>", result, status);
    if (!status.IsValid()) {
      return Fail(
          NamedFailure(0, "Error converting response for {method} {url}: {error}",
                       {{"method", MethodText(method)}, {"url", url}, {"error", status.Error()}}));
    }
    return result;
  }
}

}  // namespace kiv
