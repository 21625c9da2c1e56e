// tournament.h: the backend's tournaments and the answers of its queries:
// tournament and phases, the player's view of each tournament (registered and
// pending rosters), the player's wallet, history.
//
// Not for: the user interface's tournament records (api/tournament.h).
//
//   LCDS::TournamentInfoDTO info{.tournament = {.id = 7, .rosterSize = 5}};
//   if (!info.roster) ShowRegistration(info.tournament);  // no registered roster
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "joust/model/describe.h"
#include "joust/model/lcds/pending_roster.h"
#include "joust/model/lcds/rewards.h"
#include "joust/model/lcds/roster.h"
#include "joust/model/lcds/stats.h"

namespace LCDS {

struct TournamentPhaseDTO {
  int64_t id = -1;
  int64_t tournamentId = -1;
  int64_t registrationTime = -1;
  int64_t startTime = -1;
  int32_t period = 0;
};
constexpr auto DescribeRecord(const TournamentPhaseDTO*) {
  using T = TournamentPhaseDTO;
  return Record<T>("TournamentPhaseDTO", Field("id", &T::id),
                   Field("tournamentId", &T::tournamentId),
                   Field("registrationTime", &T::registrationTime),
                   Field("startTime", &T::startTime), Field("period", &T::period))
      .Described("One phase of a tournament.");
}

struct TournamentDTO {
  int64_t id = -1;
  int64_t scheduleTime = -1;
  int64_t scheduleEndTime = -1;
  int64_t rosterDisbandDeadline = -1;
  int64_t rosterCreateDeadline = -1;
  int32_t entryFee = 0;
  int32_t rosterSize = 0;
  int32_t themeId = 0;
  std::string nameLocKey;
  std::vector<int32_t> buyInOptions;
  int32_t queueId = 0;
  int64_t scoutingTimeMs = 0;
  int32_t maxSub = 0;
  std::vector<TournamentPhaseDTO> phases;
  std::vector<JoustRewardConfigClient> rewardConfig;
};
constexpr auto DescribeRecord(const TournamentDTO*) {
  using T = TournamentDTO;
  return Record<T>("TournamentDTO", Field("id", &T::id), Field("scheduleTime", &T::scheduleTime),
                   Field("scheduleEndTime", &T::scheduleEndTime),
                   Field("rosterDisbandDeadline", &T::rosterDisbandDeadline),
                   Field("rosterCreateDeadline", &T::rosterCreateDeadline),
                   Field("entryFee", &T::entryFee), Field("rosterSize", &T::rosterSize),
                   Field("themeId", &T::themeId), Field("nameLocKey", &T::nameLocKey),
                   Field("buyInOptions", &T::buyInOptions), Field("queueId", &T::queueId),
                   Field("scoutingTimeMs", &T::scoutingTimeMs), Field("maxSub", &T::maxSub),
                   Field("phases", &T::phases), Field("rewardConfig", &T::rewardConfig))
      .Described("One tournament.");
}

struct TournamentInfoDTO {
  TournamentDTO tournament;
  std::optional<RosterDTO> roster;
  std::vector<RosterDTO> subRosters;
  std::optional<PendingRosterDTO> pendingRoster;
  std::vector<PendingRosterDTO> inviteePendingRosters;
  int32_t themeVp = 0;
};
constexpr auto DescribeRecord(const TournamentInfoDTO*) {
  using T = TournamentInfoDTO;
  return Record<T>("TournamentInfoDTO", Field("tournament", &T::tournament),
                   Field("roster", &T::roster), Field("subRosters", &T::subRosters),
                   Field("pendingRoster", &T::pendingRoster),
                   Field("inviteePendingRosters", &T::inviteePendingRosters),
                   Field("themeVp", &T::themeVp))
      .Described("One tournament as seen by the player.");
}

struct PlayerDTO {
  int32_t tickets = 0;
};
constexpr auto DescribeRecord(const PlayerDTO*) {
  using T = PlayerDTO;
  return Record<T>("PlayerDTO", Field("tickets", &T::tickets))
      .Described("The player's tournament wallet.");
}

struct TournamentPlayerInfoDTO {
  std::vector<TournamentInfoDTO> tournamentInfo;
  std::vector<RosterStatsDTO> rosterStats;
  PlayerDTO player;
  int32_t seasonVp = 0;
  std::vector<ThemeVp> themeVps;
  int64_t time = -1;
};
constexpr auto DescribeRecord(const TournamentPlayerInfoDTO*) {
  using T = TournamentPlayerInfoDTO;
  return Record<T>("TournamentPlayerInfoDTO", Field("tournamentInfo", &T::tournamentInfo),
                   Field("rosterStats", &T::rosterStats), Field("player", &T::player),
                   Field("seasonVp", &T::seasonVp), Field("themeVps", &T::themeVps),
                   Field("time", &T::time))
      .Described(
          "Everything the player needs: tournaments, roster statistics, wallet, victory points, "
          "server time.");
}

struct TournamentInfoMinimalDTO {
  std::vector<TournamentInfoDTO> tournamentInfo;
  int64_t time = -1;
};
constexpr auto DescribeRecord(const TournamentInfoMinimalDTO*) {
  using T = TournamentInfoMinimalDTO;
  return Record<T>("TournamentInfoMinimalDTO", Field("tournamentInfo", &T::tournamentInfo),
                   Field("time", &T::time))
      .Described("The player's tournaments and the server time.");
}

struct TournamentHistoryAndWinnersDTO {
  std::vector<TournamentDTO> tournamentHistory;
  std::string tournamentWinnersCompressed;
};
constexpr auto DescribeRecord(const TournamentHistoryAndWinnersDTO*) {
  using T = TournamentHistoryAndWinnersDTO;
  return Record<T>("TournamentHistoryAndWinnersDTO",
                   Field("tournamentHistory", &T::tournamentHistory),
                   Field("tournamentWinnersCompressed", &T::tournamentWinnersCompressed,
                         "The winners' JSON, gzip-compressed, in Base64"))
      .Described("Past tournaments and their winners in compressed form.");
}

}  // namespace LCDS
