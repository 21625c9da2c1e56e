#include "sdk/value/value_assembler.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <span>
#include <utility>

#include "sdk/value/internal/tree_walker.h"
#include "sdk/value/internal/value_context.h"

namespace kiv {

using value_internal::CollectionRecord;
using value_internal::InternedString;
using value_internal::StructureRecord;
using value_internal::TreeWalker;

namespace {

// Below this many members a map is ordered by insertion sort.
constexpr uint32_t kInsertionSortLimit = 32;
// Up to this many members, a repeated name is found by scanning back; past
// it, through an index.
constexpr uint32_t kScanLimit = 16;

size_t SlotOf(const InternedString* name, size_t capacity) {
  // Fibonacci hashing of the address: entries are 8-aligned, so the low bits
  // carry nothing.
  const uint64_t mixed = (reinterpret_cast<uintptr_t>(name) >> 3) * 0x9E3779B97F4A7C15ull;
  return static_cast<size_t>(mixed >> 32) & (capacity - 1);
}

// Doubles a stack of children; the first heap block takes over from the
// inline one.
template <typename T>
void GrowStack(T*& stack, uint32_t& capacity, const void* inlineStack) {
  // Sizes are 32-bit; a document cannot hold more children than that.
  if (capacity > UINT32_MAX / 2) std::abort();
  const uint32_t grown = capacity * 2;
  const bool wasInline = stack == inlineStack;
  void* block =
      std::realloc(wasInline ? nullptr : static_cast<void*>(stack), size_t{grown} * sizeof(T));
  if (!block) std::abort();  // Out of memory: there is no failure path to report into.
  if (wasInline) std::memcpy(block, inlineStack, size_t{capacity} * sizeof(T));
  stack = static_cast<T*>(block);
  capacity = grown;
}

// A member's place in the order: the first 8 bytes of its name as a
// big-endian number (zero-padded), which orders most pairs with one integer
// compare, then the whole name, then the arrival (which keeps repeated names
// in arrival order).
struct SortKey {
  uint64_t prefix;
  const InternedString* name;
  uint32_t position;
};

uint64_t NamePrefix(const InternedString* name) {
  uint64_t bytes = 0;
  std::memcpy(&bytes, name->text, name->length < 8 ? name->length : 8);
  return __builtin_bswap64(bytes);  // Little-endian load: the first byte becomes the top.
}

bool KeyBelow(const SortKey& left, const SortKey& right) {
  if (left.prefix != right.prefix) return left.prefix < right.prefix;
  if (left.name != right.name) {
    // Names of one tree are interned: different entries differ in text.
    const size_t common = std::min(left.name->length, right.name->length);
    const int order = std::memcmp(left.name->text, right.name->text, common);
    if (order != 0) return order < 0;
    return left.name->length < right.name->length;
  }
  return left.position < right.position;
}

}  // namespace

ValueAssembler::ValueAssembler(BindingProperty& root, ListMerge listMerge)
    : root_(root), listMerge_(listMerge) {}

ValueAssembler::~ValueAssembler() {
  ReleasePending();
  if (members_ != static_cast<void*>(inlineMembers_)) std::free(members_);
  if (elements_ != static_cast<void*>(inlineElements_)) std::free(elements_);
}

void ValueAssembler::ReleasePending() noexcept {
  if (!context_) return;
  for (uint32_t at = 0; at < memberCount_; ++at) {
    context_->Strings().Release(members_[at].name_);
    members_[at].value_.ReleasePayload();
  }
  for (uint32_t at = 0; at < elementCount_; ++at) elements_[at].ReleasePayload();
  while (!frames_.Empty()) {
    const Frame frame = frames_.Pop();
    if (frame.name) context_->Strings().Release(frame.name);
  }
  if (pendingName_) context_->Strings().Release(pendingName_);
  memberCount_ = elementCount_ = 0;
  pendingName_ = nullptr;
}

void ValueAssembler::Key(std::string_view name) {
  if (!context_) context_ = &root_.EnsureContext();
  if (pendingName_) context_->Strings().Release(pendingName_);
  pendingName_ = context_->Strings().Intern(name);
}

void ValueAssembler::GrowMembers() { GrowStack(members_, memberCapacity_, inlineMembers_); }
void ValueAssembler::GrowElements() { GrowStack(elements_, elementCapacity_, inlineElements_); }

void ValueAssembler::BeginMap() {
  if (!context_) context_ = &root_.EnsureContext();
  const bool inMap = InMap();
  frames_.Push(Frame{true, memberCount_, inMap ? std::exchange(pendingName_, nullptr) : nullptr,
                     nextFrameId_++});
}

void ValueAssembler::BeginList() {
  if (!context_) context_ = &root_.EnsureContext();
  const bool inMap = InMap();
  frames_.Push(
      Frame{false, elementCount_, inMap ? std::exchange(pendingName_, nullptr) : nullptr, 0});
}

BindingProperty* ValueAssembler::LatestMember(const InternedString* name) {
  const Frame& frame = frames_.Top();
  const uint32_t count = memberCount_ - frame.start;
  if (count <= kScanLimit) {
    for (uint32_t at = memberCount_; at-- > frame.start;) {
      if (members_[at].name_ == name) return &members_[at].value_;
    }
    return nullptr;
  }
  const size_t depth = frames_.Size() - 1;
  if (indexes_.size() <= depth) indexes_.resize(depth + 1);
  NameIndex& index = indexes_[depth];
  if (index.frameId != frame.id) {
    index.frameId = frame.id;
    index.indexedUpTo = frame.start;
    index.used = 0;
    index.names.assign(64, nullptr);
    index.positions.assign(64, 0);
  }
  // Index what arrived since the last look; a later position replaces an
  // earlier one of the same name. Load stays at most one half.
  for (; index.indexedUpTo < memberCount_; ++index.indexedUpTo) {
    if (2 * (index.used + 1) > index.names.size()) {
      std::vector<const InternedString*> names(index.names.size() * 2, nullptr);
      std::vector<uint32_t> positions(names.size(), 0);
      for (size_t at = 0; at < index.names.size(); ++at) {
        if (!index.names[at]) continue;
        size_t slot = SlotOf(index.names[at], names.size());
        while (names[slot]) slot = (slot + 1) & (names.size() - 1);
        names[slot] = index.names[at];
        positions[slot] = index.positions[at];
      }
      index.names = std::move(names);
      index.positions = std::move(positions);
    }
    const InternedString* added = members_[index.indexedUpTo].name_;
    size_t slot = SlotOf(added, index.names.size());
    while (index.names[slot] && index.names[slot] != added) {
      slot = (slot + 1) & (index.names.size() - 1);
    }
    if (!index.names[slot]) ++index.used;
    index.names[slot] = added;
    index.positions[slot] = index.indexedUpTo;
  }
  for (size_t slot = SlotOf(name, index.names.size()); index.names[slot];
       slot = (slot + 1) & (index.names.size() - 1)) {
    if (index.names[slot] == name) return &members_[index.positions[slot]].value_;
  }
  return nullptr;
}

const BindingProperty& ValueAssembler::EndMap() { return Close(true); }
const BindingProperty& ValueAssembler::EndList() { return Close(false); }

void ValueAssembler::CloseAll() {
  // A name whose value never came stays as an empty member.
  if (pendingName_) PushMember(std::exchange(pendingName_, nullptr));
  while (!frames_.Empty()) Close(frames_.Top().isMap);
}

const uint32_t* ValueAssembler::OrderMembers(uint32_t start, uint32_t count, bool& repeats) {
  const BindingMember* members = members_ + start;
  Shape* shape = nullptr;
  if (count <= kShapeMembers) {
    if (!shapes_) {
      shapes_ = std::make_unique_for_overwrite<Shape[]>(kShapes);
      for (size_t at = 0; at < kShapes; ++at) shapes_[at].count = 0;
    }
    const uint64_t hash =
        (reinterpret_cast<uintptr_t>(members[0].name_) ^
         reinterpret_cast<uintptr_t>(members[count - 1].name_) * 0x9E3779B97F4A7C15ull ^ count) *
        0xFF51AFD7ED558CCDull;
    // A few neighbouring slots are tried: documents hold a handful of shapes,
    // and with one slot each, two of them sharing it would take turns
    // evicting each other. A new shape takes a free slot among them, or
    // the ways in turn.
    const size_t home = (hash >> 40) & (kShapes - 1);
    for (size_t way = 0; way < kShapeWays; ++way) {
      Shape& candidate = shapes_[(home + way) & (kShapes - 1)];
      if (candidate.count == count) {
        bool same = true;
        for (uint32_t at = 0; at < count && same; ++at) {
          same = candidate.names[at] == members[at].name_;
        }
        if (same) {
          repeats = candidate.repeats;
          return candidate.order;
        }
      }
      if (!shape && candidate.count == 0) shape = &candidate;
    }
    if (!shape) shape = &shapes_[(home + nextShapeWay_++ % kShapeWays) & (kShapes - 1)];
  }
  SortKey inlineKeys[kInsertionSortLimit];  // Trivial: left uninitialized.
  std::vector<SortKey> heapKeys;
  SortKey* keys = inlineKeys;
  if (count > kInsertionSortLimit) {
    heapKeys.resize(count);
    keys = heapKeys.data();
  }
  for (uint32_t at = 0; at < count; ++at) {
    keys[at] = {NamePrefix(members[at].name_), members[at].name_, at};
  }
  if (count <= kInsertionSortLimit) {
    for (uint32_t next = 1; next < count; ++next) {
      if (!KeyBelow(keys[next], keys[next - 1])) continue;
      const SortKey moving = keys[next];
      uint32_t at = next;
      while (at > 0 && KeyBelow(moving, keys[at - 1])) {
        keys[at] = keys[at - 1];
        --at;
      }
      keys[at] = moving;
    }
  } else {
    std::sort(keys, keys + count, KeyBelow);
  }
  uint32_t* order;
  if (shape) {
    shape->count = count;
    for (uint32_t at = 0; at < count; ++at) shape->names[at] = members[at].name_;
    order = shape->order;
  } else {
    largeOrder_.resize(count);
    order = largeOrder_.data();
  }
  repeats = false;
  for (uint32_t at = 0; at < count; ++at) {
    order[at] = keys[at].position;
    if (at != 0 && keys[at].name == keys[at - 1].name) repeats = true;
  }
  if (shape) shape->repeats = repeats;
  return order;
}

const BindingProperty& ValueAssembler::Close(bool isMap) {
  const Frame frame = frames_.Pop();
  value_internal::ValueContext& context = *context_;
  ValueKind kind;
  void* record;
  if (isMap) {
    const uint32_t count = memberCount_ - frame.start;
    BindingMember* array = context.NewArray<BindingMember>(count);
    uint32_t size = 0;
    if (count != 0) {
      bool repeats = false;
      const uint32_t* order = OrderMembers(frame.start, count, repeats);
      for (uint32_t at = 0; at < count; ++at) {
        BindingMember& next = members_[frame.start + order[at]];
        if (repeats && size != 0 && array[size - 1].name_ == next.name_) {
          // A repeated name: merged into the member it already has, and left
          // released on the stack.
          context.Strings().Release(next.name_);
          MergeInto(array[size - 1].value_, next.value_);
          continue;
        }
        std::memcpy(static_cast<void*>(&array[size++]), &next, sizeof(BindingMember));
      }
    }
    memberCount_ = frame.start;
    kind = ValueKind::kStructure;
    record = context.NewRecord(StructureRecord{array, size, count});
  } else {
    const uint32_t count = elementCount_ - frame.start;
    BindingProperty* array = context.NewArray<BindingProperty>(count);
    if (count != 0) {
      std::memcpy(static_cast<void*>(array), elements_ + frame.start,
                  size_t{count} * sizeof(BindingProperty));
    }
    elementCount_ = frame.start;
    kind = ValueKind::kCollection;
    record = context.NewRecord(CollectionRecord{array, count, count});
  }

  // Where it goes: merged into the member it repeats, or into the root, or
  // a new child of the open container.
  BindingProperty* earlier = nullptr;
  if (frames_.Empty()) {
    earlier = &root_;
    // The document's outermost container: a scalar may yet overwrite the
    // root and free its names, so nothing remembered outlives it.
    ForgetShapes();
  } else if (frame.name) {
    earlier = LatestMember(frame.name);
  }
  BindingProperty& placed = earlier ? PushElement() : Place(frame.name);
  placed.kind_ = kind;
  placed.payload_.collection = static_cast<CollectionRecord*>(record);
  if (!earlier) return *(closed_ = &placed);
  MergeInto(*earlier, placed);
  --elementCount_;  // `placed` was a stand-in on the element stack
  if (frame.name) context.Strings().Release(frame.name);
  if (earlier == &root_) root_.replaces_ = false;
  return *(closed_ = earlier);
}

BindingProperty& ValueAssembler::Place(const InternedString* name) {
  if (!frames_.Empty() && frames_.Top().isMap) return PushMember(name).value_;
  return PushElement();
}

void ValueAssembler::MergeInto(BindingProperty& earlier, BindingProperty& later) {
  const ValueKind kind = earlier.kind_;
  // Replacing or merging a container may release names, whose memory the
  // next new name may take: the orders remembered by name are forgotten now,
  // before any name is interned again. (An order being applied stays intact:
  // only the counts are cleared.)
  if (kind == ValueKind::kStructure || kind == ValueKind::kCollection) ForgetShapes();
  if (later.replaces_ || kind != later.kind_ ||
      (kind != ValueKind::kStructure && kind != ValueKind::kCollection)) {
    earlier = std::move(later);  // one context: the payloads are exchanged
    earlier.replaces_ = true;    // whatever came before the earlier value is gone too
    return;
  }
  if (kind == ValueKind::kStructure) {
    for (BindingMember& member : later.MutableMembers()) {
      if (BindingProperty* existing =
              const_cast<BindingProperty*>(earlier.FindMember(member.Name()))) {
        MergeInto(*existing, member.value_);  // nesting is bounded by the readers' limit
      } else {
        const bool replaces = member.value_.replaces_;
        BindingProperty& added = earlier.MutableMember(member.Name());
        added = std::move(member.value_);
        added.replaces_ = replaces;
      }
    }
  } else {
    std::span<BindingProperty> elements = later.MutableElements();
    for (size_t at = 0; at < elements.size(); ++at) {
      if (listMerge_ == ListMerge::kOverwriteFromStart && at < earlier.Size()) {
        MergeInto(earlier.MutableElements()[at], elements[at]);
      } else {
        const bool replaces = elements[at].replaces_;
        earlier.Append(std::move(elements[at])).replaces_ = replaces;
      }
    }
  }
  later.ReleasePayload();
}

void ValueAssembler::ForgetShapes() {
  if (!shapes_) return;
  for (size_t at = 0; at < kShapes; ++at) shapes_[at].count = 0;
}

void ValueAssembler::MarkReplaces(BindingProperty& value) { value.replaces_ = true; }

}  // namespace kiv
