// stats.h: the user interface's statistics records: a roster's results by
// period, match and player, and the scouting data of players.
//
// Not for: the backend's statistics (lcds/stats.h), whose members are named
// differently and nested in a "stats" record.
//
//   Api::RosterStats stats{.rosterId = 42, .rosterName = "Tiber"};
//   stats.playerStats["7"].rawStatsMax["kills"] = 9;
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "joust/model/api/enums.h"
#include "joust/model/describe.h"

namespace Api {

struct RankedScoutingTopChampion {
  int32_t championId = 0;
  int32_t rank = 0;
  int32_t winCount = 0;
  int32_t gameCount = 0;
  int32_t winRate = 0;
  std::string kda;
  KdaClassification kdaClassification = KdaClassification::kLow;
};
constexpr auto DescribeRecord(const RankedScoutingTopChampion*) {
  using T = RankedScoutingTopChampion;
  return Record<T>("RankedScoutingTopChampion", Field("championId", &T::championId),
                   Field("rank", &T::rank, "Rank among the player's champions"),
                   Field("winCount", &T::winCount, "Games won"),
                   Field("gameCount", &T::gameCount, "Games played"), Field("winRate", &T::winRate),
                   Field("kda", &T::kda, "Kill/death/assist ratio as text"),
                   Field("kdaClassification", &T::kdaClassification, "Class of the ratio"))
      .Described("One champion of a scouted player.");
}

struct RankedScoutingMember {
  uint64_t playerId = 0;
  std::vector<RankedScoutingTopChampion> championScoutingData;
};
constexpr auto DescribeRecord(const RankedScoutingMember*) {
  using T = RankedScoutingMember;
  return Record<T>("RankedScoutingMember", Field("playerId", &T::playerId),
                   Field("championScoutingData", &T::championScoutingData))
      .Described("The scouting data of one player.");
}

struct RosterMatchAggregatedStats {
  int32_t round = 0;
  int64_t durationMs = 0;
  std::string opponentShortName;
  int32_t opponentIconId = 0;
  int32_t opponentIconColorId = 0;
  bool win = false;
  bool loserBracket = false;
  int64_t gameId = -1;
  std::map<std::string, int32_t> playerChampionIds;
};
constexpr auto DescribeRecord(const RosterMatchAggregatedStats*) {
  using T = RosterMatchAggregatedStats;
  return Record<T>(
             "RosterMatchAggregatedStats", Field("round", &T::round, "Bracket round"),
             Field("durationMs", &T::durationMs, "Game length"),
             Field("opponentShortName", &T::opponentShortName, "Opponent's tag"),
             Field("opponentIconId", &T::opponentIconId),
             Field("opponentIconColorId", &T::opponentIconColorId, "Opponent's icon colour"),
             Field("win", &T::win, "The roster won"),
             Field("loserBracket", &T::loserBracket, "Match of the losers' bracket"),
             Field("gameId", &T::gameId),
             Field("playerChampionIds", &T::playerChampionIds, "Champion played, by player key"))
      .Described("A roster's statistics of one match.");
}

struct RosterPeriodAggregatedStats {
  int32_t period = 0;
  int32_t bracketSize = 0;
  int64_t time = -1;
  std::vector<RosterMatchAggregatedStats> matchStats;
};
constexpr auto DescribeRecord(const RosterPeriodAggregatedStats*) {
  using T = RosterPeriodAggregatedStats;
  return Record<T>("RosterPeriodAggregatedStats", Field("period", &T::period),
                   Field("bracketSize", &T::bracketSize), Field("time", &T::time),
                   Field("matchStats", &T::matchStats))
      .Described("A roster's statistics of one period.");
}

struct RosterPlayerAggregatedStats {
  std::map<std::string, int32_t> rawStatsSum;
  std::map<std::string, int32_t> rawStatsMax;
};
constexpr auto DescribeRecord(const RosterPlayerAggregatedStats*) {
  using T = RosterPlayerAggregatedStats;
  return Record<T>("RosterPlayerAggregatedStats",
                   Field("rawStatsSum", &T::rawStatsSum, "Sums by statistic name"),
                   Field("rawStatsMax", &T::rawStatsMax, "Maxima by statistic name"))
      .Described("One player's statistics.");
}

struct RosterStats {
  int64_t rosterId = -1;
  int32_t tournamentThemeId = 0;
  std::string tournamentNameLocKey;
  int32_t tournamentPeriods = 0;
  int32_t tier = 0;
  std::string rosterName;
  std::string rosterShortName;
  int32_t rosterIconId = 0;
  int32_t rosterIconColorId = 0;
  std::vector<RosterPeriodAggregatedStats> periodStats;
  std::map<std::string, RosterPlayerAggregatedStats> playerStats;
};
constexpr auto DescribeRecord(const RosterStats*) {
  using T = RosterStats;
  return Record<T>("RosterStats", Field("rosterId", &T::rosterId),
                   Field("tournamentThemeId", &T::tournamentThemeId),
                   Field("tournamentNameLocKey", &T::tournamentNameLocKey),
                   Field("tournamentPeriods", &T::tournamentPeriods), Field("tier", &T::tier),
                   Field("rosterName", &T::rosterName),
                   Field("rosterShortName", &T::rosterShortName),
                   Field("rosterIconId", &T::rosterIconId),
                   Field("rosterIconColorId", &T::rosterIconColorId),
                   Field("periodStats", &T::periodStats), Field("playerStats", &T::playerStats))
      .Described("A roster's statistics.");
}

}  // namespace Api
