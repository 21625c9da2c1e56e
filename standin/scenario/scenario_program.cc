// kiv-host's scenario runs (host/scenario_program.h), over ScenarioRun.
#include <cstdio>
#include <optional>
#include <string>

#include "host/host_clock.h"
#include "host/scenario_program.h"
#include "standin/scenario/scenario.h"
#include "standin/scenario/scenario_run.h"

namespace kiv::host {

int RunScenarioProgram(PluginHost& host, const ScenarioProgramOptions& options) {
  auto scenario = standin::ReadScenarioFile(options.file);
  if (!scenario.ok()) {
    std::fprintf(stderr, "kiv-host: %s\n", std::string(scenario.failure().Message()).c_str());
    return 2;
  }
  std::optional<int64_t> holdAt;
  if (!options.holdAt.empty()) {
    holdAt = standin::ParseDuration(options.holdAt);
    if (!holdAt) {
      std::fprintf(stderr, "kiv-host: bad hold time %s (e.g. 90s, 2m, 1d2h)\n",
                   options.holdAt.c_str());
      return 2;
    }
  }
  standin::RunOptions run;
  run.holdAtMs = holdAt;
  run.resume = options.resume;
  run.seed = options.seed;
  run.virtualTime = options.virtualTime;
  run.speed = options.speed;
  run.stop = options.stop;
  run.onEvent = options.onEvent;
  run.onAnswer = options.onAnswer;
  run.started = options.started;
  run.print = [&options](const std::string& line) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
    if (options.onLine) options.onLine(line);
  };
  host.SetKeepHistory(false);
  standin::ScenarioRun runner(host, *scenario, std::move(run));
  if (options.clockReady) {
    // The run's clock started at the scenario's epoch just now: the host's
    // (virtual) clock has not moved since the run was made.
    const int64_t epochMs = scenario->epochMs;
    const int64_t startNanoseconds = MonotonicNow();
    options.clockReady([epochMs, startNanoseconds] {
      return epochMs + (MonotonicNow() - startNanoseconds) / 1'000'000;
    });
  }
  const int status = runner.Run() == 0 ? 0 : 1;
  if (options.finished) options.finished();
  return status;
}

}  // namespace kiv::host
