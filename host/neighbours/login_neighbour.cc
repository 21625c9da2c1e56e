#include "host/neighbours/login_neighbour.h"

#include <cstdio>
#include <memory>

#include "host/host_value_json.h"

namespace kiv::host {
namespace {

constexpr char kDefaultSession[] = R"({"state":"SUCCEEDED","summonerId":1000001})";

std::string UuidFor(uint64_t counter) {
  char text[40];
  std::snprintf(text, sizeof text, "00000000-0000-4000-8000-%012llx",
                static_cast<unsigned long long>(counter));
  return text;
}

}  // namespace

LoginNeighbour::LoginNeighbour(NeighbourContext& context)
    : NeighbourPlugin("login"), context_(context), service_(&builtIn_) {
  session_ = std::move(*JsonToHostValue(kDefaultSession, nullptr));
  On(KIV_METHOD_GET, kLoginSessionUri,
     [this](const NeighbourRequest&) { return NeighbourAnswer::Value(session_.Clone()); });
  On(KIV_METHOD_POST, kServiceProxyUuidUri,
     [this](const NeighbourRequest& request) { return UuidRequest(request); });
  On(KIV_METHOD_POST, kServiceProxyMethodUri,
     [this](const NeighbourRequest& request) { return MethodRequest(request); });
}

void LoginNeighbour::SetService(BackendService* service) {
  service_ = service ? service : &builtIn_;
}

bool LoginNeighbour::SetSession(std::string_view json, bool announce) {
  auto session = JsonToHostValue(json, nullptr);
  if (!session) return false;
  session_ = std::move(*session);
  if (announce) context_.PublishResource(kLoginSessionUri, "Update", session_.root());
  return true;
}

std::string LoginNeighbour::NextUuid() const { return UuidFor(uuidCounter_ + 1); }

NeighbourAnswer LoginNeighbour::UuidRequest(const NeighbourRequest& request) {
  auto service = request.TextParam(0);
  auto method = request.TextParam(1);
  auto payload = request.TextParam(3);
  if (!service || !method || !payload) {
    return NeighbourAnswer::Error(400, "Expected service, method, plugin handle and payload");
  }
  const ServiceCall call{*service, *method, *payload};
  const ServiceReply reply = service_->Call(call);
  if (reply.postFailure) {
    return NeighbourAnswer::Error(reply.postFailure->first, reply.postFailure->second);
  }
  const std::string uuid = UuidFor(++uuidCounter_);
  Deliver(kServiceProxyUuidEvent, uuid, call, call.methodName, reply);
  if (!reply.beforePostReturns) return NeighbourAnswer::Text(uuid);
  // The first read is short and promises more, so the plugin yields to the
  // host (and takes the queued answer) before it has the uuid in hand.
  return NeighbourAnswer::Streamed(StreamPlan{"\"" + uuid + "\"", {1, 4096}, -1});
}

NeighbourAnswer LoginNeighbour::MethodRequest(const NeighbourRequest& request) {
  auto service = request.TextParam(0);
  auto method = request.TextParam(1);
  auto answerMethod = request.TextParam(2);
  auto payload = request.TextParam(5);
  if (!service || !method || !answerMethod || !payload) {
    return NeighbourAnswer::Error(
        400, "Expected service, method, answer method, extra, plugin handle and payload");
  }
  const ServiceCall call{*service, *method, *payload};
  const ServiceReply reply = service_->Call(call);
  if (reply.postFailure) {
    return NeighbourAnswer::Error(reply.postFailure->first, reply.postFailure->second);
  }
  Deliver(kServiceProxyMethodEvent, "", call, *answerMethod, reply);
  return NeighbourAnswer::Empty();
}

void LoginNeighbour::Deliver(const std::string& eventName, const std::string& uuid,
                             const ServiceCall& call, const std::string& answerMethod,
                             const ServiceReply& reply) {
  if (reply.answers.empty()) return;  // never answered
  auto bodies = std::make_shared<std::vector<OwnedHostValue>>();
  for (const ServiceAnswer& answer : reply.answers) {
    bodies->push_back(MakeTextStructure({{"uuid", uuid},
                                         {"serviceName", call.serviceName},
                                         {"methodName", answerMethod},
                                         {"payload", answer.payload},
                                         {"status", answer.status},
                                         {"error", answer.error}}));
  }
  auto fire = [this, eventName, bodies] {
    for (OwnedHostValue& body : *bodies) context_.FireEvent(eventName, std::move(body), 0);
  };
  if (reply.beforePostReturns) {
    fire();
  } else {
    context_.Later("Answer: " + call.serviceName + "." + call.methodName, reply.delayNanoseconds,
                   std::move(fire));
  }
}

}  // namespace kiv::host
