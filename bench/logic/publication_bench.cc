// The publication pass over a cache of 100 tournaments, each with sixteen
// cached rosters (the player's own and fifteen it substitutes in) and a
// sixteen-roster bracket, in process against a host that only counts events:
// with nothing marked, one tournament marked and every tournament marked.
// Marking is part of each iteration (a handful of set inserts). The counted
// bytes the cache holds are reported as the counter "cache_bytes".
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <string>

#include "joust/logic/cache.h"
#include "joust/logic/joust_plugin.h"
#include "kiv_plugin_abi.h"
#include "sdk/memory/memory_stats.h"
#include "tests/plugin/joust_records.h"

namespace {

using namespace kiv::joust;
using namespace kiv::testing::samples;

constexpr int64_t kTournaments = 100;
constexpr int64_t kRostersEach = 16;

// A host that answers every request with 404 and counts events.
struct CountingHost {
  HostApi api{};
  HostContext context{&api, nullptr};
  uint64_t events = 0;

  CountingHost() {
    api.SendRequest = [](HostApi*, ResponseRecord* response, const RequestRecord*) {
      response->status = 404;
      response->release = [](ResponseRecord*) {};
    };
    api.DispatchEvent = [](HostApi* self, const EventRecord*) {
      ++reinterpret_cast<CountingHost*>(self)->events;
    };
    api.AddEventListener = [](HostApi*, const char*, void*, EventCallback, void*, uint32_t) {};
    api.RemoveEventListener = [](HostApi*, const char*, void*) {};
    api.ScheduleCallback = [](HostApi*, const char*, void (*)(void*), void*, double, uint32_t) {};
    api.PumpOnce = [](HostApi*) {};
    api.BeginWait = [](HostApi*, const char*, uint32_t) {};
    api.EndWait = [](HostApi*) {};
    api.WriteLog = [](HostApi*, int32_t, const char*) {};
  }
};

int64_t RosterId(int64_t tournamentId, int64_t index) { return tournamentId * 100 + index; }

// Sixteen rosters in four rounds of a single-elimination bracket.
LCDS::Bracket SixteenRosterBracket(int64_t tournamentId) {
  LCDS::Bracket bracket = Bracket(tournamentId, 10'000 + tournamentId, RosterId(tournamentId, 0));
  bracket.size = kRostersEach;
  bracket.matches.clear();
  bracket.rosters.clear();
  for (int64_t index = 0; index < kRostersEach; ++index) {
    const int64_t id = RosterId(tournamentId, index);
    bracket.rosters.push_back({id, "Roster " + std::to_string(index), "R", 1, 2});
  }
  int32_t order = 0;
  for (int32_t round = 1, matches = kRostersEach / 2; matches > 0; ++round, matches /= 2) {
    for (int32_t match = 0; match < matches; ++match) {
      const bool first = round == 1;
      bracket.matches.push_back({round, ++order, 0, first ? RosterId(tournamentId, 2 * match) : -1,
                                 first ? RosterId(tournamentId, 2 * match + 1) : -1,
                                 kNow + round * 30 * kMinute, -1,
                                 LCDS::ClientBracketMatchStatus::kUpcoming, -1, -1, false});
    }
  }
  return bracket;
}

// The player's information: each tournament with the player's roster in it
// and its bracket.
std::vector<LCDS::TournamentInfoDTO> PlayerInformation() {
  std::vector<LCDS::TournamentInfoDTO> infos(kTournaments);
  for (int64_t id = 1; id <= kTournaments; ++id) {
    LCDS::TournamentInfoDTO& info = infos[id - 1];
    info.tournament = Cup(id);
    info.roster = Roster(id, RosterId(id, 0));
    info.roster->phases[0].bracketDTO = SixteenRosterBracket(id);
  }
  return infos;
}

struct Fixture {
  CountingHost host;
  std::unique_ptr<JoustPlugin> plugin;
  uint64_t cacheBytes = 0;

  Fixture() {
    plugin = std::make_unique<JoustPlugin>();
    PluginLoadRecord record{18, 0, 0, nullptr, nullptr, nullptr, nullptr};
    plugin->Load(record, kJoustShortName);
    plugin->Initialize(host.context);
    const uint64_t before = BytesInUse();
    JoustPluginState& state = plugin->state();
    state.session.summonerId = kPlayer;
    plugin->SyncServerClock(kNow);
    state.cache.Replace(PlayerInformation(), plugin->ServerNow(), kPlayer);
    for (int64_t id = 1; id <= kTournaments; ++id) {
      // The rosters the player substitutes in, cached as registered rosters.
      for (int64_t index = 1; index < kRostersEach; ++index) {
        state.cache.SetHomeRoster(Roster(id, RosterId(id, index)));
      }
      MarkAll(id);
    }
    plugin->RunPublicationPass();
    cacheBytes = BytesInUse() - before;
  }

  static uint64_t BytesInUse() {
    const kiv::MemoryStats stats = kiv::ReadMemoryStats();
    return stats.totalBytesAllocated - stats.totalBytesFreed;
  }

  // Marks every resource of tournament `id` for the next pass.
  void MarkAll(int64_t id) {
    JoustChangeSet& changes = *plugin->state().changes;
    changes.tournaments.Insert(id);
  }
};

Fixture& World() {
  static Fixture fixture;
  return fixture;
}

uint64_t Allocations() { return kiv::ReadMemoryStats().totalAllocations; }

// Events and allocations per pass: each allocation costs two atomic additions
// besides the heap's own work, so their number is worth watching.
void ReportEvents(benchmark::State& state, uint64_t before, uint64_t allocationsBefore) {
  Fixture& world = World();
  const auto perPass = [&state](uint64_t count) {
    return static_cast<double>(count) / static_cast<double>(state.iterations());
  };
  state.counters["events_per_pass"] = perPass(world.host.events - before);
  state.counters["allocs_per_pass"] = perPass(Allocations() - allocationsBefore);
  state.counters["cache_bytes"] = static_cast<double>(world.cacheBytes);
}

void BM_PassNothingDirty(benchmark::State& state) {
  Fixture& world = World();
  const uint64_t before = world.host.events;
  const uint64_t allocationsBefore = Allocations();
  for (auto _ : state) world.plugin->RunPublicationPass();
  ReportEvents(state, before, allocationsBefore);
}
BENCHMARK(BM_PassNothingDirty);

void BM_PassOneTournamentDirty(benchmark::State& state) {
  Fixture& world = World();
  const uint64_t before = world.host.events;
  const uint64_t allocationsBefore = Allocations();
  int64_t id = 0;
  for (auto _ : state) {
    world.MarkAll(id % kTournaments + 1);
    ++id;
    world.plugin->RunPublicationPass();
  }
  ReportEvents(state, before, allocationsBefore);
}
BENCHMARK(BM_PassOneTournamentDirty);

void BM_PassAllDirty(benchmark::State& state) {
  Fixture& world = World();
  const uint64_t before = world.host.events;
  const uint64_t allocationsBefore = Allocations();
  for (auto _ : state) {
    for (int64_t id = 1; id <= kTournaments; ++id) world.MarkAll(id);
    world.plugin->RunPublicationPass();
  }
  ReportEvents(state, before, allocationsBefore);
}
BENCHMARK(BM_PassAllDirty)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
