// Requests served end to end: the substitute host routes each request to the
// real probe library through the boundary. The echo of a 1 KB JSON body is
// measured beside a bare RapidJSON parse and compact write of the same text.
#include <benchmark/benchmark.h>
#include <rapidjson/document.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "host/plugin_host.h"

namespace {

using kiv::host::HostRequest;
using kiv::host::PluginHost;

PluginHost& Probe() {
  static std::unique_ptr<PluginHost> host = [] {
    std::string error;
    auto opened = PluginHost::Open(KIV_PROBE_PATH, &error, "load_kiv_probe");
    if (!opened) {
      std::fprintf(stderr, "%s\n", error.c_str());
      std::abort();
    }
    opened->Load({18, 0, 0});
    opened->Initialize();
    return opened;
  }();
  return *host;
}

// About 1 KB of roster-shaped JSON, the same on every run.
std::string KilobyteBody() {
  std::string body = R"({"tournamentId":1234567,"rosterName":"Team","members":[)";
  for (int i = 0; body.size() < 960; ++i) {
    if (i) body += ',';
    body += R"({"summonerId":)" + std::to_string(1000000 + i * 7919) +
            R"(,"position":"MIDDLE","ready":true,"bid":)" + std::to_string(i * 25) + "}";
  }
  return body + R"(],"version":42})";
}

void BM_GetArgsWithFourQueryArguments(benchmark::State& state) {
  PluginHost& host = Probe();
  for (auto _ : state) {
    auto response = host.Request(HostRequest::Make(
        KIV_METHOD_GET, "/kiv-probe/v1/args/123456?count=7&flag=true&ids=[1,2,3]&name=probe"));
    if (response.error) state.SkipWithError(response.error->c_str());
  }
}
BENCHMARK(BM_GetArgsWithFourQueryArguments);

void BM_PostEchoOfKilobyteJson(benchmark::State& state) {
  PluginHost& host = Probe();
  const std::string body = KilobyteBody();
  for (auto _ : state) {
    HostRequest request = HostRequest::Make(KIV_METHOD_POST, "/kiv-probe/v1/echo");
    request.body = body;
    request.contentType = "application/json";
    auto response = host.Request(std::move(request));
    if (response.error) state.SkipWithError(response.error->c_str());
  }
  state.SetBytesProcessed(state.iterations() * body.size());
}
BENCHMARK(BM_PostEchoOfKilobyteJson);

void BM_RapidJsonParseAndWriteOfKilobyteJson(benchmark::State& state) {
  const std::string body = KilobyteBody();
  for (auto _ : state) {
    rapidjson::Document document;
    document.Parse(body.c_str());
    rapidjson::StringBuffer buffer;
    rapidjson::Writer<rapidjson::StringBuffer> writer(buffer);
    document.Accept(writer);
    benchmark::DoNotOptimize(buffer.GetString());
  }
  state.SetBytesProcessed(state.iterations() * body.size());
}
BENCHMARK(BM_RapidJsonParseAndWriteOfKilobyteJson);

}  // namespace
