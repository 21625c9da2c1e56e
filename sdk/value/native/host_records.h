// host_records.h: the building blocks of a value's host form: how many item
// and member records a value needs, a cursor that hands out slices of two
// arrays sized by that count, and setters for each tag.
//
// A host form is written in two passes: the first counts records
// (CountHostRecords, or the native walk of native_host_tree.h), the second
// takes each container's slice from the cursor and fills it. Both passes
// must walk the same value, or the cursor runs past its arrays.
//
// Not for: converting host values into BindingProperty (host_value.h).
//
//   HostRecordCounts counts;
//   CountHostRecords(value, counts);
//   HostRecordArrays arrays;
//   HostRecordCursor cursor = arrays.Allocate(counts);
//   HostValue root;
//   WriteHostRecords(value, root, cursor);   // texts point into `value`
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>

#include "kiv_plugin_abi.h"
#include "sdk/value/binding_property.h"

namespace kiv {

class EnumDescription;

/// The item and member records a host form needs besides its root.
struct HostRecordCounts {
  size_t items = 0;
  size_t members = 0;
};

/// Hands out consecutive slices of the item and member arrays.
struct HostRecordCursor {
  HostValue* nextItem = nullptr;
  HostMember* nextMember = nullptr;

  /// The next `count` items; null for none.
  HostValue* TakeItems(size_t count) {
    if (count == 0) return nullptr;
    HostValue* taken = nextItem;
    nextItem += count;
    return taken;
  }
  /// The next `count` members; null for none.
  HostMember* TakeMembers(size_t count) {
    if (count == 0) return nullptr;
    HostMember* taken = nextMember;
    nextMember += count;
    return taken;
  }
};

/// Owns the two arrays a cursor fills. Small forms (most events and single
/// records) fit in arrays held inline, so they take no allocation at all.
/// Not copyable or movable: the cursor points into the object.
class HostRecordArrays {
 public:
  HostRecordArrays() = default;
  HostRecordArrays(const HostRecordArrays&) = delete;
  HostRecordArrays& operator=(const HostRecordArrays&) = delete;

  /// Provides exactly `counts` records and returns a cursor at their start.
  /// Call once.
  HostRecordCursor Allocate(HostRecordCounts counts);

 private:
  static constexpr size_t kInlineItems = 16;
  static constexpr size_t kInlineMembers = 64;
  HostValue inlineItems_[kInlineItems];
  HostMember inlineMembers_[kInlineMembers];
  std::unique_ptr<std::byte[]> block_;  ///< Members, then items, when either is too many.
};

inline void SetHostBool(HostValue& target, bool value) {
  target.tag = KIV_VALUE_BOOL;
  target.u.boolean = value ? 1 : 0;
}
inline void SetHostSigned(HostValue& target, int64_t value) {
  target.tag = KIV_VALUE_SIGNED;
  target.u.signedValue = value;
}
inline void SetHostUnsigned(HostValue& target, uint64_t value) {
  target.tag = KIV_VALUE_UNSIGNED;
  target.u.unsignedValue = value;
}
inline void SetHostFloat(HostValue& target, double value) {
  target.tag = KIV_VALUE_FLOAT;
  target.u.floatValue = value;
}
/// `data` must stay valid and NUL-terminated while the host reads it.
inline void SetHostText(HostValue& target, const char* data, size_t size) {
  target.tag = KIV_VALUE_TEXT;
  target.u.text.data = data;
  target.u.text.size = static_cast<uint32_t>(size);
}
inline void SetHostBytes(HostValue& target, const uint8_t* data, size_t size) {
  target.tag = KIV_VALUE_BYTES;
  target.u.bytes.data = data;
  target.u.bytes.size = static_cast<uint32_t>(size);
}
inline void SetHostCollection(HostValue& target, HostValue* items, size_t count) {
  target.tag = KIV_VALUE_COLLECTION;
  target.u.collection.items = items;
  target.u.collection.count = static_cast<uint32_t>(count);
}
/// `members` must be in key order.
inline void SetHostStructure(HostValue& target, HostMember* members, size_t count) {
  target.tag = KIV_VALUE_STRUCTURE;
  target.u.structure.members = members;
  target.u.structure.count = static_cast<uint32_t>(count);
}
/// An enum crosses as text holding its registered name, or as signed holding
/// its number when the number has no name (or the type is unknown).
void SetHostEnum(HostValue& target, const EnumDescription* type, int32_t number);

/// Adds the records `value` needs (not counting its root) to `counts`.
void CountHostRecords(const BindingProperty& value, HostRecordCounts& counts);
/// Writes `value` into `root`, taking its records from `cursor`. Texts,
/// names and bytes point into `value`, which must outlive the records.
void WriteHostRecords(const BindingProperty& value, HostValue& root, HostRecordCursor& cursor);

}  // namespace kiv
