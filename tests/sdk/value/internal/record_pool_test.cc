#include "sdk/value/internal/record_pool.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <vector>

namespace kiv::value_internal {
namespace {

TEST(RecordPool, RecordsAreDistinctAlignedAndOnFullPages) {
  RecordPool pool(16);
  std::set<void*> seen;
  std::vector<void*> records;
  const size_t count = pool.RecordsPerPage() * 2 + 1;
  for (size_t index = 0; index < count; ++index) {
    void* record = pool.Allocate();
    EXPECT_EQ(reinterpret_cast<uintptr_t>(record) % 8, 0u);
    EXPECT_TRUE(seen.insert(record).second);
    records.push_back(record);
  }
  EXPECT_EQ(pool.PageCount(), 3u);
  EXPECT_EQ(pool.RecordsInUse(), count);
  for (void* record : records) pool.Release(record);
  EXPECT_EQ(pool.RecordsInUse(), 0u);
  EXPECT_EQ(pool.PageCount(), 3u);  // Pages stay with the pool.
}

TEST(RecordPool, ReleasedRecordOfAFullPageIsReusedBeforeANewPage) {
  RecordPool pool(24);
  std::vector<void*> records;
  for (size_t index = 0; index < pool.RecordsPerPage(); ++index) records.push_back(pool.Allocate());
  ASSERT_EQ(pool.PageCount(), 1u);
  void* middle = records[records.size() / 2];
  pool.Release(middle);  // The full page rejoins the pages with free records.
  EXPECT_EQ(pool.Allocate(), middle);
  EXPECT_EQ(pool.PageCount(), 1u);
  pool.Allocate();
  EXPECT_EQ(pool.PageCount(), 2u);
}

TEST(RecordPool, SmallRecordsGrowToAPointer) {
  RecordPool pool(1);
  // The page header: four links and two 32-bit counts (40 bytes, 24 on i386).
  constexpr size_t kHeaderBytes = 4 * sizeof(void*) + 8;
  EXPECT_EQ(pool.RecordsPerPage(), (RecordPool::kPageBytes - kHeaderBytes) / 8);
}

}  // namespace
}  // namespace kiv::value_internal
