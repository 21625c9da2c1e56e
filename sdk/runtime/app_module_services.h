// app_module_services.h: the template definitions of AppModule's runtime
// services (typed requests, typed events, await, backend calls). Included at
// the end of app_module.h; include that header, not this one.
//
// Not for: anything but the templates declared in app_module.h.
//
//   auto session = module.Send<BindingProperty>(KIV_METHOD_GET, "/kiv-login/v1/session");
//   module.PublishUpdate("/kiv-joust/v1/player", player);
//   auto ok = module.Await(module.CallService<bool>("joust", "isEnabled", 0));
#pragma once

#include <array>
#include <type_traits>
#include <utility>

#include "sdk/codec/json_reader.h"
#include "sdk/codec/json_writer.h"
#include "sdk/runtime/app_module.h"
#include "sdk/runtime/event_names.h"
#include "sdk/runtime/named_failure.h"
#include "sdk/runtime/request_sender.h"
#include "sdk/value/conversion_status.h"
#include "sdk/value/format_message.h"
#include "sdk/value/native/convert.h"
#include "sdk/value/static_type.h"

namespace kiv {

namespace runtime_internal {

/// Reports a future that holds no value and aborts the process.
[[noreturn]] void ReportFutureError(const FutureError& error);

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

/// The result of a call-and-wait from the service's response.
template <typename R>
MaybeType<Failure, R> ServiceResult(const PluginServiceProxyResponse& response) {
  if (!response.error.empty()) return Fail(Failure(0, response.error));
  if constexpr (std::is_void_v<R>) {
    return Ok();
  } else {
    const BindingProperty value = ReadJson(response.payload);
    ConversionStatus status;
    R result{};
    if (value.IsValid()) FromValue(value, "<value>", result, status);
    if (!value.IsValid() || !status.IsValid()) {
      return Fail(NamedFailure(0,
                               "Failed to deserialize response payload \"{payload}\" to a {type}",
                               {{"payload", response.payload}, {"type", StaticType::Name<R>()}}));
    }
    return result;
  }
}

}  // namespace runtime_internal

template <typename R, typename... Args>
MaybeType<Failure, R> AppModule::Send(uint32_t method, std::string_view url, const Args&... args) {
  std::array<BindingProperty, sizeof...(Args)> params;
  ConversionStatus status;
  size_t index = 0;
  ((ToValue(args, params[index++], status)), ...);
  (void)index;
  if (!status.IsValid()) return Fail(ParameterFailure(method, url, status.Error()));
  constexpr ResponseUse use = std::is_void_v<R> ? ResponseUse::kOutcome : ResponseUse::kBody;
  auto body = SendRequestValues(*this, method, url, params, use);
  if constexpr (std::is_void_v<R>) {
    if (!body.ok()) return Fail(std::move(body).takeFailure());
    return Ok();
  } else if constexpr (std::is_same_v<R, BindingProperty>) {
    return body;
  } else {
    if (!body.ok()) return Fail(std::move(body).takeFailure());
    R result{};
    runtime_internal::ConvertFromValue(typeRegistry(), *body, "<result>", result, status);
    if (!status.IsValid()) {
      return Fail(
          NamedFailure(0, "Error converting response for {method} {url}: {error}",
                       {{"method", MethodText(method)}, {"url", url}, {"error", status.Error()}}));
    }
    return result;
  }
}

template <typename T>
void AppModule::ObserveAs(const std::string& uri,
                          std::function<void(const TypedResourceEvent<T>&)> handler) {
  Observe(uri, [this, handler = std::move(handler)](const PluginResourceEvent& event) {
    TypedResourceEvent<T> typed{event.uri, event.eventType, T{}};
    if (event.eventType != PluginResourceEventType::kDelete) {
      ConversionStatus status;
      runtime_internal::ConvertFromValue(typeRegistry(), event.data, "<value>", typed.data, status);
      if (!status.IsValid()) return;
    }
    handler(typed);
  });
}

template <typename T>
void AppModule::PublishUpdate(const std::string& uri, const T& value) {
  ConversionStatus status;
  PluginResourceEvent event{uri, PluginResourceEventType::kUpdate, BindingProperty()};
  ToValue(value, event.data, status);
  if (!status.IsValid()) return;
  (void)SendEvent(kResourceEventName, event);
}

template <typename T>
void AppModule::AddRecordEventHandler(const std::string& name, uint32_t flags,
                                      std::function<void(const T&)> handler) {
  AddEventHandler(name, flags, [this, handler = std::move(handler)](const HostValue& body) {
    ConversionStatus status;
    const BindingProperty value = HostValueToProperty(body, "<result>", status);
    T record{};
    runtime_internal::ConvertFromValue(typeRegistry(), value, "<result>", record, status);
    if (status.IsValid()) handler(record);
  });
}

template <typename T>
T AppModule::Await(Future<T> future) {
  bool waited = false;
  // Without a host nothing could fulfil the future; it is then taken as it is.
  while (!future.IsReady() && hostApi() != nullptr) {
    if (!waited) {
      HostBeginWait(FormatMessage("Wait: future<%1>", StaticType::Name<T>()).c_str());
      waited = true;
    }
    HostPumpOnce();
  }
  if (waited) HostEndWait();
  FutureResult<T> result = std::move(future).Take();
  if (result.index() != 0) runtime_internal::ReportFutureError(std::get<1>(result));
  return std::move(std::get<0>(result));
}

template <typename T>
std::string AppModule::StartServiceCall(const std::string& service, const std::string& method,
                                        const T& payload, const std::string& answerMethod,
                                        const std::string& extra, ServiceProxyCallback callback) {
  if (finalizing()) return "Finalizing";
  ConversionStatus status;
  BindingProperty value;
  ToValue(payload, value, status);
  if (!status.IsValid()) {
    return StartServiceCallJson(
        service, method,
        Fail(NamedFailure(0, "Failed to convert type {type} to BindingProperty for serialization",
                          {{"type", StaticType::Name<T>()}})),
        answerMethod, extra, std::move(callback));
  }
  return StartServiceCallJson(service, method, WriteJson(value), answerMethod, extra,
                              std::move(callback));
}

template <typename R, typename T>
Future<MaybeType<Failure, R>> AppModule::CallService(const std::string& service,
                                                     const std::string& method, const T& payload) {
  auto promise = std::make_shared<Promise<MaybeType<Failure, R>>>();
  Future<MaybeType<Failure, R>> future = promise->GetFuture();
  const std::string error = StartServiceCall(
      service, method, payload, "", "", [promise](const PluginServiceProxyResponse& response) {
        promise->SetValue(runtime_internal::ServiceResult<R>(response));
      });
  if (!error.empty()) promise->SetValue(Fail(Failure(0, error)));
  return future;
}

}  // namespace kiv
