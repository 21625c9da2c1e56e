#include "host/plugin_host.h"

#include "host/host_clock.h"
#include "host/owned_host_value.h"

#include <dlfcn.h>

#include <cstdio>
#include <cstring>
#include <memory>

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

void PluginHost::DispatchEvent(const std::string& name, const HostValue& body, uint32_t flags) {
  auto copy = std::make_shared<OwnedHostValue>(body);
  work_.Post("event " + name, [this, name, copy, flags] {
    // Listeners are looked up at delivery: one removed meanwhile gets nothing.
    const auto found = listeners_.find(name);
    if (found == listeners_.end()) return;
    const std::vector<Listener> targets = found->second;
    for (const Listener& listener : targets) {
      listener.callback(name.c_str(), &copy->root(), flags, listener.userData);
    }
  });
}

bool PluginHost::RunOne() { return work_.RunOne(MonotonicNow()); }

size_t PluginHost::RunUntilIdle() {
  size_t ran = 0;
  while (RunOne()) ++ran;
  return ran;
}

void PluginHost::AdvanceClock(int64_t nanoseconds) {
  const int64_t target = MonotonicNow() + nanoseconds;
  RunUntilIdle();
  while (auto due = work_.NextDue()) {
    if (*due > target) break;
    AdvanceVirtualClockTo(*due);
    RunUntilIdle();
  }
  AdvanceVirtualClockTo(target);
  RunUntilIdle();
}

void PluginHost::DispatchEvent(HostApi* api, const EventRecord* event) {
  if (event && event->name) From(api).DispatchEvent(event->name, event->body, event->flags);
}

void PluginHost::AddEventListener(HostApi* api, const char* name, void* pluginHandle,
                                  EventCallback callback, void* userData, uint32_t flags) {
  if (!name || !callback) return;
  From(api).listeners_[name].push_back(Listener{pluginHandle, callback, userData, flags});
}

void PluginHost::RemoveEventListener(HostApi* api, const char* name, void* pluginHandle) {
  if (!name) return;
  auto& listeners = From(api).listeners_;
  const auto found = listeners.find(name);
  if (found == listeners.end()) return;
  std::erase_if(found->second,
                [pluginHandle](const Listener& l) { return l.pluginHandle == pluginHandle; });
  if (found->second.empty()) listeners.erase(found);
}

void PluginHost::ScheduleCallback(HostApi* api, const char* label, void (*callback)(void*),
                                  void* userData, double delaySeconds, uint32_t) {
  if (!callback) return;
  const double delay = delaySeconds > 0 ? delaySeconds * 1e9 : 0.0;
  From(api).work_.PostAt(label ? label : "", MonotonicNow() + static_cast<int64_t>(delay),
                         [callback, userData] { callback(userData); });
}

void PluginHost::PumpOnce(HostApi* api) { From(api).RunOne(); }

void PluginHost::BeginWait(HostApi* api, const char* label, uint32_t) {
  PluginHost& host = From(api);
  host.waitLabels_.emplace_back(label ? label : "");
  ++host.waitDepth_;
}

void PluginHost::EndWait(HostApi* api) { --From(api).waitDepth_; }

void PluginHost::WriteLog(HostApi* api, int32_t level, const char* message) {
  PluginHost& host = From(api);
  host.logLines_.push_back(LogLine{level, message ? message : ""});
  if (host.echoLog_) std::fprintf(stderr, "[plugin %d] %s\n", level, message ? message : "");
}

}  // namespace kiv::host
