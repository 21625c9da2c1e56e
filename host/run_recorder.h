// run_recorder.h: writes a recording of a run (kiv-host --record FILE): one
// JSON object per line, each with its kind and the time "t" in milliseconds
// of the clock the run follows (the tournament service's clock in a scenario,
// the real UTC clock otherwise). The tournament page replays such a file
// without the plugin. The format is versioned; README.md ("Recordings")
// describes every member.
//
//   {"kind":"start","format":"kiv-joust-recording","version":1,"t":...,"source":"scenario",...}
//   {"kind":"publish","t":...,"name":"OnJsonApiEvent","body":{"uri":...,"eventType":...,"data":...}}
//   {"kind":"request","t":...,"method":"POST","url":...,"body":"...","status":200,"answer":{...}}
//   {"kind":"step","t":...,"line":"step 1  POST /kiv-joust/v1/..."}
//   {"kind":"scenario","t":...,"line":"service  draw: ..."}
//   {"kind":"end","t":...,"status":0}
//
// Thread-safe: publications and scenario lines come from the dispatch thread,
// requests from the gateway's threads. Each line is flushed as it is written,
// so a recording that is still growing can be read up to its last line.
//
// Not for: reading recordings (the page does that, web/js/recording.js).
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "host/host_request.h"
#include "host/host_response.h"
#include "host/plugin_host.h"

namespace kiv::host {

/// The version written in the "start" line; raised when a member changes
/// meaning or goes away (new members and kinds do not raise it).
inline constexpr int kRecordingVersion = 1;

class RunRecorder {
 public:
  /// Creates (or truncates) `path`; null with `error` set when it cannot.
  static std::unique_ptr<RunRecorder> Open(const std::string& path, std::string* error);
  ~RunRecorder();
  RunRecorder(const RunRecorder&) = delete;
  RunRecorder& operator=(const RunRecorder&) = delete;

  /// The clock of "t"; the real UTC clock until set. Called under the
  /// recorder's lock, from any thread that records.
  void SetClock(std::function<int64_t()> nowMs);
  /// The first line: `source` ("scenario" or "serve"), the scenario file (or
  /// empty) and whether the clock is virtual.
  void Start(std::string_view source, std::string_view scenario, bool virtualClock);
  /// A publication, as the plugin dispatched it. Copies under the resource's
  /// own event name ("OnJsonApiEvent_...") are skipped: the same change is
  /// recorded under "OnJsonApiEvent".
  void Publication(const PublishedEvent& event);
  /// A request the plugin answered, with its answer.
  void Request(const HostRequest& request, const HostResponse& response);
  /// A line of a scenario's log ("+HH:MM:SS.mmm  text"): kind "step" for the
  /// steps and their answers, "scenario" for the rest; the clock prefix is
  /// dropped ("t" says when). The log's "event" lines are left out: the
  /// publications they summarise are recorded whole.
  void ScenarioLine(std::string_view line);
  /// The last line, with the run's exit status.
  void End(int status);

  /// Use Open.
  explicit RunRecorder(std::FILE* file) : file_(file) {}

 private:
  void WriteLine(const std::string& json);
  int64_t NowLocked() const;

  std::mutex mutex_;
  std::FILE* file_;
  std::function<int64_t()> nowMs_;
};

}  // namespace kiv::host
