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
  state.visibility = config.visibility;
  state.enabledState = config.enabledState;
  state.darkModeEntitlement = config.darkModeEntitlement;
  const BindingProperty icon = ReadJson(config.iconConfig);
  if (icon.IsValid()) {
    state.iconConfig = icon;
  } else {
    Log(kLogWarn, kGroupDbg, "Joust icon config set to: %s", config.iconConfig.c_str());
  }
  state.playmodeRestrictionEnabled = config.isPlaymodeRestrictionEnabled;
  if (config.useIndividualEntitlement != state.useIndividualEntitlement) {
    state.useIndividualEntitlement = config.useIndividualEntitlement;
    if (!state.useIndividualEntitlement) state.individualEntitled = false;
  }
}

void ApplyConfigurationDeleted(JoustPluginState& state) {
  state.visibility = Api::JoustVisibility::kHidden;
  state.enabledState = Api::JoustState::kDarkDisabled;
  state.darkModeEntitlement.clear();
  state.iconConfig = BindingProperty();
  state.playmodeRestrictionEnabled = true;
  state.useIndividualEntitlement = false;
  state.individualEntitled = false;
}

}  // namespace

void SetLoginSession(JoustPluginState& state, bool loggedIn, uint64_t summonerId) {
  // A new login loads the player's tournaments again: the minimal
  // information may have changed while the player was away.
  if (loggedIn && !state.loggedIn) state.minimalInfoLoaded = false;
  state.loggedIn = loggedIn;
  state.summonerId = summonerId;
  if (!loggedIn && MutationActive("logout-unpublished")) return;
  state.changes->readyChanged = true;
  state.changes->restrictionChanged = true;
}

void SetCheckinAllowed(JoustPluginState& state, bool allowed) {
  state.checkinAllowed = allowed;
  state.changes->checkinAllowedChanged = true;
  state.changes->restrictionChanged = true;
}

void SetGameflowPhase(JoustPluginState& state, Api::GameflowPhase phase) {
  state.gameflowPhase = phase;
  state.changes->restrictionChanged = true;
}

void SetFeatureConfiguration(JoustPluginState& state, const Api::JoustConfig* config) {
  const bool individualBefore = state.useIndividualEntitlement;
  const bool flip = state.configReceived;
  if (config) {
    ApplyConfiguration(state, *config);
  } else {
    ApplyConfigurationDeleted(state);
  }
  state.configReceived = true;
  // The individual check runs on the switch from false to true, as soon as
  // the plugin's data is ready.
  if (!individualBefore && state.useIndividualEntitlement) state.individualCheckDue = true;
  if (flip && MutationActive("configuration-flip-unpublished")) return;
  MarkFeatureFlags(*state.changes);
  state.changes->iconConfigChanged = true;
  state.changes->restrictionChanged = true;
}

void SetEntitlements(JoustPluginState& state, const Api::EntitlementsToken* token) {
  if (token) {
    state.token = token->token;
    state.accessToken = token->accessToken;
    state.entitlements = token->entitlements;
  } else {
    state.token.clear();
    state.accessToken.clear();
    state.entitlements.clear();
  }
  state.entitlementsReceived = true;
  if (MutationActive("entitlements-flip-unpublished")) return;
  MarkFeatureFlags(*state.changes);
  // Entitlements decide whether a "DarkEnabled" feature may be used, and so
  // whether play is restricted.
  state.changes->restrictionChanged = true;
}

void SetIndividuallyEntitled(JoustPluginState& state, bool entitled) {
  state.individualEntitled = state.useIndividualEntitlement && entitled;
  MarkFeatureFlags(*state.changes);
}

void RestrictionMayHaveChanged(JoustPluginState& state) {
  state.changes->restrictionChanged = true;
}

void SetGameEnd(JoustPluginState& state, const Api::TournamentGameEnd& gameEnd) {
  state.gameEnd = gameEnd;
  state.changes->gameEndChanged = true;
  // A game of the player's roster ended: the roster and its tournament's
  // state read differently now.
  const auto standing = state.cache.standings().find(gameEnd.tournamentId);
  if (standing == state.cache.standings().end() || standing->second.rosterId.empty()) return;
  state.changes->tournaments.Insert(gameEnd.tournamentId);
}

void SetEogPlayerUpdate(JoustPluginState& state, const ZMS::EogPlayerUpdateDTO& update) {
  state.eogPlayerUpdate = update;
  state.changes->eogPlayerUpdateChanged = true;
}

void SetNotificationPrompt(JoustPluginState& state, Api::PlayerNotificationData prompt) {
  state.notificationPrompt = std::move(prompt);
  state.changes->notificationsChanged = true;
}

void SetTickets(JoustPluginState& state, int32_t tickets) {
  state.tickets.tickets = tickets;
  state.changes->playerChanged = true;
}

void SetPlayerRecords(JoustPluginState& state, int32_t tickets, Api::PlayerRewards rewards,
                      std::vector<Api::RosterStats> history) {
  SetTickets(state, tickets);
  state.rewards = std::move(rewards);
  state.changes->rewardsChanged = true;
  state.history = std::move(history);
  state.changes->historyChanged = true;
}

}  // namespace kiv::joust
