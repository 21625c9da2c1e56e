#include "tests/probe_plugin/probe_plugin.h"

namespace kiv::probe {

void RegisterRuntimeEndpoints(ProbePlugin&) {}

}  // namespace kiv::probe
