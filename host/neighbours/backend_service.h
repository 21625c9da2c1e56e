// backend_service.h: the online service behind the login stand-in's service
// proxy, as one interface, and how its answer reaches the plugin.
//
// The login stand-in hands each proxied call (service, method, payload JSON
// text) to a BackendService and delivers the reply's answers as service-proxy
// events. A reply also says how they travel: later on the host clock, before
// the proxy POST has returned, several times, never, or not at all because the
// POST itself fails.
//
// Not for: the tournament logic; a fuller service can be put behind this
// interface later.
//
//   ScriptedBackendService service;
//   service.Set("joust", "getTournaments", ServiceReply::Ok("[]").After(600 * kSecond));
//   service.Set("joust", "kickMember", ServiceReply::Failed("NOT_CAPTAIN"));
//   login.SetService(&service);
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace kiv::host {

struct ServiceCall {
  std::string serviceName;
  std::string methodName;
  std::string payload;  // JSON text, as the plugin sent it
};

/// One service-proxy response; a non-empty `error` makes it a failure.
struct ServiceAnswer {
  std::string payload = "null";
  std::string error;
  std::string status = "OK";
};

struct ServiceReply {
  /// Delivered in order, each as one event; none means never answered.
  std::vector<ServiceAnswer> answers;
  int64_t delayNanoseconds = 0;
  /// Deliver while the plugin is still reading the POST's answer.
  bool beforePostReturns = false;
  /// The POST itself fails with this status and error text; no answer follows.
  std::optional<std::pair<uint32_t, std::string>> postFailure;

  static ServiceReply Ok(std::string payloadJson) {
    return ServiceReply{{ServiceAnswer{std::move(payloadJson), "", "OK"}}};
  }
  static ServiceReply Failed(std::string error) {
    return ServiceReply{{ServiceAnswer{"null", std::move(error), "ERROR"}}};
  }
  static ServiceReply Never() { return ServiceReply{}; }
  static ServiceReply PostFails(uint32_t status, std::string error) {
    ServiceReply reply;
    reply.postFailure.emplace(status, std::move(error));
    return reply;
  }
  ServiceReply After(int64_t nanoseconds) && {
    delayNanoseconds = nanoseconds;
    return std::move(*this);
  }
  ServiceReply BeforePostReturns() && {
    beforePostReturns = true;
    return std::move(*this);
  }
  ServiceReply Then(ServiceAnswer answer) && {
    answers.push_back(std::move(answer));
    return std::move(*this);
  }
};

class BackendService {
 public:
  virtual ~BackendService() = default;
  /// Answers one call; runs inside the plugin's SendRequest, so it must not
  /// call into the plugin.
  virtual ServiceReply Call(const ServiceCall& call) = 0;
};

/// Answers from a table set by tests (or by hand); records every call.
class ScriptedBackendService : public BackendService {
 public:
  /// The reply to every later call of service.method (replacing an earlier one).
  void Set(const std::string& service, const std::string& method, ServiceReply reply);
  /// What unscripted calls get; by default the error "Unknown method service.method".
  void SetFallback(std::optional<ServiceReply> reply) { fallback_ = std::move(reply); }
  ServiceReply Call(const ServiceCall& call) override;
  const std::vector<ServiceCall>& calls() const { return calls_; }

 private:
  std::map<std::string, ServiceReply> replies_;
  std::optional<ServiceReply> fallback_;
  std::vector<ServiceCall> calls_;
};

}  // namespace kiv::host
