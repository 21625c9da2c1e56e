// gameflow_presence.h: keeping the client's game flow inside a tournament
// while the player takes part in one: the playmode restriction computed from
// the cached tournament state, the game flow's tournament check-in kept in
// line with it, the chat presence, and the game flow side of lock-in and
// unlock-in.
//
// The restriction is never stored: each pass that has the restriction marked
// recomputes it (RestrictionStep), publishes it, asks the game flow to check
// in or out when it disagrees, and sends the chat presence once per change.
//
// Not for: the ready check and end of game (match_flow.h).
//
//   Api::PlaymodeRestrictedInfo restriction = ComputeRestriction(plugin);
#pragma once

#include <cstdint>
#include <vector>

#include "joust/model/api/gameflow.h"
#include "joust/model/api/roster.h"
#include "joust/model/api/tournament.h"
#include "sdk/runtime/resource_events.h"
#include "sdk/value/maybe_type.h"

namespace kiv::joust {

class JoustPlugin;

/// The restriction at this moment: the first cached tournament, in cache
/// order, in which the player is locked in or playing decides.
Api::PlaymodeRestrictedInfo ComputeRestriction(const JoustPlugin& plugin);
/// The publication pass's restriction step: publish the restriction, align
/// the game flow's check-in, send the chat presence when it changed.
void RestrictionStep(JoustPlugin& plugin);

/// "/kiv-gameflow/v1/availability" events.
void OnGameflowAvailability(JoustPlugin& plugin,
                            const TypedResourceEvent<Api::GameflowAvailability>& event);
/// "/kiv-gameflow/v1/session" events.
void OnGameflowSession(JoustPlugin& plugin, const TypedResourceEvent<Api::GameflowSession>& event);

/// The tournament's current phase as the stored state info gives it, when
/// `now` lies in its registration window [registrationTime, startTime).
/// 404 "INVALID_PHASE" otherwise.
MaybeType<Failure, int64_t> LockInPhase(const JoustPlugin& plugin, int64_t tournamentId);
/// The current phase as LockInPhase gives it, without the window: for
/// unlocking. 404 "INVALID_PHASE" when there is none.
MaybeType<Failure, int64_t> CurrentPhase(const JoustPlugin& plugin, int64_t tournamentId);

/// The game flow check-in before a lock-in: 400 "GAMEFLOW_UNAVAILABLE" when
/// the game flow is not available or refuses.
MaybeType<Failure, void> CheckInWithGameflow(JoustPlugin& plugin);
/// Posts one of the game flow event texts ("GAMEFLOW_EVENT....").
void PostGameflowEvent(JoustPlugin& plugin, const char* event);

inline constexpr char kCheckedInEvent[] = "GAMEFLOW_EVENT.CHECKED_IN_FOR_TOURNAMENT";
inline constexpr char kFailedCheckinEvent[] = "GAMEFLOW_EVENT.FAILED_TOURNAMENT_CHECKIN";
inline constexpr char kCheckedOutEvent[] = "GAMEFLOW_EVENT.CHECKED_OUT_OF_TOURNAMENT";

/// The player's chat rosters ("/kiv-joust/v1/player/chat-rosters").
std::vector<Api::PlayerChatRoster> ChatRosters(const JoustPlugin& plugin);

}  // namespace kiv::joust
