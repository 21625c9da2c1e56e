// notifications.h: the push notifications of the backend tournament service. Each
// arrives as a ZMSMessage whose payload is the JSON text of one of the other
// records here.
//
// Not for: the notifications the plugin raises for the player
// (api/session.h, PlayerNotification).
//
//   ZMS::NoShowPingDTO ping{.tournamentId = 7, .matchId = 31, .dodgeTime = 1700000000000};
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "joust/model/describe.h"
#include "joust/model/lcds/pending_roster.h"
#include "joust/model/lcds/rewards.h"
#include "joust/model/lcds/roster.h"
#include "joust/model/lcds/tournament.h"
#include "joust/model/zms/reasons.h"

namespace ZMS {

struct ZMSMessage {
  std::string payload;
};
constexpr auto DescribeRecord(const ZMSMessage*) {
  using T = ZMSMessage;
  return Record<T>("ZMSMessage", Field("payload", &T::payload))
      .Described("A push message; its payload is the JSON text of one notification.");
}

struct PendingRosterNotification {
  LCDS::PendingRosterDTO pendingRoster;
  NotifyReason notifyReason = NotifyReason::kSuggestion;
  uint64_t sourcePlayerId = 0;
  uint64_t targetPlayerId = 0;
};
constexpr auto DescribeRecord(const PendingRosterNotification*) {
  using T = PendingRosterNotification;
  return Record<T>("PendingRosterNotification", Field("pendingRoster", &T::pendingRoster),
                   Field("notifyReason", &T::notifyReason),
                   Field("sourcePlayerId", &T::sourcePlayerId),
                   Field("targetPlayerId", &T::targetPlayerId))
      .Described("A pending roster changed.");
}

struct RegisteredRosterNotification {
  LCDS::RosterDTO roster;
  RosterNotifyReason notifyReason = RosterNotifyReason::kRosterSetTicket;
};
constexpr auto DescribeRecord(const RegisteredRosterNotification*) {
  using T = RegisteredRosterNotification;
  return Record<T>("RegisteredRosterNotification", Field("roster", &T::roster),
                   Field("notifyReason", &T::notifyReason))
      .Described("A registered roster changed.");
}

struct RosterPlayerNotification {
  LCDS::RosterDTO roster;
  RosterNotifyReason notifyReason = RosterNotifyReason::kRosterSetTicket;
  LCDS::PlayerDTO player;
  uint64_t sourcePlayerId = 0;
};
constexpr auto DescribeRecord(const RosterPlayerNotification*) {
  using T = RosterPlayerNotification;
  return Record<T>("RosterPlayerNotification", Field("roster", &T::roster),
                   Field("notifyReason", &T::notifyReason), Field("player", &T::player),
                   Field("sourcePlayerId", &T::sourcePlayerId))
      .Described("A registered roster changed for one player.");
}

struct RosterDynamicStateNotification {
  LCDS::RosterDynamicStateDTO rosterDynamicState;
  RosterNotifyReason notifyReason = RosterNotifyReason::kRosterSetTicket;
  uint64_t sourcePlayerId = 0;
};
constexpr auto DescribeRecord(const RosterDynamicStateNotification*) {
  using T = RosterDynamicStateNotification;
  return Record<T>(
             "RosterDynamicStateNotification", Field("rosterDynamicState", &T::rosterDynamicState),
             Field("notifyReason", &T::notifyReason), Field("sourcePlayerId", &T::sourcePlayerId))
      .Described("The dynamic state of a registered roster changed.");
}

struct RosterWithdrawNotification {
  int32_t version = 0;
  int64_t tournamentId = -1;
  int64_t rosterId = -1;
  LCDS::RosterWithdraw withdraw;
  RosterNotifyReason notifyReason = RosterNotifyReason::kRosterSetTicket;
  uint64_t sourcePlayerId = 0;
};
constexpr auto DescribeRecord(const RosterWithdrawNotification*) {
  using T = RosterWithdrawNotification;
  return Record<T>("RosterWithdrawNotification", Field("version", &T::version),
                   Field("tournamentId", &T::tournamentId), Field("rosterId", &T::rosterId),
                   Field("withdraw", &T::withdraw), Field("notifyReason", &T::notifyReason),
                   Field("sourcePlayerId", &T::sourcePlayerId))
      .Described("A withdrawal vote changed.");
}

struct TournamentGameEndNotification {
  int64_t tournamentId = -1;
  int64_t bracketId = -1;
  int64_t currentMatchId = -1;
  RosterNotifyReason notifyReason = RosterNotifyReason::kRosterSetTicket;
};
constexpr auto DescribeRecord(const TournamentGameEndNotification*) {
  using T = TournamentGameEndNotification;
  return Record<T>("TournamentGameEndNotification", Field("tournamentId", &T::tournamentId),
                   Field("bracketId", &T::bracketId), Field("currentMatchId", &T::currentMatchId),
                   Field("notifyReason", &T::notifyReason))
      .Described("A bracket game ended.");
}

struct EogPlayerUpdateDTO {
  int64_t tournamentId = -1;
  int64_t gameId = -1;
  bool winner = false;
  int32_t themeVp = 0;
  int32_t seasonVp = 0;
  std::vector<LCDS::JoustRewardDefinition> earnedRewards;
  std::vector<LCDS::JoustRewardDefinition> rewardProgress;
};
constexpr auto DescribeRecord(const EogPlayerUpdateDTO*) {
  using T = EogPlayerUpdateDTO;
  return Record<T>("EogPlayerUpdateDTO", Field("tournamentId", &T::tournamentId),
                   Field("gameId", &T::gameId), Field("winner", &T::winner),
                   Field("themeVp", &T::themeVp), Field("seasonVp", &T::seasonVp),
                   Field("earnedRewards", &T::earnedRewards),
                   Field("rewardProgress", &T::rewardProgress))
      .Described("The player's results and rewards after a game.");
}

struct BracketReadyNotification {
  int64_t tournamentId = -1;
  int64_t bracketId = -1;
};
constexpr auto DescribeRecord(const BracketReadyNotification*) {
  using T = BracketReadyNotification;
  return Record<T>("BracketReadyNotification", Field("tournamentId", &T::tournamentId),
                   Field("bracketId", &T::bracketId))
      .Described("A bracket is ready.");
}

struct NoShowPingDTO {
  int64_t tournamentId = -1;
  int64_t matchId = -1;
  int64_t dodgeTime = -1;
};
constexpr auto DescribeRecord(const NoShowPingDTO*) {
  using T = NoShowPingDTO;
  return Record<T>("NoShowPingDTO", Field("tournamentId", &T::tournamentId),
                   Field("matchId", &T::matchId), Field("dodgeTime", &T::dodgeTime))
      .Described("A member did not show up for a match.");
}

}  // namespace ZMS
