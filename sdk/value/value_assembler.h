// value_assembler.h: ValueAssembler, which builds a value tree in one pass
// from a stream of events (begin, key, scalar, end), the way the readers
// produce them.
//
// The children of every open container wait on the assembler's own stacks;
// when the container closes they move, as bytes, into one array of exactly
// their number, allocated in the tree's arena. A map's members are put in
// name order there, once (a map with the same names in the same order as the
// map before it reuses that map's order). Nothing grows while reading and
// nothing is inserted in order.
//
// Repeated names follow the readers' rule, as if each event were applied in
// turn to the tree built so far: a later scalar replaces, maps merge member
// by member, lists continue (or are rewritten from their first element, for
// MessagePack). A container that repeats a name merges into the member as
// soon as it closes, so the container it returns is the merged one; repeated
// scalars are settled when their map closes. A value built apart remembers
// whether it replaced what it repeated, so merging it later gives what
// applying its events in place would have given.
//
// Not for: building values by hand (use BindingProperty), or checking a
// document's grammar (the caller's parser does that; the assembler trusts
// the event order its caller enforces, see ValueBuilder).
//
//   BindingProperty root;
//   ValueAssembler assembler(root, ListMerge::kAppend);
//   assembler.BeginMap();
//   assembler.Key("b"); assembler.Next().SetSigned(2);
//   assembler.Key("a"); assembler.Next() = "x";
//   assembler.EndMap();                              // root: {a: "x", b: 2}
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <string_view>
#include <vector>

#include "sdk/value/binding_property.h"
#include "sdk/value/internal/small_stack.h"

namespace kiv {

namespace value_internal {
struct InternedString;
}

/// What a repeated name does when both its values are lists.
enum class ListMerge {
  kAppend,              ///< the later elements follow the earlier ones
  kOverwriteFromStart,  ///< the later elements replace the earlier ones from index 0
};

class ValueAssembler {
 public:
  /// Builds into `root`, which must outlive the assembler. A document that
  /// is a container is merged into `root` when it closes (so an empty root
  /// simply receives it); a scalar document replaces it.
  ValueAssembler(BindingProperty& root, ListMerge listMerge);
  /// Releases whatever is still waiting (an unfinished document).
  ~ValueAssembler();
  ValueAssembler(const ValueAssembler&) = delete;
  ValueAssembler& operator=(const ValueAssembler&) = delete;

  /// Names the next child of the open map.
  void Key(std::string_view name);
  /// The empty value that becomes the next child of the open container (the
  /// member named by the last Key in a map), or the root when nothing is
  /// open. Write a scalar into it; valid until the next call.
  BindingProperty& Next() {
    if (frames_.Empty()) return root_;
    if (frames_.Top().isMap) return PushMember(TakeName()).value_;
    return PushElement();
  }
  /// Next() = value, for the scalar kinds, without releasing an old payload
  /// (a new child has none).
  void AddSigned(int64_t value) { AddInline(ValueKind::kSigned).signedNumber = value; }
  void AddUnsigned(uint64_t value) { AddInline(ValueKind::kUnsigned).unsignedNumber = value; }
  void AddFloat(double value) { AddInline(ValueKind::kFloat).floatNumber = value; }
  void AddBool(bool value) { AddInline(ValueKind::kBool).boolean = value; }
  /// Marks a value written into Next() as replacing whatever it repeats,
  /// even a container of its own kind (a YAML alias is a copy, not a merge).
  static void MarkReplaces(BindingProperty& value);

  void BeginMap();
  void BeginList();
  /// Closes the innermost container and returns it (in its parent's place,
  /// or the root); valid until the next call.
  const BindingProperty& EndMap();
  const BindingProperty& EndList();
  /// Closes every open container, innermost first.
  void CloseAll();

  size_t Depth() const { return frames_.Size(); }
  bool InMap() const { return !frames_.Empty() && frames_.Top().isMap; }
  bool HasKey() const { return pendingName_ != nullptr; }

 private:
  struct Frame {
    bool isMap;
    uint32_t start;  ///< First child on the member or element stack.
    /// The key this container is the value of, when its parent is a map.
    const value_internal::InternedString* name;
    uint64_t id;  ///< Tells apart maps that opened at the same place.
  };
  /// Latest position of each name among a large open map's members, by the
  /// identity of the interned name (open addressing; 0 is a free slot).
  struct NameIndex {
    uint64_t frameId = 0;
    uint32_t indexedUpTo = 0;  ///< members before this position are indexed
    uint32_t used = 0;
    std::vector<const value_internal::InternedString*> names;
    std::vector<uint32_t> positions;
  };
  /// The order of a map closed before, by the positions of its names, for
  /// maps that repeat the same names in the same order. Maps of up to
  /// kShapeMembers members are remembered. Names are matched by address, so
  /// every shape is forgotten before a name it holds can be freed (and its
  /// memory taken by a new name): see ForgetShapes.
  static constexpr uint32_t kShapeMembers = 32;
  struct Shape {
    uint32_t count;  ///< 0: nothing remembered
    bool repeats;    ///< the names held a repeated name
    const value_internal::InternedString* names[kShapeMembers];
    uint32_t order[kShapeMembers];
  };

  /// Where a finished value goes: a new member (named), a new element, or
  /// merged into the root.
  BindingProperty& Place(const value_internal::InternedString* name);
  /// The latest member named `name` of the open map, or nullptr.
  BindingProperty* LatestMember(const value_internal::InternedString* name);
  BindingMember& PushMember(const value_internal::InternedString* name) {
    if (memberCount_ == memberCapacity_) GrowMembers();
    BindingMember& member = members_[memberCount_++];
    member.name_ = name;
    ConstructChild(member.value_);
    return member;
  }
  BindingProperty& PushElement() {
    if (elementCount_ == elementCapacity_) GrowElements();
    BindingProperty& element = elements_[elementCount_++];
    ConstructChild(element);
    return element;
  }
  void ConstructChild(BindingProperty& at) {
    ::new (&at) BindingProperty();
    at.context_ = context_;  // a child: the root holds the context's count
  }
  const value_internal::InternedString* TakeName() {
    const value_internal::InternedString* name = pendingName_;
    pendingName_ = nullptr;
    return name;
  }
  BindingProperty::Payload& AddInline(ValueKind kind) {
    BindingProperty& slot = Next();
    if (&slot == &root_) slot.Clear();
    slot.kind_ = kind;
    slot.valid_ = true;
    return slot.payload_;
  }
  void GrowMembers();
  void GrowElements();
  const BindingProperty& Close(bool isMap);
  /// The positions of the members [start, start + count) of the member
  /// stack in name order (repeated names in arrival order); `repeats` tells
  /// whether a name repeats. Valid until the next map closes.
  const uint32_t* OrderMembers(uint32_t start, uint32_t count, bool& repeats);
  void MergeInto(BindingProperty& earlier, BindingProperty& later);
  /// Drops every remembered order (their names may be freed).
  void ForgetShapes();
  void ReleasePending() noexcept;

  BindingProperty& root_;
  value_internal::ValueContext* context_ = nullptr;
  ListMerge listMerge_;
  value_internal::SmallStack<Frame> frames_;
  // Waiting children, as raw bytes: they are relocated by memcpy and released
  // by the tree's own walk, never by a destructor of the stack. The first
  // ones wait inline, so a small document allocates no stack.
  static constexpr uint32_t kInlineChildren = 64;
  alignas(BindingMember) unsigned char inlineMembers_[kInlineChildren * sizeof(BindingMember)];
  alignas(BindingProperty) unsigned char inlineElements_[kInlineChildren * sizeof(BindingProperty)];
  BindingMember* members_ = reinterpret_cast<BindingMember*>(inlineMembers_);
  uint32_t memberCount_ = 0;
  uint32_t memberCapacity_ = kInlineChildren;
  BindingProperty* elements_ = reinterpret_cast<BindingProperty*>(inlineElements_);
  uint32_t elementCount_ = 0;
  uint32_t elementCapacity_ = kInlineChildren;
  const value_internal::InternedString* pendingName_ = nullptr;
  /// Remembered orders, by a hash of the member count and the first and last
  /// names; allocated at the first map.
  static constexpr size_t kShapes = 32;
  static constexpr size_t kShapeWays = 4;  ///< slots a shape may take, from its hash on
  uint32_t nextShapeWay_ = 0;              ///< the way a new shape replaces next
  std::unique_ptr<Shape[]> shapes_;
  std::vector<uint32_t> largeOrder_;  ///< the order of a map too large to remember
  std::vector<NameIndex> indexes_;    ///< by depth
  uint64_t nextFrameId_ = 1;
  BindingProperty* closed_ = nullptr;
};

}  // namespace kiv
