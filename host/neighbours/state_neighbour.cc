#include "host/neighbours/state_neighbour.h"

#include "host/host_value_json.h"

namespace kiv::host {

StateNeighbour::StateNeighbour(std::string name, NeighbourContext& context)
    : NeighbourPlugin(std::move(name)), context_(context) {}

bool StateNeighbour::Serve(std::string_view uri, std::string_view json) {
  auto value = JsonToHostValue(json, nullptr);
  if (!value) return false;
  const auto found = states_.find(uri);
  if (found != states_.end()) {
    found->second = std::move(*value);
    return true;
  }
  const std::string key(uri);
  states_.emplace(key, std::move(*value));
  On(KIV_METHOD_GET, key, [this, key](const NeighbourRequest& request) {
    if (auto failed = Failed(request.method, key)) return std::move(*failed);
    const auto& state = states_.find(key)->second;
    if (!state) return NeighbourAnswer::Error(404, "Not Found");
    return NeighbourAnswer::Value(state->Clone());
  });
  return true;
}

bool StateNeighbour::Set(std::string_view uri, std::string_view json) {
  const auto before = states_.find(uri);
  const bool existed = before != states_.end() && before->second.has_value();
  if (before == states_.end()) {
    if (!Serve(uri, json)) return false;
  } else {
    auto value = JsonToHostValue(json, nullptr);
    if (!value) return false;
    before->second = std::move(*value);
  }
  context_.PublishResource(uri, existed ? "Update" : "Create", states_.find(uri)->second->root());
  return true;
}

bool StateNeighbour::Remove(std::string_view uri) {
  const auto found = states_.find(uri);
  if (found == states_.end() || !found->second) return false;
  found->second.reset();
  context_.PublishResource(uri, "Delete", HostValue{});
  return true;
}

std::optional<std::string> StateNeighbour::State(std::string_view uri) const {
  const auto found = states_.find(uri);
  if (found == states_.end() || !found->second) return std::nullopt;
  return HostValueToJson(found->second->root());
}

void StateNeighbour::Accept(uint32_t method, std::string urlTemplate, Effect effect) {
  On(method, std::move(urlTemplate),
     [this, effect = std::move(effect)](const NeighbourRequest& request) {
       if (auto failed = Failed(request.method, request.path)) return std::move(*failed);
       ReceivedRequest received{request.method, request.path, {}};
       for (const RequestArgument& param : request.params) {
         received.paramsJson.push_back(HostValueToJson(param.value.root()));
       }
       received_.push_back(received);
       if (effect) effect(received);
       return NeighbourAnswer::Empty();
     });
}

void StateNeighbour::SetFailure(uint32_t method, std::string path,
                                std::optional<std::pair<uint32_t, std::string>> failure) {
  if (failure) {
    failures_[{method, std::move(path)}] = std::move(*failure);
  } else {
    failures_.erase({method, path});
  }
}

size_t StateNeighbour::CountReceived(uint32_t method, std::string_view path) const {
  size_t count = 0;
  for (const ReceivedRequest& request : received_) {
    count += request.method == method && request.path == path;
  }
  return count;
}

std::optional<NeighbourAnswer> StateNeighbour::Failed(uint32_t method,
                                                      const std::string& path) const {
  const auto found = failures_.find({method, path});
  if (found == failures_.end()) return std::nullopt;
  return NeighbourAnswer::Error(found->second.first, found->second.second);
}

}  // namespace kiv::host
