// owned_host_value.h: a deep copy of a HostValue tree that owns its storage.
//
// The host keeps queued event bodies, stand-in answers and the plugin's
// response bodies in this form: a tree the plugin hands over is only borrowed
// for the duration of the call (or until the response is released).
//
// Not for: editing a tree in place; build a fresh one instead (from JSON, see
// host_value_json.h, or with the helpers below).
//
//   OwnedHostValue copy(event->body);
//   listener(name, &copy.root(), ...);
//   OwnedHostValue uuid = MakeTextValue("a-b-c");
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "kiv_plugin_abi.h"

namespace kiv::host {

class OwnedHostValue {
 public:
  /// The empty value (tag 0).
  OwnedHostValue() = default;
  /// Copies `value` and everything it points to (no recursion, any depth).
  explicit OwnedHostValue(const HostValue& value);
  OwnedHostValue(const OwnedHostValue&) = delete;
  OwnedHostValue& operator=(const OwnedHostValue&) = delete;
  OwnedHostValue(OwnedHostValue&&) = default;
  OwnedHostValue& operator=(OwnedHostValue&&) = default;

  /// Valid as long as this object lives (moving keeps the addresses).
  const HostValue& root() const { return root_; }
  /// An independent copy.
  OwnedHostValue Clone() const { return OwnedHostValue(root_); }

 private:
  HostValue root_{};
  // Sized by a first pass over the source; moving keeps their addresses.
  std::unique_ptr<HostValue[]> items_;
  std::unique_ptr<HostMember[]> members_;
  std::unique_ptr<char[]> bytes_;  ///< Texts (each NUL-terminated), names and blobs.
};

/// A text value (tag 5) holding `text`.
OwnedHostValue MakeTextValue(std::string_view text);
/// A structure whose members are all texts, in the given order.
OwnedHostValue MakeTextStructure(const std::vector<std::pair<std::string, std::string>>& members);

}  // namespace kiv::host
