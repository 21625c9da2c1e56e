// host_clock.h: the substitute host's monotonic clock.
//
// Real by default. In virtual mode it stands still until a test advances it,
// so a ten-minute timer runs in no real time. When an executable also links
// `kiv_host_clock_interpose` (with -rdynamic), the same virtual clock answers
// every CLOCK_MONOTONIC reading in the process, the plugin's steady clock
// included; the plugin needs no test-only entry for that.
//
//   kiv::host::UseVirtualClock(0);
//   kiv::host::AdvanceVirtualClock(600'000'000'000);  // ten minutes
//   kiv::host::MonotonicNow();                          // 600'000'000'000
#pragma once

#include <cstdint>

namespace kiv::host {

/// Nanoseconds on the host's monotonic clock.
int64_t MonotonicNow();

/// Nanoseconds on the machine's own monotonic clock, whichever clock the
/// host uses (pacing a virtual clock against real time).
int64_t RealMonotonicNow();

/// Switches to the virtual clock, standing at `startNanoseconds`.
void UseVirtualClock(int64_t startNanoseconds);
/// Switches back to the real monotonic clock.
void UseRealClock();
bool VirtualClockActive();
/// Moves the virtual clock forward (never back). No-op on the real clock.
void AdvanceVirtualClock(int64_t nanoseconds);
/// Sets the virtual clock to `nanoseconds` if that is later than now.
void AdvanceVirtualClockTo(int64_t nanoseconds);

}  // namespace kiv::host
