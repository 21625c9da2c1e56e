// runtime_types.h: the records the runtime itself exchanges with the host and
// other plugins (resource change events, the service-proxy response, the LCDS
// event and response, the plugin manager's resource), and their registration
// together with the runtime's event catalogue.
//
// Not for: the plugin's own records; those are registered by the module's
// API registration hook.
//
//   PluginResourceEvent event{"/kiv-joust/v1/player", PluginResourceEventType::kUpdate, data};
//   ConversionStatus status;
//   BindingProperty value = ToValue(event, status);   // {"data":..,"eventType":..,"uri":..}
//   RegisterRuntimeTypes(registry);                   // once per module, at load
#pragma once

#include <cstdint>
#include <string>

#include "sdk/value/binding_property.h"
#include "sdk/value/conversion_status.h"
#include "sdk/value/native/enum_descriptor.h"
#include "sdk/value/native/record_descriptor.h"

namespace kiv {

class TypeRegistry;

enum class PluginResourceEventType : int32_t { kCreate = 0, kUpdate = 1, kDelete = 2 };

/// The change event of a resource; `data` is empty for a deletion.
struct PluginResourceEvent {
  std::string uri;
  PluginResourceEventType eventType = PluginResourceEventType::kCreate;
  BindingProperty data;
};

struct PluginLcdsEvent {
  std::string clientId;
  std::string subtopic;
  std::string typeName;
  BindingProperty body;
};

struct PluginLcdsResponse {
  std::string typeName;
  BindingProperty body;
};

/// The answer of a backend call; a non-empty `error` makes it a failure.
struct PluginServiceProxyResponse {
  std::string uuid;
  std::string serviceName;
  std::string methodName;
  std::string payload;  ///< JSON text.
  std::string status;
  std::string error;
};

enum class PluginManagerState : int32_t { kNotReady = 0, kPluginsInitialized = 1 };

struct PluginManagerResource {
  PluginManagerState state = PluginManagerState::kNotReady;
};

template <>
inline constexpr auto kEnum<PluginResourceEventType> = Enum<PluginResourceEventType>(
    "PluginResourceEventType", {{"Create", 0}, {"Update", 1}, {"Delete", 2}});

template <>
inline constexpr auto kRecord<PluginResourceEvent> = Record<PluginResourceEvent>(
    "PluginResourceEvent", Field("uri", &PluginResourceEvent::uri),
    Field("eventType", &PluginResourceEvent::eventType), Field("data", &PluginResourceEvent::data));

template <>
inline constexpr auto kRecord<PluginLcdsEvent> = Record<PluginLcdsEvent>(
    "PluginLcdsEvent", Field("clientId", &PluginLcdsEvent::clientId),
    Field("subtopic", &PluginLcdsEvent::subtopic), Field("typeName", &PluginLcdsEvent::typeName),
    Field("body", &PluginLcdsEvent::body));

template <>
inline constexpr auto kRecord<PluginLcdsResponse> = Record<PluginLcdsResponse>(
    "PluginLcdsResponse", Field("typeName", &PluginLcdsResponse::typeName),
    Field("body", &PluginLcdsResponse::body));

template <>
inline constexpr auto kRecord<PluginServiceProxyResponse> = Record<PluginServiceProxyResponse>(
    "PluginServiceProxyResponse", Field("uuid", &PluginServiceProxyResponse::uuid),
    Field("serviceName", &PluginServiceProxyResponse::serviceName),
    Field("methodName", &PluginServiceProxyResponse::methodName),
    Field("payload", &PluginServiceProxyResponse::payload),
    Field("status", &PluginServiceProxyResponse::status),
    Field("error", &PluginServiceProxyResponse::error));

template <>
inline constexpr auto kEnum<PluginManagerState> =
    Enum<PluginManagerState>("PluginManagerState", {{"NotReady", 0}, {"PluginsInitialized", 1}});

template <>
inline constexpr auto kRecord<PluginManagerResource> = Record<PluginManagerResource>(
    "PluginManagerResource", Field("state", &PluginManagerResource::state));

/// Registers the records above and the events "OnJsonApiEvent", "OnLcdsEvent",
/// "OnServiceProxyUuidEvent", "OnServiceProxyMethodEvent" and
/// "OnServiceProxyAsyncEvent". False if the registry refused any of them.
bool RegisterRuntimeTypes(TypeRegistry& registry);

}  // namespace kiv
