// enums.h: the enums of the plugin's REST resources: visibility and state
// of the feature, the plugin's own failure codes, tournament and player
// states, member readiness, chat presence, scouting classes.
//
// Not for: the enums of neighbouring plugins' resources (neighbour_enums.h).
//
//   Api::TournamentState state = Api::TournamentState::kLockIn;  // written as "LOCK_IN"
#pragma once

#include <cstdint>

#include "joust/model/describe.h"

namespace Api {

enum class JoustVisibility : int32_t { kHidden, kDarkVisible, kVisible };
constexpr auto DescribeEnum(const JoustVisibility*) {
  return Enum<JoustVisibility>("JoustVisibility",
                               {{"Hidden", 0}, {"DarkVisible", 1}, {"Visible", 2}})
      .Described("Who sees the tournaments.");
}

enum class JoustState : int32_t { kDarkDisabled, kDarkEnabled, kDisabled, kEnabled };
constexpr auto DescribeEnum(const JoustState*) {
  return Enum<JoustState>(
             "JoustState",
             {{"DarkDisabled", 0}, {"DarkEnabled", 1}, {"Disabled", 2}, {"Enabled", 3}})
      .Described("Whether the feature is enabled, for everyone or for entitled players.");
}

enum class FoundationError : int32_t {
  kJoustNotInitialized,
  kJoustDisabled,
  kDeserializationFailed,
  kGameflowUnavailable
};
constexpr auto DescribeEnum(const FoundationError*) {
  return Enum<FoundationError>("FoundationError", {{"JOUST_NOT_INITIALIZED", 0},
                                                   {"JOUST_DISABLED", 1},
                                                   {"DESERIALIZATION_FAILED", 2},
                                                   {"GAMEFLOW_UNAVAILABLE", 3}})
      .Described("The plugin's own failure codes.");
}

enum class TournamentState : int32_t { kIdle, kLockIn, kScouting, kInGame, kResults };
constexpr auto DescribeEnum(const TournamentState*) {
  return Enum<TournamentState>(
             "TournamentState",
             {{"IDLE", 0}, {"LOCK_IN", 1}, {"SCOUTING", 2}, {"IN_GAME", 3}, {"RESULTS", 4}})
      .Described("The state of a tournament for the player.");
}

enum class PlayerState : int32_t { kNoRoster, kHasRoster, kBracketRoster, kEliminated };
constexpr auto DescribeEnum(const PlayerState*) {
  return Enum<PlayerState>(
             "PlayerState",
             {{"NO_ROSTER", 0}, {"HAS_ROSTER", 1}, {"BRACKET_ROSTER", 2}, {"ELIMINATED", 3}})
      .Described("The player's standing in a tournament.");
}

enum class RosterMemberState : int32_t { kPending, kNotReady, kForcedNotReady, kReady };
constexpr auto DescribeEnum(const RosterMemberState*) {
  return Enum<RosterMemberState>(
             "RosterMemberState",
             {{"PENDING", 0}, {"NOT_READY", 1}, {"FORCED_NOT_READY", 2}, {"READY", 3}})
      .Described("A member's readiness.");
}

enum class PresenceState : int32_t { kNone, kLockedIn, kScouting };
constexpr auto DescribeEnum(const PresenceState*) {
  return Enum<PresenceState>("PresenceState", {{"NONE", 0}, {"LOCKED_IN", 1}, {"SCOUTING", 2}})
      .Described("The tournament presence shown in chat.");
}

enum class KdaClassification : int32_t { kLow, kAverage, kHigh };
constexpr auto DescribeEnum(const KdaClassification*) {
  return Enum<KdaClassification>("KdaClassification", {{"LOW", 0}, {"AVERAGE", 1}, {"HIGH", 2}})
      .Described("The class of a kill/death/assist ratio.");
}

}  // namespace Api
