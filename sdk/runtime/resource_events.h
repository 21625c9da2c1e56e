// resource_events.h: ResourceEvents, the module's side of resource change
// events, reached as `module.events()`: listening to other plugins'
// resources and announcing changes of its own.
//
// Listening is counted per event name ("OnJsonApiEvent_" plus the URI's first
// three segments, five under "kiv-platform-config"): the first subscription
// of a name adds the host listener, the last one removes it. `Observe` takes
// an exact URI (read once at once and reported as "Create") or a pattern
// whose "*" stands for one segment (give patterns three literal segments
// first, since they listen under those). Publishing sends each change under
// its URI's own event name and under "OnJsonApiEvent".
//
// Used only from calls the host makes into the plugin: nothing here locks.
// Handlers may publish and send requests.
//
// Not for: other host events (AppModule::AddEventHandler) or backend answers
// (service_proxy.h).
//
//   module.events().ObserveAs<GameflowSession>("/kiv-gameflow/v1/session",
//       [](const TypedResourceEvent<GameflowSession>& event) { ... });
//   module.events().PublishUpdate("/kiv-joust/v1/player", player);
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>

#include "sdk/runtime/event_names.h"
#include "sdk/runtime/plugin_requests.h"
#include "sdk/runtime/runtime_types.h"
#include "sdk/value/conversion_status.h"
#include "sdk/value/maybe_type.h"
#include "sdk/value/native/host_value_fingerprint.h"
#include "sdk/value/native/native_host_tree.h"

namespace kiv {

class AppModule;

/// Receives a change event of an observed resource.
using ResourceEventHandler = std::function<void(const PluginResourceEvent& event)>;

/// A resource change event whose data was converted to a native T (a default
/// T for a deletion).
template <typename T>
struct TypedResourceEvent {
  std::string uri;
  PluginResourceEventType eventType = PluginResourceEventType::kCreate;
  T data{};
};

class ResourceEvents {
 public:
  /// Both are borrowed: the module owns its services.
  ResourceEvents(AppModule& module, PluginRequests& requests)
      : module_(module), requests_(requests) {}
  ResourceEvents(const ResourceEvents&) = delete;
  ResourceEvents& operator=(const ResourceEvents&) = delete;

  /// Counts a subscription of the URI's event name; the first one adds the
  /// host listener.
  void Subscribe(const std::string& uri);
  /// Drops one subscription; the last one of its event name removes the host
  /// listener. Pair every call with an earlier Subscribe.
  void Unsubscribe(const std::string& uri);

  /// Calls `handler` for changes of `uri` (an exact URI, or a pattern with
  /// "*"), replacing an earlier handler of that URI; for an exact URI it also
  /// reads the resource now and reports it as "Create" when the read works.
  void Observe(const std::string& uri, ResourceEventHandler handler);
  /// As Observe, with the data converted to T; a "Create" or "Update" whose
  /// data does not convert is not reported.
  template <typename T>
  void ObserveAs(const std::string& uri, std::function<void(const TypedResourceEvent<T>&)> handler);

  /// Announces the new value of one of the plugin's resources.
  template <typename T>
  void PublishUpdate(const std::string& uri, const T& value);
  /// Announces that one of the plugin's resources is gone.
  void PublishDelete(const std::string& uri);

  /// Publication by difference: announces the value of `uri` only when it
  /// differs from the one this call last announced there (compared by
  /// fingerprint, host_value_fingerprint.h); true when it announced it.
  template <typename T>
  bool PublishIfChanged(const std::string& uri, const T& value);
  /// Announces that `uri` is gone when PublishIfChanged announced a value
  /// there since its last deletion; true when it announced it.
  bool PublishDeleteIfPublished(const std::string& uri);
  /// Dispatches `event` under its URI's event name and, when that differs,
  /// under `baseName` too.
  MaybeType<Failure, void> SendEvent(std::string_view baseName, PluginResourceEvent event);

  /// Forgets every handler (the module is finalizing). Listener counts stay:
  /// the host may still deliver events it holds.
  void Clear();

 private:
  void Dispatch(const PluginResourceEvent& event);
  /// Dispatches the event record of a change of `uri` under its URI's event
  /// name and, when that differs, under `baseName` too.
  void DispatchChange(const std::string& uri, PluginResourceEventType type, const HostValue& data,
                      const char* baseName = kResourceEventName);
  const TypeRegistry& Registry() const;
  /// Records `fingerprint` as that of the value last announced at `uri`;
  /// false when it was that already.
  bool RecordPublished(const std::string& uri, uint64_t fingerprint);

  AppModule& module_;
  PluginRequests& requests_;
  std::unordered_map<std::string, int> listenerCounts_;
  std::unordered_map<std::string, ResourceEventHandler> exactHandlers_;
  std::map<std::string, ResourceEventHandler> patternHandlers_;  ///< Called in key order.
  /// The fingerprint of the value last announced per URI, keyed by the URI's
  /// hash: a few dozen bytes per resource instead of a copy of it.
  std::unordered_map<uint64_t, uint64_t> publishedFingerprints_;
};

template <typename T>
void ResourceEvents::ObserveAs(const std::string& uri,
                               std::function<void(const TypedResourceEvent<T>&)> handler) {
  Observe(uri, [this, handler = std::move(handler)](const PluginResourceEvent& event) {
    TypedResourceEvent<T> typed{event.uri, event.eventType, T{}};
    if (event.eventType != PluginResourceEventType::kDelete) {
      ConversionStatus status;
      runtime_internal::ConvertFromValue(Registry(), event.data, "<value>", typed.data, status);
      if (!status.IsValid()) return;
    }
    handler(typed);
  });
}

template <typename T>
bool ResourceEvents::PublishIfChanged(const std::string& uri, const T& value) {
  // The fingerprint is taken from the value itself: an unchanged value
  // costs one walk over it and builds no host form.
  if (!RecordPublished(uri, NativeFingerprint(value))) return false;
  const NativeHostTree data(value);
  DispatchChange(uri, PluginResourceEventType::kUpdate, data.Root());
  return true;
}

template <typename T>
void ResourceEvents::PublishUpdate(const std::string& uri, const T& value) {
  // Written straight into the host's records: the value outlives the dispatch.
  const NativeHostTree data(value);
  DispatchChange(uri, PluginResourceEventType::kUpdate, data.Root());
}

}  // namespace kiv
