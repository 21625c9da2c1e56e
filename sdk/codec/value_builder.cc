#include "sdk/codec/value_builder.h"

#include <utility>

namespace kiv {

ValueBuilder::ValueBuilder(BindingProperty& root, ExistingList existingList)
    : root_(root), existingList_(existingList) {
  stack_.reserve(16);
}

BindingProperty* ValueBuilder::TakeTarget() {
  if (stack_.empty()) return &root_;
  Open& top = stack_.back();
  if (top.isMap) return std::exchange(pendingMember_, nullptr);
  BindingProperty& list = *top.container;
  // Appending is the common case and cheaper than growing to an index.
  if (top.nextIndex == list.Size()) {
    ++top.nextIndex;
    return &list.AppendElement();
  }
  return &list.MutableElement(top.nextIndex++);
}

bool ValueBuilder::Null() {
  BindingProperty* target = TakeTarget();
  if (target == nullptr) return false;
  target->Clear();
  return true;
}

bool ValueBuilder::Bool(bool value) {
  BindingProperty* target = TakeTarget();
  if (target == nullptr) return false;
  *target = value;
  return true;
}

bool ValueBuilder::Signed(int64_t value) {
  BindingProperty* target = TakeTarget();
  if (target == nullptr) return false;
  target->SetSigned(value);
  return true;
}

bool ValueBuilder::Unsigned(uint64_t value) {
  BindingProperty* target = TakeTarget();
  if (target == nullptr) return false;
  target->SetUnsigned(value);
  return true;
}

bool ValueBuilder::Float(double value) {
  BindingProperty* target = TakeTarget();
  if (target == nullptr) return false;
  *target = value;
  return true;
}

bool ValueBuilder::String(std::string_view text) {
  BindingProperty* target = TakeTarget();
  if (target == nullptr) return false;
  *target = text;
  return true;
}

bool ValueBuilder::Blob(kiv::Blob&& bytes) {
  BindingProperty* target = TakeTarget();
  if (target == nullptr) return false;
  *target = std::move(bytes);
  return true;
}

bool ValueBuilder::Copy(const BindingProperty& value) {
  BindingProperty* target = TakeTarget();
  if (target == nullptr) return false;
  *target = value;
  return true;
}

bool ValueBuilder::Key(std::string_view name) {
  if (!ExpectsKey()) return false;
  pendingMember_ = &stack_.back().container->MutableMember(name);
  return true;
}

bool ValueBuilder::Push(BindingProperty* container, bool isMap, size_t nextIndex) {
  stack_.push_back(Open{container, nextIndex, isMap});
  return true;
}

bool ValueBuilder::BeginMap(size_t sizeHint) {
  if (stack_.size() >= kMaxNestingDepth) {
    depthExceeded_ = true;
    return false;
  }
  BindingProperty* target = TakeTarget();
  if (target == nullptr) return false;
  // An existing structure is kept: a repeated name merges into it.
  if (!target->IsStructure()) target->SetEmptyStructure();
  if (sizeHint != 0) target->ReserveMembers(target->Size() + sizeHint);
  return Push(target, true, 0);
}

bool ValueBuilder::BeginList(size_t sizeHint) {
  if (stack_.size() >= kMaxNestingDepth) {
    depthExceeded_ = true;
    return false;
  }
  BindingProperty* target = TakeTarget();
  if (target == nullptr) return false;
  if (!target->IsCollection()) target->SetEmptyCollection();
  const size_t start = existingList_ == ExistingList::kAppend ? target->Size() : 0;
  if (sizeHint != 0) target->Reserve(start + sizeHint);
  return Push(target, false, start);
}

bool ValueBuilder::EndMap() {
  if (stack_.empty() || !stack_.back().isMap) return false;
  pendingMember_ = nullptr;
  stack_.pop_back();
  return true;
}

bool ValueBuilder::EndList() {
  if (stack_.empty() || stack_.back().isMap) return false;
  stack_.pop_back();
  return true;
}

}  // namespace kiv
