// string_table.h: the interned string table of one value tree. Every distinct
// string of the tree is stored once with a use count; string values and
// member names point at their entry. Entries live in the tree's arena: an
// entry whose use count drops to zero goes back to it, and the rest go with
// it when the tree is released.
//
// Not for: strings outside a value tree. Single-threaded, like the tree.
//
//   Arena arena;
//   StringTable table(arena);
//   const InternedString* a = table.Intern("LOCK_IN");
//   const InternedString* b = table.Intern("LOCK_IN");  // a == b, use count 2
//   table.Release(a); table.Release(b);                 // entry freed
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "sdk/value/internal/arena.h"

namespace kiv::value_internal {

/// One entry: NUL-terminated bytes with their use count, behind a 16-byte
/// header (with a whole 32-bit hash it would take 24 bytes, 8 more for every
/// other text length).
struct InternedString {
  InternedString* next;  ///< Next entry of the same bucket.
  uint32_t length;
  /// The use count in the high 24 bits; the hash's low byte in the low 8, so
  /// that tables of up to 256 buckets re-bucket an entry without hashing its
  /// text again. The count saturates: an entry used 2^24 - 1 times stays
  /// until its tree goes.
  uint32_t usesAndHash;
  char text[1];  ///< `length` bytes and a NUL; the entry is allocated to fit.

  static constexpr uint32_t kOneUse = 1u << 8;
  static constexpr uint32_t kStuck = 0xFFFFFF00u;

  std::string_view View() const { return {text, length}; }
  uint32_t Uses() const { return usesAndHash >> 8; }
  uint8_t HashLow() const { return static_cast<uint8_t>(usesAndHash); }
  void AddUse() {
    if (usesAndHash < kStuck) usesAndHash += kOneUse;
  }
  /// Drops one use; true when none is left.
  bool DropUse() {
    if (usesAndHash >= kStuck) return false;
    usesAndHash -= kOneUse;
    return usesAndHash < kOneUse;
  }
};

/// The shared, never counted entry of every null or empty string.
const InternedString* EmptyInternedString();

/// 32-bit FNV-1a (offset basis 0x811C9DC5, prime 16777619).
uint32_t HashBytes(std::string_view bytes);

struct Fingerprint;

class StringTable {
 public:
  /// Entries are allocated from `arena`, which must outlive the table.
  explicit StringTable(Arena& arena) noexcept : arena_(arena) {}
  StringTable(const StringTable&) = delete;
  StringTable& operator=(const StringTable&) = delete;
  /// Frees the bucket array; the entries go with the arena.
  ~StringTable();

  /// The entry for `text`, its use count raised by one (created with count 1).
  const InternedString* Intern(std::string_view text);
  /// Raises the use count of an entry of this table (or the empty entry).
  void AddUse(const InternedString* entry);
  /// Lowers the use count; the entry is freed when it reaches zero.
  void Release(const InternedString* entry);

  size_t EntryCount() const { return count_; }
  size_t BucketCount() const { return bucketCount_; }

 private:
  void Grow();
  InternedString* Find(std::string_view text, uint32_t hash, const Fingerprint& print) const;
  /// The bucket of `entry` among `buckets` (a power of two).
  static size_t BucketOf(const InternedString& entry, size_t buckets);
  InternedString* Insert(std::string_view text, uint32_t hash);
  static size_t EntryBytes(size_t length);

  static constexpr size_t kInitialBuckets = 8;
  static constexpr size_t kRecentSlots = 128;
  // The entries interned last, by a cheap slot of their text: the member names
  // of a list of records repeat, and a hit here skips hashing them.
  Arena& arena_;
  InternedString* recent_[kRecentSlots] = {};
  InternedString** buckets_ = nullptr;
  size_t bucketCount_ = 0;
  size_t count_ = 0;
};

}  // namespace kiv::value_internal
