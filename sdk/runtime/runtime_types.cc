#include "sdk/runtime/runtime_types.h"

#include "sdk/registry/register_native.h"

namespace kiv {
namespace {

template <typename T>
bool AddEvent(TypeRegistry& registry, const char* name, const char* description) {
  return registry.RegisterEvent(
      {.name = name, .type = TypeReferenceOf<T>(), .description = description});
}

}  // namespace

bool RegisterRuntimeTypes(TypeRegistry& registry) {
  bool registered = RegisterNative<PluginResourceEventType>(registry);
  registered &= RegisterNative<PluginResourceEvent>(registry);
  registered &= RegisterNative<PluginLcdsEvent>(registry);
  registered &= RegisterNative<PluginLcdsResponse>(registry);
  registered &= RegisterNative<PluginServiceProxyResponse>(registry);
  registered &= RegisterNative<PluginManagerState>(registry);
  registered &= RegisterNative<PluginManagerResource>(registry);
  registered &= AddEvent<PluginResourceEvent>(registry, "OnJsonApiEvent",
                                              "Fired when a resource is changed.");
  registered &= AddEvent<PluginLcdsEvent>(
      registry, "OnLcdsEvent", "Fired when a message is received over the LCDS connection.");
  registered &= AddEvent<PluginServiceProxyResponse>(
      registry, "OnServiceProxyUuidEvent",
      "Fired when a uuid-based service proxy message is received.");
  registered &= AddEvent<PluginServiceProxyResponse>(
      registry, "OnServiceProxyMethodEvent",
      "Fired when a method-based service proxy message is received.");
  registered &= AddEvent<PluginServiceProxyResponse>(
      registry, "OnServiceProxyAsyncEvent",
      "Fired when an async service proxy message is received.");
  return registered;
}

}  // namespace kiv
