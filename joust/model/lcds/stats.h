// stats.h: the backend's statistics records: a roster's results by period,
// match and player, and the scouting data of players.
//
// Not for: the statistics as the user interface reads them (api/stats.h:
// other member names, no nested "stats" record).
//
//   LCDS::RosterStatsDTO stats{.rosterId = 42, .rosterName = "Tiber"};
//   stats.stats.playerStats["7"].rawStatsSum["kills"] = 12;
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "joust/model/describe.h"

namespace LCDS {

struct RosterMatchAggregatedStatsDTO {
  int32_t round = 0;
  int64_t duration = 0;
  std::string opponentShortName;
  int32_t opponentLogo = 0;
  int32_t opponentLogoColor = 0;
  bool win = false;
  bool loserBracket = false;
  int64_t gameId = -1;
  std::map<std::string, int32_t> playerChampionIds;
};
constexpr auto DescribeRecord(const RosterMatchAggregatedStatsDTO*) {
  using T = RosterMatchAggregatedStatsDTO;
  return Record<T>("RosterMatchAggregatedStatsDTO", Field("round", &T::round),
                   Field("duration", &T::duration),
                   Field("opponentShortName", &T::opponentShortName),
                   Field("opponentLogo", &T::opponentLogo),
                   Field("opponentLogoColor", &T::opponentLogoColor), Field("win", &T::win),
                   Field("loserBracket", &T::loserBracket), Field("gameId", &T::gameId),
                   Field("playerChampionIds", &T::playerChampionIds))
      .Described("A roster's statistics of one match.");
}

struct RosterPeriodAggregatedStatsDTO {
  int32_t period = 0;
  int32_t bracketSize = 0;
  int64_t time = -1;
  std::vector<RosterMatchAggregatedStatsDTO> matchStats;
};
constexpr auto DescribeRecord(const RosterPeriodAggregatedStatsDTO*) {
  using T = RosterPeriodAggregatedStatsDTO;
  return Record<T>("RosterPeriodAggregatedStatsDTO", Field("period", &T::period),
                   Field("bracketSize", &T::bracketSize), Field("time", &T::time),
                   Field("matchStats", &T::matchStats))
      .Described("A roster's statistics of one period.");
}

struct RosterPlayerAggregatedStatsDTO {
  std::map<std::string, int32_t> rawStatsSum;
  std::map<std::string, int32_t> rawStatsMax;
};
constexpr auto DescribeRecord(const RosterPlayerAggregatedStatsDTO*) {
  using T = RosterPlayerAggregatedStatsDTO;
  return Record<T>("RosterPlayerAggregatedStatsDTO", Field("rawStatsSum", &T::rawStatsSum),
                   Field("rawStatsMax", &T::rawStatsMax))
      .Described("One player's statistics.");
}

struct RosterAggregatedStatsDTO {
  std::vector<RosterPeriodAggregatedStatsDTO> periodStats;
  std::map<std::string, RosterPlayerAggregatedStatsDTO> playerStats;
};
constexpr auto DescribeRecord(const RosterAggregatedStatsDTO*) {
  using T = RosterAggregatedStatsDTO;
  return Record<T>("RosterAggregatedStatsDTO", Field("periodStats", &T::periodStats),
                   Field("playerStats", &T::playerStats))
      .Described("A roster's statistics by period and by player.");
}

struct RosterStatsDTO {
  int64_t rosterId = -1;
  int32_t tournamentThemeId = 0;
  std::string tournamentNameLocKey;
  int32_t tournamentPeriods = 0;
  int32_t tier = 0;
  std::string rosterName;
  std::string rosterShortName;
  int32_t rosterLogo = 0;
  int32_t rosterLogoColor = 0;
  RosterAggregatedStatsDTO stats;
};
constexpr auto DescribeRecord(const RosterStatsDTO*) {
  using T = RosterStatsDTO;
  return Record<T>("RosterStatsDTO", Field("rosterId", &T::rosterId),
                   Field("tournamentThemeId", &T::tournamentThemeId),
                   Field("tournamentNameLocKey", &T::tournamentNameLocKey),
                   Field("tournamentPeriods", &T::tournamentPeriods), Field("tier", &T::tier),
                   Field("rosterName", &T::rosterName),
                   Field("rosterShortName", &T::rosterShortName),
                   Field("rosterLogo", &T::rosterLogo),
                   Field("rosterLogoColor", &T::rosterLogoColor), Field("stats", &T::stats))
      .Described("A roster's statistics.");
}

struct RankedScoutingTopChampionDTO {
  int32_t championId = 0;
  int32_t rank = 0;
  int32_t winCount = 0;
  int32_t gameCount = 0;
  float kda = 0;
};
constexpr auto DescribeRecord(const RankedScoutingTopChampionDTO*) {
  using T = RankedScoutingTopChampionDTO;
  return Record<T>("RankedScoutingTopChampionDTO", Field("championId", &T::championId),
                   Field("rank", &T::rank), Field("winCount", &T::winCount),
                   Field("gameCount", &T::gameCount), Field("kda", &T::kda))
      .Described("One champion of a scouted player.");
}

struct RankedScoutingMemberDTO {
  uint64_t playerId = 0;
  std::vector<RankedScoutingTopChampionDTO> championScoutingData;
};
constexpr auto DescribeRecord(const RankedScoutingMemberDTO*) {
  using T = RankedScoutingMemberDTO;
  return Record<T>("RankedScoutingMemberDTO", Field("playerId", &T::playerId),
                   Field("championScoutingData", &T::championScoutingData))
      .Described("The scouting data of one player.");
}

}  // namespace LCDS
