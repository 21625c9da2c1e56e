// AppModule: resource events (subscriptions, observers, publishing).
#include "sdk/runtime/app_module.h"
#include "sdk/runtime/event_names.h"
#include "sdk/value/conversion_status.h"
#include "sdk/value/native/host_value.h"

namespace kiv {

void AppModule::Subscribe(const std::string& uri) {
  const std::string name = EventNameOfUri(uri);
  if (++listenerCounts_[name] != 1) return;
  AddRecordEventHandler<PluginResourceEvent>(
      name, 0, [this](const PluginResourceEvent& event) { DispatchResourceEvent(event); });
}

void AppModule::Unsubscribe(const std::string& uri) {
  const std::string name = EventNameOfUri(uri);
  if (--listenerCounts_[name] != 0) return;
  HostRemoveEventListener(name.c_str());
  eventHandlers_.erase(name);
}

void AppModule::DispatchResourceEvent(const PluginResourceEvent& received) {
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

void AppModule::Observe(const std::string& uri, ResourceEventHandler handler) {
  const bool pattern = uri.find('*') != std::string::npos;
  (pattern ? patternHandlers_[uri] : exactHandlers_[uri]) = handler;
  Subscribe(uri);
  if (pattern) return;
  auto current = Send<BindingProperty>(KIV_METHOD_GET, uri);
  if (!current.ok()) return;
  handler(PluginResourceEvent{uri, PluginResourceEventType::kCreate, std::move(current).take()});
}

void AppModule::PublishDelete(const std::string& uri) {
  (void)SendEvent(kResourceEventName,
                  PluginResourceEvent{uri, PluginResourceEventType::kDelete, BindingProperty()});
}

MaybeType<Failure, void> AppModule::SendEvent(std::string_view baseName,
                                              const PluginResourceEvent& event) {
  ConversionStatus status;
  BindingProperty value;
  typeRegistry().ToValueById(StaticType::Id<PluginResourceEvent>(), &event, value, status);
  if (!status.IsValid()) return Fail(Failure(0, std::string(status.Error())));
  const std::string name = EventNameOfUri(event.uri);
  const HostValueTree body(std::move(value));
  HostDispatchEvent(EventRecord{name.c_str(), body.Root(), 0});
  if (name != baseName) {
    const std::string base(baseName);
    HostDispatchEvent(EventRecord{base.c_str(), body.Root(), 0});
  }
  return Ok();
}

}  // namespace kiv
