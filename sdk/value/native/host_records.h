// host_records.h: the building blocks of a value's host form: a cursor that
// hands out the item and member records of each container, the arrays it
// takes them from, and setters for each tag.
//
// A host form is written in one pass: each container takes its slice when it
// is written. Small forms fit in arrays held inline; larger ones go on into
// blocks added as those run out (each at least twice the one before), so
// nothing is counted beforehand and a slice is never moved once taken.
//
// Not for: converting host values into BindingProperty (host_value.h).
//
//   HostRecordArrays arrays;
//   HostRecordCursor cursor(arrays);
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
class HostRecordCursor;

/// Owns the records a cursor hands out. Not copyable or movable: the records
/// and the cursor point into the object.
class HostRecordArrays {
 public:
  HostRecordArrays() = default;
  HostRecordArrays(const HostRecordArrays&) = delete;
  HostRecordArrays& operator=(const HostRecordArrays&) = delete;
  ~HostRecordArrays();

 private:
  friend class HostRecordCursor;
  static constexpr size_t kInlineItems = 16;
  static constexpr size_t kInlineMembers = 64;

  /// A new block of at least `count` records of `bytesEach` bytes, at least
  /// twice `lastCount`; `lastCount` becomes its size.
  std::byte* AddBlock(size_t count, size_t bytesEach, size_t& lastCount);

  HostValue inlineItems_[kInlineItems];
  HostMember inlineMembers_[kInlineMembers];
  std::unique_ptr<std::byte[]> lastBlock_;  ///< Each block begins with its predecessor.
  size_t lastItemBlock_ = kInlineItems;
  size_t lastMemberBlock_ = kInlineMembers;
};

/// Hands out consecutive slices of records from `arrays`, growing them as
/// needed. Records are handed out unwritten.
class HostRecordCursor {
 public:
  explicit HostRecordCursor(HostRecordArrays& arrays)
      : arrays_(&arrays),
        items_{arrays.inlineItems_, arrays.inlineItems_ + HostRecordArrays::kInlineItems,
               &arrays.lastItemBlock_},
        members_{arrays.inlineMembers_, arrays.inlineMembers_ + HostRecordArrays::kInlineMembers,
                 &arrays.lastMemberBlock_} {}

  /// The next `count` items, contiguous; null for none.
  HostValue* TakeItems(size_t count) { return Take(items_, count); }
  /// The next `count` members, contiguous; null for none.
  HostMember* TakeMembers(size_t count) { return Take(members_, count); }

 private:
  /// What is left of the current array of one kind of record.
  template <typename Record>
  struct Run {
    Record* next;
    Record* end;
    size_t* lastBlock;  ///< The size of the latest block of this kind.
  };

  template <typename Record>
  Record* Take(Run<Record>& run, size_t count) {
    if (count == 0) return nullptr;
    if (count > static_cast<size_t>(run.end - run.next)) {
      run.next = std::launder(
          reinterpret_cast<Record*>(arrays_->AddBlock(count, sizeof(Record), *run.lastBlock)));
      run.end = run.next + *run.lastBlock;
    }
    Record* taken = run.next;
    run.next += count;
    return taken;
  }

  HostRecordArrays* arrays_;
  Run<HostValue> items_;
  Run<HostMember> members_;
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

/// Writes `value` into `root`, taking its records from `cursor`. Texts,
/// names and bytes point into `value`, which must outlive the records.
void WriteHostRecords(const BindingProperty& value, HostValue& root, HostRecordCursor& cursor);

}  // namespace kiv
