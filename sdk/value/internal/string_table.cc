#include "sdk/value/internal/string_table.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace kiv::value_internal {
namespace {

constinit InternedString kEmptyEntry = {nullptr, 0x811C9DC5u, 0, 0, {'\0'}};

void FillEntry(InternedString* entry, std::string_view text, uint32_t hash) {
  entry->next = nullptr;
  entry->hash = hash;
  entry->length = static_cast<uint32_t>(text.size());
  entry->useCount = 1;
  std::memcpy(entry->text, text.data(), text.size());
  entry->text[text.size()] = '\0';
}

}  // namespace

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

size_t StringTable::RecentSlot(std::string_view text) {
  return (text.size() * 31 + static_cast<uint8_t>(text.front()) * 7 +
          static_cast<uint8_t>(text.back())) &
         (kRecentSlots - 1);
}

const InternedString* StringTable::Intern(std::string_view text) {
  if (text.empty()) return &kEmptyEntry;
  InternedString*& recent = recent_[RecentSlot(text)];
  if (recent && recent->View() == text) {
    ++recent->useCount;
    return recent;
  }
  const uint32_t hash = HashBytes(text);
  if (bucketCount_ != 0) {
    for (InternedString* entry = buckets_[hash & (bucketCount_ - 1)]; entry; entry = entry->next) {
      if (entry->hash == hash && entry->View() == text) {
        ++entry->useCount;
        recent = entry;
        return entry;
      }
    }
  }
  // Maximum load factor 1.0: grow before the entry count passes the buckets.
  if (count_ + 1 > bucketCount_) Grow();
  auto* entry = static_cast<InternedString*>(arena_.Allocate(EntryBytes(text.size())));
  FillEntry(entry, text, hash);
  InternedString*& head = buckets_[hash & (bucketCount_ - 1)];
  entry->next = head;
  head = entry;
  ++count_;
  recent = entry;
  return entry;
}

void StringTable::AddUse(const InternedString* entry) {
  if (entry != &kEmptyEntry) ++const_cast<InternedString*>(entry)->useCount;
}

void StringTable::Release(const InternedString* entry) {
  if (entry == &kEmptyEntry) return;
  auto* owned = const_cast<InternedString*>(entry);
  if (--owned->useCount != 0) return;
  InternedString** link = &buckets_[owned->hash & (bucketCount_ - 1)];
  while (*link != owned) link = &(*link)->next;
  *link = owned->next;
  --count_;
  InternedString*& recent = recent_[RecentSlot(owned->View())];
  if (recent == owned) recent = nullptr;
  arena_.Free(owned, EntryBytes(owned->length));
}

void StringTable::Grow() {
  const size_t newCount = bucketCount_ == 0 ? kInitialBuckets : bucketCount_ * 2;
  auto** fresh = static_cast<InternedString**>(std::calloc(newCount, sizeof(InternedString*)));
  if (!fresh) std::abort();
  for (size_t bucket = 0; bucket < bucketCount_; ++bucket) {
    for (InternedString* entry = buckets_[bucket]; entry;) {
      InternedString* next = entry->next;
      InternedString*& head = fresh[entry->hash & (newCount - 1)];
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
