// invariants.h: what must hold of the plugin at every quiet moment of a run,
// however the world misbehaved before it:
// - every resource it last published equals what its endpoint answers now
//   (the time, which moves by itself, aside; a removed resource is not read);
// - after each logout, the memory it holds returns to what it held after the
//   first logout of the run.
// Requests answered never or twice are the scenario runner's own failures.
//
// Not for: making the moments (scenario_run.h calls Check through
// RunOptions::check).
//
//   Invariants invariants(host, run);
//   options.check = [&] { return invariants.Check(); };
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "host/plugin_host.h"
#include "standin/scenario_run.h"

namespace kiv::standin {

class Invariants {
 public:
  /// `host` and `run` must outlive this object.
  Invariants(host::PluginHost& host, const ScenarioRun& run) : host_(host), run_(run) {}

  /// The first invariant that does not hold, described; empty when all hold.
  std::string Check();

 private:
  std::string PublishedEqualsEndpoints();
  std::string MemoryFlatAfterLogout();

  host::PluginHost& host_;
  const ScenarioRun& run_;
  size_t logSeen_ = 0;
  bool loggedOut_ = false;
  bool logoutMeasured_ = true;
  std::optional<uint64_t> bytesAfterFirstLogout_;
};

}  // namespace kiv::standin
