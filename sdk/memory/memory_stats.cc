#include "sdk/memory/memory_stats.h"

#include <malloc.h>

#include <atomic>

namespace kiv {
namespace {

struct Counters {
  std::atomic<uint64_t> peakBytesInUse{0};
  std::atomic<uint64_t> allocationsInUseAtPeak{0};
  std::atomic<uint64_t> totalBytesAllocated{0};
  std::atomic<uint64_t> totalAllocations{0};
  std::atomic<uint64_t> totalBytesFreed{0};
  std::atomic<uint64_t> totalFrees{0};
};

// Constant-initialised, so it is usable by allocations made before any
// constructor of the library has run.
constinit Counters counters;

void RaisePeak() {
  const uint64_t inUse = counters.totalBytesAllocated.load(std::memory_order_relaxed) -
                         counters.totalBytesFreed.load(std::memory_order_relaxed);
  uint64_t peak = counters.peakBytesInUse.load(std::memory_order_relaxed);
  // The unsigned difference can wrap transiently when another thread frees
  // between the two loads; such a reading is no peak.
  if (static_cast<int64_t>(inUse) < 0) return;
  while (inUse > peak) {
    if (counters.peakBytesInUse.compare_exchange_weak(peak, inUse, std::memory_order_relaxed)) {
      counters.allocationsInUseAtPeak.store(
          counters.totalAllocations.load(std::memory_order_relaxed) -
              counters.totalFrees.load(std::memory_order_relaxed),
          std::memory_order_relaxed);
      return;
    }
  }
}

}  // namespace

MemoryStats ReadMemoryStats() {
  MemoryStats stats;
  stats.peakBytesInUse = counters.peakBytesInUse.load();
  stats.allocationsInUseAtPeak = counters.allocationsInUseAtPeak.load();
  stats.totalBytesAllocated = counters.totalBytesAllocated.load();
  stats.totalAllocations = counters.totalAllocations.load();
  stats.totalBytesFreed = counters.totalBytesFreed.load();
  stats.totalFrees = counters.totalFrees.load();
  return stats;
}

void WriteMemoryStatsWords(uint32_t out[14]) {
  const MemoryStats stats = ReadMemoryStats();
  const uint64_t values[6] = {stats.peakBytesInUse,      stats.allocationsInUseAtPeak,
                              stats.totalBytesAllocated, stats.totalAllocations,
                              stats.totalBytesFreed,     stats.totalFrees};
  for (int i = 0; i < 6; ++i) {
    out[2 * i] = static_cast<uint32_t>(values[i]);
    out[2 * i + 1] = static_cast<uint32_t>(values[i] >> 32);
  }
  out[12] = 0;
  out[13] = 0;
}

void CountAllocation(void* block) {
  const uint64_t size = block ? malloc_usable_size(block) : 0;
  counters.totalBytesAllocated.fetch_add(size, std::memory_order_relaxed);
  counters.totalAllocations.fetch_add(1, std::memory_order_relaxed);
  RaisePeak();
}

void CountFree(void* block) {
  if (!block) return;
  counters.totalBytesFreed.fetch_add(malloc_usable_size(block), std::memory_order_relaxed);
  counters.totalFrees.fetch_add(1, std::memory_order_relaxed);
}

}  // namespace kiv
