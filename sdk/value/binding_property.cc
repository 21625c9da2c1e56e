#include "sdk/value/binding_property.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "sdk/value/internal/tree_walker.h"
#include "sdk/value/internal/value_context.h"

namespace kiv {

using value_internal::CollectionRecord;
using value_internal::EmptyInternedString;
using value_internal::StructureRecord;
using value_internal::TreeWalker;
using value_internal::ValueContext;

namespace {

bool IsInline(ValueKind kind) { return kind <= ValueKind::kFloat; }

// Two at a time up to 16, then by half: records have a handful of members,
// and the blocks a record grows out of go back to the tree's arena, where the
// next record takes them, so small steps cost copies, not memory.
uint32_t GrownCapacity(uint32_t capacity, size_t needed) {
  // Sizes are 32-bit; more elements than that cannot be held.
  if (needed > UINT32_MAX) std::abort();
  const size_t grown = capacity < 16 ? capacity + 2 : capacity + capacity / 2;
  return static_cast<uint32_t>(std::max(grown, needed));
}

}  // namespace

void BindingProperty::Grow(value_internal::CollectionRecord& record, size_t needed) {
  const uint32_t capacity = GrownCapacity(record.capacity, needed);
  record.elements = context_->ResizeArray(record.elements, record.capacity, capacity);
  record.capacity = capacity;
}

void BindingProperty::Grow(value_internal::StructureRecord& record, size_t needed) {
  const uint32_t capacity = GrownCapacity(record.capacity, needed);
  record.members = context_->ResizeArray(record.members, record.capacity, capacity);
  record.capacity = capacity;
}

namespace {

// Reservations are hints, often taken from the input: a count that an
// attacker wrote must not reserve gigabytes. Larger arrays grow as they fill.
constexpr size_t kMaxReservation = 65536;

const char kBase64Alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

std::string Base64(std::span<const uint8_t> bytes) {
  std::string text;
  text.reserve((bytes.size() + 2) / 3 * 4);
  size_t at = 0;
  for (; at + 3 <= bytes.size(); at += 3) {
    const uint32_t group = (bytes[at] << 16) | (bytes[at + 1] << 8) | bytes[at + 2];
    text.push_back(kBase64Alphabet[(group >> 18) & 63]);
    text.push_back(kBase64Alphabet[(group >> 12) & 63]);
    text.push_back(kBase64Alphabet[(group >> 6) & 63]);
    text.push_back(kBase64Alphabet[group & 63]);
  }
  const size_t rest = bytes.size() - at;
  if (rest != 0) {
    const uint32_t group = (bytes[at] << 16) | (rest == 2 ? bytes[at + 1] << 8 : 0);
    text.push_back(kBase64Alphabet[(group >> 18) & 63]);
    text.push_back(kBase64Alphabet[(group >> 12) & 63]);
    text.push_back(rest == 2 ? kBase64Alphabet[(group >> 6) & 63] : '=');
    text.push_back('=');
  }
  return text;
}

}  // namespace

// ---- Construction, assignment, destruction ---------------------------------

BindingProperty::BindingProperty(bool value) noexcept { *this = value; }
BindingProperty::BindingProperty(double value) noexcept { *this = value; }
BindingProperty::BindingProperty(const char* text) { SetString(text ? text : ""); }
BindingProperty::BindingProperty(std::string_view text) { SetString(text); }
BindingProperty::BindingProperty(Blob&& bytes) { *this = std::move(bytes); }
BindingProperty::BindingProperty(EnumValue value) { *this = value; }

BindingProperty::BindingProperty(const BindingProperty& other) {
  TreeWalker::CopyInto(*this, other);
}

BindingProperty::BindingProperty(BindingProperty&& other) noexcept { AdoptFrom(other); }

BindingProperty& BindingProperty::operator=(const BindingProperty& other) {
  if (this == &other) return *this;
  // Copy first, then exchange: `other` may live inside this value.
  BindingProperty copy = NewValueInSameTree();
  TreeWalker::CopyInto(copy, other);
  return *this = std::move(copy);
}

BindingProperty& BindingProperty::operator=(BindingProperty&& other) noexcept {
  if (this == &other) return *this;
  if (IsInline(other.kind_) || context_ == nullptr || context_ == other.context_) {
    // Take the payload out first: `other` may live inside this value.
    BindingProperty taken(std::move(other));
    ReleasePayload();
    if (!IsInline(taken.kind_) && context_ == nullptr && taken.context_) {
      context_ = taken.context_;
      context_->Ref();
    }
    payload_ = taken.payload_;
    kind_ = taken.kind_;
    valid_ = taken.valid_;
    taken.kind_ = ValueKind::kEmpty;
    return *this;
  }
  // Another tree: its records belong to its context, so copy into ours.
  ReleasePayload();
  TreeWalker::CopyInto(*this, other);
  other.Reset();
  return *this;
}

// Takes the payload of `source`, leaving it empty and valid. Only heap
// payloads need the context; scalars leave it behind.
void BindingProperty::AdoptFrom(BindingProperty& source) noexcept {
  payload_ = source.payload_;
  kind_ = source.kind_;
  valid_ = source.valid_;
  if (!IsInline(kind_) && source.context_) {
    context_ = source.context_;
    context_->Ref();
  }
  source.kind_ = ValueKind::kEmpty;
  source.payload_.unsignedNumber = 0;
  source.valid_ = true;
}

BindingProperty::~BindingProperty() {
  if (!context_) return;
  // The last owner of a context releases the whole tree at once: nothing
  // else can refer to its values.
  if (context_->References() != 1) ReleasePayload();
  context_->Unref();
}

BindingProperty& BindingProperty::operator=(bool value) noexcept {
  ReleasePayload();
  payload_.boolean = value;
  kind_ = ValueKind::kBool;
  valid_ = true;
  return *this;
}

void BindingProperty::SetSigned(int64_t value) noexcept {
  ReleasePayload();
  payload_.signedNumber = value;
  kind_ = ValueKind::kSigned;
  valid_ = true;
}

void BindingProperty::SetUnsigned(uint64_t value) noexcept {
  ReleasePayload();
  payload_.unsignedNumber = value;
  kind_ = ValueKind::kUnsigned;
  valid_ = true;
}

BindingProperty& BindingProperty::operator=(double value) noexcept {
  ReleasePayload();
  payload_.floatNumber = value;
  kind_ = ValueKind::kFloat;
  valid_ = true;
  return *this;
}

BindingProperty& BindingProperty::operator=(const char* text) {
  SetString(text ? text : "");
  return *this;
}

BindingProperty& BindingProperty::operator=(std::string_view text) {
  SetString(text);
  return *this;
}

BindingProperty& BindingProperty::operator=(Blob&& bytes) {
  auto* record = EnsureContext().NewBlob(std::move(bytes));
  ReleasePayload();
  payload_.blob = record;
  kind_ = ValueKind::kBlob;
  valid_ = true;
  return *this;
}

BindingProperty& BindingProperty::operator=(EnumValue value) {
  auto* record = EnsureContext().NewRecord(value_internal::EnumRecord{value});
  ReleasePayload();
  payload_.enumeration = record;
  kind_ = ValueKind::kEnum;
  valid_ = true;
  return *this;
}

void BindingProperty::SetString(std::string_view text) {
  // Intern before releasing: `text` may point into the payload being replaced.
  const value_internal::InternedString* entry =
      text.empty() ? EmptyInternedString() : EnsureContext().Strings().Intern(text);
  ReleasePayload();
  payload_.string = entry;
  kind_ = ValueKind::kString;
  valid_ = true;
}

BindingProperty BindingProperty::NewValueInSameTree() const noexcept {
  BindingProperty value;
  value.context_ = context_;
  if (context_) context_->Ref();
  return value;
}

ValueContext& BindingProperty::EnsureContext() {
  if (!context_) context_ = ValueContext::Create();
  return *context_;
}

void BindingProperty::ReleasePayload() noexcept {
  if (IsInline(kind_)) {
    kind_ = ValueKind::kEmpty;
    return;
  }
  if (value_internal::IsContainer(kind_)) {
    TreeWalker::DestroyContainer(*this);
  } else {
    TreeWalker::ReleaseLeaf(*this);
  }
}

// ---- Validity ---------------------------------------------------------------

void BindingProperty::SetError(std::string_view message) {
  // The message may live in this value: keep it alive past the clear.
  EnsureContext();
  BindingProperty text = NewValueInSameTree();
  text = message;
  ReleasePayload();
  valid_ = false;
  SetMember("error", std::move(text));
}

std::string_view BindingProperty::Error() const noexcept {
  if (valid_) return {};
  return Member("error").GetString();
}

void BindingProperty::Clear() noexcept { ReleasePayload(); }

void BindingProperty::Reset() noexcept {
  ReleasePayload();
  valid_ = true;
}

// ---- Reads --------------------------------------------------------------------

bool BindingProperty::GetBool(bool defaultValue) const noexcept {
  return kind_ == ValueKind::kBool ? payload_.boolean : defaultValue;
}
int64_t BindingProperty::GetSigned(int64_t defaultValue) const noexcept {
  return kind_ == ValueKind::kSigned ? payload_.signedNumber : defaultValue;
}
uint64_t BindingProperty::GetUnsigned(uint64_t defaultValue) const noexcept {
  return kind_ == ValueKind::kUnsigned ? payload_.unsignedNumber : defaultValue;
}
double BindingProperty::GetFloat(double defaultValue) const noexcept {
  return kind_ == ValueKind::kFloat ? payload_.floatNumber : defaultValue;
}
std::string_view BindingProperty::GetString(std::string_view defaultValue) const noexcept {
  return kind_ == ValueKind::kString ? payload_.string->View() : defaultValue;
}
const char* BindingProperty::GetCString(const char* defaultValue) const noexcept {
  return kind_ == ValueKind::kString ? payload_.string->text : defaultValue;
}
std::span<const uint8_t> BindingProperty::GetBlob(
    std::span<const uint8_t> defaultValue) const noexcept {
  return kind_ == ValueKind::kBlob ? std::span<const uint8_t>(payload_.blob->bytes) : defaultValue;
}
EnumValue BindingProperty::GetEnum(EnumValue defaultValue) const noexcept {
  return kind_ == ValueKind::kEnum ? payload_.enumeration->value : defaultValue;
}

size_t BindingProperty::Size() const noexcept {
  switch (kind_) {
    case ValueKind::kEmpty:
      return 0;
    case ValueKind::kString:
      return payload_.string->length;
    case ValueKind::kBlob:
      return payload_.blob->bytes.size();
    case ValueKind::kCollection:
      return payload_.collection->size;
    case ValueKind::kStructure:
      return payload_.structure->size;
    default:
      return 1;
  }
}

const BindingProperty& BindingProperty::EmptyValue() noexcept {
  static const BindingProperty kEmpty;
  return kEmpty;
}

// ---- Collections ----------------------------------------------------------------

void BindingProperty::BecomeCollection() {
  if (kind_ == ValueKind::kCollection) return;
  auto* record = EnsureContext().NewRecord(CollectionRecord{});
  ReleasePayload();
  payload_.collection = record;
  kind_ = ValueKind::kCollection;
}

void BindingProperty::SetEmptyCollection() {
  auto* record = EnsureContext().NewRecord(CollectionRecord{});
  ReleasePayload();
  payload_.collection = record;
  kind_ = ValueKind::kCollection;
}

const BindingProperty& BindingProperty::Element(size_t index) const noexcept {
  if (kind_ != ValueKind::kCollection || index >= payload_.collection->size) return EmptyValue();
  return payload_.collection->elements[index];
}

BindingProperty& BindingProperty::MutableElement(size_t index) {
  BecomeCollection();
  CollectionRecord& record = *payload_.collection;
  if (index >= record.size) {
    if (index >= record.capacity) Grow(record, index + 1);
    for (size_t at = record.size; at <= index; ++at) {
      TreeWalker::ConstructEmpty(&record.elements[at], context_);
    }
    record.size = static_cast<uint32_t>(index + 1);
  }
  return record.elements[index];
}

BindingProperty& BindingProperty::AppendElement() {
  BecomeCollection();
  CollectionRecord& record = *payload_.collection;
  if (record.size == record.capacity) Grow(record, record.size + 1);
  BindingProperty* slot = &record.elements[record.size++];
  TreeWalker::ConstructEmpty(slot, context_);
  return *slot;
}

BindingProperty& BindingProperty::Append(BindingProperty&& element) {
  // Taken out first: growing the array would move `element` if it lived there.
  BindingProperty taken(std::move(element));
  BindingProperty& slot = AppendElement();
  slot = std::move(taken);
  return slot;
}

void BindingProperty::Reserve(size_t count) {
  if (kind_ != ValueKind::kCollection) return;
  CollectionRecord& record = *payload_.collection;
  count = std::min(count, kMaxReservation);
  if (count <= record.capacity) return;
  record.elements = context_->ResizeArray(record.elements, record.capacity, count);
  record.capacity = static_cast<uint32_t>(count);
}

std::span<const BindingProperty> BindingProperty::Elements() const noexcept {
  if (kind_ != ValueKind::kCollection) return {};
  return {payload_.collection->elements, payload_.collection->size};
}

std::span<BindingProperty> BindingProperty::MutableElements() noexcept {
  if (kind_ != ValueKind::kCollection) return {};
  return {payload_.collection->elements, payload_.collection->size};
}

// ---- Structures ---------------------------------------------------------------------

std::string_view BindingMember::Name() const noexcept { return name_->View(); }
const char* BindingMember::CName() const noexcept { return name_->text; }

namespace {

// Unsigned byte-wise order. Member names are short and mostly differ early,
// where an inline loop beats a call to memcmp.
inline bool NameBelow(std::string_view name, std::string_view key) {
  const size_t common = std::min(name.size(), key.size());
  for (size_t at = 0; at < common; ++at) {
    const auto left = static_cast<unsigned char>(name[at]);
    const auto right = static_cast<unsigned char>(key[at]);
    if (left != right) return left < right;
  }
  return name.size() < key.size();
}

inline bool NameEquals(std::string_view name, std::string_view key) {
  return name.size() == key.size() && std::memcmp(name.data(), key.data(), key.size()) == 0;
}

// The first member whose name is not below `name`.
BindingMember* LowerBound(BindingMember* first, BindingMember* last, std::string_view name) {
  size_t count = static_cast<size_t>(last - first);
  while (count > 0) {
    const size_t half = count / 2;
    if (NameBelow(first[half].Name(), name)) {
      first += half + 1;
      count -= half + 1;
    } else {
      count = half;
    }
  }
  return first;
}

}  // namespace

void BindingProperty::BecomeStructure() {
  if (kind_ == ValueKind::kStructure) return;
  auto* record = EnsureContext().NewRecord(StructureRecord{});
  ReleasePayload();
  payload_.structure = record;
  kind_ = ValueKind::kStructure;
}

void BindingProperty::SetEmptyStructure() {
  auto* record = EnsureContext().NewRecord(StructureRecord{});
  ReleasePayload();
  payload_.structure = record;
  kind_ = ValueKind::kStructure;
}

const BindingProperty* BindingProperty::FindMember(std::string_view name) const noexcept {
  if (kind_ != ValueKind::kStructure) return nullptr;
  StructureRecord& record = *payload_.structure;
  BindingMember* end = record.members + record.size;
  BindingMember* found = LowerBound(record.members, end, name);
  return found != end && NameEquals(found->Name(), name) ? &found->value_ : nullptr;
}

const BindingProperty& BindingProperty::Member(std::string_view name) const noexcept {
  const BindingProperty* found = FindMember(name);
  return found ? *found : EmptyValue();
}

BindingProperty& BindingProperty::MutableMember(std::string_view name) {
  BecomeStructure();
  StructureRecord& record = *payload_.structure;
  BindingMember* end = record.members + record.size;
  // Records arrive with their keys mostly in order: try the end first.
  BindingMember* at = end;
  if (record.size != 0 && !NameBelow(end[-1].Name(), name)) {
    at = LowerBound(record.members, end, name);
    if (NameEquals(at->Name(), name)) return at->value_;
  }
  const size_t index = static_cast<size_t>(at - record.members);
  const value_internal::InternedString* interned = context_->Strings().Intern(name);
  if (record.size == record.capacity) Grow(record, record.size + 1);
  BindingMember* slot = record.members + index;
  std::memmove(static_cast<void*>(slot + 1), static_cast<const void*>(slot),
               (record.size - index) * sizeof(BindingMember));
  ++record.size;
  slot->name_ = interned;
  TreeWalker::ConstructEmpty(&slot->value_, context_);
  return slot->value_;
}

BindingProperty& BindingProperty::SetMember(std::string_view name, BindingProperty&& value) {
  // Taken out first: adding the member would move `value` if it lived here.
  BindingProperty taken(std::move(value));
  BindingProperty& slot = MutableMember(name);
  slot = std::move(taken);
  return slot;
}

bool BindingProperty::RemoveMember(std::string_view name) noexcept {
  if (kind_ != ValueKind::kStructure) return false;
  StructureRecord& record = *payload_.structure;
  BindingMember* end = record.members + record.size;
  BindingMember* found = LowerBound(record.members, end, name);
  if (found == end || !NameEquals(found->Name(), name)) return false;
  context_->Strings().Release(found->name_);
  found->value_.ReleasePayload();
  std::memmove(static_cast<void*>(found), static_cast<const void*>(found + 1),
               static_cast<size_t>(end - found - 1) * sizeof(BindingMember));
  --record.size;
  return true;
}

void BindingProperty::ReserveMembers(size_t count) {
  if (kind_ != ValueKind::kStructure) return;
  StructureRecord& record = *payload_.structure;
  count = std::min(count, kMaxReservation);
  if (count <= record.capacity) return;
  record.members = context_->ResizeArray(record.members, record.capacity, count);
  record.capacity = static_cast<uint32_t>(count);
}

BindingMember& BindingProperty::AppendMemberUnsorted(std::string_view name) {
  BecomeStructure();
  StructureRecord& record = *payload_.structure;
  const value_internal::InternedString* interned = context_->Strings().Intern(name);
  if (record.size == record.capacity) Grow(record, record.size + 1);
  BindingMember* slot = record.members + record.size++;
  slot->name_ = interned;
  TreeWalker::ConstructEmpty(&slot->value_, context_);
  return *slot;
}

void BindingProperty::RemoveLastMember() noexcept {
  if (kind_ != ValueKind::kStructure || payload_.structure->size == 0) return;
  StructureRecord& record = *payload_.structure;
  BindingMember& last = record.members[--record.size];
  context_->Strings().Release(last.name_);
  last.value_.ReleasePayload();
}

namespace {

// Below this many members the sort runs on the stack, by insertion.
constexpr uint32_t kInsertionSortLimit = 32;

// A member's place in the sort: the first 8 bytes of its name as a
// big-endian number (zero-padded), which orders most pairs with one integer
// compare, then the whole name, then the position (making the sort stable).
struct SortKey {
  uint64_t prefix;
  const char* name;  ///< Interned text: equal names have equal pointers.
  uint32_t length;
  uint32_t position;
};

inline uint64_t NamePrefix(std::string_view name) {
  uint64_t bytes = 0;
  if (name.size() >= 8) {
    std::memcpy(&bytes, name.data(), 8);
  } else {
    std::memcpy(&bytes, name.data(), name.size());
  }
  return __builtin_bswap64(bytes);  // Little-endian load: the first byte becomes the top.
}

inline bool KeyBelow(const SortKey& left, const SortKey& right) {
  if (left.prefix != right.prefix) return left.prefix < right.prefix;
  if (left.name != right.name) {
    const std::string_view leftName(left.name, left.length);
    const std::string_view rightName(right.name, right.length);
    if (NameBelow(leftName, rightName)) return true;
    if (NameBelow(rightName, leftName)) return false;
  }
  return left.position < right.position;
}

// Sorts `keys`; true when that changed their order.
bool SortKeys(SortKey* keys, uint32_t size) {
  bool moved = false;
  if (size <= kInsertionSortLimit) {
    for (uint32_t next = 1; next < size; ++next) {
      if (!KeyBelow(keys[next], keys[next - 1])) continue;
      const SortKey moving = keys[next];
      uint32_t at = next;
      while (at > 0 && KeyBelow(moving, keys[at - 1])) {
        keys[at] = keys[at - 1];
        --at;
      }
      keys[at] = moving;
      moved = true;
    }
    return moved;
  }
  for (uint32_t at = 1; at < size && !moved; ++at) moved = KeyBelow(keys[at], keys[at - 1]);
  if (moved) std::sort(keys, keys + size, KeyBelow);
  return moved;
}

}  // namespace

void BindingProperty::SortMembers() {
  if (kind_ != ValueKind::kStructure) return;
  StructureRecord& record = *payload_.structure;
  const uint32_t size = record.size;
  if (size == 0) return;
  SortKey inlineKeys[kInsertionSortLimit];  // Trivial: left uninitialized.
  SortKey* keys = inlineKeys;
  if (size > kInsertionSortLimit) {
    keys = static_cast<SortKey*>(std::malloc(size * sizeof(SortKey)));
    if (!keys) std::abort();  // Out of memory: there is no failure path to report into.
  }
  for (uint32_t at = 0; at < size; ++at) {
    const std::string_view name = record.members[at].Name();
    keys[at] = {NamePrefix(name), name.data(), static_cast<uint32_t>(name.size()), at};
  }
  const bool moved = SortKeys(keys, size);
  if (moved || record.capacity != size) {
    // Members relocate as bytes: one pass moves each into an array of exactly
    // `size` members.
    auto* sorted = context_->NewArray<BindingMember>(size);
    for (uint32_t at = 0; at < size; ++at) {
      std::memcpy(static_cast<void*>(sorted + at),
                  static_cast<const void*>(record.members + keys[at].position),
                  sizeof(BindingMember));
    }
    context_->DeleteArray(record.members, record.capacity);
    record.members = sorted;
    record.capacity = size;
  }
  if (keys != inlineKeys) std::free(keys);
}

std::span<const BindingMember> BindingProperty::Members() const noexcept {
  if (kind_ != ValueKind::kStructure) return {};
  return {payload_.structure->members, payload_.structure->size};
}

std::span<BindingMember> BindingProperty::MutableMembers() noexcept {
  if (kind_ != ValueKind::kStructure) return {};
  return {payload_.structure->members, payload_.structure->size};
}

// ---- Text and comparison --------------------------------------------------------------

std::string BindingProperty::ToString() const {
  switch (kind_) {
    case ValueKind::kBool:
      return payload_.boolean ? "true" : "false";
    case ValueKind::kSigned:
      return std::to_string(payload_.signedNumber);
    case ValueKind::kUnsigned:
      return std::to_string(payload_.unsignedNumber);
    case ValueKind::kFloat: {
      char text[512];  // "%f" of the largest double needs 316 characters.
      const int length = std::snprintf(text, sizeof text, "%f", payload_.floatNumber);
      return std::string(text, static_cast<size_t>(std::max(length, 0)));
    }
    case ValueKind::kString:
      return std::string(payload_.string->View());
    case ValueKind::kBlob:
      return Base64(payload_.blob->bytes);
    case ValueKind::kEnum:
      return std::to_string(payload_.enumeration->value.number);
    default:
      return {};
  }
}

bool operator==(const BindingProperty& left, const BindingProperty& right) noexcept {
  return TreeWalker::Equal(left, right);
}

}  // namespace kiv
