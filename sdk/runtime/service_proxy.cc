#include "sdk/runtime/service_proxy.h"
#include "sdk/log/log_groups.h"
#include "sdk/log/log_level.h"
#include "sdk/log/logger.h"
#include "sdk/runtime/app_module.h"

namespace kiv {
namespace {

constexpr char kUuidRequestUri[] = "/kiv-login/v1/service-proxy-uuid-requests";
constexpr char kMethodRequestUri[] = "/kiv-login/v1/service-proxy-method-requests";

std::string CallKey(const std::string& service, const std::string& method) {
  return service + "." + method;
}

uint64_t HandleWord(void* handle) { return reinterpret_cast<uintptr_t>(handle); }

}  // namespace

const TypeRegistry& ServiceProxy::Registry() const { return module_.typeRegistry(); }
bool ServiceProxy::Finalizing() const { return module_.finalizing(); }

std::string ServiceProxy::StartCallJson(const std::string& service, const std::string& method,
                                        MaybeType<Failure, std::string> payloadJson,
                                        const std::string& answerMethod, const std::string& extra,
                                        ServiceProxyCallback callback, std::string* startedKey) {
  if (Finalizing()) return "Finalizing";
  if (!payloadJson.ok()) return payloadJson.failure().ToString();
  const std::string callName = CallKey(service, method);
  Log(kLogAlways, kGroupDbg, "%s: Preparing service proxy request: %s", module_.logName().c_str(),
      callName.c_str());
  std::string key;
  if (!answerMethod.empty()) {
    key = CallKey(service, answerMethod);
    bool inFlight = false;
    {
      std::lock_guard guard(lock_);
      inFlight = pendingRequests_.count(key) != 0;
    }
    if (inFlight) {
      Log(kLogError, kGroupDbg,
          "%s: Could not invoke service proxy as request is already in flight",
          module_.logName().c_str());
      return "Request already in flight";
    }
    auto posted =
        requests_.Send<void>(KIV_METHOD_POST, kMethodRequestUri, service, method, answerMethod,
                             extra, HandleWord(module_.pluginHandle()), *payloadJson);
    if (!posted.ok()) return posted.failure().ToString();
  } else {
    auto uuid = requests_.Send<std::string>(KIV_METHOD_POST, kUuidRequestUri, service, method,
                                            HandleWord(module_.pluginHandle()), *payloadJson);
    if (!uuid.ok()) return uuid.failure().ToString();
    key = std::move(uuid).take();
  }
  Log(kLogAlways, kGroupDbg, "%s: Started service proxy request: %s (%s)",
      module_.logName().c_str(), callName.c_str(), key.c_str());
  if (startedKey) *startedKey = key;
  std::lock_guard guard(lock_);
  pendingRequests_[key] = std::move(callback);
  DeliverMatchedLocked();
  return "";
}

void ServiceProxy::Forget(const std::string& key) {
  std::lock_guard guard(lock_);
  pendingRequests_.erase(key);
  if (receivedResponses_.erase(key) != 0) return;
  forgotten_[nextForgotten_] = std::hash<std::string>{}(key);
  nextForgotten_ = (nextForgotten_ + 1) % kForgottenKept;
}

void ServiceProxy::OnResponse(const std::string& key, PluginServiceProxyResponse response) {
  std::lock_guard guard(lock_);
  if (const size_t hash = std::hash<std::string>{}(key); hash != 0) {
    for (size_t& forgotten : forgotten_) {
      if (forgotten != hash) continue;
      forgotten = 0;  // an answer comes once
      return;
    }
  }
  receivedResponses_[key] = std::move(response);
  DeliverMatchedLocked();
}

void ServiceProxy::OnAsyncResponse(const PluginServiceProxyResponse& response) {
  const std::string key = CallKey(response.serviceName, response.methodName);
  std::lock_guard guard(lock_);
  auto handler = asyncHandlers_.find(key);
  if (handler == asyncHandlers_.end()) {
    Log(kLogError, kGroupDbg,
        "%s: Could not find registered handler for async service proxy event %s",
        module_.logName().c_str(), key.c_str());
    return;
  }
  handler->second(response);
}

void ServiceProxy::SetAsyncServiceHandler(const std::string& key, ServiceProxyCallback handler) {
  std::lock_guard guard(lock_);
  asyncHandlers_[key] = std::move(handler);
}

void ServiceProxy::DeliverMatchedLocked() {
  for (auto received = receivedResponses_.begin(); received != receivedResponses_.end();) {
    auto pending = pendingRequests_.find(received->first);
    if (pending == pendingRequests_.end()) {
      ++received;
      continue;
    }
    // Both entries leave the tables before the callback runs, so a callback
    // never sees its own request still pending.
    const ServiceProxyCallback callback = std::move(pending->second);
    const PluginServiceProxyResponse response = std::move(received->second);
    const std::string key = received->first;
    pendingRequests_.erase(pending);
    received = receivedResponses_.erase(received);
    callback(response);
    Log(kLogAlways, kGroupDbg, "%s: Fulfilled service proxy request: %s", module_.logName().c_str(),
        key.c_str());
  }
}

void ServiceProxy::Clear() {
  std::lock_guard guard(lock_);
  pendingRequests_.clear();
  asyncHandlers_.clear();
  receivedResponses_.clear();
}

}  // namespace kiv
