// app_module.h: the module object behind the plugin's module handle.
//
// One `AppModule` (in this plugin a `JoustPlugin`) is created by the load
// call; the host passes its address back as the first argument of every entry
// point. It owns the plugin's naming, the type registry and API description,
// the host context once initialized, the module's log target, and the runtime
// tables (event handlers, service-proxy requests, timers).
//
// Once initialized it offers the runtime's services: requests to other
// plugins (Send), resource events (Subscribe, Observe, Publish*), timers
// (ScheduleAt, SetTimer, KillTimer), waiting (Await, Yield) and backend calls
// through the login plugin's service proxy (StartServiceCall, CallService).
// Their template definitions live in app_module_services.h.
//
// Subclasses override the API registration hook (`RegisterApi`) to declare
// their types and endpoints, and the start hook (`Start`) to begin work.
//
// Not for: holding tournament state; that lives in the subclass's state object.
//
//   class MyPlugin final : public kiv::AppModule {
//     bool Start() override {
//       Observe("/kiv-login/v1/session", [](const PluginResourceEvent& e) { ... });
//       SetTimer("refresh", 60.0, [this] { auto r = Await(CallService<void>("joust", "ping", 0));
//       }); return true;
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
#include "sdk/runtime/runtime_future.h"
#include "sdk/runtime/runtime_types.h"
#include "sdk/value/failure.h"
#include "sdk/value/maybe_type.h"

namespace kiv {

/// Called with the body of an event the module listens to; the body is
/// borrowed for the duration of the call.
using HostEventHandler = std::function<void(const HostValue& body)>;

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

/// Receives the answer of a backend call, once; runs under the service-proxy
/// lock, so it must neither start another call nor wait.
using ServiceProxyCallback = std::function<void(const PluginServiceProxyResponse& response)>;

/// Times of the steady clock (the process's monotonic clock).
using SteadyTime = std::chrono::steady_clock::time_point;

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

  // Requests to other plugins. Synchronous: they return once the host has
  // answered, yielding to the host between short reads of a streamed body.

  /// Sends `method` `url` with each argument as one positional parameter.
  /// R is void (only the outcome), BindingProperty (the body) or a native
  /// type (the body converted, through the type registry when registered).
  template <typename R, typename... Args>
  MaybeType<Failure, R> Send(uint32_t method, std::string_view url, const Args&... args);

  // Resource events. Used only from calls the host makes into the plugin (no
  // lock); handlers may publish and send requests.

  /// Calls `handler` for changes of `uri` (an exact URI, or a pattern with
  /// "*"), replacing an earlier handler of that URI; for an exact URI it also
  /// reads the resource now and reports it as "Create" when the read works.
  void Observe(const std::string& uri, ResourceEventHandler handler);
  /// As Observe, with the data converted to T; a "Create" or "Update" whose
  /// data does not convert is not reported.
  template <typename T>
  void ObserveAs(const std::string& uri, std::function<void(const TypedResourceEvent<T>&)> handler);
  /// Announces the new value of one of the plugin's resources; a value that
  /// does not convert announces nothing.
  template <typename T>
  void PublishUpdate(const std::string& uri, const T& value);
  /// Announces that one of the plugin's resources is gone.
  void PublishDelete(const std::string& uri);
  /// Dispatches `event` under its URI's event name and, when that differs,
  /// under `baseName` too.
  MaybeType<Failure, void> SendEvent(std::string_view baseName, const PluginResourceEvent& event);
  /// As AddEventHandler, with the body decoded as the record T; events whose
  /// body does not convert are dropped silently.
  template <typename T>
  void AddRecordEventHandler(const std::string& name, uint32_t flags,
                             std::function<void(const T&)> handler);

  // Timers and waiting.

  /// Calls `function` once at or after `due`; `label` names it at the host.
  /// Thread-safe (the timer lock); `function` runs without that lock.
  void ScheduleAt(const std::string& label, std::function<void()> function, SteadyTime due);
  /// Calls `function` every `intervalSeconds` until killed or set again.
  void SetTimer(const std::string& name, double intervalSeconds, std::function<void()> function);
  /// Removes the named timer; its already scheduled firing logs that it is gone.
  void KillTimer(const std::string& name);
  /// Lets the host run its pending work (including calls into this plugin)
  /// until `future` is ready, then returns its value. A broken future is a
  /// fatal inconsistency: it is reported and the process aborts.
  template <typename T>
  T Await(Future<T> future);
  /// Lets the host run pending work once.
  void Yield();

  // Backend calls through the login plugin's service proxy.

  /// Starts a call of `service`.`method` with `payload` (a native value sent
  /// as JSON). Method-based when `answerMethod` is not empty, else
  /// uuid-based. Returns the empty text when the call started, else why not;
  /// `callback` then is discarded uncalled.
  template <typename T>
  std::string StartServiceCall(const std::string& service, const std::string& method,
                               const T& payload, const std::string& answerMethod,
                               const std::string& extra, ServiceProxyCallback callback);
  /// Starts a uuid-based call whose answer fulfils the returned future. R is
  /// void, bool or BindingProperty. Wait for it with Await.
  template <typename R, typename T>
  Future<MaybeType<Failure, R>> CallService(const std::string& service, const std::string& method,
                                            const T& payload);
  /// Calls `handler` for every async service-proxy event of `key`
  /// ("service.method"); it stays registered.
  void SetAsyncServiceHandler(const std::string& key, ServiceProxyCallback handler);

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
  /// What the host holds for one scheduled call (its user data).
  struct ScheduledCallback {
    AppModule* module = nullptr;  ///< Null once the module is gone.
    uint64_t id = 0;
    std::function<void()> function;
  };
  struct NamedTimer {
    double interval = 0;
    std::function<void()> callback;
    int64_t due = 0;  ///< Nanoseconds on the steady clock.
    uint64_t generation = 0;
  };

  static void OnHostEvent(const char* name, const HostValue* body, uint32_t flags, void* userData);
  static void FireScheduled(void* record);
  void DispatchResourceEvent(const PluginResourceEvent& event);
  void ArmTimer(const std::string& name, int64_t due, uint64_t generation);
  void FireTimer(const std::string& name, uint64_t generation);
  std::string StartServiceCallJson(const std::string& service, const std::string& method,
                                   MaybeType<Failure, std::string> payloadJson,
                                   const std::string& answerMethod, const std::string& extra,
                                   ServiceProxyCallback callback);
  void OnServiceProxyResponse(const std::string& key, PluginServiceProxyResponse response);
  void OnServiceProxyAsync(const PluginServiceProxyResponse& response);
  /// Delivers every received response whose request is pending. Caller holds
  /// serviceProxyLock_.
  void DeliverMatchedLocked();
  void ClearServiceProxyTables();
  /// Orphans the one-shot records still scheduled at the host (destructor).
  void OrphanScheduledCallbacks();

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

  // Resource events (unlocked: used only from the host's calls).
  std::unordered_map<std::string, int> listenerCounts_;
  std::unordered_map<std::string, ResourceEventHandler> exactHandlers_;
  std::map<std::string, ResourceEventHandler> patternHandlers_;  ///< Called in key order.

  // One-shot callbacks, under timerLock_. Named timers are unlocked.
  std::mutex timerLock_;
  uint64_t nextCallbackId_ = 0;
  std::unordered_map<uint64_t, std::unique_ptr<ScheduledCallback>> scheduled_;
  std::unordered_map<std::string, NamedTimer> namedTimers_;

  // Service-proxy tables, under serviceProxyLock_ (taken before the logger's
  // lock, never after; callbacks run while it is held).
  std::mutex serviceProxyLock_;
  std::unordered_map<std::string, ServiceProxyCallback> pendingRequests_;
  std::unordered_map<std::string, ServiceProxyCallback> asyncHandlers_;
  std::unordered_map<std::string, PluginServiceProxyResponse> receivedResponses_;
};

}  // namespace kiv

#include "sdk/runtime/app_module_services.h"  // IWYU pragma: export
