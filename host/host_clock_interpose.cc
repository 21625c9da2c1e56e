// Interposes clock_gettime for the whole process: CLOCK_MONOTONIC reads the
// host's virtual clock while it is active; everything else goes to the C
// library. Link into an executable with -rdynamic so that shared libraries
// (the plugin) bind to this definition too.
#include <dlfcn.h>
#include <time.h>

#include <cstdint>

namespace kiv::host {
bool ReadVirtualMonotonic(int64_t* nanoseconds);
}

extern "C" __attribute__((visibility("default"))) int clock_gettime(clockid_t clock,
                                                                    struct timespec* out) {
  using ClockFunction = int (*)(clockid_t, struct timespec*);
  static const ClockFunction real =
      reinterpret_cast<ClockFunction>(dlsym(RTLD_NEXT, "clock_gettime"));
  int64_t now;
  if (clock == CLOCK_MONOTONIC && kiv::host::ReadVirtualMonotonic(&now)) {
    out->tv_sec = now / 1'000'000'000;
    out->tv_nsec = now % 1'000'000'000;
    return 0;
  }
  return real(clock, out);
}
