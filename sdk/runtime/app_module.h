// app_module.h: the module object behind the plugin's module handle.
//
// One `AppModule` (in this plugin a `JoustPlugin`) is created by the load
// call; the host passes its address back as the first argument of every entry
// point. It owns the plugin's naming, the type registry and API description,
// the host context once initialized, the module's log target, and the runtime
// tables (event handlers, service-proxy requests, timers).
//
// Subclasses override the API registration hook (`RegisterApi`) to declare
// their types and endpoints, and the start hook (`Start`) to begin work.
//
// Not for: holding tournament state; that lives in the subclass's state object.
//
//   class MyPlugin final : public kiv::AppModule {
//     bool Start() override { return true; }
//   };
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "kiv_plugin_abi.h"
#include "sdk/log/plugin_log_target.h"
#include "sdk/registry/type_registry.h"
#include "sdk/rest/api_description_builder.h"
#include "sdk/rest/router.h"
#include "sdk/runtime/plugin_api_version.h"
#include "sdk/runtime/plugin_name.h"

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

  /// Starts listening to change events of a resource URI.
  virtual void Subscribe(const std::string& uri);
  /// Stops listening to change events of a resource URI.
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

  const PluginApiVersion& hostVersion() const { return hostVersion_; }
  const PluginNameRecord& name() const { return name_; }
  const std::string& identifierName() const { return identifierName_; }
  const std::vector<std::string>& endpointTags() const { return endpointTags_; }
  const std::string& logName() const { return logName_; }
  const std::string& userAgent() const { return userAgent_; }
  bool finalizing() const { return finalizing_; }
  const PluginEntryTable& entryTable() const { return entryTable_; }
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
};

}  // namespace kiv
