// host_value.h: conversions between the host's tagged HostValue records and
// BindingProperty, in both directions.
//
// Incoming (HostValueToProperty): tags 0-4 scalars, 5/6 text (up to the first
// NUL or `size`), 7/8 bytes (copied), 9 collection, 10 structure; any other
// tag fails. Outgoing (HostValueTree): empty 0, bool 1, signed 2, unsigned 3,
// float 4, string 5, blob 7, collection 9, structure 10 with members in key
// order; an enum crosses as text holding its registered name, or as signed
// holding its number when the number has no name.
//
// Both directions walk the tree with an explicit stack, so any nesting depth
// is converted without growing the call stack.
//
// Not for: encoding payload text (JSON and friends live in the codecs).
//
//   ConversionStatus status;
//   BindingProperty body = HostValueToProperty(*event.body, "<result>", status);
//   auto tree = std::make_unique<HostValueTree>(answer);   // keeps everything alive
//   response.body = tree->Root();                           // until the tree is destroyed
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "kiv_plugin_abi.h"
#include "sdk/value/binding_property.h"
#include "sdk/value/conversion_status.h"
#include "sdk/value/native/host_records.h"

namespace kiv {

/// Converts a host value; the result owns copies of every text and byte.
/// Does nothing and returns an empty value when `status` is invalid; an
/// unknown tag anywhere in the tree sets "Couldn't assign value to '%1' of
/// type object because the input is of an incompatible type '%2'." (%1
/// `name`, %2 empty) on `status` and returns an empty value. Duplicate member
/// names: the last one wins.
BindingProperty HostValueToProperty(const HostValue& value, std::string_view name,
                                    ConversionStatus& status);

/// The host form of a value. The tree keeps the value (moved in, or copied
/// when given an lvalue): texts, member names and bytes point straight into
/// its interned strings and blobs, and enum names into their process-wide
/// descriptions; item and member records are written in one pass into
/// arrays held inline, then blocks added as needed. Root() stays valid, unchanged, until the tree
/// is destroyed. Not copyable or movable, because Root() points into the tree itself.
class HostValueTree {
 public:
  explicit HostValueTree(BindingProperty value);
  HostValueTree(const HostValueTree&) = delete;
  HostValueTree& operator=(const HostValueTree&) = delete;

  const HostValue& Root() const { return root_; }

 private:
  BindingProperty source_;  ///< What every text and byte pointer points into.
  HostValue root_{};
  HostRecordArrays arrays_;
};

}  // namespace kiv
