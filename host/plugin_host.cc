#include "host/plugin_host.h"

#include <dlfcn.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <memory>

#include "host/host_clock.h"
#include "host/host_value_json.h"
#include "host/neighbours/standard_neighbours.h"
#include "host/owned_host_value.h"

namespace kiv::host {
namespace {

// The handle the host gives the plugin in its context; only compared.
int gPluginHandleTag;

// Pumps in a row that found nothing to run and nothing scheduled, on the
// virtual clock, before the host declares the plugin's wait hopeless.
constexpr int kHopelessIdlePumps = 100'000;
// A wait that the virtual clock carries this far (a day) is waiting for
// something that never comes: only the plugin's own repeating timers are
// left to run, and they would move the clock forever.
constexpr int64_t kHopelessVirtualWaitNanoseconds = 24 * 3600 * 1'000'000'000LL;

// How long an idle pump waits for work from other threads while serving; the
// plugin pumps again right after, so this only bounds a wait's granularity.
constexpr int64_t kServingIdleWaitNanoseconds = 10'000'000;

// Host work runs inside calls from the plugin; nothing may unwind into it.
template <typename Body>
void Guarded(const char* where, Body&& body) noexcept {
  try {
    body();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "kiv-host: %s failed: %s\n", where, e.what());
  } catch (...) {
    std::fprintf(stderr, "kiv-host: %s failed\n", where);
  }
}

HostResponse ErrorResponse(uint32_t status, std::string text) {
  HostResponse response;
  response.status = status;
  response.error = std::move(text);
  return response;
}

}  // namespace

PluginHost::PluginHost(ConstructionKey) {
  table_.api = HostApi{
      &SendRequest,      &Reserved2, &DispatchEvent, &AddEventListener, &RemoveEventListener,
      &ScheduleCallback, &PumpOnce,  &BeginWait,     &EndWait,          &WriteLog};
  table_.host = this;
  context_ = HostContext{&table_.api, &gPluginHandleTag};
  standard_ = std::make_unique<StandardNeighbours>(InstallStandardNeighbours(neighbours_, *this));
}

std::unique_ptr<PluginHost> PluginHost::Detached() {
  return std::make_unique<PluginHost>(ConstructionKey());
}

std::unique_ptr<PluginHost> PluginHost::Open(const std::string& libraryPath, std::string* error,
                                             const std::string& entrySymbol) {
  auto host = Detached();
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
  return host;
}

PluginHost::~PluginHost() {
  if (loaded_) Shutdown();
  heldAnswers_->LetGoAll();  // answers that outlive the host owe the library nothing
  if (library_) dlclose(library_);
}

void PluginHost::Load(HostVersion version) {
  record_ = PluginLoadRecord{};
  record_.major = version.major;
  record_.minor = version.minor;
  record_.patch = version.patch;
  load_(&record_);
  loaded_ = record_.module != nullptr;
  if (loaded_ && record_.api) AttachDescription(record_.api);
}

bool PluginHost::Initialize() {
  if (!loaded_ || initialized_) return false;
  initialized_ = true;
  return record_.entries->Initialize(record_.module, &context_) != 0;
}

void PluginHost::Shutdown() {
  if (!loaded_ || shutDown_) return;
  shutDown_ = true;
  heldAnswers_->LetGoAll();  // the plugin frees its answers as it shuts down
  record_.entries->Shutdown(record_.module);
  router_ = EndpointRouter();  // the description died with the module
}

std::array<uint32_t, 14> PluginHost::MemoryStats() const {
  std::array<uint32_t, 14> words{};
  // The entry table belongs to the module, which Shutdown frees.
  if (loaded_ && !shutDown_) record_.entries->GetMemoryStats(record_.module, words.data());
  return words;
}

PluginHost& PluginHost::From(HostApi* api) { return *reinterpret_cast<Table*>(api)->host; }

void PluginHost::SendRequest(HostApi* api, ResponseRecord* response, const RequestRecord* request) {
  if (!response) return;
  PluginHost& host = From(api);
  Guarded("SendRequest", [&] {
    NeighbourAnswer answer = NeighbourAnswer::Error(400, "Bad request record");
    if (request && request->url) {
      NeighbourRequest copy;
      copy.method = request->method;
      const std::string url = request->url;
      const size_t query = url.find('?');
      copy.path = url.substr(0, query);
      if (query != std::string::npos) copy.query = url.substr(query + 1);
      copy.pluginHandle = request->pluginHandle;
      SentRequest sent{request->method, url, {}};
      for (uint32_t i = 0; request->params && i < request->paramCount; ++i) {
        const HostMember& param = request->params[i];
        copy.params.push_back(
            RequestArgument{param.name ? std::optional<std::string>(param.name) : std::nullopt,
                            OwnedHostValue(param.value)});
        sent.paramsJson.push_back(HostValueToJson(param.value));
      }
      if (host.keepHistory_) host.sentRequests_.push_back(std::move(sent));
      // The stand-in answers now; whatever it fires is only queued, so
      // nothing runs in the plugin before this call returns.
      answer = host.neighbours_.Handle(copy);
    }
    FillAnswer(*response, std::move(answer), host.answers_);
  });
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

bool PluginHost::RunOne() {
  if (hasForeignWork_.load(std::memory_order_acquire)) TakeForeignWork();
  bool ran = false;
  Guarded("host work", [&] { ran = work_.RunOne(MonotonicNow()); });
  return ran;
}

bool PluginHost::IdleUntilNextDue(int64_t maxSleepNanoseconds) {
  const auto due = work_.NextDue();
  if (!due) return false;
  if (VirtualClockActive()) {
    AdvanceVirtualClockTo(*due);
  } else {
    WaitForForeignWork(std::min(*due - MonotonicNow(), maxSleepNanoseconds));
  }
  return true;
}

void PluginHost::PostFromAnyThread(std::string label, std::function<void()> work) {
  {
    const std::lock_guard<std::mutex> lock(foreignMutex_);
    foreignWork_.emplace_back(std::move(label), std::move(work));
    hasForeignWork_.store(true, std::memory_order_release);
  }
  foreignReady_.notify_one();
}

void PluginHost::TakeForeignWork() {
  std::deque<std::pair<std::string, std::function<void()>>> taken;
  {
    const std::lock_guard<std::mutex> lock(foreignMutex_);
    taken.swap(foreignWork_);
    hasForeignWork_.store(false, std::memory_order_release);
  }
  for (auto& [label, work] : taken) work_.Post(std::move(label), std::move(work));
}

void PluginHost::WaitForForeignWork(int64_t nanoseconds) {
  if (nanoseconds <= 0) return;
  std::unique_lock<std::mutex> lock(foreignMutex_);
  // The wall clock times the wait: the steady clock may be the virtual one,
  // which stands still while nothing runs.
  foreignReady_.wait_until(lock,
                           std::chrono::system_clock::now() + std::chrono::nanoseconds(nanoseconds),
                           [this] { return !foreignWork_.empty(); });
}

void PluginHost::WaitForWork(int64_t maxNanoseconds) {
  int64_t wait = maxNanoseconds;
  if (!VirtualClockActive()) {
    if (const auto due = work_.NextDue()) wait = std::min(wait, *due - MonotonicNow());
  }
  WaitForForeignWork(wait);
}

void PluginHost::RunUntilStopped(const std::atomic<bool>& stop, int64_t idleNanoseconds) {
  while (!stop.load()) {
    if (RunOne()) continue;
    WaitForWork(idleNanoseconds);
  }
}

void PluginHost::AttachDescription(const ApiDescription* description) {
  router_ = description ? EndpointRouter(*description) : EndpointRouter();
}

void PluginHost::Enqueue(std::string label, std::function<void()> work) {
  work_.Post(std::move(label), std::move(work));
}

HostResponse PluginHost::Answer(const HostRequest& request) {
  const ApiFunction* function = router_.Find(request.method, request.customMethod, request.url);
  if (!function || !function->callback) return ErrorResponse(404, "Invalid function");
  return CallEndpoint(*function, request, ++requestIds_, *heldAnswers_);
}

ResponseSlot PluginHost::QueueRequest(HostRequest request,
                                      std::function<void(const HostResponse&)> onAnswer) {
  auto slot = std::make_shared<std::optional<HostResponse>>();
  auto shared = std::make_shared<HostRequest>(std::move(request));
  std::string label = "Request: ";
  label += MethodName(shared->method);
  label += " " + shared->url;
  Enqueue(std::move(label), [this, shared, slot, onAnswer = std::move(onAnswer)] {
    slot->emplace(Answer(*shared));
    if (onAnswer) onAnswer(**slot);
  });
  return slot;
}

HostResponse PluginHost::Request(HostRequest request) {
  const ResponseSlot slot = QueueRequest(std::move(request));
  if (!RunUntilAnswered(slot)) return ErrorResponse(500, "No answer");
  return std::move(**slot);
}

ResponseSlot PluginHost::QueueBuiltin(std::string name) {
  auto slot = std::make_shared<std::optional<HostResponse>>();
  Enqueue("Builtin: " + name, [this, name, slot] {
    const ApiFunction* function = router_.FindBuiltin(name);
    if (!function || !function->callback) {
      slot->emplace(ErrorResponse(404, "Unsupported builtin function"));
      return;
    }
    slot->emplace(CallEndpoint(*function, HostRequest::Make(KIV_METHOD_NONE, ""), ++requestIds_,
                               *heldAnswers_));
  });
  return slot;
}

HostResponse PluginHost::CallBuiltin(const std::string& name) {
  const ResponseSlot slot = QueueBuiltin(name);
  if (!RunUntilAnswered(slot)) return ErrorResponse(500, "No answer");
  return std::move(**slot);
}

bool PluginHost::RunUntilAnswered(const ResponseSlot& slot) {
  while (!slot->has_value()) {
    if (RunOne()) continue;
    if (!IdleUntilNextDue()) return false;
  }
  return true;
}

void PluginHost::FireEvent(const std::string& name, OwnedHostValue body, uint32_t flags) {
  DispatchEvent(name, body.root(), flags);
}

void PluginHost::Later(std::string label, int64_t delayNanoseconds, std::function<void()> work) {
  work_.PostAt(std::move(label), MonotonicNow() + std::max<int64_t>(delayNanoseconds, 0),
               std::move(work));
}

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
  if (!event || !event->name) return;
  PluginHost& host = From(api);
  Guarded("DispatchEvent", [&] {
    PublishedEvent published{event->name, OwnedHostValue(event->body), event->flags};
    if (host.eventObserver_) host.eventObserver_(published);
    if (host.keepHistory_) host.publishedEvents_.push_back(std::move(published));
    host.DispatchEvent(event->name, event->body, event->flags);
  });
}

void PluginHost::AddEventListener(HostApi* api, const char* name, void* pluginHandle,
                                  EventCallback callback, void* userData, uint32_t flags) {
  if (!name || !callback) return;
  Guarded("AddEventListener", [&] {
    From(api).listeners_[name].push_back(Listener{pluginHandle, callback, userData, flags});
  });
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
  Guarded("ScheduleCallback", [&] {
    From(api).work_.PostAt(label ? label : "", MonotonicNow() + static_cast<int64_t>(delay),
                           [callback, userData] { callback(userData); });
  });
}

void PluginHost::PumpOnce(HostApi* api) {
  PluginHost& host = From(api);
  if (host.RunOne()) {
    host.idlePumps_ = 0;
    return;
  }
  if (host.serving_.load()) {
    host.WaitForWork(kServingIdleWaitNanoseconds);
    return;
  }
  // Nothing ready: wait for what is scheduled, as a real host's wait would.
  if (host.IdleUntilNextDue()) {
    host.idlePumps_ = 0;
    if (VirtualClockActive() && host.waitDepth_ > 0 &&
        MonotonicNow() - host.waitStartedAt_ > kHopelessVirtualWaitNanoseconds) {
      std::fprintf(stderr,
                   "kiv-host: the plugin has waited (%s) for a day of virtual time while only "
                   "scheduled callbacks ran; nothing is going to answer it\n",
                   host.waitLabels_.empty() ? "no wait" : host.waitLabels_.back().c_str());
      std::abort();
    }
    host.RunOne();
    return;
  }
  if (!VirtualClockActive()) {
    host.WaitForForeignWork(1'000'000);
    return;
  }
  if (++host.idlePumps_ >= kHopelessIdlePumps) {
    std::fprintf(stderr,
                 "kiv-host: the plugin waits (%s) with nothing pending or scheduled on the "
                 "virtual clock; nothing can ever answer it\n",
                 host.waitLabels_.empty() ? "no wait" : host.waitLabels_.back().c_str());
    std::abort();
  }
}

void PluginHost::BeginWait(HostApi* api, const char* label, uint32_t) {
  PluginHost& host = From(api);
  if (host.keepHistory_) {
    Guarded("BeginWait", [&] { host.waitLabels_.emplace_back(label ? label : ""); });
  }
  if (host.waitDepth_++ == 0) host.waitStartedAt_ = MonotonicNow();
}

void PluginHost::EndWait(HostApi* api) { --From(api).waitDepth_; }

void PluginHost::WriteLog(HostApi* api, int32_t level, const char* message) {
  PluginHost& host = From(api);
  Guarded("WriteLog", [&] {
    LogLine line{level, message ? message : ""};
    if (host.echoLog_) std::fprintf(stderr, "[plugin %d] %s\n", level, line.message.c_str());
    if (host.logObserver_) host.logObserver_(line);
    if (host.keepHistory_) host.logLines_.push_back(std::move(line));
  });
}

}  // namespace kiv::host
