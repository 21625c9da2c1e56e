// Matching a request path against one parameterised route, and against the
// plugin-sized table of similar routes.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "kiv_plugin_abi.h"
#include "sdk/rest/route_index.h"
#include "sdk/rest/route_match.h"

namespace {

void BM_MatchOneParameterisedRoute(benchmark::State& state) {
  const kiv::Route routes[] = {
      kiv::MakeRoute(KIV_METHOD_POST, "", "/kiv-joust/v1/tournament/{tournamentId}/roster/kick")};
  kiv::RouteMatch match;
  for (auto _ : state) {
    const bool found = kiv::Match(routes, KIV_METHOD_POST, "",
                                  "/kiv-joust/v1/tournament/1234567/roster/kick", false, &match);
    benchmark::DoNotOptimize(found);
  }
}
BENCHMARK(BM_MatchOneParameterisedRoute);

void BM_MatchAmongSixtyFourRoutes(benchmark::State& state) {
  std::vector<kiv::Route> routes;
  for (int i = 0; i < 63; ++i) {
    routes.push_back(kiv::MakeRoute(
        KIV_METHOD_GET, "", "/kiv-joust/v1/tournament/{tournamentId}/r" + std::to_string(i)));
  }
  routes.push_back(kiv::MakeRoute(KIV_METHOD_GET, "", "/kiv-joust/v1/enabled"));
  const kiv::RouteIndex index(routes);
  kiv::RouteMatch match;
  for (auto _ : state) {
    const bool found = index.Find(KIV_METHOD_GET, "", "/kiv-joust/v1/tournament/77/r62", &match);
    benchmark::DoNotOptimize(found);
  }
}
BENCHMARK(BM_MatchAmongSixtyFourRoutes);

}  // namespace
