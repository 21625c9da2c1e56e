// tournament.h: the user interface's view of tournaments: tournaments with
// phases and reward tables, their computed state, the player's wallet and
// standing, the summary, the end of a bracket game, the playmode restriction.
//
// Not for: the backend's tournament records (lcds/tournament.h).
//
//   Api::TournamentStateInfo info{.tournamentId = 7, .state = Api::TournamentState::kScouting};
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "joust/model/api/enums.h"
#include "joust/model/describe.h"
#include "joust/model/lcds/rewards.h"

namespace Api {

struct TournamentPhase {
  int64_t id = -1;
  int64_t tournamentId = -1;
  int32_t period = 0;
  int64_t lockinStartTime = -1;
  int64_t scoutingStartTime = -1;
};
constexpr auto DescribeRecord(const TournamentPhase*) {
  using T = TournamentPhase;
  return Record<T>(
             "TournamentPhase", Field("id", &T::id, "Phase identifier"),
             Field("tournamentId", &T::tournamentId, "Owning tournament"),
             Field("period", &T::period, "Period number of the phase"),
             Field("lockinStartTime", &T::lockinStartTime,
                   "Time from which rosters may lock in for this phase"),
             Field("scoutingStartTime", &T::scoutingStartTime, "Time at which scouting starts"))
      .Described("One phase of a tournament.");
}

struct Tournament {
  int64_t id = -1;
  int32_t themeId = 0;
  std::string nameLocKey;
  std::vector<int32_t> buyInOptions;
  int32_t entryFee = 0;
  int32_t rosterSize = 0;
  bool allowRosterCreation = false;
  bool allowRosterDisband = false;
  int64_t scoutingDurationMs = 0;
  int64_t startTimeMs = -1;
  int64_t endTimeMs = -1;
  int32_t maxSubstitutes = 0;
  std::vector<TournamentPhase> phases;
  std::vector<LCDS::JoustRewardConfigClient> rewardConfig;
};
constexpr auto DescribeRecord(const Tournament*) {
  using T = Tournament;
  return Record<T>(
             "Tournament", Field("id", &T::id, "Tournament identifier"),
             Field("themeId", &T::themeId, "Theme of the tournament"),
             Field("nameLocKey", &T::nameLocKey, "Localisation key of the tournament's name"),
             Field("buyInOptions", &T::buyInOptions), Field("entryFee", &T::entryFee),
             Field("rosterSize", &T::rosterSize, "Number of members of a full roster"),
             Field("allowRosterCreation", &T::allowRosterCreation, "Rosters may still be created"),
             Field("allowRosterDisband", &T::allowRosterDisband, "Rosters may still be disbanded"),
             Field("scoutingDurationMs", &T::scoutingDurationMs, "Length of the scouting stage"),
             Field("startTimeMs", &T::startTimeMs, "Start of the tournament"),
             Field("endTimeMs", &T::endTimeMs, "End of the tournament"),
             Field("maxSubstitutes", &T::maxSubstitutes, "Substitutes allowed per roster"),
             Field("phases", &T::phases, "The tournament's phases"),
             Field("rewardConfig", &T::rewardConfig, "Reward tables"))
      .Described("One tournament.");
}

struct TournamentStateInfo {
  int64_t tournamentId = -1;
  TournamentState state = TournamentState::kIdle;
  int64_t currentPhaseId = -1;
  int64_t nextPhaseId = -1;
  int64_t nextStateChangeTime = -1;
  int32_t numRemainingPeriods = 0;
};
constexpr auto DescribeRecord(const TournamentStateInfo*) {
  using T = TournamentStateInfo;
  return Record<T>("TournamentStateInfo", Field("tournamentId", &T::tournamentId),
                   Field("state", &T::state, "Current state"),
                   Field("currentPhaseId", &T::currentPhaseId, "Phase in progress"),
                   Field("nextPhaseId", &T::nextPhaseId),
                   Field("nextStateChangeTime", &T::nextStateChangeTime),
                   Field("numRemainingPeriods", &T::numRemainingPeriods, "Periods still to come"))
      .Described("The computed state of one tournament.");
}

struct PlayerData {
  int32_t tickets = 0;
};
constexpr auto DescribeRecord(const PlayerData*) {
  using T = PlayerData;
  return Record<T>("PlayerData", Field("tickets", &T::tickets, "Tickets owned"))
      .Described("The player's tournament wallet.");
}

struct PlayerTournamentData {
  PlayerState state = PlayerState::kNoRoster;
  std::string rosterId;
  int64_t bracketId = -1;
};
constexpr auto DescribeRecord(const PlayerTournamentData*) {
  using T = PlayerTournamentData;
  return Record<T>("PlayerTournamentData", Field("state", &T::state),
                   Field("rosterId", &T::rosterId, "The player's roster, empty when none"),
                   Field("bracketId", &T::bracketId, "The roster's current bracket"))
      .Described("The player's standing in one tournament.");
}

struct TournamentSummary {
  TournamentState state = TournamentState::kIdle;
  int64_t tournamentId = -1;
  std::string rosterId;
  int64_t bracketId = -1;
  bool operator==(const TournamentSummary&) const = default;
};
constexpr auto DescribeRecord(const TournamentSummary*) {
  using T = TournamentSummary;
  return Record<T>("TournamentSummary", Field("state", &T::state, "Tournament state"),
                   Field("tournamentId", &T::tournamentId),
                   Field("rosterId", &T::rosterId, "The player's roster"),
                   Field("bracketId", &T::bracketId))
      .Described("One line of the tournament summary.");
}

struct TournamentGameEnd {
  int64_t tournamentId = -1;
  int64_t bracketId = -1;
};
constexpr auto DescribeRecord(const TournamentGameEnd*) {
  using T = TournamentGameEnd;
  return Record<T>("TournamentGameEnd", Field("tournamentId", &T::tournamentId),
                   Field("bracketId", &T::bracketId))
      .Described("The bracket whose game just ended.");
}

struct PlaymodeRestrictedInfo {
  bool isRestricted = false;
  int64_t tournamentId = -1;
  PresenceState presenceState = PresenceState::kNone;
  bool operator==(const PlaymodeRestrictedInfo&) const = default;
};
constexpr auto DescribeRecord(const PlaymodeRestrictedInfo*) {
  using T = PlaymodeRestrictedInfo;
  return Record<T>(
             "PlaymodeRestrictedInfo",
             Field("isRestricted", &T::isRestricted, "The player may only play tournament games"),
             Field("tournamentId", &T::tournamentId, "Tournament that restricts"),
             Field("presenceState", &T::presenceState, "Presence to show"))
      .Described("Answer of the playmode-restriction resource.");
}

}  // namespace Api
