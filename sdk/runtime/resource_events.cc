#include "sdk/runtime/resource_events.h"

#include <vector>

#include "sdk/runtime/app_module.h"
#include "sdk/runtime/event_names.h"
#include "sdk/value/native/host_value.h"

namespace kiv {

const TypeRegistry& ResourceEvents::Registry() const { return module_.typeRegistry(); }

void ResourceEvents::Subscribe(const std::string& uri) {
  const std::string name = EventNameOfUri(uri);
  if (++listenerCounts_[name] != 1) return;
  module_.AddRecordEventHandler<PluginResourceEvent>(
      name, 0, [this](const PluginResourceEvent& event) { Dispatch(event); });
}

void ResourceEvents::Unsubscribe(const std::string& uri) {
  const std::string name = EventNameOfUri(uri);
  if (--listenerCounts_[name] != 0) return;
  module_.RemoveEventHandler(name);
}

void ResourceEvents::Dispatch(const PluginResourceEvent& received) {
  PluginResourceEvent event = received;
  if (event.uri.empty() || event.uri.front() != '/') event.uri = "/" + event.uri;
  // Handlers may observe further URIs while they run, so each is copied
  // before it is called.
  if (auto exact = exactHandlers_.find(event.uri); exact != exactHandlers_.end()) {
    ResourceEventHandler handler = exact->second;
    handler(event);
  }
  std::vector<ResourceEventHandler> matching;
  for (const auto& [pattern, handler] : patternHandlers_) {
    if (UriMatchesPattern(pattern, event.uri)) matching.push_back(handler);
  }
  for (const ResourceEventHandler& handler : matching) handler(event);
}

void ResourceEvents::Observe(const std::string& uri, ResourceEventHandler handler) {
  const bool pattern = uri.find('*') != std::string::npos;
  (pattern ? patternHandlers_[uri] : exactHandlers_[uri]) = handler;
  module_.Subscribe(uri);
  if (pattern) return;
  auto current = requests_.Send<BindingProperty>(KIV_METHOD_GET, uri);
  if (!current.ok()) return;
  handler(PluginResourceEvent{uri, PluginResourceEventType::kCreate, std::move(current).take()});
}

void ResourceEvents::PublishDelete(const std::string& uri) {
  DispatchChange(uri, PluginResourceEventType::kDelete, HostValue{});
}

bool ResourceEvents::RecordPublished(const std::string& uri, uint64_t fingerprint) {
  const auto [entry, added] =
      publishedFingerprints_.try_emplace(std::hash<std::string>{}(uri), fingerprint);
  if (!added && entry->second == fingerprint) return false;
  entry->second = fingerprint;
  return true;
}

bool ResourceEvents::PublishDeleteIfPublished(const std::string& uri) {
  if (publishedFingerprints_.erase(std::hash<std::string>{}(uri)) == 0) return false;
  PublishDelete(uri);
  return true;
}

void ResourceEvents::DispatchChange(const std::string& uri, PluginResourceEventType type,
                                    const HostValue& data, const char* baseName) {
  // The event record's members, in key order.
  HostMember members[3]{};
  members[0] = HostMember{"data", data};
  members[1].name = "eventType";
  SetHostEnum(members[1].value, &EnumDescriptionOf<PluginResourceEventType>(),
              static_cast<int32_t>(type));
  members[2].name = "uri";
  SetHostText(members[2].value, uri.c_str(), uri.size());
  HostValue body{};
  SetHostStructure(body, members, 3);
  const std::string name = EventNameOfUri(uri);
  module_.HostDispatchEvent(EventRecord{name.c_str(), body, 0});
  if (name != baseName) module_.HostDispatchEvent(EventRecord{baseName, body, 0});
}

MaybeType<Failure, void> ResourceEvents::SendEvent(std::string_view baseName,
                                                   PluginResourceEvent event) {
  const HostValueTree data(std::move(event.data));
  DispatchChange(event.uri, event.eventType, data.Root(), std::string(baseName).c_str());
  return Ok();
}

void ResourceEvents::Clear() {
  exactHandlers_.clear();
  patternHandlers_.clear();
}

}  // namespace kiv
