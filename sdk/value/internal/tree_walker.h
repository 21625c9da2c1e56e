// tree_walker.h: the walks over a whole value tree (destroy, deep copy,
// equality). Each keeps its own stack of frames, one per open container, so
// the depth of a tree never reaches the call stack.
//
// Not for: use outside BindingProperty.
//
//   TreeWalker::DestroyContainer(value);     // value: a collection or structure
//   TreeWalker::CopyInto(target, source);    // target: empty
//   TreeWalker::Equal(left, right);
#pragma once

#include "sdk/value/binding_property.h"

namespace kiv::value_internal {

class TreeWalker {
 public:
  /// Releases a collection or structure with everything below it, value by
  /// value, back to the tree's context, and leaves `value` empty (keeping its
  /// context). Used when a value is cleared or replaced; a tree whose last
  /// owner goes is released with its context instead.
  static void DestroyContainer(BindingProperty& value) noexcept;
  /// Deep copy of `source` into the empty `target`, in `target`'s context
  /// (created when needed). The validity flag is copied too.
  static void CopyInto(BindingProperty& target, const BindingProperty& source);
  static bool Equal(const BindingProperty& left, const BindingProperty& right) noexcept;

  /// Constructs an empty element or member at `at` that refers to `context`
  /// without a count.
  static void ConstructEmpty(BindingProperty* at, ValueContext* context) noexcept;
  /// Releases a payload that is not a container (string, blob, enum).
  static void ReleaseLeaf(BindingProperty& value) noexcept;

 private:
  static void CopyLeaf(BindingProperty& target, const BindingProperty& source);
  static void StartContainer(BindingProperty& target, const BindingProperty& source);
};

inline bool IsContainer(ValueKind kind) {
  return kind == ValueKind::kCollection || kind == ValueKind::kStructure;
}

}  // namespace kiv::value_internal
