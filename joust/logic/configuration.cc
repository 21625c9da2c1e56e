#include "joust/logic/configuration.h"

#include <algorithm>

#include "joust/backend/backend_methods.h"
#include "joust/logic/joust_plugin.h"
#include "joust/logic/session.h"
#include "joust/logic/state_writes.h"
#include "sdk/log/log_groups.h"
#include "sdk/log/log_level.h"
#include "sdk/log/logger.h"

namespace kiv::joust {

using Api::JoustState;
using Api::JoustVisibility;

bool Entitled(const JoustPluginState& state) {
  if (state.feature.useIndividualEntitlement && state.feature.individualEntitled) return true;
  if (!state.feature.entitlementsReceived || !state.feature.configReceived) return false;
  return std::find(state.feature.entitlements.begin(), state.feature.entitlements.end(),
                   state.feature.darkModeEntitlement) != state.feature.entitlements.end();
}

bool Visible(const JoustPluginState& state) {
  switch (state.feature.visibility) {
    case JoustVisibility::kHidden:
      return false;
    case JoustVisibility::kDarkVisible:
      return state.feature.enabledState != JoustState::kDarkDisabled && Entitled(state);
    case JoustVisibility::kVisible:
      if (state.feature.enabledState == JoustState::kDarkDisabled) return false;
      if (state.feature.enabledState == JoustState::kDarkEnabled) return Entitled(state);
      return true;
  }
  return false;
}

bool Enabled(const JoustPluginState& state) {
  return state.feature.enabledState == JoustState::kEnabled ||
         (state.feature.enabledState == JoustState::kDarkEnabled && Entitled(state));
}

bool Ready(const JoustPluginState& state) {
  return state.session.loggedIn && state.feature.configReceived &&
         !(state.feature.enabledState == JoustState::kDarkEnabled &&
           !state.feature.entitlementsReceived && !state.feature.useIndividualEntitlement);
}

FeatureAccess CurrentFeatureAccess(const JoustPluginState& state) {
  return FeatureAccess{.dataReady = Ready(state),
                       .enabledState = state.feature.enabledState,
                       .entitled = Entitled(state),
                       .entitlementToken = state.feature.token,
                       .accessToken = state.feature.accessToken};
}

void RunIndividualCheckIfDue(JoustPlugin& plugin) {
  JoustPluginState& state = plugin.state();
  if (!state.feature.useIndividualEntitlement) state.feature.individualCheckDue = false;
  if (!state.feature.individualCheckDue || !Ready(state)) return;
  state.feature.individualCheckDue = false;
  // The check is how the plugin learns the entitlement, so the entitlement
  // part of the feature check does not apply to it.
  auto entitled = plugin.backend().CallIgnoringEntitlement<kIsEnabledForMe>();
  // Re-read after the wait: other events may have run.
  SetIndividuallyEntitled(plugin.state(), entitled.ok() && *entitled);
}

void OnConfigurationEvent(JoustPlugin& plugin, const TypedResourceEvent<Api::JoustConfig>& event) {
  SetFeatureConfiguration(
      plugin.state(), event.eventType == PluginResourceEventType::kDelete ? nullptr : &event.data);
  // The handler's own marks are published even when the refresh fails; the
  // refresh runs a due individual check.
  RefreshMinimalInfo(plugin);
}

void OnEntitlementsEvent(JoustPlugin& plugin,
                         const TypedResourceEvent<Api::EntitlementsToken>& event) {
  SetEntitlements(plugin.state(),
                  event.eventType == PluginResourceEventType::kDelete ? nullptr : &event.data);
  // The handler's own marks are published even when the refresh fails.
  RefreshMinimalInfo(plugin);
}

}  // namespace kiv::joust
