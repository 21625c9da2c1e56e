// match_flow.h: the steps of a tournament match the plugin takes over from
// the player: accepting the ready check of a tournament queue (700 and 701)
// and handing the queue's configuration to the game flow, reporting a dodge
// in team-builder champion select, dismissing the end-of-game statistics in
// time for the next round, and acknowledging the service's no-show pings.
//
// Not for: the restriction and presence (gameflow_presence.h).
#pragma once

#include <cstdint>

#include "joust/model/api/gameflow.h"
#include "joust/model/zms/notifications.h"
#include "sdk/runtime/resource_events.h"

namespace kiv::joust {

class JoustPlugin;

/// Queue ids 700 and 701, and no other.
bool IsTournamentQueue(int64_t queueId);

/// "/kiv-matchmaking/v1/ready-check" events.
void OnReadyCheck(JoustPlugin& plugin,
                  const TypedResourceEvent<Api::MatchmakingReadyCheckResource>& event);
/// "/kiv-lobby-team-builder/v1/matchmaking" events.
void OnMatchmakingSearch(JoustPlugin& plugin,
                         const TypedResourceEvent<Api::MatchmakingSearchResource>& event);
/// An end-of-game bracket update: reloads when the notification says the
/// roster's standing may have changed, fetches the bracket, applies it and,
/// when the player's game ended, schedules the dismissal of the statistics
/// screen before the next round.
void ProcessGameEnd(JoustPlugin& plugin, const ZMS::TournamentGameEndNotification& notification);
/// The no-show acknowledgement ("customAck" with "ackType" "NO_SHOW").
void AcknowledgeNoShow(JoustPlugin& plugin, const ZMS::NoShowPingDTO& ping);

/// How long before a round the statistics screen is dismissed: the
/// tournament's scouting time minus 28.6% of it, that part at most 5 s.
int64_t DismissStatsDelayMs(int64_t scoutingTimeMs);

}  // namespace kiv::joust
