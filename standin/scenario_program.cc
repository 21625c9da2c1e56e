// kiv-host's scenario runs (host/scenario_program.h), over ScenarioRun.
#include <cstdio>
#include <string>

#include "host/scenario_program.h"
#include "standin/scenario.h"
#include "standin/scenario_run.h"

namespace kiv::host {

int RunScenarioProgram(PluginHost& host, const ScenarioProgramOptions& options) {
  auto scenario = standin::ReadScenarioFile(options.file);
  if (!scenario.ok()) {
    std::fprintf(stderr, "kiv-host: %s\n", std::string(scenario.failure().Message()).c_str());
    return 2;
  }
  standin::RunOptions run;
  run.seed = options.seed;
  run.virtualTime = options.virtualTime;
  run.speed = options.speed;
  run.stop = options.stop;
  run.onEvent = options.onEvent;
  run.started = options.started;
  run.print = [](const std::string& line) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
  };
  host.SetKeepHistory(false);
  standin::ScenarioRun runner(host, *scenario, std::move(run));
  return runner.Run() == 0 ? 0 : 1;
}

}  // namespace kiv::host
