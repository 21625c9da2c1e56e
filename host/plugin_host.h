// plugin_host.h: the substitute host that loads a plugin library through the
// real boundary.
//
// It opens the library with dlopen, runs the version handshake, hands the
// plugin a `HostApi` and a host context in `Initialize`, reads its memory
// counters and shuts it down. Lines the plugin writes through `WriteLog` are
// collected (and echoed to standard error when asked). Event listeners the
// plugin adds are recorded by name.
//
// Not for: more than one plugin per host object.
//
//   std::string error;
//   auto host = kiv::host::PluginHost::Open("libvmk-be-kiv-joust.so", &error);
//   host->Load({18, 0, 0});
//   host->Initialize();
//   host->Shutdown();
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

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

class PluginHost {
 public:
  /// Opens the library and finds `load_<symbol>`; null with `error` set when
  /// either fails. `entrySymbol` defaults to the joust plugin's entry point.
  static std::unique_ptr<PluginHost> Open(const std::string& libraryPath, std::string* error,
                                          const std::string& entrySymbol = "load_kiv_joust");
  ~PluginHost();
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
  PluginHost() = default;
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
  std::vector<LogLine> logLines_;
  std::map<std::string, std::vector<Listener>> listeners_;
  WorkQueue work_;
  std::vector<std::string> waitLabels_;
  int waitDepth_ = 0;
};

}  // namespace kiv::host
