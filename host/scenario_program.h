// scenario_program.h: the entry through which kiv-host runs a scenario file
// against the loaded plugin. Declared here, defined by the stand-in service's
// library (standin/scenario_program.cc), which kiv-host links: the host
// itself stays boundary-only.
//
// Not for: tests, which use standin/scenario_run.h directly.
//
//   ScenarioProgramOptions options{.file = "scenarios/quick-cup.yaml", .virtualTime = true};
//   return RunScenarioProgram(*host, options);
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "host/plugin_host.h"

namespace kiv::host {

struct ScenarioProgramOptions {
  std::string file;
  bool virtualTime = false;     // as fast as possible; otherwise paced at the speed
  std::optional<double> speed;  // virtual seconds per real second
  std::optional<uint64_t> seed;
  const std::atomic<bool>* stop = nullptr;
  /// Called once the plugin has started (e.g. to open an HTTP gateway).
  std::function<bool()> started;
  /// Called for every event the plugin publishes.
  std::function<void(const PublishedEvent&)> onEvent;
  /// Called for every request a scenario step made and the plugin answered,
  /// with the whole answer.
  std::function<void(const HostRequest&, const HostResponse&)> onAnswer;
  /// Called for every line of the run's log, as it is printed.
  std::function<void(const std::string&)> onLine;
  /// Called once, before the plugin starts, with the run's clock: the
  /// tournament service's milliseconds (UTC), callable from any thread.
  std::function<void(std::function<int64_t()>)> clockReady;
  /// Holds the run at this offset from the scenario's start (e.g. "2m")
  /// until `resume` is set (or `stop`); empty: no hold.
  std::string holdAt;
  const std::atomic<bool>* resume = nullptr;
  /// Called after the run, while its world still answers the plugin (e.g.
  /// to go on serving until interrupted).
  std::function<void()> finished;
};

/// Runs the scenario against `host` (loaded, not initialized; the caller shuts
/// it down afterwards), printing its
/// log and closing table to standard output; a bad file is reported on
/// standard error. Returns the exit status: 0 when every step passed, 1 when
/// a step failed, 2 for a file that cannot be used (or a bad hold time).
int RunScenarioProgram(PluginHost& host, const ScenarioProgramOptions& options);

}  // namespace kiv::host
