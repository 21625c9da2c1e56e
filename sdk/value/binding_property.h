// binding_property.h: BindingProperty, the dynamic value every payload passes
// through (request bodies, responses, events, backend payloads).
//
// A value has a kind (value_kind.h), a payload and a validity flag. Scalars
// (bool, signed, unsigned, float) live inline and never allocate. Strings,
// blobs, enums, collections and structures live in the allocation context the
// whole tree shares: strings are interned once per tree, payload records come
// from fixed-size pools. A tree's context is created by the first value that
// needs it and is handed to every element and member created through the tree.
//
// Not for: typed records (convert them, see the native conversions), sharing
// one tree between threads (nothing here locks), or parsing text.
//
//   BindingProperty root;
//   root.MutableMember("name") = "Tiber";                 // root becomes a structure
//   root.MutableMember("scores").AppendElement() = 12;    // "scores" becomes a collection
//   root.Member("scores").Element(0).GetSigned();         // 12
//   root.Member("missing").GetString("none");             // "none": reads never fail
#pragma once

#include <concepts>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "sdk/value/value_kind.h"

namespace kiv {

class EnumDescription;
class BindingMember;
class ValueAssembler;

namespace value_internal {
class ValueContext;
struct InternedString;
struct BlobRecord;
struct EnumRecord;
struct CollectionRecord;
struct StructureRecord;
class TreeWalker;
}  // namespace value_internal

/// The bytes of a blob value; moved into the value on construction.
using Blob = std::vector<uint8_t>;

/// The payload of an enum value: its number and the enum type it belongs to.
/// `type` is not owned (the type registry owns descriptions) and may be null.
struct EnumValue {
  int32_t number = 0;
  const EnumDescription* type = nullptr;
  friend bool operator==(const EnumValue&, const EnumValue&) = default;
};

class BindingProperty {
 public:
  /// A valid, empty value without context. Never allocates.
  BindingProperty() noexcept = default;

  /// One constructor per kind. Integers widen to 64 bits by signedness.
  explicit BindingProperty(bool value) noexcept;
  template <std::signed_integral T>
  explicit BindingProperty(T value) noexcept : BindingProperty() {
    SetSigned(value);
  }
  template <std::unsigned_integral T>
  requires(!std::same_as<T, bool>) explicit BindingProperty(T value) noexcept : BindingProperty() {
    SetUnsigned(value);
  }
  explicit BindingProperty(double value) noexcept;
  /// Copies the text into the tree's string table. A null pointer stands for
  /// the empty string.
  explicit BindingProperty(const char* text);
  explicit BindingProperty(std::string_view text);
  explicit BindingProperty(const std::string& text) : BindingProperty(std::string_view(text)) {}
  explicit BindingProperty(Blob&& bytes);
  explicit BindingProperty(EnumValue value);
  /// A pointer never turns into a bool.
  template <typename T>
  BindingProperty(const T*) = delete;
  BindingProperty(std::nullptr_t) = delete;

  /// Deep copy into a new tree (strings re-interned, containers element by
  /// element). Deep copies are an explicit cost: prefer moves on hot paths.
  BindingProperty(const BindingProperty& other);
  /// Takes the payload (and shares the source's context); the source is left
  /// empty. Never allocates.
  BindingProperty(BindingProperty&& other) noexcept;
  /// Deep copy into this value's context; safe when `other` is inside this
  /// value or this value inside `other`.
  BindingProperty& operator=(const BindingProperty& other);
  /// Exchanges payloads when both values share a context (or this value has
  /// none yet), else deep-copies; either way the source ends empty. Moving a
  /// value into one of its own descendants is not allowed.
  BindingProperty& operator=(BindingProperty&& other) noexcept;
  /// Releases the whole tree. Iterative: any nesting depth is safe.
  ~BindingProperty();

  /// Assignment per kind: releases the previous payload, keeps the context
  /// (so a string assigned to an element is interned in its tree) and marks
  /// the value valid.
  BindingProperty& operator=(bool value) noexcept;
  template <std::signed_integral T>
  BindingProperty& operator=(T value) noexcept {
    SetSigned(value);
    return *this;
  }
  template <std::unsigned_integral T>
  requires(!std::same_as<T, bool>) BindingProperty& operator=(T value) noexcept {
    SetUnsigned(value);
    return *this;
  }
  BindingProperty& operator=(double value) noexcept;
  BindingProperty& operator=(const char* text);
  BindingProperty& operator=(std::string_view text);
  BindingProperty& operator=(const std::string& text) { return *this = std::string_view(text); }
  BindingProperty& operator=(Blob&& bytes);
  BindingProperty& operator=(EnumValue value);
  template <typename T>
  BindingProperty& operator=(const T*) = delete;
  BindingProperty& operator=(std::nullptr_t) = delete;

  void SetSigned(int64_t value) noexcept;
  void SetUnsigned(uint64_t value) noexcept;

  /// An empty value that shares this value's context (none if this value has
  /// none yet). Build subtrees in it and move them into this tree: the move
  /// then exchanges payloads instead of copying.
  BindingProperty NewValueInSameTree() const noexcept;

  // ---- Kind and validity -------------------------------------------------

  ValueKind Kind() const noexcept { return kind_; }
  bool IsEmpty() const noexcept { return kind_ == ValueKind::kEmpty; }
  bool IsString() const noexcept { return kind_ == ValueKind::kString; }
  bool IsCollection() const noexcept { return kind_ == ValueKind::kCollection; }
  bool IsStructure() const noexcept { return kind_ == ValueKind::kStructure; }

  /// False only after SetError (a failed conversion into or out of it).
  bool IsValid() const noexcept { return valid_; }

  /// Clears the value, marks it invalid and stores `message` as the string
  /// member "error".
  void SetError(std::string_view message);

  /// "" for a valid value; else the "error" member when it is a string, else "".
  std::string_view Error() const noexcept;

  /// Releases the payload and makes the value empty; the validity flag stays.
  void Clear() noexcept;

  /// Clear, and mark the value valid: the form used on a status value before a
  /// conversion.
  void Reset() noexcept;

  // ---- Typed reads: the payload when the kind is exactly right, else the
  // caller's default. No coercion between kinds.

  bool GetBool(bool defaultValue = false) const noexcept;
  int64_t GetSigned(int64_t defaultValue = 0) const noexcept;
  uint64_t GetUnsigned(uint64_t defaultValue = 0) const noexcept;
  double GetFloat(double defaultValue = 0.0) const noexcept;
  /// The view stays valid while the value holds the string; its data is
  /// NUL-terminated when the value is a string.
  std::string_view GetString(std::string_view defaultValue = {}) const noexcept;
  /// NUL-terminated text of a string value, else `defaultValue`.
  const char* GetCString(const char* defaultValue = "") const noexcept;
  std::span<const uint8_t> GetBlob(std::span<const uint8_t> defaultValue = {}) const noexcept;
  EnumValue GetEnum(EnumValue defaultValue = {}) const noexcept;

  /// 0 for empty; bytes of a string or blob; elements of a collection; members
  /// of a structure; 1 for bool, signed, unsigned, float and enum.
  size_t Size() const noexcept;

  // ---- Collections ---------------------------------------------------------

  /// The element, or the shared empty value when this is not a collection or
  /// `index` is not below the size.
  const BindingProperty& Element(size_t index) const noexcept;

  /// Turns the value into an empty collection first if it is not one
  /// (discarding what it held), grows it with empty elements up to index + 1,
  /// and returns the element. The reference is valid until the collection
  /// grows.
  BindingProperty& MutableElement(size_t index);

  /// Turns the value into an empty collection if it is not one, appends one
  /// empty element and returns it. The reference is valid until the
  /// collection grows.
  BindingProperty& AppendElement();

  /// AppendElement, then moves `element` into it (no copy when it belongs to
  /// this tree or to no tree).
  BindingProperty& Append(BindingProperty&& element);

  /// Capacity for `count` elements; does nothing unless this is a collection.
  /// A hint: at most 65,536 are reserved, larger collections grow as they fill.
  void Reserve(size_t count);

  /// The elements; empty unless this is a collection.
  std::span<const BindingProperty> Elements() const noexcept;
  std::span<BindingProperty> MutableElements() noexcept;

  /// Makes the value an empty collection / structure, discarding what it held.
  void SetEmptyCollection();
  void SetEmptyStructure();

  // ---- Structures ----------------------------------------------------------

  /// The member, or the shared empty value when absent or when this is not a
  /// structure.
  const BindingProperty& Member(std::string_view name) const noexcept;

  /// The member, or nullptr when absent or when this is not a structure.
  const BindingProperty* FindMember(std::string_view name) const noexcept;

  /// Turns the value into an empty structure first if it is not one, creates
  /// the member as empty if absent, and returns it. The reference is valid
  /// until the next member is added or removed. Appending keys in ascending
  /// order is the cheapest path.
  BindingProperty& MutableMember(std::string_view name);

  /// MutableMember, then moves `value` into it (replacing an existing member).
  BindingProperty& SetMember(std::string_view name, BindingProperty&& value);

  /// Removes the member; false when absent or when this is not a structure.
  bool RemoveMember(std::string_view name) noexcept;

  /// Capacity for `count` members; does nothing unless this is a structure.
  /// A hint, capped like Reserve.
  void ReserveMembers(size_t count);

  /// The members in unsigned byte-wise order of their names; empty unless this
  /// is a structure.
  std::span<const BindingMember> Members() const noexcept;
  std::span<BindingMember> MutableMembers() noexcept;

  // ---- Bulk building ---------------------------------------------------------
  // A structure built from many names is cheapest appended in arrival order and
  // put in name order once: O(n log n) whatever the order of the names, where
  // MutableMember pays an ordered insert per name (O(n^2) for descending names).
  //
  //   BindingProperty record;
  //   record.AppendMemberUnsorted("b").Value() = 2;
  //   record.AppendMemberUnsorted("a").Value() = 1;
  //   record.SortMembers();                      // members: a, b

  /// Turns the value into an empty structure first if it is not one, appends a
  /// member named `name` without looking for an existing one, and returns it.
  /// Until SortMembers(), the members are in append order and names may repeat:
  /// lookups by name (Member, FindMember, MutableMember, SetMember,
  /// RemoveMember) and comparisons must wait for it. The reference is valid
  /// until the next member is added.
  BindingMember& AppendMemberUnsorted(std::string_view name);

  /// Removes the last member of the member array (the last appended one before
  /// SortMembers); does nothing when there is none or this is not a structure.
  void RemoveLastMember() noexcept;

  /// Puts the members in name order after AppendMemberUnsorted: a stable sort
  /// (repeated names stay adjacent, in append order), O(n log n), that also
  /// trims the member array to the member count. Does nothing unless this is
  /// a structure.
  void SortMembers();

  // ---- Text and comparison -------------------------------------------------

  /// Scalars as text: "true"/"false", integers in decimal, a float as "%f", a
  /// string unchanged, a blob in standard Base64, an enum as its number.
  /// Empty, collection and structure give "".
  std::string ToString() const;

  /// Deep equality: same validity, kind and payload; members compared by
  /// name and value. Floats compare by value, with NaN equal to NaN so that
  /// decoded trees compare equal to themselves. Iterative at any depth.
  friend bool operator==(const BindingProperty& left, const BindingProperty& right) noexcept;

  /// The value shared by every failed read.
  static const BindingProperty& EmptyValue() noexcept;

 private:
  friend class value_internal::TreeWalker;
  friend class ValueAssembler;

  union Payload {
    bool boolean;
    int64_t signedNumber;
    uint64_t unsignedNumber;
    double floatNumber;
    const value_internal::InternedString* string;
    value_internal::BlobRecord* blob;
    value_internal::EnumRecord* enumeration;
    value_internal::CollectionRecord* collection;
    value_internal::StructureRecord* structure;
  };

  value_internal::ValueContext& EnsureContext();
  void ReleasePayload() noexcept;
  /// Room for `needed` children, growing 4, 8, then by half.
  void Grow(value_internal::CollectionRecord& record, size_t needed);
  void Grow(value_internal::StructureRecord& record, size_t needed);
  void SetString(std::string_view text);
  void BecomeCollection();
  void BecomeStructure();
  void AdoptFrom(BindingProperty& source) noexcept;

  Payload payload_{.unsignedNumber = 0};
  /// The tree's context: a counted reference held by a value that stands on
  /// its own, a plain one held by an element or member (its tree's owner
  /// holds the count). See value_internal/value_context.h.
  value_internal::ValueContext* context_ = nullptr;
  ValueKind kind_ = ValueKind::kEmpty;
  bool valid_ = true;
  /// Read only by ValueAssembler while it builds a tree: this value replaces,
  /// rather than merges into, an earlier value of the same name.
  bool replaces_ = false;
};

/// One member of a structure: an interned name and its value.
class BindingMember {
 public:
  std::string_view Name() const noexcept;
  /// The name as NUL-terminated text. Names are interned per tree: members of
  /// one tree with equal names return the same pointer, so the pointer
  /// identifies the name within the tree.
  const char* CName() const noexcept;
  /// True when both members have the same name; for members of one tree this
  /// is one pointer compare (names are interned per tree).
  bool SameNameInTree(const BindingMember& other) const noexcept { return name_ == other.name_; }
  const BindingProperty& Value() const noexcept { return value_; }
  BindingProperty& Value() noexcept { return value_; }

 private:
  friend class BindingProperty;
  friend class ValueAssembler;
  friend class value_internal::TreeWalker;
  const value_internal::InternedString* name_;
  BindingProperty value_;
};

}  // namespace kiv
