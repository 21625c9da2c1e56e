#include "joust/logic/configuration.h"

#include <algorithm>

#include "joust/backend/backend_methods.h"
#include "joust/logic/joust_plugin.h"
#include "joust/logic/session.h"
#include "sdk/codec/json_reader.h"
#include "sdk/log/log_groups.h"
#include "sdk/log/log_level.h"
#include "sdk/log/logger.h"

namespace kiv::joust {

using Api::JoustState;
using Api::JoustVisibility;

bool Entitled(const JoustPluginState& state) {
  if (state.useIndividualEntitlement && state.individualEntitled) return true;
  if (!state.entitlementsReceived || !state.configReceived) return false;
  return std::find(state.entitlements.begin(), state.entitlements.end(),
                   state.darkModeEntitlement) != state.entitlements.end();
}

bool Visible(const JoustPluginState& state) {
  switch (state.visibility) {
    case JoustVisibility::kHidden:
      return false;
    case JoustVisibility::kDarkVisible:
      return state.enabledState != JoustState::kDarkDisabled && Entitled(state);
    case JoustVisibility::kVisible:
      if (state.enabledState == JoustState::kDarkDisabled) return false;
      if (state.enabledState == JoustState::kDarkEnabled) return Entitled(state);
      return true;
  }
  return false;
}

bool Enabled(const JoustPluginState& state) {
  return state.enabledState == JoustState::kEnabled ||
         (state.enabledState == JoustState::kDarkEnabled && Entitled(state));
}

bool Ready(const JoustPluginState& state) {
  return state.loggedIn && state.configReceived &&
         !(state.enabledState == JoustState::kDarkEnabled && !state.entitlementsReceived &&
           !state.useIndividualEntitlement);
}

FeatureAccess CurrentFeatureAccess(const JoustPluginState& state) {
  return FeatureAccess{.dataReady = Ready(state),
                       .enabledState = state.enabledState,
                       .entitled = Entitled(state),
                       .entitlementToken = state.token,
                       .accessToken = state.accessToken};
}

namespace {

void MarkVisibility(JoustChangeSet& changes) {
  changes.visibleChanged = true;
  changes.enabledChanged = true;
  changes.readyChanged = true;
}

void Apply(JoustPluginState& state, const Api::JoustConfig& config) {
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

void ApplyDeletion(JoustPluginState& state) {
  state.visibility = JoustVisibility::kHidden;
  state.enabledState = JoustState::kDarkDisabled;
  state.darkModeEntitlement.clear();
  state.iconConfig = BindingProperty();
  state.playmodeRestrictionEnabled = true;
  state.useIndividualEntitlement = false;
  state.individualEntitled = false;
}

}  // namespace

void RunIndividualCheckIfDue(JoustPlugin& plugin) {
  JoustPluginState& state = plugin.state();
  if (!state.useIndividualEntitlement) state.individualCheckDue = false;
  if (!state.individualCheckDue || !Ready(state)) return;
  state.individualCheckDue = false;
  // The check is how the plugin learns the entitlement, so the entitlement
  // part of the feature check does not apply to it.
  auto entitled = plugin.backend().CallIgnoringEntitlement<kIsEnabledForMe>();
  // Re-read after the wait: other events may have run.
  JoustPluginState& after = plugin.state();
  after.individualEntitled = after.useIndividualEntitlement && entitled.ok() && *entitled;
  MarkVisibility(*after.changes);
}

void OnConfigurationEvent(JoustPlugin& plugin, const TypedResourceEvent<Api::JoustConfig>& event) {
  JoustPluginState& state = plugin.state();
  const bool individualBefore = state.useIndividualEntitlement;
  if (event.eventType == PluginResourceEventType::kDelete) {
    ApplyDeletion(state);
  } else {
    Apply(state, event.data);
  }
  state.configReceived = true;
  JoustChangeSet& changes = *state.changes;
  MarkVisibility(changes);
  changes.iconConfigChanged = true;
  changes.restrictionChanged = true;
  // The individual check runs on the switch from false to true, as soon as
  // the plugin's data is ready (the refresh below runs it when it is).
  if (!individualBefore && state.useIndividualEntitlement) state.individualCheckDue = true;
  // The handler's own marks are published even when the refresh fails.
  RefreshMinimalInfo(plugin);
}

void OnEntitlementsEvent(JoustPlugin& plugin,
                         const TypedResourceEvent<Api::EntitlementsToken>& event) {
  JoustPluginState& state = plugin.state();
  if (event.eventType == PluginResourceEventType::kDelete) {
    state.token.clear();
    state.accessToken.clear();
    state.entitlements.clear();
  } else {
    state.token = event.data.token;
    state.accessToken = event.data.accessToken;
    state.entitlements = event.data.entitlements;
  }
  state.entitlementsReceived = true;
  MarkVisibility(*state.changes);
  // Entitlements decide whether a "DarkEnabled" feature may be used, and so
  // whether play is restricted.
  state.changes->restrictionChanged = true;
  // The handler's own marks are published even when the refresh fails.
  RefreshMinimalInfo(plugin);
}

}  // namespace kiv::joust
