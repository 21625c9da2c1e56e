// One full tournament as the user interface reads it (the tournament with
// phases and reward tables, 16 registered rosters of 5 players, a
// double-elimination bracket of 30 matches), from JSON text to native records
// and back to JSON text, beside a bare RapidJSON parse and write of the same
// text in the same run. The steps of the round trip are measured alone too.
#include <benchmark/benchmark.h>

#include <malloc.h>
#include <rapidjson/document.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "joust/model/api/bracket.h"
#include "joust/model/api/roster.h"
#include "joust/model/api/tournament.h"
#include "sdk/codec/json_reader.h"
#include "sdk/codec/json_writer.h"
#include "sdk/value/native/convert.h"

namespace bench {

struct FullTournament {
  Api::Tournament tournament;
  std::vector<Api::Roster> rosters;
  Api::Bracket bracket;
};
constexpr auto DescribeRecord(const FullTournament*) {
  using T = FullTournament;
  return kiv::Record<T>("FullTournament", kiv::Field("tournament", &T::tournament),
                        kiv::Field("rosters", &T::rosters), kiv::Field("bracket", &T::bracket));
}

LCDS::JoustRewardOutput Reward(int tier, LCDS::JoustRewardType type) {
  const std::string level = std::to_string(tier);
  return {.primary = {type,
                      {"pedestal_" + level, "cup_" + level, "gem_" + level, level, "4", "theme_12",
                       level, "2026", "joust_reward_" + level, "1"}},
          .alternative = {LCDS::JoustRewardType::kLoot, {.name = "loot_" + level, .quantity = "3"}},
          .grant = LCDS::JoustRewardTime::kEot,
          .show = LCDS::JoustRewardTime::kEob};
}

FullTournament MakeTournament() {
  FullTournament full;
  Api::Tournament& tournament = full.tournament;
  tournament = {.id = 7001,
                .themeId = 12,
                .nameLocKey = "joust_tournament_spring_cup",
                .buyInOptions = {1, 2, 3, 4},
                .entryFee = 1,
                .rosterSize = 5,
                .allowRosterCreation = true,
                .scoutingDurationMs = 1800000,
                .startTimeMs = 1767225600000,
                .endTimeMs = 1767398400000,
                .maxSubstitutes = 2};
  for (int period = 1; period <= 4; ++period) {
    tournament.phases.push_back({.id = 70010 + period,
                                 .tournamentId = 7001,
                                 .period = period,
                                 .lockinStartTime = 1767225600000 + period * 7200000,
                                 .scoutingStartTime = 1767229200000 + period * 7200000});
  }
  for (const char* table : {"tier", "wins"}) {
    LCDS::JoustRewardConfigClient& config = tournament.rewardConfig.emplace_back();
    config = {.name = table,
              .grantToSub = true,
              .keyDef = {LCDS::JoustRewardKeyType::kTier, LCDS::JoustRewardKeyType::kWins}};
    for (int tier = 1; tier <= 4; ++tier) {
      config.entries.push_back({.key = std::to_string(tier),
                                .vals = {Reward(tier, LCDS::JoustRewardType::kTrophy),
                                         Reward(tier, LCDS::JoustRewardType::kFlag)}});
    }
  }
  for (int r = 0; r < 16; ++r) {
    Api::Roster& roster = full.rosters.emplace_back();
    roster = {.tournamentId = 7001,
              .id = std::to_string(500100 + r),
              .name = "Roster number " + std::to_string(r),
              .shortName = "R" + std::to_string(r),
              .iconId = 20 + r,
              .iconColorId = r % 5,
              .availableIcons = {{20 + r, 5}, {3, 2}},
              .captainSummonerId = 2000000000ull + 10 * r,
              .tier = 1 + r % 4,
              .wins = r % 3,
              .losses = r % 2,
              .isRegistered = true,
              .isActiveInCurrentPhase = true};
    for (int m = 0; m < 5; ++m) {
      Api::RosterMember& member = roster.members.emplace_back();
      member = {.summonerId = 2000000000ull + 10 * r + m,
                .biddingData = {.currentBid = m + 1},
                .state = Api::RosterMemberState::kReady,
                .position = static_cast<LCDS::Position>(m)};
      member.biddingData.incomingOffers.push_back(
          {.summonerId = 2000000000ull + 10 * r + (m + 1) % 5, .amount = 1});
    }
    roster.phaseInfos.push_back({.phaseId = 70011, .period = 1});
    roster.withdraw = {
        .voteTimeoutMs = 300000, .lockoutTimeMs = 600000, .gameStartBufferMs = 60000};
  }
  Api::Bracket& bracket = full.bracket;
  bracket = {.tournamentId = 7001,
             .id = 90001,
             .size = 16,
             .currentRound = 3,
             .currentLoserRound = 4,
             .period = 1};
  // Double elimination of 16: 15 winners' matches, 14 losers' matches, the final.
  const auto match = [&](int id, int round, int order, bool loser) {
    const int64_t first = 500100 + (id * 7) % 16, second = 500100 + (id * 11 + 3) % 16;
    return LCDS::BracketMatch{id,
                              round,
                              order,
                              first,
                              second,
                              1767240000000 + round * 3600000,
                              1767240300000 + round * 3600000,
                              LCDS::ClientBracketMatchStatus::kCompleted,
                              first,
                              4000000 + id,
                              loser};
  };
  int id = 1;
  for (int round = 1, count = 8; count >= 1; ++round, count /= 2) {
    for (int order = 0; order < count; ++order)
      bracket.matches.push_back(match(id++, round, order, false));
  }
  int loserRound = 1;
  for (int count : {4, 4, 2, 2, 1, 1}) {
    for (int order = 0; order < count; ++order) {
      bracket.loserBracketMatches.push_back(match(id++, loserRound, order, true));
    }
    ++loserRound;
  }
  bracket.matches.push_back(match(id++, 5, 0, false));  // the final
  for (const Api::Roster& roster : full.rosters) {
    bracket.rosters.push_back(
        {std::stoll(roster.id), roster.name, roster.shortName, roster.iconId, roster.iconColorId});
  }
  return full;
}

const std::string& TournamentJson() {
  static const std::string text = [] {
    kiv::BindingProperty status;
    const FullTournament full = MakeTournament();
    if (full.bracket.matches.size() + full.bracket.loserBracketMatches.size() != 30) std::abort();
    std::string json = kiv::WriteJson(kiv::ToValue(full, status));
    if (!status.IsValid()) std::abort();
    return json;
  }();
  return text;
}

void ModelRoundTrip(benchmark::State& state) {
  const std::string& text = TournamentJson();
  for (auto _ : state) {
    kiv::BindingProperty status;
    FullTournament full;
    kiv::FromValue(kiv::ReadJson(text), "<value>", full, status);
    std::string json = kiv::WriteJson(kiv::ToValue(full, status));
    if (!status.IsValid() || json.size() != text.size()) std::abort();
    benchmark::DoNotOptimize(json);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

void RapidJsonParseAndWrite(benchmark::State& state) {
  const std::string& text = TournamentJson();
  for (auto _ : state) {
    rapidjson::Document document;
    document.Parse<rapidjson::kParseFullPrecisionFlag>(text.c_str());
    rapidjson::StringBuffer buffer;
    rapidjson::Writer<rapidjson::StringBuffer> writer(buffer);
    document.Accept(writer);
    if (document.HasParseError() || buffer.GetSize() != text.size()) std::abort();
    benchmark::DoNotOptimize(buffer);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

// The round trip's four steps, each alone.
void StepReadJson(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(kiv::ReadJson(TournamentJson()));
}
void StepFromValue(benchmark::State& state) {
  const kiv::BindingProperty value = kiv::ReadJson(TournamentJson());
  for (auto _ : state) {
    kiv::BindingProperty status;
    FullTournament full;
    kiv::FromValue(value, "<value>", full, status);
    benchmark::DoNotOptimize(full);
  }
}
void StepToValue(benchmark::State& state) {
  const FullTournament full = MakeTournament();
  for (auto _ : state) {
    kiv::BindingProperty status;
    benchmark::DoNotOptimize(kiv::ToValue(full, status));
  }
}
void StepWriteJson(benchmark::State& state) {
  const kiv::BindingProperty value = kiv::ReadJson(TournamentJson());
  for (auto _ : state) benchmark::DoNotOptimize(kiv::WriteJson(value));
}

// The reference's two steps.
void StepRapidJsonParse(benchmark::State& state) {
  for (auto _ : state) {
    rapidjson::Document document;
    document.Parse<rapidjson::kParseFullPrecisionFlag>(TournamentJson().c_str());
    benchmark::DoNotOptimize(document);
  }
}
void StepRapidJsonWrite(benchmark::State& state) {
  rapidjson::Document document;
  document.Parse<rapidjson::kParseFullPrecisionFlag>(TournamentJson().c_str());
  for (auto _ : state) {
    rapidjson::StringBuffer buffer;
    rapidjson::Writer<rapidjson::StringBuffer> writer(buffer);
    document.Accept(writer);
    benchmark::DoNotOptimize(buffer);
  }
}

BENCHMARK(ModelRoundTrip)->Unit(benchmark::kMicrosecond);
BENCHMARK(RapidJsonParseAndWrite)->Unit(benchmark::kMicrosecond);
BENCHMARK(StepReadJson)->Unit(benchmark::kMicrosecond);
BENCHMARK(StepFromValue)->Unit(benchmark::kMicrosecond);
BENCHMARK(StepToValue)->Unit(benchmark::kMicrosecond);
BENCHMARK(StepWriteJson)->Unit(benchmark::kMicrosecond);
BENCHMARK(StepRapidJsonParse)->Unit(benchmark::kMicrosecond);
BENCHMARK(StepRapidJsonWrite)->Unit(benchmark::kMicrosecond);

}  // namespace bench

// glibc trims the heap top and returns large blocks as soon as they are
// freed; the reference frees its whole document and buffer every iteration,
// so without this it would spend most of its time faulting the same pages in
// again. Both sides run on a heap that keeps its memory.
int main(int argc, char** argv) {
  mallopt(M_TRIM_THRESHOLD, 1 << 30);
  mallopt(M_MMAP_THRESHOLD, 1 << 30);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
