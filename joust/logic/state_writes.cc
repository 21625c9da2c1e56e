// The session's and the player's feature-wide writes, each with its marks.
#include "joust/logic/state_writes.h"

#include <utility>

#include "joust/logic/joust_plugin_state.h"
#include "sdk/codec/json_reader.h"
#include "sdk/log/log_groups.h"
#include "sdk/log/log_level.h"
#include "sdk/log/logger.h"
#include "sdk/runtime/mutation_point.h"

namespace kiv::joust {
namespace {

// Visible, enabled and ready all read the configuration, the entitlements
// and the login.
void MarkFeatureFlags(JoustChangeSet& changes) {
  changes.visibleChanged = true;
  changes.enabledChanged = true;
  changes.readyChanged = true;
}

void ApplyConfiguration(JoustPluginState& state, const Api::JoustConfig& config) {
  state.feature.visibility = config.visibility;
  state.feature.enabledState = config.enabledState;
  state.feature.darkModeEntitlement = config.darkModeEntitlement;
  const BindingProperty icon = ReadJson(config.iconConfig);
  if (icon.IsValid()) {
    state.feature.iconConfig = icon;
  } else {
    Log(kLogWarn, kGroupDbg, "Joust icon config set to: %s", config.iconConfig.c_str());
  }
  state.feature.playmodeRestrictionEnabled = config.isPlaymodeRestrictionEnabled;
  if (config.useIndividualEntitlement != state.feature.useIndividualEntitlement) {
    state.feature.useIndividualEntitlement = config.useIndividualEntitlement;
    if (!state.feature.useIndividualEntitlement) state.feature.individualEntitled = false;
  }
}

void ApplyConfigurationDeleted(JoustPluginState& state) {
  state.feature.visibility = Api::JoustVisibility::kHidden;
  state.feature.enabledState = Api::JoustState::kDarkDisabled;
  state.feature.darkModeEntitlement.clear();
  state.feature.iconConfig = BindingProperty();
  state.feature.playmodeRestrictionEnabled = true;
  state.feature.useIndividualEntitlement = false;
  state.feature.individualEntitled = false;
}

}  // namespace

void SetLoginSession(JoustPluginState& state, bool loggedIn, uint64_t summonerId) {
  // A new login loads the player's tournaments again: the minimal
  // information may have changed while the player was away.
  if (loggedIn && !state.session.loggedIn) state.session.minimalInfoLoaded = false;
  state.session.loggedIn = loggedIn;
  state.session.summonerId = summonerId;
  if (!loggedIn && MutationActive("logout-unpublished")) return;
  state.changes->readyChanged = true;
  state.changes->restrictionChanged = true;
}

void SetCheckinAllowed(JoustPluginState& state, bool allowed) {
  state.session.checkinAllowed = allowed;
  state.changes->checkinAllowedChanged = true;
  state.changes->restrictionChanged = true;
}

void SetGameflowPhase(JoustPluginState& state, Api::GameflowPhase phase) {
  state.session.gameflowPhase = phase;
  state.changes->restrictionChanged = true;
}

void SetFeatureConfiguration(JoustPluginState& state, const Api::JoustConfig* config) {
  const bool individualBefore = state.feature.useIndividualEntitlement;
  const bool flip = state.feature.configReceived;
  if (config) {
    ApplyConfiguration(state, *config);
  } else {
    ApplyConfigurationDeleted(state);
  }
  state.feature.configReceived = true;
  // The individual check runs on the switch from false to true, as soon as
  // the plugin's data is ready.
  if (!individualBefore && state.feature.useIndividualEntitlement)
    state.feature.individualCheckDue = true;
  if (flip && MutationActive("configuration-flip-unpublished")) return;
  MarkFeatureFlags(*state.changes);
  state.changes->iconConfigChanged = true;
  state.changes->restrictionChanged = true;
}

void SetEntitlements(JoustPluginState& state, const Api::EntitlementsToken* token) {
  if (token) {
    state.feature.token = token->token;
    state.feature.accessToken = token->accessToken;
    state.feature.entitlements = token->entitlements;
  } else {
    state.feature.token.clear();
    state.feature.accessToken.clear();
    state.feature.entitlements.clear();
  }
  state.feature.entitlementsReceived = true;
  if (MutationActive("entitlements-flip-unpublished")) return;
  MarkFeatureFlags(*state.changes);
  // Entitlements decide whether a "DarkEnabled" feature may be used, and so
  // whether play is restricted.
  state.changes->restrictionChanged = true;
}

void SetIndividuallyEntitled(JoustPluginState& state, bool entitled) {
  state.feature.individualEntitled = state.feature.useIndividualEntitlement && entitled;
  MarkFeatureFlags(*state.changes);
}

void RestrictionMayHaveChanged(JoustPluginState& state) {
  state.changes->restrictionChanged = true;
}

void SetGameEnd(JoustPluginState& state, const Api::TournamentGameEnd& gameEnd) {
  state.player.gameEnd = gameEnd;
  state.changes->gameEndChanged = true;
  // A game of the player's roster ended: the roster and its tournament's
  // state read differently now.
  const auto standing = state.cache.standings().find(gameEnd.tournamentId);
  if (standing == state.cache.standings().end() || standing->second.rosterId.empty()) return;
  state.changes->tournaments.Insert(gameEnd.tournamentId);
}

void SetEogPlayerUpdate(JoustPluginState& state, const ZMS::EogPlayerUpdateDTO& update) {
  state.player.eogPlayerUpdate = update;
  state.changes->eogPlayerUpdateChanged = true;
}

void SetNotificationPrompt(JoustPluginState& state, Api::PlayerNotificationData prompt) {
  state.player.notificationPrompt = std::move(prompt);
  state.changes->notificationsChanged = true;
}

void SetTickets(JoustPluginState& state, int32_t tickets) {
  state.player.tickets.tickets = tickets;
  state.changes->playerChanged = true;
}

void SetPlayerRecords(JoustPluginState& state, int32_t tickets, Api::PlayerRewards rewards,
                      std::vector<Api::RosterStats> history) {
  SetTickets(state, tickets);
  state.player.rewards = std::move(rewards);
  state.changes->rewardsChanged = true;
  state.player.history = std::move(history);
  state.changes->historyChanged = true;
}

}  // namespace kiv::joust
