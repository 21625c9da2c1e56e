#include "sdk/value/internal/string_table.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace kiv::value_internal {
namespace {

constinit InternedString kEmptyEntry = {nullptr, 0, 0, {'\0'}};

void FillEntry(InternedString* entry, std::string_view text, uint32_t hash) {
  entry->next = nullptr;
  entry->length = static_cast<uint32_t>(text.size());
  entry->usesAndHash = InternedString::kOneUse | (hash & 0xFF);
  std::memcpy(entry->text, text.data(), text.size());
  entry->text[text.size()] = '\0';
}

uint64_t Load8(const char* at) {
  uint64_t word;
  std::memcpy(&word, at, 8);
  return word;
}

uint32_t Load4(const char* at) {
  uint32_t word;
  std::memcpy(&word, at, 4);
  return word;
}

}  // namespace

/// Two words that together cover every byte of a text of up to 16 bytes
/// (its first and last 8, 4, or for 1 to 3 bytes its first, middle and
/// last), read without passing its end: equal words mean equal texts of
/// that length. Longer texts compare the rest too.
struct Fingerprint {
  uint64_t head;
  uint64_t tail;

  static Fingerprint Of(const char* text, size_t length) {
    if (length >= 8) return {Load8(text), Load8(text + length - 8)};
    if (length >= 4) return {Load4(text), Load4(text + length - 4)};
    return {uint64_t(uint8_t(text[0])) | uint64_t(uint8_t(text[length / 2])) << 8 |
                uint64_t(uint8_t(text[length - 1])) << 16,
            0};
  }
  size_t Slot(size_t length, size_t slots) const {
    const uint64_t mixed = (head ^ (tail * 0x9E3779B97F4A7C15ull) ^ length) * 0xFF51AFD7ED558CCDull;
    return static_cast<size_t>(mixed >> 40) & (slots - 1);
  }
  bool Matches(const InternedString& entry, const char* text, size_t length) const {
    if (entry.length != length) return false;
    const Fingerprint other = Of(entry.text, length);
    if (other.head != head || other.tail != tail) return false;
    return length <= 16 || std::memcmp(entry.text + 8, text + 8, length - 16) == 0;
  }
};

const InternedString* EmptyInternedString() { return &kEmptyEntry; }

uint32_t HashBytes(std::string_view bytes) {
  uint32_t hash = 0x811C9DC5u;
  for (char byte : bytes) {
    hash ^= static_cast<uint8_t>(byte);
    hash *= 16777619u;
  }
  return hash;
}

StringTable::~StringTable() { std::free(buckets_); }

size_t StringTable::EntryBytes(size_t length) {
  return offsetof(InternedString, text) + length + 1;
}

const InternedString* StringTable::Intern(std::string_view text) {
  if (text.empty()) return &kEmptyEntry;
  const Fingerprint print = Fingerprint::Of(text.data(), text.size());
  // Two ways per set: the entry used last first.
  InternedString** recent = &recent_[print.Slot(text.size(), kRecentSlots) & ~size_t{1}];
  if (recent[0] && print.Matches(*recent[0], text.data(), text.size())) {
    recent[0]->AddUse();
    return recent[0];
  }
  if (recent[1] && print.Matches(*recent[1], text.data(), text.size())) {
    std::swap(recent[0], recent[1]);
    recent[0]->AddUse();
    return recent[0];
  }
  const uint32_t hash = HashBytes(text);
  InternedString* entry = Find(text, hash, print);
  if (entry) {
    entry->AddUse();
  } else {
    entry = Insert(text, hash);
  }
  recent[1] = recent[0];
  recent[0] = entry;
  return entry;
}

InternedString* StringTable::Find(std::string_view text, uint32_t hash,
                                  const Fingerprint& print) const {
  if (bucketCount_ == 0) return nullptr;
  for (InternedString* entry = buckets_[hash & (bucketCount_ - 1)]; entry; entry = entry->next) {
    if (entry->HashLow() == (hash & 0xFF) && print.Matches(*entry, text.data(), text.size())) {
      return entry;
    }
  }
  return nullptr;
}

InternedString* StringTable::Insert(std::string_view text, uint32_t hash) {
  // Maximum load factor 1.0: grow before the entry count passes the buckets.
  if (count_ + 1 > bucketCount_) Grow();
  auto* entry = static_cast<InternedString*>(arena_.Allocate(EntryBytes(text.size())));
  FillEntry(entry, text, hash);
  InternedString*& head = buckets_[hash & (bucketCount_ - 1)];
  entry->next = head;
  head = entry;
  ++count_;
  return entry;
}

void StringTable::AddUse(const InternedString* entry) {
  if (entry != &kEmptyEntry) const_cast<InternedString*>(entry)->AddUse();
}

void StringTable::Release(const InternedString* entry) {
  if (entry == &kEmptyEntry) return;
  auto* owned = const_cast<InternedString*>(entry);
  if (!owned->DropUse()) return;
  InternedString** link = &buckets_[BucketOf(*owned, bucketCount_)];
  while (*link != owned) link = &(*link)->next;
  *link = owned->next;
  --count_;
  const Fingerprint print = Fingerprint::Of(owned->text, owned->length);
  InternedString** recent = &recent_[print.Slot(owned->length, kRecentSlots) & ~size_t{1}];
  if (recent[0] == owned) recent[0] = nullptr;
  if (recent[1] == owned) recent[1] = nullptr;
  arena_.Free(owned, EntryBytes(owned->length));
}

size_t StringTable::BucketOf(const InternedString& entry, size_t buckets) {
  const uint32_t hash = buckets <= 256 ? entry.HashLow() : HashBytes(entry.View());
  return hash & (buckets - 1);
}

void StringTable::Grow() {
  const size_t newCount = bucketCount_ == 0 ? kInitialBuckets : bucketCount_ * 2;
  auto** fresh = static_cast<InternedString**>(std::calloc(newCount, sizeof(InternedString*)));
  if (!fresh) std::abort();
  for (size_t bucket = 0; bucket < bucketCount_; ++bucket) {
    for (InternedString* entry = buckets_[bucket]; entry;) {
      InternedString* next = entry->next;
      InternedString*& head = fresh[BucketOf(*entry, newCount)];
      entry->next = head;
      head = entry;
      entry = next;
    }
  }
  std::free(buckets_);
  buckets_ = fresh;
  bucketCount_ = newCount;
}

}  // namespace kiv::value_internal
