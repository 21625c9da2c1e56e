#include "sdk/codec/value_builder.h"

#include <cstdint>
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

namespace {

// Up to this many members, an ordered insert (binary search, short move) is
// cheaper than collecting unsorted with a hash index and sorting at the end.
constexpr size_t kOrderedInsertLimit = 16;

size_t SlotOf(const char* name, size_t capacity) {
  // Fibonacci hashing of the address: entries are 8-aligned, so the low bits
  // carry nothing.
  const uint64_t mixed = (reinterpret_cast<uintptr_t>(name) >> 3) * 0x9E3779B97F4A7C15ull;
  return static_cast<size_t>(mixed >> 32) & (capacity - 1);
}

}  // namespace

void ValueBuilder::AddToIndex(NameIndex& index, const char* name, uint32_t position) {
  const size_t capacity = index.slots.size();
  size_t slot = SlotOf(name, capacity);
  while (index.slots[slot] != 0) slot = (slot + 1) & (capacity - 1);
  index.slots[slot] = position + 1;
  ++index.used;
}

void ValueBuilder::RebuildIndex(NameIndex& index, std::span<const BindingMember> members,
                                size_t capacity) {
  index.slots.assign(capacity, 0);
  index.used = 0;
  for (size_t at = 0; at < members.size(); ++at) {
    AddToIndex(index, members[at].CName(), static_cast<uint32_t>(at));
  }
}

uint32_t ValueBuilder::EarlierMember(BindingProperty& map) {
  const std::span<BindingMember> members = map.MutableMembers();
  const size_t last = members.size() - 1;
  const BindingMember& added = members[last];
  // Names are interned per tree: equal names have the same address.
  const char* name = added.CName();
  const size_t depth = stack_.size() - 1;
  if (indexes_.size() <= depth) indexes_.resize(depth + 1);
  NameIndex& index = indexes_[depth];
  // The map just outgrew ordered inserts (again, after a repeated name):
  // index every earlier member. Load stays at most one half.
  if (members.size() == kOrderedInsertLimit + 1) {
    RebuildIndex(index, members.first(last), 4 * kOrderedInsertLimit);
  }
  const size_t capacity = index.slots.size();
  for (size_t slot = SlotOf(name, capacity); index.slots[slot] != 0;
       slot = (slot + 1) & (capacity - 1)) {
    const uint32_t position = index.slots[slot] - 1;
    if (members[position].SameNameInTree(added)) return position;
  }
  if (2 * (index.used + 1) > capacity) {
    RebuildIndex(index, members, 2 * capacity);
  } else {
    AddToIndex(index, name, static_cast<uint32_t>(last));
  }
  return kNoMember;
}

bool ValueBuilder::Key(std::string_view name) {
  if (!ExpectsKey()) return false;
  Open& top = stack_.back();
  // Keys seen bound the member count from above: Size() is asked only once
  // the map may have grown past ordered inserts.
  if (!top.unsorted || ++top.keys < kOrderedInsertLimit ||
      top.container->Size() < kOrderedInsertLimit) {
    pendingMember_ = &top.container->MutableMember(name);
  } else {
    pendingMember_ = &UnsortedMember(*top.container, name);
  }
  return true;
}

BindingProperty& ValueBuilder::UnsortedMember(BindingProperty& map, std::string_view name) {
  BindingProperty& added = map.AppendMemberUnsorted(name).Value();
  const uint32_t earlier = EarlierMember(map);
  if (earlier == kNoMember) return added;
  // A repeated name selects the member it already has.
  map.RemoveLastMember();
  return map.MutableMembers()[earlier].Value();
}

bool ValueBuilder::Push(BindingProperty* container, bool isMap, bool unsorted, size_t nextIndex) {
  stack_.push_back(Open{container, nextIndex, 0, isMap, unsorted});
  return true;
}

bool ValueBuilder::BeginMap(size_t sizeHint) {
  if (stack_.size() >= kMaxNestingDepth) {
    depthExceeded_ = true;
    return false;
  }
  BindingProperty* target = TakeTarget();
  if (target == nullptr) return false;
  // An existing structure is kept: a repeated name merges into it, through
  // ordered inserts. A new one collects its members unsorted.
  if (!target->IsStructure()) target->SetEmptyStructure();
  const bool unsorted = target->Size() == 0;
  if (sizeHint != 0) target->ReserveMembers(target->Size() + sizeHint);
  return Push(target, true, unsorted, 0);
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
  return Push(target, false, false, start);
}

bool ValueBuilder::EndMap() {
  if (stack_.empty() || !stack_.back().isMap) return false;
  const Open& top = stack_.back();
  if (top.unsorted && top.container->Size() > kOrderedInsertLimit) top.container->SortMembers();
  closed_ = top.container;
  pendingMember_ = nullptr;
  stack_.pop_back();
  return true;
}

bool ValueBuilder::EndList() {
  if (stack_.empty() || stack_.back().isMap) return false;
  closed_ = stack_.back().container;
  stack_.pop_back();
  return true;
}

void ValueBuilder::CloseOpenContainers() {
  while (!stack_.empty()) {
    const Open& top = stack_.back();
    if (top.unsorted && top.container->Size() > kOrderedInsertLimit) top.container->SortMembers();
    stack_.pop_back();
  }
  pendingMember_ = nullptr;
}

}  // namespace kiv
