// Scenario files: the shipped ones read; bad ones are refused with the file,
// line and column of what is wrong, from one table.
#include "standin/scenario/scenario.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "standin/service/server_clock.h"

namespace kiv::standin {
namespace {

constexpr char kMinimal[] = R"(player: 1
players:
  - {id: 1, name: You}
  - {ids: [10, 14], bot: default}
tournaments:
  - id: 1
    phases:
      - {id: 11, lockIn: 1m, start: 10m}
rosters:
  - {tournament: 1, name: Bots, shortName: BOT, firstMember: 10, phases: [11]}
steps:
  - at: 2m
    call: {method: POST, url: /kiv-joust/v1/refresh}
)";

std::string Refusal(const std::string& text) {
  const auto scenario = ReadScenario(text, "s.yaml");
  return scenario.ok() ? "accepted" : std::string(scenario.failure().Message());
}

TEST(Scenario, TheShippedScenariosRead) {
  for (const char* name : {"quick-cup.yaml", "two-day-tournament.yaml"}) {
    const auto scenario = ReadScenarioFile(std::string(KIV_SCENARIOS_DIR) + "/" + name);
    ASSERT_TRUE(scenario.ok()) << scenario.failure().Message();
    EXPECT_FALSE(scenario->steps.empty());
  }
  const auto minimal = ReadScenario(kMinimal, "s.yaml");
  ASSERT_TRUE(minimal.ok()) << minimal.failure().Message();
  EXPECT_EQ(minimal->players.size(), 6u);
  EXPECT_EQ(minimal->players[5].name, "Bot 14");
  EXPECT_THAT(minimal->rosters[0].members, ::testing::ElementsAre(10, 11, 12, 13, 14));
  EXPECT_EQ(minimal->tournaments[0].phases[0].startMs, 600'000);
  EXPECT_EQ(minimal->steps[0].line, 12);
  EXPECT_EQ(ParseDuration("1h30m"), 5'400'000);
  EXPECT_EQ(ParseDuration("250ms"), 250);
  EXPECT_EQ(ParseDuration("90"), 90'000);
  EXPECT_EQ(ParseDuration("3x"), std::nullopt);
  EXPECT_EQ(ParseDuration("999999999d999999999d999999999d"), std::nullopt);
  EXPECT_EQ(ParseUtcTime("1970-01-02T00:00:01Z"), 86'401'000);
  EXPECT_EQ(FormatUtcTime(*ParseUtcTime("2028-02-29T23:59:59Z")), "2028-02-29 23:59:59");
  EXPECT_EQ(ParseUtcTime("2026-13-01T00:00:00Z"), std::nullopt);
}

TEST(Scenario, BadFilesNameTheFileLineAndColumn) {
  auto replaced = [](std::string from, std::string to) {
    std::string text = kMinimal;
    text.replace(text.find(from), from.size(), to);
    return text;
  };
  struct Row {
    std::string text;
    const char* refusal;
  };
  const Row rows[] = {
      {"player: [1\n", "s.yaml:2:1: YAML parser error: did not find expected ',' or ']'"},
      {replaced("player: 1", "playr: 1"), "s.yaml:1:1: playr: unknown field 'playr'"},
      {replaced("lockIn: 1m", "lockIn: soon"),
       "s.yaml:8:18: tournaments[0].phases[0].lockIn: expected a duration such as 90s, 3m or "
       "1h30m"},
      {replaced("start: 10m", "start: 30s"),
       "s.yaml:8:30: tournaments[0].phases[0].start: must come after lockIn"},
      {replaced("bot: default", "bot: sleepy"),
       "s.yaml:4:21: players[1].bot: no behaviour 'sleepy'"},
      {replaced("player: 1", "player: 10"),
       "s.yaml:1:1: player: must be one of the players, without a bot behaviour"},
      {replaced("firstMember: 10", "firstMember: 11"),
       "s.yaml:10:5: rosters[0].members: no player 15"},
      {replaced("phases: [11]", "phases: [12]"), "s.yaml:10:66: rosters[0].phases: no phase 12"},
      {replaced("{id: 1, name: You}", "{id: -1, name: You}"),
       "s.yaml:3:6: players[0].id: must be between 1 and 9223372036854775807"},
      {replaced("    call: {method: POST, url: /kiv-joust/v1/refresh}\n", ""),
       "s.yaml:12:5: steps[0]: a step does exactly one of call, event, service or expect"},
      {replaced("url: /kiv-joust/v1/refresh", "uri: /kiv-joust/v1/refresh"),
       "s.yaml:13:26: steps[0].call.uri: unknown field 'uri'"},
      {replaced("tournaments:\n  - id: 1", "tournaments:\n  - id: x"),
       "s.yaml:6:5: tournaments[0].id: expected a whole number"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    EXPECT_EQ(Refusal(row.text), row.refusal);
  }
  EXPECT_EQ(ReadScenarioFile("/nonexistent.yaml").failure().Message(),
            "/nonexistent.yaml: cannot read the file");
}

}  // namespace
}  // namespace kiv::standin
