// The plugin's GET endpoints answered through the real boundary: the real
// library in the substitute host, its cache holding 100 tournaments (each
// with the player's registered roster, its bracket and a pending invitation),
// the tournament service scripted behind the login stand-in. Cache-only
// endpoints and those that query the service are listed apart; run with
// --benchmark_repetitions=5 --benchmark_report_aggregates_only=true for
// medians.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "host/host_value_json.h"
#include "host/plugin_host.h"
#include "tests/plugin/joust_records.h"

namespace {

using kiv::host::HostRequest;
using kiv::host::PluginHost;
using kiv::host::ScriptedBackendService;
using kiv::host::ServiceReply;
using namespace kiv::testing;
using namespace kiv::testing::samples;

constexpr int kTournaments = 100;

std::vector<LCDS::TournamentInfoDTO> HundredTournaments() {
  std::vector<LCDS::TournamentInfoDTO> infos;
  for (int64_t id = 1; id <= kTournaments; ++id) {
    LCDS::RosterDTO roster = Roster(id, 1000 + id);
    roster.phases[0].bracketDTO = Bracket(id, 2000 + id, 1000 + id);
    LCDS::TournamentDTO cup = Cup(id);
    cup.rosterCreateDeadline = kNow + 60 * kMinute;
    infos.push_back({cup,
                     roster,
                     {},
                     std::nullopt,
                     {PendingRoster(id, "inv-" + std::to_string(id), 1, 45)},
                     0});
  }
  return infos;
}

struct World {
  ScriptedBackendService service;
  std::unique_ptr<PluginHost> host;
};

// One world for every benchmark, made on first use.
World& Joust() {
  static World world;
  static const bool ready = [] {
    World* created = &world;
    std::string error;
    created->host = PluginHost::Open(KIV_PLUGIN_PATH, &error);
    if (!created->host) {
      std::fprintf(stderr, "%s\n", error.c_str());
      std::abort();
    }
    PluginHost& host = *created->host;
    host.SetKeepHistory(false);
    const std::string minimal = MinimalInfo(HundredTournaments(), kNow + 10 * kMinute);
    created->service.Set("joust", "getTournamentInfoMinimal", ServiceReply::Ok(minimal));
    created->service.Set("joust", "ping", ServiceReply::Ok(R"("pong")"));
    created->service.Set("joust", "getRosterStats", ServiceReply::Ok(R"({"rosterId":1050})"));
    host.login().SetService(&created->service);
    host.Load({18, 0, 0});
    host.Initialize();
    host.login().SetSession(R"({"state":"SUCCEEDED","summonerId":42})");
    auto config = kiv::host::JsonToHostValue(
        R"({"Visibility":"Visible","EnabledState":"Enabled","IconConfig":"{}"})", nullptr);
    host.PublishResource("/kiv-platform-config/v1/namespaces/JoustConfig", "Create",
                         config->root());
    host.RunUntilIdle();
    return true;
  }();
  (void)ready;
  return world;
}

// The plugin's total allocations so far (its fourth counter).
uint64_t PluginAllocations(const PluginHost& host) {
  const auto words = host.MemoryStats();
  return uint64_t(words[6]) | uint64_t(words[7]) << 32;
}

void ServeGet(benchmark::State& state, const std::string& url) {
  PluginHost& host = *Joust().host;
  const uint64_t allocationsBefore = PluginAllocations(host);
  for (auto _ : state) {
    auto response = host.Request(HostRequest::Make(KIV_METHOD_GET, url));
    if (response.error) {
      state.SkipWithError(response.error->c_str());
      break;
    }
  }
  // Each of the plugin's allocations costs two atomic additions besides the
  // heap's own work, so their number is worth watching.
  state.counters["allocs"] =
      benchmark::Counter(static_cast<double>(PluginAllocations(host) - allocationsBefore),
                         benchmark::Counter::kAvgIterations);
}

const char* const kCacheOnly[] = {
    "/kiv-joust/v1/time",
    "/kiv-joust/v1/visible",
    "/kiv-joust/v1/enabled",
    "/kiv-joust/v1/ready",
    "/kiv-joust/v1/checkin-allowed",
    "/kiv-joust/v1/playmode-restricted",
    "/kiv-joust/v2/playmode-restricted",
    "/kiv-joust/v1/iconconfig",
    "/kiv-joust/v1/tournamentIds",
    "/kiv-joust/v1/tournament-summary",
    "/kiv-joust/v1/tournament/50",
    "/kiv-joust/v1/tournament/50/stateInfo",
    "/kiv-joust/v1/tournament-state-info",
    "/kiv-joust/v1/tournament/50/roster/1050",
    "/kiv-joust/v1/player",
    "/kiv-joust/v1/player/history",
    "/kiv-joust/v1/rewards",
    "/kiv-joust/v1/tournament/50/player",
    "/kiv-joust/v1/player/chat-rosters",
    "/kiv-joust/v1/invitations",
    "/kiv-joust/v1/tournament/50/invitations",
    "/kiv-joust/v1/tournament/50/bracket/2050",
    "/kiv-joust/v1/gameEnd",
    "/kiv-joust/v1/eogPlayerUpdate",
    "/kiv-joust/v1/notifications",
};

const char* const kQueries[] = {
    "/kiv-joust/v1/ping",
    "/kiv-joust/v1/roster/1050/stats",
};

const int kRegistered = [] {
  for (const char* url : kCacheOnly) {
    benchmark::RegisterBenchmark((std::string("cache GET ") + url).c_str(), ServeGet,
                                 std::string(url));
  }
  for (const char* url : kQueries) {
    benchmark::RegisterBenchmark((std::string("query GET ") + url).c_str(), ServeGet,
                                 std::string(url));
  }
  return 0;
}();

}  // namespace
