// value_builder.h: ValueBuilder, the one way the readers (JSON, MessagePack,
// YAML) turn a stream of parse events into a BindingProperty tree.
//
// A reader adapter translates its parser's events into the calls below. The
// builder checks the event order (a value in a map needs a key, an end needs
// its begin), enforces the nesting limit, and hands the events to a
// ValueAssembler (sdk/value/value_assembler.h): children wait on its stacks
// and move into one exactly sized array when their container closes, maps
// are put in name order once, and repeated member names merge (a later
// scalar replaces, maps merge, lists continue or are rewritten from their
// first element). Declared counts are not needed and reserve nothing.
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
#include <string_view>

#include "sdk/value/binding_property.h"
#include "sdk/value/value_assembler.h"

namespace kiv {

/// The deepest nesting of collections and structures any reader accepts.
inline constexpr size_t kMaxNestingDepth = 256;

class ValueBuilder {
 public:
  /// What a list does when the member it is the value of was already a list.
  enum class ExistingList {
    kAppend,              ///< new elements follow the existing ones
    kOverwriteFromStart,  ///< new elements are written from index 0
  };

  /// Builds into `root`, which must outlive the builder. A reader passes an
  /// empty value; a document that is a container merges into `root`.
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
  /// Names the next value of the innermost open map.
  bool Key(std::string_view name);
  bool BeginMap();
  bool EndMap();
  bool BeginList();
  bool EndList();
  /// Stores a deep copy of `value` as the next value (YAML aliases).
  bool Copy(const BindingProperty& value);

  /// Open containers right now.
  size_t Depth() const { return assembler_.Depth(); }
  bool DepthExceeded() const { return depthExceeded_; }
  /// True when the innermost open container is a map waiting for a key.
  bool ExpectsKey() const { return assembler_.InMap() && !assembler_.HasKey(); }
  /// The container the last EndMap or EndList closed, complete and in name
  /// order; valid until the next event. Only after such an end.
  const BindingProperty& ClosedContainer() const { return *closed_; }

  /// Closes every container still open (a reader that stops at the end of
  /// truncated input keeps what it read), each in name order.
  void CloseOpenContainers() { assembler_.CloseAll(); }

 private:
  /// The slot of the next value, or nullptr when a map has no key.
  BindingProperty* Target() { return ExpectsKey() ? nullptr : &assembler_.Next(); }
  bool CanBegin();

  ValueAssembler assembler_;
  const BindingProperty* closed_ = nullptr;
  bool depthExceeded_ = false;
};

}  // namespace kiv
