#include "joust/logic/session.h"

#include "joust/backend/backend_methods.h"
#include "joust/logic/cache.h"
#include "joust/logic/configuration.h"
#include "joust/logic/joust_plugin.h"
#include "sdk/log/log_groups.h"
#include "sdk/log/log_level.h"
#include "sdk/log/logger.h"
#include "sdk/runtime/mutation_point.h"

namespace kiv::joust {

void OnLoginEvent(JoustPlugin& plugin, const TypedResourceEvent<Api::LoginSession>& event) {
  JoustPluginState& state = plugin.state();
  const bool present = event.eventType != PluginResourceEventType::kDelete;
  const bool wasLoggedIn = state.loggedIn;
  state.loggedIn = present && event.data.state == Api::LoginSessionState::kSucceeded;
  state.summonerId = present ? event.data.summonerId.value_or(0) : 0;
  // A new login loads the player's tournaments again: the minimal
  // information may have changed while the player was away.
  if (state.loggedIn && !wasLoggedIn) state.minimalInfoLoaded = false;
  state.changes->readyChanged = true;
  state.changes->restrictionChanged = true;
  // The handler's own marks are published even when the refresh fails.
  RefreshMinimalInfo(plugin);
  if (MutationActive("failed-login-refresh-publishes-nothing") && !state.minimalInfoLoaded) {
    state.changes->Clear();
  }
}

void RefreshMinimalInfo(JoustPlugin& plugin) {
  RunIndividualCheckIfDue(plugin);
  const JoustPluginState& state = plugin.state();
  const bool darkWithoutEntitlements = state.enabledState == Api::JoustState::kDarkEnabled &&
                                       !state.entitlementsReceived &&
                                       !state.useIndividualEntitlement;
  if (state.loggedIn && state.configReceived && !darkWithoutEntitlements &&
      !state.minimalInfoLoaded) {
    auto minimal = plugin.backend().Call<kGetTournamentInfoMinimal>();
    if (!minimal.ok()) {
      Log(kLogError, kGroupDbg, "%s", minimal.failure().ToString().c_str());
    } else {
      MergeMinimalInfo(plugin, minimal->tournamentInfo, minimal->time);
    }
  }
}

}  // namespace kiv::joust
