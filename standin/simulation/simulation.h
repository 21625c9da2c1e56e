// simulation.h: deterministic simulation of the plugin in a random stand-in
// world with faults. One seed makes a scenario (tournaments, rosters, bots,
// a fault plan and a list of random but possible steps: the player's
// commands and reads, logins and logouts, configuration and entitlement
// flips, game-flow availability, other players' service calls); the run
// plays it through the real plugin on the virtual clock and checks the
// invariants after every moment. A failing scenario is cut down to the
// shortest step list that still fails, by removing steps.
//
// The scenario is YAML text, one step per line, so a failure is written out
// as an ordinary scenario file that `kiv-host --scenario` replays.
//
// Not for: the invariants themselves (invariants.h).
//
//   const std::string yaml = GenerateSimulation(7, 2000);
//   SimulationResult result = RunSimulation(pluginPath, yaml, "seed 7");
//   if (!result.passed) WriteFile("tests/standin/regressions/seed-7.yaml", Shrink(...));
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace kiv::standin {

/// The scenario of `seed`, with `steps` steps, as YAML text.
std::string GenerateSimulation(uint64_t seed, int steps);

struct SimulationResult {
  bool passed = false;
  int failedSteps = 0;    // steps that did not behave (calls never answered among them)
  std::string violation;  // the first invariant violated, or empty
  uint64_t moment = 0;    // the moment it was found at
  std::vector<std::string> log;
};

/// Plays `yaml` through the library at `pluginPath` (a fresh host each time).
/// Only invariants and unanswered or twice-answered calls fail a run: the
/// random steps accept any answer.
SimulationResult RunSimulation(const std::string& pluginPath, std::string_view yaml,
                               std::string_view name);

/// `yaml` with as many step lines removed as can be while `fails` still
/// holds of the result (one pass of halves, then single lines).
std::string ShrinkSimulation(std::string yaml,
                             const std::function<bool(std::string_view yaml)>& fails);

}  // namespace kiv::standin
