// plugin_host.h: the substitute host that loads a plugin library through the
// real boundary.
//
// It opens the library with dlopen, runs the version handshake, hands the
// plugin a `HostApi` and a host context in `Initialize`, reads its memory
// counters and shuts it down. Everything else is queued work that RunOne (and
// the plugin's PumpOnce) runs one item at a time: event deliveries, scheduled
// callbacks, and requests to the plugin's endpoints. The plugin's own
// requests reach the stand-in neighbours (standard_neighbours.h), which
// answer at once and fire their events through the same queue. Lines the
// plugin writes through `WriteLog` are collected (and echoed when asked).
//
// Waiting: when the plugin pumps and nothing is ready, the host waits for the
// next scheduled item: on the virtual clock it jumps there, on the real clock
// it sleeps. A plugin that waits on the virtual clock with nothing pending at
// all can never be answered; the host then reports it and aborts rather than
// spin forever.
//
// Threads: one thread drives the host and the plugin (the dispatch thread).
// Other threads (an HTTP gateway's) only hand it work with PostFromAnyThread;
// its idle waits wake when such work arrives. While serving, an idle pump
// waits for that work instead of jumping the virtual clock or giving up.
//
// Not for: more than one plugin per host object.
//
//   std::string error;
//   auto host = kiv::host::PluginHost::Open("libvmk-be-kiv-joust.so", &error);
//   host->Load({18, 0, 0});
//   host->Initialize();
//   HostResponse answer = host->Request(HostRequest::Make(KIV_METHOD_GET,
//   "/kiv-joust/v1/enabled")); host->Shutdown();
#pragma once

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "host/answer_record.h"
#include "host/endpoint_router.h"
#include "host/host_request.h"
#include "host/host_response.h"
#include "host/neighbour.h"
#include "host/neighbours/login_neighbour.h"
#include "host/neighbours/standard_neighbours.h"
#include "host/owned_host_value.h"
#include "host/work_queue.h"
#include "kiv_plugin_abi.h"

namespace kiv::host {

struct HostVersion {
  uint32_t major = 18;
  uint32_t minor = 0;
  uint32_t patch = 0;
};

struct LogLine {
  int32_t level = 0;
  std::string message;
};

struct Listener {
  void* pluginHandle = nullptr;
  EventCallback callback = nullptr;
  void* userData = nullptr;
  uint32_t flags = 0;
};

/// A request the plugin sent, as the stand-ins saw it.
struct SentRequest {
  uint32_t method = 0;
  std::string url;
  std::vector<std::string> paramsJson;  // each parameter as compact JSON
};

/// An event the plugin dispatched.
struct PublishedEvent {
  std::string name;
  OwnedHostValue body;
  uint32_t flags = 0;
};

/// Where a queued request's answer lands once it has run.
using ResponseSlot = std::shared_ptr<std::optional<HostResponse>>;

class PluginHost : public NeighbourContext {
 public:
  /// Opens the library and finds `load_<symbol>`; null with `error` set when
  /// either fails. `entrySymbol` defaults to the joust plugin's entry point.
  static std::unique_ptr<PluginHost> Open(const std::string& libraryPath, std::string* error,
                                          const std::string& entrySymbol = "load_kiv_joust");
  /// A host without a library: its HostApi, queue, bus and stand-ins work as
  /// usual, and AttachDescription gives it endpoints. For exercising the host.
  static std::unique_ptr<PluginHost> Detached();
  ~PluginHost() override;
  /// Use Open or Detached; the key keeps construction to those.
  struct ConstructionKey {
   private:
    friend class PluginHost;
    ConstructionKey() = default;
  };
  explicit PluginHost(ConstructionKey);
  PluginHost(const PluginHost&) = delete;
  PluginHost& operator=(const PluginHost&) = delete;

  /// Calls the load function with `version`. The plugin aborts the process
  /// when it finds the version incompatible.
  void Load(HostVersion version);
  /// Calls Initialize with this host's function table; returns its answer.
  bool Initialize();
  /// Calls Shutdown (once; later calls do nothing).
  void Shutdown();
  /// The fourteen words of GetMemoryStats (zeros once shut down).
  std::array<uint32_t, 14> MemoryStats() const;

  /// Queues an event for the listeners of `name` (the body is copied).
  void DispatchEvent(const std::string& name, const HostValue& body, uint32_t flags = 0);
  /// Runs at most one pending item that is due now.
  bool RunOne();
  /// Runs pending items until none is due now; returns how many ran.
  size_t RunUntilIdle();
  /// Moves the (virtual) clock forward by `nanoseconds`, running every item
  /// that falls due on the way, in due order, at its due time.
  void AdvanceClock(int64_t nanoseconds);
  /// With nothing ready: jumps the virtual clock to the next scheduled item,
  /// or waits until it on the real clock (at most `maxSleepNanoseconds`; work
  /// posted from another thread ends the wait early). False when nothing is
  /// scheduled.
  bool IdleUntilNextDue(int64_t maxSleepNanoseconds = 50'000'000);

  /// Thread-safe: queues `work` from any thread and wakes the dispatch
  /// thread. It runs there like any queued item, after what was posted before.
  void PostFromAnyThread(std::string label, std::function<void()> work);
  /// Dispatch thread: waits until work is posted from another thread, the
  /// next scheduled item falls due (real clock only), or `maxNanoseconds` pass.
  void WaitForWork(int64_t maxNanoseconds);
  /// Makes the calling thread the dispatch thread: runs work as it comes and
  /// waits in between, until `stop` is set (seen within `idleNanoseconds`, or
  /// at once when work is posted after setting it).
  void RunUntilStopped(const std::atomic<bool>& stop, int64_t idleNanoseconds = 50'000'000);
  /// While serving, requests arrive from other threads at any time: a pump
  /// with nothing ready waits for them (on the virtual clock without moving
  /// it; tests move it by posting work) and is never taken as hopeless.
  void SetServing(bool on) { serving_.store(on); }
  /// On (the default): every published event, log line, sent request and
  /// wait label is kept for inspection. Off: they only reach the observers,
  /// so a long-running host's memory stays flat.
  void SetKeepHistory(bool on) { keepHistory_ = on; }

  /// Routes requests by `description` (borrowed; the plugin's own is used
  /// after Load). Detached hosts only need this.
  void AttachDescription(const ApiDescription* description);
  /// The endpoint for (method, path), or null.
  const ApiFunction* FindEndpoint(uint32_t method, std::string_view customMethod,
                                  std::string_view path) const {
    return router_.Find(method, customMethod, path);
  }
  /// Queues a request to the plugin's endpoints; the slot fills when it ran.
  /// No endpoint: the answer is the error "Invalid function" with 404.
  /// `onAnswer`, when given, is called with the answer as soon as the slot
  /// fills, however many waits and nested calls the request went through.
  ResponseSlot QueueRequest(HostRequest request,
                            std::function<void(const HostResponse&)> onAnswer = {});
  /// Queues `request` and runs pending work until its answer is there.
  HostResponse Request(HostRequest request);
  /// Routes `request` and calls its endpoint now; for queued work already
  /// running on the dispatch thread (a request handed over by another thread).
  HostResponse Answer(const HostRequest& request);
  /// Queues a call of the built-in function `name` (empty URL, no method).
  /// Unknown names answer "Unsupported builtin function" with 404.
  ResponseSlot QueueBuiltin(std::string name);
  HostResponse CallBuiltin(const std::string& name);
  /// Runs pending work (waiting for scheduled items) until `slot` is filled;
  /// false when nothing is left that could fill it.
  bool RunUntilAnswered(const ResponseSlot& slot);

  /// The stand-ins the plugin's requests reach; tests may add their own.
  Neighbourhood& neighbours() { return neighbours_; }
  LoginNeighbour& login() { return standard_->login; }
  /// The standard stand-ins (standard_neighbours.h): typed access for tests.
  StandardNeighbours& standard() { return *standard_; }
  /// Answers given to the plugin's requests, and their releases.
  const AnswerLedger& answers() const { return answers_; }
  const std::vector<SentRequest>& sentRequests() const { return sentRequests_; }
  const std::vector<PublishedEvent>& publishedEvents() const { return publishedEvents_; }
  /// Called for each event the plugin dispatches, when it dispatches it.
  void SetEventObserver(std::function<void(const PublishedEvent&)> observer) {
    eventObserver_ = std::move(observer);
  }
  /// Called for each log line as it arrives.
  void SetLogObserver(std::function<void(const LogLine&)> observer) {
    logObserver_ = std::move(observer);
  }
  /// The function table and handle the plugin gets (for calling the host as
  /// a plugin would).
  HostApi* hostApi() { return &table_.api; }
  void* pluginHandle() const { return context_.pluginHandle; }

  // NeighbourContext: what the stand-ins do on this host.
  void FireEvent(const std::string& name, OwnedHostValue body, uint32_t flags) override;
  void Later(std::string label, int64_t delayNanoseconds, std::function<void()> work) override;

  const PluginLoadRecord& record() const { return record_; }
  const std::vector<LogLine>& logLines() const { return logLines_; }
  const std::map<std::string, std::vector<Listener>>& listeners() const { return listeners_; }
  const WorkQueue& work() const { return work_; }
  /// Labels of the waits the plugin began, in order, and the current depth.
  const std::vector<std::string>& waitLabels() const { return waitLabels_; }
  int waitDepth() const { return waitDepth_; }
  /// Echo each WriteLog line to standard error as it arrives.
  void SetEchoLog(bool on) { echoLog_ = on; }

 private:
  void Enqueue(std::string label, std::function<void()> work);
  void TakeForeignWork();
  void WaitForForeignWork(int64_t nanoseconds);
  static PluginHost& From(HostApi* api);
  static void SendRequest(HostApi* api, ResponseRecord* response, const RequestRecord* request);
  static void Reserved2(HostApi* api);
  static void DispatchEvent(HostApi* api, const EventRecord* event);
  static void AddEventListener(HostApi* api, const char* name, void* pluginHandle,
                               EventCallback callback, void* userData, uint32_t flags);
  static void RemoveEventListener(HostApi* api, const char* name, void* pluginHandle);
  static void ScheduleCallback(HostApi* api, const char* label, void (*callback)(void*),
                               void* userData, double delaySeconds, uint32_t zero);
  static void PumpOnce(HostApi* api);
  static void BeginWait(HostApi* api, const char* label, uint32_t zero);
  static void EndWait(HostApi* api);
  static void WriteLog(HostApi* api, int32_t level, const char* message);

  // The function table comes first so a HostApi* leads back to its host.
  struct Table {
    HostApi api;
    PluginHost* host;
  } table_{};
  HostContext context_{};
  void* library_ = nullptr;
  LoadFunction load_ = nullptr;
  PluginLoadRecord record_{};
  bool loaded_ = false;
  bool initialized_ = false;
  bool shutDown_ = false;
  bool echoLog_ = false;
  bool keepHistory_ = true;
  std::atomic<bool> serving_{false};
  std::vector<LogLine> logLines_;
  std::map<std::string, std::vector<Listener>> listeners_;
  WorkQueue work_;
  // Work posted by other threads, moved into work_ by the dispatch thread.
  std::mutex foreignMutex_;
  std::condition_variable foreignReady_;
  std::deque<std::pair<std::string, std::function<void()>>> foreignWork_;
  std::atomic<bool> hasForeignWork_{false};
  std::vector<std::string> waitLabels_;
  int waitDepth_ = 0;
  int64_t waitStartedAt_ = 0;  ///< Clock time when the outermost wait began.
  int idlePumps_ = 0;
  EndpointRouter router_;
  uint64_t requestIds_ = 0;
  /// Answers read in place; let go of before the plugin shuts down.
  std::shared_ptr<HeldRecords> heldAnswers_ = std::make_shared<HeldRecords>();
  AnswerLedger answers_;
  Neighbourhood neighbours_;
  std::unique_ptr<StandardNeighbours> standard_;
  std::vector<SentRequest> sentRequests_;
  std::vector<PublishedEvent> publishedEvents_;
  std::function<void(const PublishedEvent&)> eventObserver_;
  std::function<void(const LogLine&)> logObserver_;
};

}  // namespace kiv::host
