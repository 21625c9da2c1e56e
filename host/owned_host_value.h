// owned_host_value.h: a deep copy of a HostValue tree that owns its storage.
//
// The host keeps queued event bodies in this form: the plugin's tree is only
// borrowed for the duration of the DispatchEvent call.
//
//   OwnedHostValue copy(event->body);
//   listener(name, &copy.root(), ...);
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "kiv_plugin_abi.h"

namespace kiv::host {

class OwnedHostValue {
 public:
  OwnedHostValue() = default;
  /// Copies `value` and everything it points to (no recursion, any depth).
  explicit OwnedHostValue(const HostValue& value);
  OwnedHostValue(const OwnedHostValue&) = delete;
  OwnedHostValue& operator=(const OwnedHostValue&) = delete;
  OwnedHostValue(OwnedHostValue&&) = default;
  OwnedHostValue& operator=(OwnedHostValue&&) = default;

  const HostValue& root() const { return root_; }

 private:
  HostValue root_{};
  // Deques keep addresses stable while the copy grows.
  std::deque<std::string> texts_;
  std::deque<std::vector<HostValue>> items_;
  std::deque<std::vector<HostMember>> members_;
};

}  // namespace kiv::host
