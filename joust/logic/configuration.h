// configuration.h: whether the tournament feature is shown and usable for
// this player, from the platform configuration "JoustConfig", the
// entitlements token and (when configured) the backend's individual
// entitlement check, and the handlers of those two events.
//
// The four published values: visible, enabled, ready, and the icon
// configuration. Until the first configuration event the feature is
// invisible, disabled and not ready.
//
// Not for: the playmode restriction (gameflow_presence.h), which the
// configuration only switches.
//
//   if (!Ready(plugin.state())) return Fail(...);
//   OnConfigurationEvent(plugin, event);   // applies, then refreshes and publishes
#pragma once

#include "joust/backend/feature_access.h"
#include "joust/model/api/session.h"
#include "sdk/runtime/resource_events.h"

namespace kiv::joust {

class JoustPlugin;
class JoustPluginState;

/// The player belongs to the dark launch: individually entitled by the
/// backend, or holding the configured dark-mode entitlement.
bool Entitled(const JoustPluginState& state);
bool Visible(const JoustPluginState& state);
bool Enabled(const JoustPluginState& state);
/// Logged in and configured, and not waiting for the entitlements of a dark
/// launch.
bool Ready(const JoustPluginState& state);
/// What the backend client must know of the feature now.
FeatureAccess CurrentFeatureAccess(const JoustPluginState& state);

/// Create, Update or Delete of "/kiv-platform-config/v1/namespaces/JoustConfig".
void OnConfigurationEvent(JoustPlugin& plugin, const TypedResourceEvent<Api::JoustConfig>& event);
/// Runs the backend's individual entitlement check ("isEnabledForMe") when
/// one is due (the configuration switched it on) and the plugin's data is
/// ready; a failed check counts as not entitled.
void RunIndividualCheckIfDue(JoustPlugin& plugin);
/// Create, Update or Delete of "/entitlements/v1/token".
void OnEntitlementsEvent(JoustPlugin& plugin,
                         const TypedResourceEvent<Api::EntitlementsToken>& event);

}  // namespace kiv::joust
