// history.h: past tournaments, their winners and the player's victory points
// as the user interface reads them. TournamentWinnerHistory is also the content
// of the backend's compressed winners payload. ThemeVp shares its bare name
// with LCDS::ThemeVp.
//
// Not for: the backend's history record (lcds/tournament.h).
//
//   Api::TournamentWinnerHistory winners{.tournamentId = 7};
//   winners.winners.push_back({.rosterId = 42, .name = "Tiber", .playerIds = {7, 9}});
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "joust/model/api/tournament.h"
#include "joust/model/describe.h"

namespace Api {

struct TournamentWinnerInfo {
  int64_t rosterId = -1;
  int32_t tier = 0;
  std::string shortName;
  std::string name;
  int32_t logo = 0;
  int32_t logoColor = 0;
  int64_t createTime = -1;
  int64_t averageWinDuration = 0;
  std::vector<uint64_t> playerIds;
};
constexpr auto DescribeRecord(const TournamentWinnerInfo*) {
  using T = TournamentWinnerInfo;
  return Record<T>(
             "TournamentWinnerInfo", Field("rosterId", &T::rosterId), Field("tier", &T::tier),
             Field("shortName", &T::shortName), Field("name", &T::name), Field("logo", &T::logo),
             Field("logoColor", &T::logoColor), Field("createTime", &T::createTime),
             Field("averageWinDuration", &T::averageWinDuration), Field("playerIds", &T::playerIds))
      .Described("One winning roster.");
}

struct TournamentWinnerHistory {
  int64_t tournamentId = -1;
  std::vector<TournamentWinnerInfo> winners;
};
constexpr auto DescribeRecord(const TournamentWinnerHistory*) {
  using T = TournamentWinnerHistory;
  return Record<T>("TournamentWinnerHistory", Field("tournamentId", &T::tournamentId),
                   Field("winners", &T::winners))
      .Described("The content of the compressed winners payload.");
}

struct TournamentHistoryAndWinners {
  std::vector<Tournament> tournamentHistory;
  TournamentWinnerHistory tournamentWinners;
};
constexpr auto DescribeRecord(const TournamentHistoryAndWinners*) {
  using T = TournamentHistoryAndWinners;
  return Record<T>("TournamentHistoryAndWinners", Field("tournamentHistory", &T::tournamentHistory),
                   Field("tournamentWinners", &T::tournamentWinners))
      .Described("Past tournaments and the winners of the last one.");
}

struct ThemeVp {
  int32_t themeId = 0;
  int32_t vp = 0;
};
constexpr auto DescribeRecord(const ThemeVp*) {
  using T = ThemeVp;
  return Record<T>("ThemeVp", Field("themeId", &T::themeId), Field("vp", &T::vp))
      .Described("Victory points of one theme.");
}

struct PlayerRewards {
  int32_t seasonVp = 0;
  std::vector<ThemeVp> themeVp;
};
constexpr auto DescribeRecord(const PlayerRewards*) {
  using T = PlayerRewards;
  return Record<T>("PlayerRewards", Field("seasonVp", &T::seasonVp), Field("themeVp", &T::themeVp))
      .Described("The player's victory points.");
}

}  // namespace Api
