// value_builder.h: ValueBuilder, the one way the readers (JSON, MessagePack,
// YAML) turn a stream of parse events into a BindingProperty tree.
//
// A reader adapter translates its parser's events into the calls below; the
// builder keeps the stack of open containers, selects the target of each
// value (next element of a collection, member named by the last key) and
// enforces the nesting limit. Repeated member names select the existing
// member: a later scalar replaces it, maps merge, lists continue it.
//
// A map begun empty takes its first members by ordered insert; past a few,
// it collects the rest in arrival order and is put in name order once, when it
// closes (O(n log n) for any order of names). A repeated name is then found
// through a hash index on the identity of its interned text. Until it closes,
// an open map may not be in name order: look at a container only after its
// end event (ClosedContainer).
//
// Not for: building values by hand (use BindingProperty directly), or
// validating a document's syntax (the parser does that).
//
//   BindingProperty root;
//   ValueBuilder builder(root);
//   builder.BeginMap(); builder.Key("a"); builder.Unsigned(1); builder.EndMap();
//   // root is {a: 1}
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "sdk/value/binding_property.h"

namespace kiv {

/// The deepest nesting of collections and structures any reader accepts.
inline constexpr size_t kMaxNestingDepth = 256;

class ValueBuilder {
 public:
  /// What a list does when its target already holds a collection.
  enum class ExistingList {
    kAppend,              ///< new elements follow the existing ones
    kOverwriteFromStart,  ///< new elements are written from index 0
  };

  /// Builds into `root`, which must outlive the builder. `root` is taken as
  /// it is: a reader passes an empty value.
  explicit ValueBuilder(BindingProperty& root, ExistingList existingList = ExistingList::kAppend);

  ValueBuilder(const ValueBuilder&) = delete;
  ValueBuilder& operator=(const ValueBuilder&) = delete;

  // Each event returns false when the builder refuses it: a container
  // deeper than kMaxNestingDepth (DepthExceeded() then tells), a value inside
  // a map with no key selected, or an end without a matching begin.
  bool Null();
  bool Bool(bool value);
  bool Signed(int64_t value);
  bool Unsigned(uint64_t value);
  bool Float(double value);
  bool String(std::string_view text);
  bool Blob(kiv::Blob&& bytes);
  /// Selects the member `name` of the innermost open map as the next target,
  /// creating it (empty) if absent.
  bool Key(std::string_view name);
  /// `sizeHint` reserves room for that many new children; it is a hint only.
  bool BeginMap(size_t sizeHint = 0);
  bool EndMap();
  bool BeginList(size_t sizeHint = 0);
  bool EndList();
  /// Stores a deep copy of `value` as the next value (YAML aliases).
  bool Copy(const BindingProperty& value);

  /// Open containers right now.
  size_t Depth() const { return stack_.size(); }
  bool DepthExceeded() const { return depthExceeded_; }
  /// True when the innermost open container is a map waiting for a key.
  bool ExpectsKey() const {
    return !stack_.empty() && stack_.back().isMap && pendingMember_ == nullptr;
  }
  /// The container the last EndMap or EndList closed, complete and in name
  /// order; valid until the next event. Only after such an end.
  const BindingProperty& ClosedContainer() const { return *closed_; }

  /// Closes every container still open (a reader that stops at the end of
  /// truncated input keeps what it read), leaving each in name order.
  void CloseOpenContainers();

 private:
  struct Open {
    BindingProperty* container;
    size_t nextIndex;  ///< lists only: where the next element goes
    size_t keys;       ///< maps begun empty: keys seen, repeated ones included
    bool isMap;
    bool unsorted;  ///< maps begun empty: large ones are in arrival order until EndMap
  };

  /// Open addressing over member positions + 1 (0: free), keyed by the
  /// address of the interned name. One per depth, reused map after map.
  struct NameIndex {
    std::vector<uint32_t> slots;
    uint32_t used = 0;
  };

  /// The value the next event writes into, or nullptr when a map has no key.
  BindingProperty* TakeTarget();
  bool Push(BindingProperty* container, bool isMap, bool unsorted, size_t nextIndex);
  /// Key for a map past ordered inserts: kept out of line, off the path of
  /// small maps.
  [[gnu::noinline]] BindingProperty& UnsortedMember(BindingProperty& map, std::string_view name);
  /// The member of the unsorted map on top of the stack named like its last
  /// member, among the others; kNoMember when the name is new (it is then
  /// added to the index).
  uint32_t EarlierMember(BindingProperty& map);
  static void RebuildIndex(NameIndex& index, std::span<const BindingMember> members,
                           size_t capacity);
  static void AddToIndex(NameIndex& index, const char* name, uint32_t position);
  static constexpr uint32_t kNoMember = UINT32_MAX;

  BindingProperty& root_;
  std::vector<Open> stack_;
  std::vector<NameIndex> indexes_;  ///< by depth
  BindingProperty* pendingMember_ = nullptr;
  const BindingProperty* closed_ = nullptr;
  ExistingList existingList_;
  bool depthExceeded_ = false;
};

}  // namespace kiv
