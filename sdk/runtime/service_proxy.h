// service_proxy.h: ServiceProxy, the module's calls of online services
// through the login plugin's service proxy, reached as
// `module.serviceProxy()`.
//
// A call posts to "/kiv-login/v1/service-proxy-uuid-requests" (or the
// method-based twin) and its answer returns later as an event; answers are
// matched to calls by key (the uuid, or "service.method"), also when an
// answer arrives before its call was stored. After Shutdown began, calls
// fail with "Finalizing".
//
// Threads: one lock guards the tables of pending calls, async handlers and
// received answers; callbacks run while it is held (before the logger's
// lock, never after), so they must neither start a call nor wait.
//
// Not for: requests to other plugins' resources (plugin_requests.h).
//
//   auto answer = module.timers().Await(
//       module.serviceProxy().Call<PendingRosterDTO>("joust", "accept", arguments));
//   if (!answer.ok()) return Fail(std::move(answer).takeFailure());   // 400, 500 or the proxy's
#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <type_traits>
#include <unordered_map>

#include "sdk/codec/json_reader.h"
#include "sdk/codec/json_writer.h"
#include "sdk/runtime/named_failure.h"
#include "sdk/runtime/plugin_requests.h"
#include "sdk/runtime/runtime_future.h"
#include "sdk/runtime/runtime_types.h"
#include "sdk/value/conversion_status.h"
#include "sdk/value/maybe_type.h"
#include "sdk/value/native/convert.h"

namespace kiv {

class AppModule;

/// Receives the answer of a backend call, once; runs under the service-proxy
/// lock, so it must neither start another call nor wait.
using ServiceProxyCallback = std::function<void(const PluginServiceProxyResponse& response)>;

namespace runtime_internal {

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

/// The message of a typed call whose answer was empty (code 500).
inline constexpr char kEmptyAnswerMessage[] = "DESERIALIZATION_FAILED";

/// Converts the answer of a call to R under "<value>", through `registry`
/// when R is registered there: success gives the record; a conversion that
/// fails gives code 400 with the conversion's message, or code 500 and
/// kEmptyAnswerMessage when the answer was empty; a failed answer is passed
/// on unchanged. R void only passes the outcome on.
template <typename R>
MaybeType<Failure, R> ConvertAnswer(const TypeRegistry& registry,
                                    MaybeType<Failure, BindingProperty> answer) {
  if (!answer.ok()) return Fail(std::move(answer).takeFailure());
  if constexpr (std::is_void_v<R>) {
    return Ok();
  } else {
    R result{};
    ConversionStatus status;
    runtime_internal::ConvertFromValue(registry, *answer, "<value>", result, status);
    if (status.IsValid()) return result;
    if (answer->IsEmpty()) return Fail(Failure::WithStaticMessage(500, kEmptyAnswerMessage));
    return Fail(Failure(400, std::string(status.Error())));
  }
}

class ServiceProxy {
 public:
  /// Both are borrowed: the module owns its services.
  ServiceProxy(AppModule& module, PluginRequests& requests)
      : module_(module), requests_(requests) {}
  ServiceProxy(const ServiceProxy&) = delete;
  ServiceProxy& operator=(const ServiceProxy&) = delete;

  /// Starts a call of `service`.`method` with `payload` (a native value sent
  /// as JSON). Method-based when `answerMethod` is not empty, else
  /// uuid-based. Returns the empty text when the call started, else why not;
  /// `callback` then is discarded uncalled. A started call's key goes to
  /// `startedKey` when given.
  template <typename T>
  std::string StartServiceCall(const std::string& service, const std::string& method,
                               const T& payload, const std::string& answerMethod,
                               const std::string& extra, ServiceProxyCallback callback,
                               std::string* startedKey = nullptr);
  /// Starts a uuid-based call whose answer fulfils the returned future. R is
  /// void, bool or BindingProperty. Wait for it with Timers::Await.
  template <typename R, typename T>
  Future<MaybeType<Failure, R>> CallService(const std::string& service, const std::string& method,
                                            const T& payload);
  /// A uuid-based call with named arguments whose answer is converted to R by
  /// ConvertAnswer. `arguments` is sent as a structure, so a call without
  /// arguments sends "{}". The call's key goes to `startedKey` when given
  /// (for Forget).
  template <typename R>
  Future<MaybeType<Failure, R>> Call(const std::string& service, const std::string& method,
                                     BindingProperty arguments, std::string* startedKey = nullptr);
  /// Forgets the call started under `key`, whose caller gave up waiting: its
  /// callback is dropped, and so is an answer that still comes for it (the
  /// last kForgottenKept keys forgotten are remembered for that).
  void Forget(const std::string& key);
  /// Calls `handler` for every async service-proxy event of `key`
  /// ("service.method"); it stays registered.
  void SetAsyncServiceHandler(const std::string& key, ServiceProxyCallback handler);

  /// The answer events: a response stored under `key` (uuid events by the
  /// uuid, method events by "service.method") and delivered to its call.
  void OnResponse(const std::string& key, PluginServiceProxyResponse response);
  void OnAsyncResponse(const PluginServiceProxyResponse& response);
  /// Empties the three tables (the module is finalizing).
  void Clear();

 private:
  std::string StartCallJson(const std::string& service, const std::string& method,
                            MaybeType<Failure, std::string> payloadJson,
                            const std::string& answerMethod, const std::string& extra,
                            ServiceProxyCallback callback, std::string* startedKey);
  /// Delivers every received response whose request is pending. Caller holds
  /// lock_.
  void DeliverMatchedLocked();
  const TypeRegistry& Registry() const;
  bool Finalizing() const;

  AppModule& module_;
  PluginRequests& requests_;
  std::mutex lock_;
  std::unordered_map<std::string, ServiceProxyCallback> pendingRequests_;
  std::unordered_map<std::string, ServiceProxyCallback> asyncHandlers_;
  std::unordered_map<std::string, PluginServiceProxyResponse> receivedResponses_;
  /// Hashes of the keys forgotten last, in a ring: a fixed size, so calls
  /// given up for ever cost no memory that grows.
  static constexpr size_t kForgottenKept = 32;
  std::array<size_t, kForgottenKept> forgotten_{};
  size_t nextForgotten_ = 0;
};

template <typename T>
std::string ServiceProxy::StartServiceCall(const std::string& service, const std::string& method,
                                           const T& payload, const std::string& answerMethod,
                                           const std::string& extra, ServiceProxyCallback callback,
                                           std::string* startedKey) {
  if (Finalizing()) return "Finalizing";
  ConversionStatus status;
  BindingProperty value;
  ToValue(payload, value, status);
  if (!status.IsValid()) {
    return StartCallJson(
        service, method,
        Fail(NamedFailure(0, "Failed to convert type {type} to BindingProperty for serialization",
                          {{"type", StaticType::Name<T>()}})),
        answerMethod, extra, std::move(callback), startedKey);
  }
  return StartCallJson(service, method, WriteJson(value), answerMethod, extra, std::move(callback),
                       startedKey);
}

template <typename R, typename T>
Future<MaybeType<Failure, R>> ServiceProxy::CallService(const std::string& service,
                                                        const std::string& method,
                                                        const T& payload) {
  auto promise = std::make_shared<Promise<MaybeType<Failure, R>>>();
  Future<MaybeType<Failure, R>> future = promise->GetFuture();
  const std::string error = StartServiceCall(
      service, method, payload, "", "", [promise](const PluginServiceProxyResponse& response) {
        promise->SetValue(runtime_internal::ServiceResult<R>(response));
      });
  if (!error.empty()) promise->SetValue(Fail(Failure(0, error)));
  return future;
}

template <typename R>
Future<MaybeType<Failure, R>> ServiceProxy::Call(const std::string& service,
                                                 const std::string& method,
                                                 BindingProperty arguments,
                                                 std::string* startedKey) {
  if (!arguments.IsStructure()) arguments.SetEmptyStructure();
  auto promise = std::make_shared<Promise<MaybeType<Failure, R>>>();
  Future<MaybeType<Failure, R>> future = promise->GetFuture();
  const TypeRegistry* registry = &Registry();
  const std::string error = StartServiceCall(
      service, method, arguments, "", "",
      [promise, registry](const PluginServiceProxyResponse& response) {
        promise->SetValue(ConvertAnswer<R>(
            *registry, runtime_internal::ServiceResult<BindingProperty>(response)));
      },
      startedKey);
  if (!error.empty()) promise->SetValue(Fail(Failure(0, error)));
  return future;
}

}  // namespace kiv
