// neighbour_enums.h: the enums of the resources the plugin reads from neighbouring
// plugins: login session, queues, matchmaking and game flow. Only their
// names travel; some numbers are character codes ("0" is 48).
//
// Not for: the plugin's own enums (enums.h).
//
//   Api::GameflowPhase phase = Api::GameflowPhase::kChampSelect;  // "ChampSelect"
#pragma once

#include <cstdint>

#include "joust/model/describe.h"

namespace Api {

enum class LoginSessionState : int32_t {
  kInProgress = 0,
  kError = 3,
  kSucceeded = 1,
  kLoggingOut = 2
};
constexpr auto DescribeEnum(const LoginSessionState*) {
  return Enum<LoginSessionState>(
             "LoginSessionState",
             {{"IN_PROGRESS", 0}, {"ERROR", 3}, {"SUCCEEDED", 1}, {"LOGGING_OUT", 2}})
      .Described("The state of the login session.");
}

enum class QueueGameCategory : int32_t { kNone, kCustom, kPvP, kVersusAi };
constexpr auto DescribeEnum(const QueueGameCategory*) {
  return Enum<QueueGameCategory>("QueueGameCategory",
                                 {{"None", 0}, {"Custom", 1}, {"PvP", 2}, {"VersusAi", 3}})
      .Described("The category of a queue.");
}

enum class QueueAvailability : int32_t { kAvailable, kPlatformDisabled, kDoesntMeetRequirements };
constexpr auto DescribeEnum(const QueueAvailability*) {
  return Enum<QueueAvailability>(
             "QueueAvailability",
             {{"Available", 0}, {"PlatformDisabled", 1}, {"DoesntMeetRequirements", 2}})
      .Described("Whether a queue can be joined.");
}

enum class MatchmakingDodgeState : int32_t {
  kInvalid = 48,
  kPartyDodged,
  kStrangerDodged,
  kTournamentDodged
};
constexpr auto DescribeEnum(const MatchmakingDodgeState*) {
  return Enum<MatchmakingDodgeState>("MatchmakingDodgeState", {{"Invalid", 48},
                                                               {"PartyDodged", 49},
                                                               {"StrangerDodged", 50},
                                                               {"TournamentDodged", 51}})
      .Described("Who dodged a match.");
}

enum class MatchmakingReadyCheckState : int32_t {
  kInvalid,
  kInProgress,
  kEveryoneReady,
  kStrangerNotReady,
  kPartyNotReady,
  kError
};
constexpr auto DescribeEnum(const MatchmakingReadyCheckState*) {
  return Enum<MatchmakingReadyCheckState>("MatchmakingReadyCheckState", {{"Invalid", 0},
                                                                         {"InProgress", 1},
                                                                         {"EveryoneReady", 2},
                                                                         {"StrangerNotReady", 3},
                                                                         {"PartyNotReady", 4},
                                                                         {"Error", 5}})
      .Described("The state of a ready check.");
}

enum class MatchmakingReadyCheckResponse : uint8_t { kNone = 48, kAccepted, kDeclined };
constexpr auto DescribeEnum(const MatchmakingReadyCheckResponse*) {
  return Enum<MatchmakingReadyCheckResponse>("MatchmakingReadyCheckResponse",
                                             {{"None", 48}, {"Accepted", 49}, {"Declined", 50}})
      .Described("The player's answer to a ready check.");
}

enum class MatchmakingDodgeWarning : int32_t { kNone, kWarning, kPenalty };
constexpr auto DescribeEnum(const MatchmakingDodgeWarning*) {
  return Enum<MatchmakingDodgeWarning>("MatchmakingDodgeWarning",
                                       {{"None", 0}, {"Warning", 1}, {"Penalty", 2}})
      .Described("The consequence of a dodge.");
}

enum class GameflowPhase : int32_t {
  kNone,
  kLobby,
  kMatchmaking,
  kCheckedIntoTournament,
  kReadyCheck,
  kChampSelect,
  kGameStart,
  kFailedToLaunch,
  kInProgress,
  kReconnect,
  kWaitingForStats,
  kPreEndOfGame,
  kEndOfGame,
  kTerminatedInError
};
constexpr auto DescribeEnum(const GameflowPhase*) {
  return Enum<GameflowPhase>("GameflowPhase", {{"None", 0},
                                               {"Lobby", 1},
                                               {"Matchmaking", 2},
                                               {"CheckedIntoTournament", 3},
                                               {"ReadyCheck", 4},
                                               {"ChampSelect", 5},
                                               {"GameStart", 6},
                                               {"FailedToLaunch", 7},
                                               {"InProgress", 8},
                                               {"Reconnect", 9},
                                               {"WaitingForStats", 10},
                                               {"PreEndOfGame", 11},
                                               {"EndOfGame", 12},
                                               {"TerminatedInError", 13}})
      .Described("The phase of the client's game flow.");
}

}  // namespace Api
