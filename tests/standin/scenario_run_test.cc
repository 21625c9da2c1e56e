// Whole scenario runs on the virtual clock: the two-day tournament with its
// withdrawal, no-show and substitute; the quick cup through the real plugin,
// whose log is the same for the same seed.
#include "standin/scenario_run.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <set>

#include "host/host_clock.h"

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

std::vector<std::string> RunThroughThePlugin(const Scenario& scenario, uint64_t seed,
                                             std::set<std::string>* topics = nullptr) {
  host::UseVirtualClock(0);
  std::string error;
  auto host = host::PluginHost::Open(KIV_PLUGIN_PATH, &error);
  EXPECT_TRUE(host) << error;
  if (!host) return {};
  host->Load({18, 0, 0});
  ScenarioRun run(*host, scenario, {.seed = seed});
  run.Run();
  if (topics) {
    for (const SentPush& push : run.push().sent()) topics->insert(push.topic);
  }
  std::vector<std::string> log = run.log();
  host->Shutdown();
  host::UseRealClock();
  return log;
}

TEST(ScenarioRun, TheTwoDayTournamentPlaysOutWithAWithdrawalANoShowAndASubstitute) {
  const Scenario scenario = Load("two-day-tournament.yaml");
  host::UseVirtualClock(0);
  auto host = host::PluginHost::Detached();
  ScenarioRun run(*host, scenario, {.requirePlugin = false});
  run.Run();
  host::UseRealClock();
  World& world = run.world();
  EXPECT_TRUE(world.tournaments.at(1).finished);
  ASSERT_EQ(world.brackets.size(), 2u);
  for (const auto& [id, bracket] : world.brackets) EXPECT_TRUE(bracket.Complete()) << id;
  EXPECT_THAT(world.withdrawn, Contains(103)) << "the Grey Foxes voted themselves out";
  EXPECT_TRUE(world.rosters.at(103).eliminated);
  EXPECT_EQ(world.brackets.at(1).Placements().back(), 103);
  EXPECT_THAT(run.log(), Contains(HasSubstr("Absent does not show up")));
  EXPECT_THAT(run.log(), Contains(HasSubstr("Last Minute forfeits")));
  const LCDS::RosterDTO& herons = world.rosters.at(102);
  ASSERT_EQ(herons.dynamicState.phaseRosterSubs.size(), 1u);
  EXPECT_EQ(herons.dynamicState.phaseRosterSubs[0].playerId, 4001u);
  EXPECT_EQ(herons.dynamicState.phaseRosterSubs[0].subState, LCDS::SubState::kNotReady);
  EXPECT_GT(world.players.at(4001).seasonVp, 0) << "the substitute played on day two";
  const auto& day2 = world.brackets.at(2).bracket().rosters;
  EXPECT_EQ(day2.size(), 14u) << "all but the withdrawn roster and yours (no plugin to lock in)";
  std::set<std::string> topics;
  for (const SentPush& push : run.push().sent()) topics.insert(push.topic);
  for (const char* topic : {"roster", "roster-dynamic", "roster-withdraw", "bracket-ready",
                            "eog-bracket-update", "eog-player-update", "no-show-ping"}) {
    EXPECT_TRUE(topics.count(topic)) << topic;
  }
  EXPECT_EQ(world.tournaments.at(1).winners.winners.size(), 1u);
  EXPECT_EQ(world.tournaments.at(1).winners.winners[0].rosterId,
            world.brackets.at(2).Placements().front());
}

TEST(ScenarioRun, TheSameSeedGivesTheSameLogThroughTheRealPlugin) {
  const Scenario scenario = Load("quick-cup.yaml");
  std::set<std::string> topics;
  const std::vector<std::string> first = RunThroughThePlugin(scenario, 7, &topics);
  const std::vector<std::string> second = RunThroughThePlugin(scenario, 7);
  ASSERT_FALSE(first.empty());
  EXPECT_EQ(first, second);
  EXPECT_NE(RunThroughThePlugin(scenario, 8), first);
  EXPECT_THAT(first, Contains(HasSubstr("joust_quick_cup ends")));
  for (const char* topic : {"pending-roster", "roster-player"}) {
    EXPECT_TRUE(topics.count(topic)) << topic << ": bots readying up and registering";
  }
}

}  // namespace
}  // namespace kiv::standin
