// feature_access.h: FeatureAccess, what the backend client must know of the
// feature before it calls the tournament service: whether the plugin's data
// is ready, the feature's state, whether the player is entitled to a dark
// launch, and the entitlement tokens sent with calls during one.
//
// A plain value the logic hands the client with every use (JoustPlugin's
// backend()), so the client never asks the logic anything.
//
// Not for: deciding visibility (the configuration logic does that).
//
//   client.SetAccess({.dataReady = true, .enabledState = Api::JoustState::kEnabled});
#pragma once

#include <string>

#include "joust/model/api/enums.h"

namespace kiv::joust {

struct FeatureAccess {
  /// The plugin's data is ready (the "/kiv-joust/v1/ready" test).
  bool dataReady = false;
  Api::JoustState enabledState = Api::JoustState::kDisabled;
  /// The player belongs to the dark launch.
  bool entitled = false;
  /// The tokens of the last entitlements token; never logged or published.
  std::string entitlementToken;
  std::string accessToken;
};

}  // namespace kiv::joust
