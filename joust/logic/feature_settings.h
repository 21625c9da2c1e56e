// feature_settings.h: FeatureSettings, what decides whether the tournament
// feature is shown and usable: its configuration, the player's entitlements
// and tokens, and the individual entitlement. Written through state_writes.h.
#pragma once

#include <string>
#include <vector>

#include "joust/model/api/enums.h"
#include "sdk/value/binding_property.h"

namespace kiv::joust {

struct FeatureSettings {
  bool configReceived = false;
  bool entitlementsReceived = false;
  Api::JoustVisibility visibility = Api::JoustVisibility::kHidden;
  Api::JoustState enabledState = Api::JoustState::kDarkDisabled;
  std::string token;        ///< Never logged or published.
  std::string accessToken;  ///< Never logged or published.
  std::vector<std::string> entitlements;
  std::string darkModeEntitlement;
  bool playmodeRestrictionEnabled = true;
  bool useIndividualEntitlement = false;
  bool individualEntitled = false;
  /// The individual entitlement check was switched on and has not run yet
  /// (it waits until the plugin's data is ready).
  bool individualCheckDue = false;
  BindingProperty iconConfig;
};

}  // namespace kiv::joust
