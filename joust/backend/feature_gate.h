// feature_gate.h: FeatureGate, what the backend client asks of the plugin's
// state before and while it calls the tournament service: whether the
// plugin's data is ready, the feature's state, whether the player is
// entitled to a dark launch, and the entitlement tokens sent with calls
// during one.
//
// Not for: deciding visibility (the configuration logic does that, and
// implements this interface).
#pragma once

#include <string>

#include "joust/model/api/enums.h"

namespace kiv::joust {

class FeatureGate {
 public:
  virtual ~FeatureGate() = default;
  /// The plugin's data is ready (the "/kiv-joust/v1/ready" test).
  virtual bool DataReady() const = 0;
  virtual Api::JoustState EnabledState() const = 0;
  /// The player belongs to the dark launch.
  virtual bool Entitled() const = 0;
  /// The tokens of the last entitlements token; never logged or published.
  virtual const std::string& EntitlementToken() const = 0;
  virtual const std::string& AccessToken() const = 0;
};

}  // namespace kiv::joust
