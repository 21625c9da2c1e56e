// enums.h: the enums of the backend tournament service's records: member,
// invitee, offer and substitute states, positions, reward kinds and times,
// bracket match status. Each is read and written by its value names.
//
// Not for: the backend's error codes (client_request_error.h).
//
//   LCDS::Position position = LCDS::Position::kJungle;  // written as "JUNGLE"
#pragma once

#include <cstdint>

#include "joust/model/describe.h"

namespace LCDS {

enum class PendingRosterMemberState : int32_t { kNotReady, kForcedNotReady, kReady, kLeft, kKick };
constexpr auto DescribeEnum(const PendingRosterMemberState*) {
  return Enum<PendingRosterMemberState>(
             "PendingRosterMemberState",
             {{"NOT_READY", 0}, {"FORCED_NOT_READY", 1}, {"READY", 2}, {"LEFT", 3}, {"KICK", 4}})
      .Described("A member's state in a pending roster.");
}

enum class PendingRosterInviteeState : int32_t { kSuggested, kPending, kDeclined, kRevoked };
constexpr auto DescribeEnum(const PendingRosterInviteeState*) {
  return Enum<PendingRosterInviteeState>(
             "PendingRosterInviteeState",
             {{"SUGGESTED", 0}, {"PENDING", 1}, {"DECLINED", 2}, {"REVOKED", 3}})
      .Described("An invitee's state in a pending roster.");
}

enum class TicketOfferState : int32_t { kActive, kAccepted, kRejected, kRevoked };
constexpr auto DescribeEnum(const TicketOfferState*) {
  return Enum<TicketOfferState>("TicketOfferState",
                                {{"ACTIVE", 0}, {"ACCEPTED", 1}, {"REJECTED", 2}, {"REVOKED", 3}})
      .Described("The state of a ticket offer.");
}

enum class SubState : int32_t {
  kSuggested,
  kPending,
  kDeclined,
  kRevoked,
  kNotReady,
  kForcedNotReady,
  kReady
};
constexpr auto DescribeEnum(const SubState*) {
  return Enum<SubState>("SubState", {{"SUGGESTED", 0},
                                     {"PENDING", 1},
                                     {"DECLINED", 2},
                                     {"REVOKED", 3},
                                     {"NOT_READY", 4},
                                     {"FORCED_NOT_READY", 5},
                                     {"READY", 6}})
      .Described(
          "A substitute's invitation state and, once accepted, readiness, in one numbering.");
}

enum class Position : int32_t { kTop, kMiddle, kBottom, kJungle, kUtility, kFill, kUnselected };
constexpr auto DescribeEnum(const Position*) {
  return Enum<Position>("Position", {{"TOP", 0},
                                     {"MIDDLE", 1},
                                     {"BOTTOM", 2},
                                     {"JUNGLE", 3},
                                     {"UTILITY", 4},
                                     {"FILL", 5},
                                     {"UNSELECTED", 6}})
      .Described("A position on the map.");
}

enum class JoustRewardKeyType : int32_t {
  kTier,
  kCup,
  kTokens,
  kLowestPosition,
  kWins,
  kThemeVp,
  kSeasonVp,
  kSeasonFlagCount
};
constexpr auto DescribeEnum(const JoustRewardKeyType*) {
  return Enum<JoustRewardKeyType>("JoustRewardKeyType", {{"TIER", 0},
                                                         {"CUP", 1},
                                                         {"TOKENS", 2},
                                                         {"LOWEST_POSITION", 3},
                                                         {"WINS", 4},
                                                         {"THEME_VP", 5},
                                                         {"SEASON_VP", 6},
                                                         {"SEASON_FLAG_COUNT", 7}})
      .Described("What a reward table is keyed by.");
}

enum class JoustRewardType : int32_t { kTrophy, kFlag, kFrame, kLogo, kLoot, kVp };
constexpr auto DescribeEnum(const JoustRewardType*) {
  return Enum<JoustRewardType>(
             "JoustRewardType",
             {{"TROPHY", 0}, {"FLAG", 1}, {"FRAME", 2}, {"LOGO", 3}, {"LOOT", 4}, {"VP", 5}})
      .Described("The kind of a reward.");
}

enum class JoustRewardTime : int32_t { kNone, kEog, kEob, kEot };
constexpr auto DescribeEnum(const JoustRewardTime*) {
  return Enum<JoustRewardTime>("JoustRewardTime", {{"NONE", 0}, {"EOG", 1}, {"EOB", 2}, {"EOT", 3}})
      .Described(
          "When a reward is granted or shown: never, end of game, end of bracket, end of "
          "tournament.");
}

enum class ClientBracketMatchStatus : int32_t { kUpcoming, kStarted, kCompleted };
constexpr auto DescribeEnum(const ClientBracketMatchStatus*) {
  return Enum<ClientBracketMatchStatus>("ClientBracketMatchStatus",
                                        {{"UPCOMING", 0}, {"STARTED", 1}, {"COMPLETED", 2}})
      .Described("The progress of a bracket match.");
}

}  // namespace LCDS
