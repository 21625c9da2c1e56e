// login_neighbour.h: the stand-in of the login plugin: the login session and
// the two service-proxy resources through which the plugin reaches online
// services.
//
// Resources:
//  - GET "/kiv-login/v1/session": the session set with SetSession.
//  - POST "/kiv-login/v1/service-proxy-uuid-requests" with (service, method,
//    plugin handle, payload): answers a fresh uuid text; the service's answers
//    follow as "OnServiceProxyUuidEvent" carrying that uuid.
//  - POST "/kiv-login/v1/service-proxy-method-requests" with (service, method,
//    answer method, extra, plugin handle, payload): answers an empty body; the
//    answers follow as "OnServiceProxyMethodEvent" under the answer method.
// Event bodies hold the texts "uuid", "serviceName", "methodName", "payload",
// "status" and "error". A reply delivered "before the POST returns" is queued
// at once and the uuid is streamed in two short reads, so the plugin yields
// (and takes the event) while it is still reading the POST's answer.
//
// Not for: the service's own behaviour (backend_service.h).
//
//   LoginNeighbour& login = host.login();
//   login.SetService(&service);
//   login.SetSession(R"({"state":"SUCCEEDED","summonerId":42})");
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "host/neighbour.h"
#include "host/neighbours/backend_service.h"
#include "host/owned_host_value.h"

namespace kiv::host {

inline constexpr char kLoginSessionUri[] = "/kiv-login/v1/session";
inline constexpr char kServiceProxyUuidUri[] = "/kiv-login/v1/service-proxy-uuid-requests";
inline constexpr char kServiceProxyMethodUri[] = "/kiv-login/v1/service-proxy-method-requests";
inline constexpr char kServiceProxyUuidEvent[] = "OnServiceProxyUuidEvent";
inline constexpr char kServiceProxyMethodEvent[] = "OnServiceProxyMethodEvent";

class LoginNeighbour : public NeighbourPlugin {
 public:
  /// `context` must outlive this stand-in.
  explicit LoginNeighbour(NeighbourContext& context);

  /// The service behind the proxy; not owned, must outlive its use. Null
  /// restores the built-in one, which fails every call as unknown.
  void SetService(BackendService* service);
  /// Replaces the session and announces it as an "Update" of the session
  /// resource (unless `announce` is false, for the state a host starts
  /// with). A bad JSON text leaves the session unchanged and returns false.
  bool SetSession(std::string_view json, bool announce = true);
  /// The uuid the next uuid-based call will get.
  std::string NextUuid() const;

 private:
  NeighbourAnswer UuidRequest(const NeighbourRequest& request);
  NeighbourAnswer MethodRequest(const NeighbourRequest& request);
  void Deliver(const std::string& eventName, const std::string& uuid, const ServiceCall& call,
               const std::string& answerMethod, const ServiceReply& reply);

  NeighbourContext& context_;
  ScriptedBackendService builtIn_;
  BackendService* service_;
  OwnedHostValue session_;
  uint64_t uuidCounter_ = 0;
};

}  // namespace kiv::host
