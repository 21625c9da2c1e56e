#include "host/plugin_host.h"

#include <dlfcn.h>

#include <cstdio>
#include <cstring>

namespace kiv::host {
namespace {

// The handle the host gives the plugin in its context; only compared.
int gPluginHandleTag;

}  // namespace

std::unique_ptr<PluginHost> PluginHost::Open(const std::string& libraryPath, std::string* error,
                                             const std::string& entrySymbol) {
  std::unique_ptr<PluginHost> host(new PluginHost());
  host->library_ = dlopen(libraryPath.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!host->library_) {
    if (error) *error = dlerror();
    return nullptr;
  }
  host->load_ = reinterpret_cast<LoadFunction>(dlsym(host->library_, entrySymbol.c_str()));
  if (!host->load_) {
    if (error) *error = "no entry point " + entrySymbol + " in " + libraryPath;
    return nullptr;
  }
  host->table_.api = HostApi{
      &SendRequest,      &Reserved2, &DispatchEvent, &AddEventListener, &RemoveEventListener,
      &ScheduleCallback, &PumpOnce,  &BeginWait,     &EndWait,          &WriteLog};
  host->table_.host = host.get();
  host->context_ = HostContext{&host->table_.api, &gPluginHandleTag};
  return host;
}

PluginHost::~PluginHost() {
  if (loaded_) Shutdown();
  if (library_) dlclose(library_);
}

void PluginHost::Load(HostVersion version) {
  record_ = PluginLoadRecord{};
  record_.major = version.major;
  record_.minor = version.minor;
  record_.patch = version.patch;
  load_(&record_);
  loaded_ = record_.module != nullptr;
}

bool PluginHost::Initialize() {
  if (!loaded_ || initialized_) return false;
  initialized_ = true;
  return record_.entries->Initialize(record_.module, &context_) != 0;
}

void PluginHost::Shutdown() {
  if (!loaded_ || shutDown_) return;
  shutDown_ = true;
  record_.entries->Shutdown(record_.module);
}

std::array<uint32_t, 14> PluginHost::MemoryStats() const {
  std::array<uint32_t, 14> words{};
  // The entry table belongs to the module, which Shutdown frees.
  if (loaded_ && !shutDown_) record_.entries->GetMemoryStats(record_.module, words.data());
  return words;
}

PluginHost& PluginHost::From(HostApi* api) { return *reinterpret_cast<Table*>(api)->host; }

void PluginHost::SendRequest(HostApi*, ResponseRecord* response, const RequestRecord*) {
  // No neighbour plugins yet: every request is answered as not found.
  static const char kNotFound[] = "Not Found";
  std::memset(response, 0, sizeof *response);
  response->error = kNotFound;
  response->status = 404;
}

void PluginHost::Reserved2(HostApi*) {}

void PluginHost::DispatchEvent(HostApi* api, const EventRecord* event) {
  PluginHost& host = From(api);
  const auto found = host.listeners_.find(event->name);
  if (found != host.listeners_.end()) {
    found->second.callback(event->name, &event->body, event->flags, found->second.userData);
  }
}

void PluginHost::AddEventListener(HostApi* api, const char* name, void* pluginHandle,
                                  EventCallback callback, void* userData, uint32_t flags) {
  From(api).listeners_[name] = Listener{pluginHandle, callback, userData, flags};
}

void PluginHost::RemoveEventListener(HostApi* api, const char* name, void*) {
  From(api).listeners_.erase(name);
}

void PluginHost::ScheduleCallback(HostApi*, const char*, void (*)(void*), void*, double, uint32_t) {
}

void PluginHost::PumpOnce(HostApi*) {}
void PluginHost::BeginWait(HostApi*, const char*, uint32_t) {}
void PluginHost::EndWait(HostApi*) {}

void PluginHost::WriteLog(HostApi* api, int32_t level, const char* message) {
  PluginHost& host = From(api);
  host.logLines_.push_back(LogLine{level, message ? message : ""});
  if (host.echoLog_) std::fprintf(stderr, "[plugin %d] %s\n", level, message ? message : "");
}

}  // namespace kiv::host
