#include "host/host_clock.h"

#include <time.h>

#include <atomic>

namespace kiv::host {
namespace {

std::atomic<bool> gVirtual{false};
std::atomic<int64_t> gVirtualNow{0};

}  // namespace

// Read by the interposed clock_gettime (host_clock_interpose.cc).
bool ReadVirtualMonotonic(int64_t* nanoseconds) {
  if (!gVirtual.load(std::memory_order_acquire)) return false;
  *nanoseconds = gVirtualNow.load(std::memory_order_acquire);
  return true;
}

int64_t MonotonicNow() {
  int64_t now;
  if (ReadVirtualMonotonic(&now)) return now;
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return int64_t{ts.tv_sec} * 1'000'000'000 + ts.tv_nsec;
}

int64_t RealMonotonicNow() {
  // CLOCK_MONOTONIC_RAW is never answered by the virtual clock.
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC_RAW, &ts);
  return int64_t{ts.tv_sec} * 1'000'000'000 + ts.tv_nsec;
}

void UseVirtualClock(int64_t startNanoseconds) {
  gVirtualNow.store(startNanoseconds, std::memory_order_release);
  gVirtual.store(true, std::memory_order_release);
}

void UseRealClock() { gVirtual.store(false, std::memory_order_release); }

bool VirtualClockActive() { return gVirtual.load(std::memory_order_acquire); }

void AdvanceVirtualClock(int64_t nanoseconds) {
  if (nanoseconds > 0) gVirtualNow.fetch_add(nanoseconds, std::memory_order_acq_rel);
}

void AdvanceVirtualClockTo(int64_t nanoseconds) {
  int64_t now = gVirtualNow.load(std::memory_order_acquire);
  while (nanoseconds > now &&
         !gVirtualNow.compare_exchange_weak(now, nanoseconds, std::memory_order_acq_rel)) {
  }
}

}  // namespace kiv::host
