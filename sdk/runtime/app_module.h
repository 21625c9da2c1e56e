// app_module.h: the module object behind the plugin's module handle.
//
// One `AppModule` (in this plugin a `JoustPlugin`) is created by the load
// call; the host passes its address back as the first argument of every entry
// point. It owns the plugin's naming, the type registry and API description,
// the host context once initialized, the module's log target, and the runtime
// tables (event handlers, service-proxy requests, timers).
//
// Once initialized it offers the runtime's services, each a unit of its own
// reached from the module: requests to other plugins (`requests()`,
// plugin_requests.h), resource events (`events()`, resource_events.h), timers
// and waiting (`timers()`, timers.h), and backend calls through the login
// plugin's service proxy (`serviceProxy()`, service_proxy.h).
//
// Subclasses override the API registration hook (`RegisterApi`) to declare
// their types and endpoints, and the start hook (`Start`) to begin work.
//
// Not for: holding tournament state; that lives in the subclass's state object.
//
//   class MyPlugin final : public kiv::AppModule {
//     bool Start() override {
//       events().Observe("/kiv-login/v1/session", [](const PluginResourceEvent& e) { ... });
//       timers().SetTimer("refresh", 60.0, [this] {
//         auto r = timers().Await(serviceProxy().CallService<void>("joust", "ping", 0));
//       });
//       return true;
//     }
//   };
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "kiv_plugin_abi.h"
#include "sdk/log/plugin_log_target.h"
#include "sdk/registry/type_registry.h"
#include "sdk/rest/api_description_builder.h"
#include "sdk/rest/router.h"
#include "sdk/runtime/plugin_api_version.h"
#include "sdk/runtime/plugin_name.h"
#include "sdk/runtime/plugin_requests.h"
#include "sdk/runtime/resource_events.h"
#include "sdk/runtime/runtime_types.h"
#include "sdk/runtime/service_proxy.h"
#include "sdk/runtime/timers.h"
#include "sdk/value/failure.h"
#include "sdk/value/maybe_type.h"
#include "sdk/value/native/host_value.h"

namespace kiv {

/// Called with the body of an event the module listens to; the body is
/// borrowed for the duration of the call.
using HostEventHandler = std::function<void(const HostValue& body)>;

class AppModule {
 public:
  AppModule();
  AppModule(const AppModule&) = delete;
  AppModule& operator=(const AppModule&) = delete;

  // Virtual operations, in their fixed slot order.

  /// Starts listening to change events of a resource URI: counted per event
  /// name; the first subscription of a name adds the host listener.
  virtual void Subscribe(const std::string& uri);
  /// Drops one subscription of a resource URI; the last one of its event name
  /// removes the host listener. Pair every call with an earlier Subscribe.
  virtual void Unsubscribe(const std::string& uri);
  virtual ~AppModule();
  /// Removes every event listener at the host and clears the runtime tables.
  virtual void Finalize();
  virtual void HostSendRequest(ResponseRecord& response, const RequestRecord& request);
  virtual void HostReserved();
  virtual void HostDispatchEvent(const EventRecord& event);
  virtual void HostAddEventListener(const char* name, EventCallback callback, void* userData,
                                    uint32_t flags);
  virtual void HostRemoveEventListener(const char* name);
  virtual void HostScheduleCallback(const char* label, void (*callback)(void*), void* userData,
                                    double delaySeconds);
  virtual void HostPumpOnce();
  virtual void HostBeginWait(const char* label);
  virtual void HostEndWait();
  /// Declares the module's types and endpoints; empty here.
  virtual void RegisterApi();
  /// Starts the module's own work once the host is there; true here.
  virtual bool Start();

  // Entry points (the host reaches them through the entry table).

  /// Runs the start-up sequence and returns the start hook's result.
  bool Initialize(const HostContext& context);
  /// Runs the shutdown sequence and destroys the module.
  static void Shutdown(AppModule* module);

  /// The handshake and registration of the load call: aborts the process when
  /// the host's version is incompatible; otherwise fills the module and writes
  /// the out-fields of `record`. The module then belongs to the host's handle.
  void Load(PluginLoadRecord& record, std::string_view shortName);

  /// Listens to the host event `name` (flags 0 for resource events, 1 for the
  /// service-proxy events); the handler replaces an earlier one of that name.
  void AddEventHandler(const std::string& name, uint32_t flags, HostEventHandler handler);
  /// As AddEventHandler, with the body decoded as the record T; events whose
  /// body does not convert are dropped silently.
  template <typename T>
  void AddRecordEventHandler(const std::string& name, uint32_t flags,
                             std::function<void(const T&)> handler);
  /// Stops listening to the host event `name`.
  void RemoveEventHandler(const std::string& name);

  /// The runtime's services; usable once the host has called Initialize.
  PluginRequests& requests() { return *requests_; }
  ResourceEvents& events() { return *events_; }
  Timers& timers() { return *timers_; }
  ServiceProxy& serviceProxy() { return *serviceProxy_; }

  const PluginApiVersion& hostVersion() const { return hostVersion_; }
  const PluginNameRecord& name() const { return name_; }
  const std::string& identifierName() const { return identifierName_; }
  const std::vector<std::string>& endpointTags() const { return endpointTags_; }
  const std::string& logName() const { return logName_; }
  const std::string& userAgent() const { return userAgent_; }
  bool finalizing() const { return finalizing_; }
  const PluginEntryTable& entryTable() const { return entryTable_; }
  /// The host's opaque handle of this plugin; null before Initialize.
  void* pluginHandle() const { return pluginHandle_; }
  /// The host's function table; null before Initialize.
  HostApi* hostApi() const { return hostContext_ ? hostContext_->api : nullptr; }
  /// The module's type registry: created with the module, released with it.
  TypeRegistry& typeRegistry() { return *typeRegistry_; }
  const TypeRegistry& typeRegistry() const { return *typeRegistry_; }
  /// The module's endpoints; declare them in RegisterApi. Created at load,
  /// once the names and tags are known.
  Router& router() { return *router_; }
  /// The description handed to the host; built at load, after RegisterApi.
  const ApiDescription& apiDescription() const { return apiDescription_->Description(); }

 private:
  static void OnHostEvent(const char* name, const HostValue* body, uint32_t flags, void* userData);

  PluginEntryTable entryTable_;
  PluginApiVersion hostVersion_;
  PluginNameRecord name_;
  std::string identifierName_;
  std::vector<std::string> endpointTags_;
  std::unique_ptr<TypeRegistry> typeRegistry_;
  std::unique_ptr<Router> router_;
  std::unique_ptr<ApiDescriptionStorage> apiDescription_;
  const HostContext* hostContext_ = nullptr;
  void* pluginHandle_ = nullptr;
  std::string logName_;
  std::string userAgent_;
  std::unique_ptr<PluginLogTarget> logTarget_;
  bool finalizing_ = false;
  std::map<std::string, HostEventHandler> eventHandlers_;
  std::unique_ptr<PluginRequests> requests_;
  std::unique_ptr<ResourceEvents> events_;
  std::unique_ptr<Timers> timers_;
  std::unique_ptr<ServiceProxy> serviceProxy_;
};

template <typename T>
void AppModule::AddRecordEventHandler(const std::string& name, uint32_t flags,
                                      std::function<void(const T&)> handler) {
  AddEventHandler(name, flags, [this, handler = std::move(handler)](const HostValue& body) {
    ConversionStatus status;
    const BindingProperty value = HostValueToProperty(body, "<result>", status);
    T record{};
    runtime_internal::ConvertFromValue(typeRegistry(), value, "<result>", record, status);
    if (status.IsValid()) handler(record);
  });
}

}  // namespace kiv
