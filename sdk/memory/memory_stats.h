// memory_stats.h: the library's allocation counters.
//
// Every allocation the library makes (C++ `new`, and `malloc` and friends in
// the C code linked into it) passes through the counting hooks of
// allocation_hooks.cc, which update these counters atomically. The host's own
// allocations never reach them, because the hooks are private to the library.
//
// Not for: limiting memory. The counters only observe.
//
//   kiv::MemoryStats before = kiv::ReadMemoryStats();
//   auto block = std::make_unique<int>(7);
//   block.reset();
//   // ReadMemoryStats().totalAllocations == before.totalAllocations + 1
#pragma once

#include <cstddef>
#include <cstdint>

namespace kiv {

/// Six counters, in the order the host reads them. Sizes are the heap's
/// usable size of each block, not the size asked for.
struct MemoryStats {
  uint64_t peakBytesInUse = 0;
  uint64_t allocationsInUseAtPeak = 0;
  uint64_t totalBytesAllocated = 0;
  uint64_t totalAllocations = 0;
  uint64_t totalBytesFreed = 0;
  uint64_t totalFrees = 0;
};

/// Reads every counter atomically (each on its own; the six together are not
/// one snapshot). Safe from any thread.
MemoryStats ReadMemoryStats();

/// Writes the counters as fourteen 32-bit words: each counter low word first,
/// then two zero words.
void WriteMemoryStatsWords(uint32_t out[14]);

/// Counts one allocation of `block` (its usable size; 0 bytes for a null block,
/// which stands for a failed allocation) and raises the peak when needed.
void CountAllocation(void* block);

/// Counts the release of `block`; nothing for null. Call before freeing it.
void CountFree(void* block);

}  // namespace kiv
