#include "sdk/codec/value_builder.h"

#include <utility>

namespace kiv {

ValueBuilder::ValueBuilder(BindingProperty& root, ExistingList existingList)
    : assembler_(root, existingList == ExistingList::kAppend ? ListMerge::kAppend
                                                             : ListMerge::kOverwriteFromStart) {}

bool ValueBuilder::Null() {
  BindingProperty* target = Target();
  if (target == nullptr) return false;
  target->Clear();
  return true;
}

bool ValueBuilder::Bool(bool value) {
  if (ExpectsKey()) return false;
  assembler_.AddBool(value);
  return true;
}

bool ValueBuilder::Signed(int64_t value) {
  if (ExpectsKey()) return false;
  assembler_.AddSigned(value);
  return true;
}

bool ValueBuilder::Unsigned(uint64_t value) {
  if (ExpectsKey()) return false;
  assembler_.AddUnsigned(value);
  return true;
}

bool ValueBuilder::Float(double value) {
  if (ExpectsKey()) return false;
  assembler_.AddFloat(value);
  return true;
}

bool ValueBuilder::String(std::string_view text) {
  BindingProperty* target = Target();
  if (target == nullptr) return false;
  *target = text;
  return true;
}

bool ValueBuilder::Blob(kiv::Blob&& bytes) {
  BindingProperty* target = Target();
  if (target == nullptr) return false;
  *target = std::move(bytes);
  return true;
}

bool ValueBuilder::Copy(const BindingProperty& value) {
  BindingProperty* target = Target();
  if (target == nullptr) return false;
  *target = value;
  ValueAssembler::MarkReplaces(*target);
  return true;
}

bool ValueBuilder::Key(std::string_view name) {
  if (!ExpectsKey()) return false;
  assembler_.Key(name);
  return true;
}

bool ValueBuilder::CanBegin() {
  if (assembler_.Depth() >= kMaxNestingDepth) {
    depthExceeded_ = true;
    return false;
  }
  return !ExpectsKey();
}

bool ValueBuilder::BeginMap() {
  if (!CanBegin()) return false;
  assembler_.BeginMap();
  return true;
}

bool ValueBuilder::BeginList() {
  if (!CanBegin()) return false;
  assembler_.BeginList();
  return true;
}

bool ValueBuilder::EndMap() {
  // A key without its value cannot end a map.
  if (!assembler_.InMap() || assembler_.HasKey()) return false;
  closed_ = &assembler_.EndMap();
  return true;
}

bool ValueBuilder::EndList() {
  if (assembler_.Depth() == 0 || assembler_.InMap()) return false;
  closed_ = &assembler_.EndList();
  return true;
}

}  // namespace kiv
