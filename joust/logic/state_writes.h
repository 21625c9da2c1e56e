// state_writes.h: the writes of the plugin's state outside the tournament
// cache: the session's facts (login, game flow, configuration, entitlements)
// and the player's feature-wide records (game end, end-of-game update,
// notification prompt, wallet). Each write marks what it changes for the next
// publication pass, as the cache's writes do (cache.h), so that no handler
// marks anything itself.
//
// Not for: the tournament data (cache.h) or what the values mean
// (configuration.h, gameflow_presence.h).
//
//   SetGameEnd(state, Api::TournamentGameEnd{.tournamentId = -1, .bracketId = -1});
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "joust/model/api/gameflow.h"
#include "joust/model/api/history.h"
#include "joust/model/api/player_notification_data.h"
#include "joust/model/api/session.h"
#include "joust/model/api/stats.h"
#include "joust/model/api/tournament.h"
#include "joust/model/zms/notifications.h"

namespace kiv::joust {

class JoustPluginState;

// ---- Session facts --------------------------------------------------------

/// The login session: logged in (its state "SUCCEEDED") and the player's id
/// (0 when none). Readiness and the restriction follow it.
void SetLoginSession(JoustPluginState& state, bool loggedIn, uint64_t summonerId);
/// Whether the game flow allows a check-in now; the restriction follows it.
void SetCheckinAllowed(JoustPluginState& state, bool allowed);
/// The game flow's phase; the restriction follows it.
void SetGameflowPhase(JoustPluginState& state, Api::GameflowPhase phase);
/// The feature's configuration, or its absence (`config` null: hidden,
/// disabled, no icon, restriction on, no individual entitlement).
/// Visibility, the icon configuration and the restriction follow it.
void SetFeatureConfiguration(JoustPluginState& state, const Api::JoustConfig* config);
/// The entitlements token, or its absence (`token` null). Visibility and
/// the restriction follow it.
void SetEntitlements(JoustPluginState& state, const Api::EntitlementsToken* token);
/// The answer of the backend's individual entitlement check.
void SetIndividuallyEntitled(JoustPluginState& state, bool entitled);
/// Something outside the state (a check-in the game flow was told of) may
/// change the restriction: the next pass publishes it again.
void RestrictionMayHaveChanged(JoustPluginState& state);

// ---- The player's records -------------------------------------------------

/// The game end the user interface shows (tournament and bracket -1 when
/// acknowledged). A game end of the player's roster marks that roster and
/// its tournament's state too.
void SetGameEnd(JoustPluginState& state, const Api::TournamentGameEnd& gameEnd);
void SetEogPlayerUpdate(JoustPluginState& state, const ZMS::EogPlayerUpdateDTO& update);
void SetNotificationPrompt(JoustPluginState& state, Api::PlayerNotificationData prompt);
/// The player's tickets (the wallet).
void SetTickets(JoustPluginState& state, int32_t tickets);
/// Replaces the player's tickets, rewards and match history with those of
/// the player's full information.
void SetPlayerRecords(JoustPluginState& state, int32_t tickets, Api::PlayerRewards rewards,
                      std::vector<Api::RosterStats> history);

}  // namespace kiv::joust
