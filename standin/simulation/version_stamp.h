// version_stamp.h: a witness of which version of a roster the plugin shows.
// On their way to the plugin, every roster record (registered or pending)
// gets its version written into its icon colour, which the plugin passes
// through to the roster it publishes ("iconColorId"). A published roster
// whose colour goes down is an older copy than the plugin showed before.
//
// Only worlds with faults stamp: without them nothing arrives out of order.
//
// Not for: judging what was published (invariants.h).
//
//   std::string payload = StampRosterVersions(R"({"version":4,"logoColor":0})");
//   // {"version":4,"logoColor":4}
#pragma once

#include <string>

namespace kiv::standin {

/// `json` with every object that has a numeric "version" and a "logoColor"
/// given its version as its colour; text that is not JSON comes back as it
/// was.
std::string StampRosterVersions(const std::string& json);

}  // namespace kiv::standin
