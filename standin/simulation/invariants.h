// invariants.h: what must hold of the plugin at every quiet moment of a run,
// however the world misbehaved before it: every resource it last published
// equals what its endpoint answers now (the time, which moves by itself,
// aside; a resource that went away is published as its endpoint's failure);
// a roster published at its own path is never an older version than the one
// published there before (version_stamp.h: the icon colour tells the version;
// a roster the plugin removed may come back at any version); and the plugin
// logged no broken bookkeeping of its own (a timer of a tournament it no
// longer holds); and a resource never published, or published as removed,
// answers what an interface following the events knows (client_view.h).
// And once a run is over: logging out and in again leaves the plugin holding
// the same memory each time.
// Requests answered never or twice are the scenario runner's own failures.
//
// Not for: making the moments (scenario_run.h calls Check through
// RunOptions::check).
//
//   Invariants invariants(host, run);
//   run.SetCheck([&] { return invariants.Check(); });
//   run.Run();
//   std::string leak = MemoryFlatAcrossLogins(host, scenario.player);
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>

#include "host/plugin_host.h"
#include "standin/scenario/scenario_run.h"
#include "standin/simulation/client_view.h"

namespace kiv::standin {

class Invariants {
 public:
  /// `host` and `run` must outlive this object.
  /// Before the run starts (the interface's first reads happen here).
  Invariants(host::PluginHost& host, const ScenarioRun& run)
      : host_(host), run_(run), client_(host) {}

  /// The first invariant that does not hold, described; empty when all hold.
  std::string Check();
  /// Takes each log line of the plugin as it arrives (a broken bookkeeping
  /// line fails the next Check).
  void Observe(const host::LogLine& line);

 private:
  std::string CheckEndpoints(const ClientView::Published& published);
  std::string CheckRosterVersions(const ClientView::Published& published);

  host::PluginHost& host_;
  const ScenarioRun& run_;
  ClientView client_;
  std::string brokenBookkeeping_;
  struct RosterWatch {
    size_t consumed = 0;             // values of the path checked so far
    std::optional<int64_t> version;  // the last one's, unless it went away since
  };
  std::map<std::string, RosterWatch, std::less<>> rosterWatches_;
};

/// Logs the player out and in `cycles` times on the quiet host, and
/// describes the growth when the memory the plugin holds after a logout
/// grows from the second logout on (the cache keeps every tournament it has
/// seen, so only a world that stands still shows a leak; the first cycle
/// may size the cache's containers once).
std::string MemoryFlatAcrossLogins(host::PluginHost& host, uint64_t player, int cycles = 5);

}  // namespace kiv::standin
