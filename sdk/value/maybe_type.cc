#include "sdk/value/maybe_type.h"

#include <cstdio>
#include <cstdlib>

namespace kiv::value_internal {

void AbortOnWrongSide(const char* what) {
  // No logger here: this layer sits below it, and the process ends anyway.
  std::fprintf(stderr, "fatal: %s\n", what);
  std::fflush(stderr);
  std::abort();
}

}  // namespace kiv::value_internal
