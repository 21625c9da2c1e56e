#include "host/neighbours/backend_service.h"

namespace kiv::host {

void ScriptedBackendService::Set(const std::string& service, const std::string& method,
                                 ServiceReply reply) {
  replies_[service + "." + method] = std::move(reply);
}

ServiceReply ScriptedBackendService::Call(const ServiceCall& call) {
  calls_.push_back(call);
  const std::string key = call.serviceName + "." + call.methodName;
  const auto found = replies_.find(key);
  if (found != replies_.end()) return found->second;
  if (fallback_) return *fallback_;
  return ServiceReply::Failed("Unknown method " + key);
}

}  // namespace kiv::host
