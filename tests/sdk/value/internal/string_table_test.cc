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
  EXPECT_EQ(first->useCount, 2u);
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
  for (int index = 0; index < 9; ++index) {
    EXPECT_EQ(table.Intern(std::to_string(index)), entries[index]);  // Found after rehash.
  }
}

TEST(StringTable, HashIsFnv1a) {
  EXPECT_EQ(HashBytes(""), 0x811C9DC5u);
  EXPECT_EQ(HashBytes("a"), 0xE40C292Cu);
  EXPECT_EQ(HashBytes("foobar"), 0xBF9CF968u);
}

}  // namespace
}  // namespace kiv::value_internal
