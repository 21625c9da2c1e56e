#include "sdk/runtime/mutation_point.h"

#ifdef KIV_MUTANTS
#include <cstdlib>

namespace kiv {

bool MutationActive(std::string_view name) {
  static const char* const active = std::getenv("KIV_MUTATION");
  return active != nullptr && name == active;
}

}  // namespace kiv
#endif
