#include "host/neighbour.h"

#include <cstring>

#include "host/host_value_json.h"
#include "host/resource_event.h"

namespace kiv::host {

NeighbourAnswer NeighbourAnswer::Value(OwnedHostValue body) {
  NeighbourAnswer answer;
  answer.body = std::move(body);
  return answer;
}

NeighbourAnswer NeighbourAnswer::Json(std::string_view json) {
  std::string error;
  auto body = JsonToHostValue(json, &error);
  if (!body) return Error(500, "Stand-in answer is not JSON: " + error);
  return Value(std::move(*body));
}

NeighbourAnswer NeighbourAnswer::Text(std::string_view text) { return Value(MakeTextValue(text)); }

NeighbourAnswer NeighbourAnswer::Empty() { return NeighbourAnswer{}; }

NeighbourAnswer NeighbourAnswer::Error(uint32_t status, std::string text) {
  NeighbourAnswer answer;
  answer.status = status;
  answer.error = std::move(text);
  return answer;
}

NeighbourAnswer NeighbourAnswer::Streamed(StreamPlan plan) {
  NeighbourAnswer answer;
  answer.stream = std::move(plan);
  return answer;
}

const HostValue& NeighbourRequest::Param(size_t index) const {
  static const HostValue kEmpty{};
  return index < params.size() ? params[index].value.root() : kEmpty;
}

std::optional<std::string> NeighbourRequest::TextParam(size_t index) const {
  const HostValue& value = Param(index);
  if (value.tag != KIV_VALUE_TEXT && value.tag != KIV_VALUE_TEXT_ALT) return std::nullopt;
  const char* data = value.u.text.data ? value.u.text.data : "";
  return std::string(data, strnlen(data, value.u.text.size));
}

void NeighbourContext::PublishResource(std::string_view uri, std::string_view eventType,
                                       const HostValue& data) {
  const std::string name = ResourceEventName(uri);
  FireEvent(name, ResourceEventBody(uri, eventType, data), 0);
  if (name != kResourceEventBase) {
    FireEvent(kResourceEventBase, ResourceEventBody(uri, eventType, data), 0);
  }
}

void NeighbourPlugin::On(uint32_t method, std::string urlTemplate, ResourceHandler handler) {
  for (size_t i = 0; i < declared_.size(); ++i) {
    if (declared_[i].first == method && declared_[i].second == urlTemplate) {
      handlers_[i] = std::move(handler);
      return;
    }
  }
  declared_.emplace_back(method, urlTemplate);
  routes_.Add(method, "", std::move(urlTemplate));
  handlers_.push_back(std::move(handler));
}

std::optional<NeighbourAnswer> NeighbourPlugin::Handle(NeighbourRequest& request) const {
  auto hit = routes_.Find(request.method, "", request.path);
  if (!hit) return std::nullopt;
  request.captures = std::move(hit->captures);
  return handlers_[hit->index](request);
}

NeighbourPlugin& Neighbourhood::Add(std::unique_ptr<NeighbourPlugin> neighbour) {
  return *neighbours_.emplace_back(std::move(neighbour));
}

NeighbourPlugin& Neighbourhood::AddInFront(std::unique_ptr<NeighbourPlugin> neighbour) {
  return **neighbours_.insert(neighbours_.begin(), std::move(neighbour));
}

NeighbourPlugin* Neighbourhood::Find(std::string_view name) const {
  for (const auto& neighbour : neighbours_) {
    if (neighbour->name() == name) return neighbour.get();
  }
  return nullptr;
}

NeighbourAnswer Neighbourhood::Handle(NeighbourRequest& request) const {
  if (interceptor_) {
    if (auto answer = interceptor_(request)) return std::move(*answer);
  }
  for (const auto& neighbour : neighbours_) {
    if (auto answer = neighbour->Handle(request)) return std::move(*answer);
  }
  return NeighbourAnswer::Error(404, "Not Found");
}

}  // namespace kiv::host
