// Whole scenario runs through the real plugin on the virtual clock: every
// shipped scenario plays without a failed step; the two-day tournament with
// its withdrawal, no-show and substitute; the quick cup's log is the same for
// the same seed.
#include "standin/scenario/scenario_run.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <set>

#include "host/host_clock.h"
#include "standin/simulation/simulation.h"

namespace kiv::standin {
namespace {

using ::testing::Contains;
using ::testing::HasSubstr;
using Status = LCDS::ClientBracketMatchStatus;

Scenario Load(const char* name) {
  auto scenario = ReadScenarioFile(std::string(KIV_SCENARIOS_DIR) + "/" + name);
  EXPECT_TRUE(scenario.ok()) << scenario.failure().Message();
  return std::move(scenario).take();
}

struct PluginRun {
  int failures = -1;  // failed steps; -1 when the plugin could not be loaded
  std::vector<std::string> log;
  std::set<std::string> topics;  // of every push the service sent
  World world;
};

PluginRun RunThroughThePlugin(const Scenario& scenario, std::optional<uint64_t> seed = {}) {
  host::UseVirtualClock(0);
  PluginRun result;
  std::string error;
  auto host = host::PluginHost::Open(KIV_PLUGIN_PATH, &error);
  EXPECT_TRUE(host) << error;
  if (!host) return result;
  host->Load({18, 0, 0});
  {
    ScenarioRun run(*host, scenario, {.seed = seed});
    result.failures = run.Run();
    for (const SentPush& push : run.push().sent()) result.topics.insert(push.topic);
    result.log = run.log();
    result.world = run.world();
  }
  host->Shutdown();
  host::UseRealClock();
  return result;
}

std::string Joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

class EveryShippedScenario : public ::testing::TestWithParam<std::string> {};

TEST_P(EveryShippedScenario, PlaysThroughThePluginWithoutAFailedStep) {
  auto scenario = ReadScenarioFile(GetParam());
  ASSERT_TRUE(scenario.ok()) << scenario.failure().Message();
  const PluginRun run = RunThroughThePlugin(*scenario);
  EXPECT_EQ(run.failures, 0) << Joined(run.log);
  ASSERT_FALSE(run.log.empty());
  EXPECT_THAT(run.log.back(), HasSubstr(", 0 failed"));
}

std::vector<std::string> YamlFilesIn(const char* folder) {
  std::vector<std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (entry.path().extension() == ".yaml") files.push_back(entry.path().string());
  }
  std::sort(files.begin(), files.end());
  return files;
}

INSTANTIATE_TEST_SUITE_P(Files, EveryShippedScenario,
                         ::testing::ValuesIn(YamlFilesIn(KIV_SCENARIOS_DIR)), [](const auto& info) {
                           std::string name = std::filesystem::path(info.param).stem().string();
                           std::replace(name.begin(), name.end(), '-', '_');
                           return name;
                         });

// Scenarios a failing simulation seed was cut down to: each replays with the
// simulation's invariants checked at every moment.
class EveryRegressionScenario : public ::testing::TestWithParam<std::string> {};

TEST_P(EveryRegressionScenario, HoldsTheSimulationsInvariants) {
  std::ifstream file(GetParam(), std::ios::binary);
  ASSERT_TRUE(file) << GetParam();
  const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  const SimulationResult result = RunSimulation(KIV_PLUGIN_PATH, text, GetParam());
  EXPECT_TRUE(result.passed) << result.violation << "\n" << Joined(result.log);
}

INSTANTIATE_TEST_SUITE_P(Files, EveryRegressionScenario,
                         ::testing::ValuesIn(YamlFilesIn(KIV_REGRESSIONS_DIR)),
                         [](const auto& info) {
                           std::string name = std::filesystem::path(info.param).stem().string();
                           std::replace(name.begin(), name.end(), '-', '_');
                           return name;
                         });

TEST(ScenarioRun, TheTwoDayTournamentPlaysOutWithAWithdrawalANoShowAndASubstitute) {
  const PluginRun run = RunThroughThePlugin(Load("two-day-tournament.yaml"));
  ASSERT_EQ(run.failures, 0) << Joined(run.log);
  const World& world = run.world;
  EXPECT_TRUE(world.tournaments.at(1).finished);
  ASSERT_EQ(world.brackets.size(), 2u);
  for (const auto& [id, bracket] : world.brackets) EXPECT_TRUE(bracket.Complete()) << id;
  EXPECT_THAT(world.withdrawn, Contains(103)) << "the Grey Foxes voted themselves out";
  EXPECT_TRUE(world.rosters.at(103).eliminated);
  EXPECT_EQ(world.brackets.at(1).Placements().back(), 103);
  EXPECT_THAT(run.log, Contains(HasSubstr("Absent does not show up")));
  EXPECT_THAT(run.log, Contains(HasSubstr("Last Minute forfeits")));
  const LCDS::RosterDTO& herons = world.rosters.at(102);
  ASSERT_EQ(herons.dynamicState.phaseRosterSubs.size(), 1u);
  EXPECT_EQ(herons.dynamicState.phaseRosterSubs[0].playerId, 4001u);
  EXPECT_EQ(herons.dynamicState.phaseRosterSubs[0].subState, LCDS::SubState::kNotReady);
  EXPECT_GT(world.players.at(4001).seasonVp, 0) << "the substitute played on day two";
  const auto& day2 = world.brackets.at(2).bracket().rosters;
  EXPECT_EQ(day2.size(), 15u) << "all but the withdrawn roster: yours locked in through the plugin";
  for (const char* topic : {"roster", "roster-dynamic", "roster-withdraw", "bracket-ready",
                            "eog-bracket-update", "eog-player-update", "no-show-ping"}) {
    EXPECT_TRUE(run.topics.count(topic)) << topic;
  }
  EXPECT_EQ(world.tournaments.at(1).winners.winners.size(), 1u);
  EXPECT_EQ(world.tournaments.at(1).winners.winners[0].rosterId,
            world.brackets.at(2).Placements().front());
}

TEST(ScenarioRun, TheSameSeedGivesTheSameLogThroughTheRealPlugin) {
  const Scenario scenario = Load("quick-cup.yaml");
  const PluginRun first = RunThroughThePlugin(scenario, 7);
  const PluginRun second = RunThroughThePlugin(scenario, 7);
  ASSERT_FALSE(first.log.empty());
  EXPECT_EQ(first.log, second.log);
  EXPECT_NE(RunThroughThePlugin(scenario, 8).log, first.log);
  EXPECT_THAT(first.log, Contains(HasSubstr("joust_quick_cup ends")));
  for (const char* topic : {"pending-roster", "roster-player"}) {
    EXPECT_TRUE(first.topics.count(topic)) << topic << ": bots readying up and registering";
  }
}

}  // namespace
}  // namespace kiv::standin
