// scenario.h: a stand-in world described in a YAML file: the clock, the
// players (people and bots with their behaviours), the tournaments with
// their phases, the rosters at the start, and scripted steps (call one of
// the plugin's endpoints, fire a neighbour event, call the service as a
// player, expect a published resource).
//
// Times are written as offsets from the clock's start ("90s", "3m",
// "1h30m", "2d"; a bare number is seconds). A file that cannot be used is
// refused with "FILE:LINE:COLUMN: message", naming where in the document it
// went wrong (the YAML reader's position for syntax errors, the offending
// node's for unknown fields and wrong values); nothing is half-read.
//
// Not for: running a scenario (scenario_run.h).
//
//   MaybeType<Failure, Scenario> scenario = ReadScenarioFile("scenarios/quick-cup.yaml");
//   if (!scenario.ok()) std::puts(std::string(scenario.failure().Message()).c_str());
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sdk/value/failure.h"
#include "sdk/value/maybe_type.h"
#include "standin/service/world.h"
#include "standin/simulation/fault_plan.h"

namespace kiv::standin {

struct ScenarioPlayer {
  uint64_t id = 0;
  std::string name;
  int32_t tickets = 10;
  std::string bot;  // a behaviour's name; empty for the person behind the plugin
};

struct ScenarioPhase {
  int64_t id = -1;
  int32_t period = 1;
  int64_t lockInMs = 0;  // registration opens
  int64_t startMs = 0;
};

struct ScenarioTournament {
  int64_t id = -1;
  std::string name;
  int32_t themeId = 1;
  int32_t rosterSize = 5;
  int32_t entryFee = 1;
  int32_t maxSub = 1;
  int32_t queueId = 700;
  int64_t scoutingMs = 3 * 60'000;
  int64_t gameMinMs = 20 * 60'000;
  int64_t gameMaxMs = 30 * 60'000;
  int64_t startMs = 0;
  int64_t endMs = 0;
  int64_t createDeadlineMs = 0;  // 0: the last phase's start
  std::vector<ScenarioPhase> phases;
};

struct ScenarioRoster {
  int64_t tournament = -1;
  std::string name;
  std::string shortName;
  int32_t logo = 0;
  int32_t logoColor = 0;
  std::vector<uint64_t> members;  // the first is the captain ("firstMember": a run of ids)
  std::vector<uint64_t> invited;  // pending invitations (pending rosters only)
  std::vector<int64_t> phases;    // registered for these phases; none: a pending roster
};

struct ScenarioStep {
  enum class Kind { kCall, kEvent, kService, kExpect };
  Kind kind = Kind::kCall;
  int64_t atMs = 0;
  bool whenFinished = false;  // "at: finished": after every tournament ended
  int line = 0;               // where the step starts in the file
  // kCall: an endpoint of the plugin.
  std::string method;
  std::string url;
  std::string bodyJson;            // empty: no body
  std::optional<uint32_t> status;  // expected status
  bool anyStatus = false;          // any answer passes ("expect: {status: any}")
  // kEvent: a neighbour resource set to `dataJson`.
  std::string uri;
  std::string dataJson;
  // kService: a method of the service called by player `as`.
  uint64_t as = 0;
  std::string argsJson = "{}";
  std::string outcome = "ok";  // "ok" or the expected refusal
  // kExpect: the last published value of `uri` holds `dataJson`.
};

struct Scenario {
  std::string file;
  std::string name;
  uint64_t seed = 1;
  int64_t epochMs = 0;
  double speed = 60;
  int64_t limitMs = 0;  // 0: an hour after the last tournament's end
  uint64_t player = 0;
  std::map<std::string, BotBehaviour> behaviours;
  std::vector<ScenarioPlayer> players;
  std::vector<ScenarioTournament> tournaments;
  std::vector<ScenarioRoster> rosters;
  std::vector<ScenarioStep> steps;
  FaultPlan faults;  // none unless the file has `faults:`
};

/// Parses `text` (the contents of `file`, which only names it in messages).
MaybeType<Failure, Scenario> ReadScenario(std::string_view text, std::string_view file);
/// Reads and parses the file at `path`.
MaybeType<Failure, Scenario> ReadScenarioFile(const std::string& path);
/// Milliseconds of "90s", "3m", "1h30m", "2d", "250ms" or a number of seconds.
std::optional<int64_t> ParseDuration(std::string_view text);

}  // namespace kiv::standin
