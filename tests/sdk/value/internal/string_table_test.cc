#include "sdk/value/internal/string_table.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kiv::value_internal {
namespace {

TEST(StringTable, SameTextSameEntryWithUseCount) {
  Arena arena;
  StringTable table(arena);
  const InternedString* first = table.Intern("LOCK_IN");
  const InternedString* second = table.Intern(std::string("LOCK_IN"));
  EXPECT_EQ(first, second);
  EXPECT_EQ(first->Uses(), 2u);
  EXPECT_EQ(first->text[first->length], '\0');
  EXPECT_NE(table.Intern("LOCK_OUT"), first);
  EXPECT_EQ(table.EntryCount(), 2u);
  table.Release(first);
  table.Release(second);
  EXPECT_EQ(table.EntryCount(), 1u);
}

TEST(StringTable, EmptyTextIsOneSharedUncountedEntry) {
  Arena arena;
  StringTable table(arena);
  EXPECT_EQ(table.Intern(""), EmptyInternedString());
  table.Release(EmptyInternedString());
  EXPECT_EQ(table.EntryCount(), 0u);
  EXPECT_EQ(table.BucketCount(), 0u);  // Nothing stored, nothing allocated.
}

TEST(StringTable, GrowsFromEightBucketsAtLoadFactorOne) {
  Arena arena;
  StringTable table(arena);
  std::vector<const InternedString*> entries;
  for (int index = 0; index < 8; ++index) entries.push_back(table.Intern(std::to_string(index)));
  EXPECT_EQ(table.BucketCount(), 8u);
  entries.push_back(table.Intern("8"));
  EXPECT_EQ(table.BucketCount(), 16u);
  // Past 256 buckets an entry's bucket comes from hashing its text again.
  for (const size_t count : {300u, 1000u}) {
    while (entries.size() < count) entries.push_back(table.Intern(std::to_string(entries.size())));
    EXPECT_EQ(table.BucketCount(), count == 300 ? 512u : 1024u);
    for (size_t index = 0; index < count; ++index) {
      EXPECT_EQ(table.Intern(std::to_string(index)), entries[index]);  // Found after rehash.
    }
  }
  for (const InternedString* entry : entries) {
    while (entry->Uses() > 1) table.Release(entry);
    table.Release(entry);
  }
  EXPECT_EQ(table.EntryCount(), 0u);
}

TEST(StringTable, UseCountSaturatesInsteadOfWrapping) {
  Arena arena;
  StringTable table(arena);
  const InternedString* entry = table.Intern("id");
  constexpr uint32_t kMaxUses = (1u << 24) - 1;
  for (uint32_t uses = 1; uses < kMaxUses + 10; ++uses) table.AddUse(entry);
  EXPECT_EQ(entry->Uses(), kMaxUses);
  table.Release(entry);  // A stuck entry stays until its tree goes.
  EXPECT_EQ(entry->Uses(), kMaxUses);
  EXPECT_EQ(table.Intern("id"), entry);
  EXPECT_EQ(table.EntryCount(), 1u);
}

TEST(StringTable, HashIsFnv1a) {
  EXPECT_EQ(HashBytes(""), 0x811C9DC5u);
  EXPECT_EQ(HashBytes("a"), 0xE40C292Cu);
  EXPECT_EQ(HashBytes("foobar"), 0xBF9CF968u);
}

}  // namespace
}  // namespace kiv::value_internal
