// mutation_point.h: named places where a test build of the plugin breaks its
// own handling of a fault on purpose, so the simulation's tests can show that
// they notice each such break.
//
// In every shipped build MutationActive is the constant false and the
// broken branch compiles away. A library built with KIV_MUTANTS defined
// reads the environment variable KIV_MUTATION once and breaks the one place
// it names.
//
// Not for: anything a user could switch on.
//
//   if (MutationActive("service-answer-limit-off")) return WaitForEver();
#pragma once

#include <string_view>

namespace kiv {

#ifdef KIV_MUTANTS
/// True when KIV_MUTATION names `name`.
bool MutationActive(std::string_view name);
#else
constexpr bool MutationActive(std::string_view) { return false; }
#endif

}  // namespace kiv
