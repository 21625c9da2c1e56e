#include "sdk/memory/memory_stats.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <new>

namespace kiv {
namespace {

TEST(MemoryStats, OneBlockMovesAllocationsAndFreesByOne) {
  const MemoryStats before = ReadMemoryStats();
  {
    auto block = std::make_unique<char[]>(1000);
    block[0] = 1;
  }
  const MemoryStats after = ReadMemoryStats();
  EXPECT_EQ(after.totalAllocations, before.totalAllocations + 1);
  EXPECT_EQ(after.totalFrees, before.totalFrees + 1);
  EXPECT_EQ(after.totalBytesAllocated - after.totalBytesFreed,
            before.totalBytesAllocated - before.totalBytesFreed);
  EXPECT_GE(after.totalBytesAllocated - before.totalBytesAllocated, 1000u);
}

TEST(MemoryStats, CountsMallocFamilyToo) {
  const MemoryStats before = ReadMemoryStats();
  void* block = std::malloc(64);
  block = std::realloc(block, 4096);
  std::free(block);
  const MemoryStats after = ReadMemoryStats();
  // realloc counts the old block freed and the new one allocated.
  EXPECT_EQ(after.totalAllocations, before.totalAllocations + 2);
  EXPECT_EQ(after.totalFrees, before.totalFrees + 2);
  EXPECT_EQ(after.totalBytesAllocated - after.totalBytesFreed,
            before.totalBytesAllocated - before.totalBytesFreed);
}

TEST(MemoryStats, OverAlignedSizeThatCannotBeRoundedUpIsRefused) {
  // Rounding SIZE_MAX - 8 up to a multiple of 64 would wrap to 0 and hand out
  // a tiny block in place of an impossible one. Volatile, so that the
  // compiler does not refuse the constant size outright.
  volatile size_t hugeSize = SIZE_MAX - 8;
  void* block = ::operator new (hugeSize, std::align_val_t{64}, std::nothrow);
  EXPECT_EQ(block, nullptr);
  ::operator delete (block, std::align_val_t{64});
}

TEST(MemoryStats, PeakNeverDecreases) {
  const uint64_t start = ReadMemoryStats().peakBytesInUse;
  auto big = std::make_unique<char[]>(1 << 20);
  big[0] = 1;
  const MemoryStats high = ReadMemoryStats();
  EXPECT_GE(high.peakBytesInUse, start);
  EXPECT_GE(high.peakBytesInUse, high.totalBytesAllocated - high.totalBytesFreed);
  big.reset();
  EXPECT_EQ(ReadMemoryStats().peakBytesInUse, high.peakBytesInUse);
}

TEST(MemoryStats, WordsAreLowFirstAndEndInTwoZeros) {
  uint32_t words[14];
  std::fill(std::begin(words), std::end(words), 0xFFFFFFFFu);
  WriteMemoryStatsWords(words);
  EXPECT_EQ(words[12], 0u);
  EXPECT_EQ(words[13], 0u);
  const MemoryStats stats = ReadMemoryStats();
  // Counters only grow, so the words read first cannot exceed those read now.
  const uint64_t allocations = uint64_t(words[6]) | uint64_t(words[7]) << 32;
  EXPECT_LE(allocations, stats.totalAllocations);
  EXPECT_GT(allocations, 0u);
}

}  // namespace
}  // namespace kiv
