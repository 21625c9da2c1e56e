#include "sdk/runtime/app_module.h"

#include "sdk/log/assertion.h"
#include "sdk/log/logger.h"
#include "sdk/memory/memory_stats.h"
#include "sdk/rest/identifier.h"
#include "sdk/runtime/runtime_types.h"

namespace kiv {
namespace {

// The entry points as the host calls them: plain C functions that never let
// anything unwind across the boundary (the library has no exceptions).
uint8_t EntryInitialize(void* module, const HostContext* context) {
  if (!module || !context || !context->api) return 0;
  return static_cast<AppModule*>(module)->Initialize(*context) ? 1 : 0;
}

void EntryShutdown(void* module) { AppModule::Shutdown(static_cast<AppModule*>(module)); }

void EntryGetMemoryStats(void*, uint32_t out[14]) {
  if (out) WriteMemoryStatsWords(out);
}

constexpr const char* kServiceProxyEvents[] = {
    "OnServiceProxyUuidEvent", "OnServiceProxyMethodEvent", "OnServiceProxyAsyncEvent"};

}  // namespace

AppModule::AppModule()
    : entryTable_{&EntryInitialize, &EntryShutdown, &EntryGetMemoryStats},
      typeRegistry_(std::make_unique<TypeRegistry>()),
      requests_(std::make_unique<PluginRequests>(*this)),
      events_(std::make_unique<ResourceEvents>(*this, *requests_)),
      timers_(std::make_unique<Timers>(*this)),
      serviceProxy_(std::make_unique<ServiceProxy>(*this, *requests_)) {
  Logger::Acquire();
}

AppModule::~AppModule() {
  // The one-shot records the host still holds are orphaned first.
  timers_.reset();
  serviceProxy_.reset();
  events_.reset();
  requests_.reset();
  // The log target goes before the logger reference it is attached to.
  logTarget_.reset();
  apiDescription_.reset();
  router_.reset();
  typeRegistry_.reset();
  Logger::Release();
}

void AppModule::Load(PluginLoadRecord& record, std::string_view shortName) {
  const PluginApiVersion plugin = PluginVersion();
  const PluginApiVersion host{record.major, record.minor, record.patch, "", ""};
  if (!IsCompatibleHost(plugin, host)) {
    const std::string message = std::string(shortName) + " which supports plugin API " +
                                plugin.ToText() + " is not compatible with core's plugin API " +
                                host.ToText();
    FailAssertion("ALE-EECF0606", message, "", 0, "");
  }
  hostVersion_ = host;
  name_ = GetFullNameFromShortNameAndType(shortName, "backend", "");
  endpointTags_ = {"Plugins", "Plugin " + std::string(shortName)};
  identifierName_ = MakeIdentifier(shortName);
  // Only the runtime registers these names, and the registry is fresh here,
  // so nothing can refuse them.
  (void)RegisterRuntimeTypes(*typeRegistry_);
  router_ = std::make_unique<Router>(*typeRegistry_, std::vector<std::string>{identifierName_},
                                     endpointTags_);
  // The first function of a fresh router: nothing can refuse it.
  (void)router_->RegisterBuiltin("Help", "Describes the exposed native API.");
  RegisterApi();
  apiDescription_ = BuildApiDescription(*router_);

  record.major = plugin.major;
  record.minor = plugin.minor;
  record.patch = plugin.patch;
  record.entries = &entryTable_;
  record.module = this;
  record.shortName = name_.shortName.c_str();
  record.api = &apiDescription_->Description();
}

bool AppModule::Initialize(const HostContext& context) {
  hostContext_ = &context;
  if (!Logger::Instance().FindAttached("PluginLogTarget")) {
    logTarget_ = InstallPluginLogTarget(*context.api);
  }
  userAgent_ = "ZanthClient/" + hostVersion_.ToText() + " (" + name_.shortName + ")";
  pluginHandle_ = context.pluginHandle;
  logName_ = name_.shortName;
  // Answers of backend calls, matched to their requests by the service proxy.
  AddRecordEventHandler<PluginServiceProxyResponse>(
      kServiceProxyEvents[0], 1, [this](const PluginServiceProxyResponse& response) {
        serviceProxy_->OnResponse(response.uuid, response);
      });
  AddRecordEventHandler<PluginServiceProxyResponse>(
      kServiceProxyEvents[1], 1, [this](const PluginServiceProxyResponse& response) {
        serviceProxy_->OnResponse(response.serviceName + "." + response.methodName, response);
      });
  AddRecordEventHandler<PluginServiceProxyResponse>(
      kServiceProxyEvents[2], 1, [this](const PluginServiceProxyResponse& response) {
        serviceProxy_->OnAsyncResponse(response);
      });
  return Start();
}

void AppModule::Shutdown(AppModule* module) {
  if (!module) return;
  module->finalizing_ = true;
  module->Finalize();
  delete module;
}

void AppModule::Finalize() {
  for (const auto& [name, handler] : eventHandlers_) HostRemoveEventListener(name.c_str());
  eventHandlers_.clear();
  serviceProxy_->Clear();
  timers_->Clear();
  events_->Clear();
  // Listener counts and the one-shot table stay: the host may still fire the
  // callbacks it holds.
}

void AppModule::Subscribe(const std::string& uri) { events_->Subscribe(uri); }
void AppModule::Unsubscribe(const std::string& uri) { events_->Unsubscribe(uri); }

void AppModule::RemoveEventHandler(const std::string& name) {
  HostRemoveEventListener(name.c_str());
  eventHandlers_.erase(name);
}

void AppModule::AddEventHandler(const std::string& name, uint32_t flags, HostEventHandler handler) {
  const bool isNew = eventHandlers_.find(name) == eventHandlers_.end();
  eventHandlers_[name] = std::move(handler);
  if (isNew) HostAddEventListener(name.c_str(), &AppModule::OnHostEvent, this, flags);
}

void AppModule::OnHostEvent(const char* name, const HostValue* body, uint32_t, void* userData) {
  auto* module = static_cast<AppModule*>(userData);
  if (!module || !name || !body || module->finalizing_) return;
  const auto found = module->eventHandlers_.find(name);
  if (found != module->eventHandlers_.end()) found->second(*body);
}

void AppModule::RegisterApi() {}
bool AppModule::Start() { return true; }

// Forwarding to the host. Only reachable after Initialize stored the context.
void AppModule::HostSendRequest(ResponseRecord& response, const RequestRecord& request) {
  if (HostApi* api = hostApi()) api->SendRequest(api, &response, &request);
}
void AppModule::HostReserved() {}
void AppModule::HostDispatchEvent(const EventRecord& event) {
  if (HostApi* api = hostApi()) api->DispatchEvent(api, &event);
}
void AppModule::HostAddEventListener(const char* name, EventCallback callback, void* userData,
                                     uint32_t flags) {
  if (HostApi* api = hostApi()) {
    api->AddEventListener(api, name, pluginHandle_, callback, userData, flags);
  }
}
void AppModule::HostRemoveEventListener(const char* name) {
  if (HostApi* api = hostApi()) api->RemoveEventListener(api, name, pluginHandle_);
}
void AppModule::HostScheduleCallback(const char* label, void (*callback)(void*), void* userData,
                                     double delaySeconds) {
  if (HostApi* api = hostApi()) {
    api->ScheduleCallback(api, label, callback, userData, delaySeconds, 0);
  }
}
void AppModule::HostPumpOnce() {
  if (HostApi* api = hostApi()) api->PumpOnce(api);
}
void AppModule::HostBeginWait(const char* label) {
  if (HostApi* api = hostApi()) api->BeginWait(api, label, 0);
}
void AppModule::HostEndWait() {
  if (HostApi* api = hostApi()) api->EndWait(api);
}

}  // namespace kiv
