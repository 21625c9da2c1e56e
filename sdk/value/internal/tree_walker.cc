#include "sdk/value/internal/tree_walker.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>

#include "sdk/value/internal/small_stack.h"
#include "sdk/value/internal/value_context.h"

namespace kiv::value_internal {
namespace {

// One open container of a walk: its record and how far the walk has come.
struct DestroyFrame {
  ValueKind kind;
  uint32_t next;
  void* record;
};

struct CopyFrame {
  ValueKind kind;
  uint32_t next;
  const void* source;
  void* target;
  ValueContext* context;
};

struct EqualFrame {
  ValueKind kind;
  uint32_t next;
  const void* left;
  const void* right;
};

bool SameFloat(double left, double right) {
  return left == right || (std::isnan(left) && std::isnan(right));
}

}  // namespace

void TreeWalker::ConstructEmpty(BindingProperty* at, ValueContext* context) noexcept {
  ::new (at) BindingProperty();
  at->context_ = context;  // an element or member: its tree's owner holds the count
}

void TreeWalker::ReleaseLeaf(BindingProperty& value) noexcept {
  switch (value.kind_) {
    case ValueKind::kString:
      if (value.payload_.string != EmptyInternedString()) {
        value.context_->Strings().Release(value.payload_.string);
      }
      break;
    case ValueKind::kBlob:
      value.context_->DeleteBlob(value.payload_.blob);
      break;
    case ValueKind::kEnum:
      value.context_->DeleteRecord(value.payload_.enumeration);
      break;
    default:
      break;
  }
  value.kind_ = ValueKind::kEmpty;
  value.payload_.unsignedNumber = 0;
}

void TreeWalker::DestroyContainer(BindingProperty& value) noexcept {
  // Every value of the tree shares `value`'s context.
  ValueContext& context = *value.context_;
  SmallStack<DestroyFrame> stack;
  stack.Push({value.kind_, 0, value.payload_.collection});
  value.kind_ = ValueKind::kEmpty;
  value.payload_.unsignedNumber = 0;

  // Takes a child container over into a new frame, or releases a leaf child.
  // Returns true when a frame was pushed.
  auto visit = [&stack](BindingProperty& child) {
    if (IsContainer(child.kind_)) {
      stack.Push({child.kind_, 0, child.payload_.collection});
      return true;
    }
    if (child.kind_ > ValueKind::kFloat) ReleaseLeaf(child);
    return false;
  };

  while (!stack.Empty()) {
    DestroyFrame& frame = stack.Top();
    bool descended = false;
    if (frame.kind == ValueKind::kCollection) {
      auto* record = static_cast<CollectionRecord*>(frame.record);
      while (!descended && frame.next < record->size) {
        descended = visit(record->elements[frame.next++]);
      }
    } else {
      auto* record = static_cast<StructureRecord*>(frame.record);
      while (!descended && frame.next < record->size) {
        BindingMember& member = record->members[frame.next++];
        context.Strings().Release(member.name_);
        descended = visit(member.value_);
      }
    }
    if (descended) continue;
    const DestroyFrame done = stack.Pop();
    if (done.kind == ValueKind::kCollection) {
      auto* record = static_cast<CollectionRecord*>(done.record);
      context.DeleteArray(record->elements, record->capacity);
      context.DeleteRecord(record);
    } else {
      auto* record = static_cast<StructureRecord*>(done.record);
      context.DeleteArray(record->members, record->capacity);
      context.DeleteRecord(record);
    }
  }
}

void TreeWalker::CopyLeaf(BindingProperty& target, const BindingProperty& source) {
  switch (source.kind_) {
    case ValueKind::kString:
      if (source.payload_.string == EmptyInternedString()) {
        target.payload_.string = source.payload_.string;
      } else if (target.context_ && target.context_ == source.context_) {
        target.context_->Strings().AddUse(source.payload_.string);
        target.payload_.string = source.payload_.string;
      } else {
        target.payload_.string =
            target.EnsureContext().Strings().Intern(source.payload_.string->View());
      }
      break;
    case ValueKind::kBlob:
      target.payload_.blob = target.EnsureContext().NewBlob(Blob(source.payload_.blob->bytes));
      break;
    case ValueKind::kEnum:
      target.payload_.enumeration =
          target.EnsureContext().NewRecord(EnumRecord{source.payload_.enumeration->value});
      break;
    default:
      target.payload_ = source.payload_;
      break;
  }
  target.kind_ = source.kind_;
}

// Gives `target` an empty container of the source's kind with room for all of
// the source's children.
void TreeWalker::StartContainer(BindingProperty& target, const BindingProperty& source) {
  ValueContext& context = target.EnsureContext();
  if (source.kind_ == ValueKind::kCollection) {
    const uint32_t size = source.payload_.collection->size;
    target.payload_.collection =
        context.NewRecord(CollectionRecord{context.NewArray<BindingProperty>(size), 0, size});
  } else {
    const uint32_t size = source.payload_.structure->size;
    target.payload_.structure =
        context.NewRecord(StructureRecord{context.NewArray<BindingMember>(size), 0, size});
  }
  target.kind_ = source.kind_;
}

void TreeWalker::CopyInto(BindingProperty& target, const BindingProperty& source) {
  target.valid_ = source.valid_;
  if (!IsContainer(source.kind_)) {
    CopyLeaf(target, source);
    return;
  }
  StartContainer(target, source);
  SmallStack<CopyFrame> stack;
  stack.Push(
      {source.kind_, 0, source.payload_.collection, target.payload_.collection, target.context_});

  // Copies one child; a container child gets a new frame (returns true).
  auto visit = [&stack](BindingProperty* slot, const BindingProperty& child,
                        ValueContext* context) {
    ConstructEmpty(slot, context);
    slot->valid_ = child.valid_;
    if (!IsContainer(child.kind_)) {
      CopyLeaf(*slot, child);
      return false;
    }
    StartContainer(*slot, child);
    stack.Push({child.kind_, 0, child.payload_.collection, slot->payload_.collection, context});
    return true;
  };

  while (!stack.Empty()) {
    CopyFrame& frame = stack.Top();
    ValueContext* context = frame.context;
    bool descended = false;
    if (frame.kind == ValueKind::kCollection) {
      const auto* from = static_cast<const CollectionRecord*>(frame.source);
      auto* to = static_cast<CollectionRecord*>(frame.target);
      while (!descended && frame.next < from->size) {
        const BindingProperty& child = from->elements[frame.next++];
        descended = visit(&to->elements[to->size++], child, context);
      }
    } else {
      const auto* from = static_cast<const StructureRecord*>(frame.source);
      auto* to = static_cast<StructureRecord*>(frame.target);
      const bool sameContext = from->size != 0 && from->members[0].value_.context_ == context;
      while (!descended && frame.next < from->size) {
        const BindingMember& child = from->members[frame.next++];
        BindingMember* slot = &to->members[to->size++];
        if (sameContext) {
          context->Strings().AddUse(child.name_);
          slot->name_ = child.name_;
        } else {
          slot->name_ = context->Strings().Intern(child.name_->View());
        }
        descended = visit(&slot->value_, child.value_, context);
      }
    }
    if (!descended) stack.Pop();
  }
}

bool TreeWalker::Equal(const BindingProperty& left, const BindingProperty& right) noexcept {
  // Compares everything but the children of containers; sizes included.
  auto sameNode = [](const BindingProperty& a, const BindingProperty& b) {
    if (a.kind_ != b.kind_ || a.valid_ != b.valid_) return false;
    switch (a.kind_) {
      case ValueKind::kEmpty:
        return true;
      case ValueKind::kBool:
        return a.payload_.boolean == b.payload_.boolean;
      case ValueKind::kSigned:
      case ValueKind::kUnsigned:
        return a.payload_.unsignedNumber == b.payload_.unsignedNumber;
      case ValueKind::kFloat:
        return SameFloat(a.payload_.floatNumber, b.payload_.floatNumber);
      case ValueKind::kString:
        return a.payload_.string == b.payload_.string ||
               a.payload_.string->View() == b.payload_.string->View();
      case ValueKind::kBlob:
        return a.payload_.blob->bytes == b.payload_.blob->bytes;
      case ValueKind::kEnum:
        return a.payload_.enumeration->value == b.payload_.enumeration->value;
      case ValueKind::kCollection:
        return a.payload_.collection->size == b.payload_.collection->size;
      case ValueKind::kStructure:
        return a.payload_.structure->size == b.payload_.structure->size;
    }
    return false;
  };

  if (!sameNode(left, right)) return false;
  if (!IsContainer(left.kind_)) return true;
  SmallStack<EqualFrame> stack;
  stack.Push({left.kind_, 0, left.payload_.collection, right.payload_.collection});
  while (!stack.Empty()) {
    EqualFrame& frame = stack.Top();
    const BindingProperty* a = nullptr;
    const BindingProperty* b = nullptr;
    if (frame.kind == ValueKind::kCollection) {
      const auto* l = static_cast<const CollectionRecord*>(frame.left);
      const auto* r = static_cast<const CollectionRecord*>(frame.right);
      if (frame.next < l->size) {
        a = &l->elements[frame.next];
        b = &r->elements[frame.next];
      }
    } else {
      const auto* l = static_cast<const StructureRecord*>(frame.left);
      const auto* r = static_cast<const StructureRecord*>(frame.right);
      if (frame.next < l->size) {
        const BindingMember& ml = l->members[frame.next];
        const BindingMember& mr = r->members[frame.next];
        if (ml.name_ != mr.name_ && ml.name_->View() != mr.name_->View()) return false;
        a = &ml.value_;
        b = &mr.value_;
      }
    }
    if (!a) {
      stack.Pop();
      continue;
    }
    ++frame.next;
    if (!sameNode(*a, *b)) return false;
    if (IsContainer(a->kind_)) {
      stack.Push({a->kind_, 0, a->payload_.collection, b->payload_.collection});
    }
  }
  return true;
}

}  // namespace kiv::value_internal
