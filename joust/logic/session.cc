#include "joust/logic/session.h"

#include "joust/backend/backend_methods.h"
#include "joust/logic/cache.h"
#include "joust/logic/configuration.h"
#include "joust/logic/joust_plugin.h"
#include "joust/logic/state_writes.h"
#include "sdk/log/log_groups.h"
#include "sdk/log/log_level.h"
#include "sdk/log/logger.h"
#include "sdk/runtime/mutation_point.h"

namespace kiv::joust {

void OnLoginEvent(JoustPlugin& plugin, const TypedResourceEvent<Api::LoginSession>& event) {
  JoustPluginState& state = plugin.state();
  const bool present = event.eventType != PluginResourceEventType::kDelete;
  SetLoginSession(state, present && event.data.state == Api::LoginSessionState::kSucceeded,
                  present ? event.data.summonerId.value_or(0) : 0);
  // The handler's own marks are published even when the refresh fails.
  RefreshMinimalInfo(plugin);
  if (MutationActive("failed-login-refresh-publishes-nothing") &&
      !state.session.minimalInfoLoaded) {
    state.changes->Clear();
  }
}

void RefreshMinimalInfo(JoustPlugin& plugin) {
  RunIndividualCheckIfDue(plugin);
  const JoustPluginState& state = plugin.state();
  const bool darkWithoutEntitlements =
      state.feature.enabledState == Api::JoustState::kDarkEnabled &&
      !state.feature.entitlementsReceived && !state.feature.useIndividualEntitlement;
  if (state.session.loggedIn && state.feature.configReceived && !darkWithoutEntitlements &&
      !state.session.minimalInfoLoaded) {
    auto minimal = plugin.backend().Call<kGetTournamentInfoMinimal>();
    if (!minimal.ok()) {
      Log(kLogError, kGroupDbg, "%s", minimal.failure().ToString().c_str());
    } else {
      MergeMinimalInfo(plugin, minimal->tournamentInfo, minimal->time);
    }
  }
}

}  // namespace kiv::joust
