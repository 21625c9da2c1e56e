// kiv-host: loads a plugin library in the substitute host and either prints
// what it learns, sends it one request, or runs it until interrupted (and
// serves it over HTTP on loopback with --serve).
//
//   kiv-host [--library PATH] [--entry SYMBOL] [--host-version X.Y.Z]
//   kiv-host --request METHOD URL [--body FILE] [--content-type TYPE] [--header NAME:VALUE]...
//   kiv-host --run
//   kiv-host --serve [PORT] [--allow-origin ORIGIN] [--body-limit BYTES] [--run] [--record OUT]
//   kiv-host --scenario FILE [--virtual] [--speed N] [--seed N] [--serve [PORT]]
//            [--record OUT.jsonl] [--hold-at OFFSET]
//
// A scenario served over HTTP goes on serving after it ended, until
// interrupted; its exit status is still the scenario's.
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cinttypes>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "host/gateway/gateway.h"
#include "host/host_clock.h"
#include "host/host_value_json.h"
#include "host/library_beside.h"
#include "host/plugin_host.h"
#include "host/route_table.h"
#include "host/run_recorder.h"
#include "host/scenario_program.h"

namespace {

using kiv::host::HostRequest;
using kiv::host::HostResponse;
using kiv::host::PluginHost;
using kiv::host::gateway::Gateway;
using kiv::host::gateway::GatewayOptions;

constexpr char kUsage[] =
    "usage: kiv-host [--library PATH] [--entry SYMBOL] [--host-version X.Y.Z]\n"
    "                [--request METHOD URL [--body FILE] [--content-type TYPE]\n"
    "                 [--header NAME:VALUE]... | --run]\n"
    "                [--serve [PORT] [--allow-origin ORIGIN] [--body-limit BYTES]]\n"
    "                [--record OUT.jsonl]\n"
    "       kiv-host --scenario FILE [--virtual] [--speed N] [--seed N] [--serve [PORT]]\n"
    "                [--record OUT.jsonl] [--hold-at OFFSET]\n";

struct Options {
  std::string library;
  std::string entry = "load_kiv_joust";
  kiv::host::HostVersion version;
  bool run = false;
  bool serve = false;
  GatewayOptions gateway;
  std::optional<HostRequest> request;
  std::string bodyFile;
  kiv::host::ScenarioProgramOptions scenario;
  std::string recordFile;
};

std::atomic<bool> gStop{false};

// Longer than the HTTP server's idle limit for kept-alive connections (5 s).
constexpr int64_t kIdleConnectionLimitPassed = 10'000'000'000;

void OnSignal(int) {
  gStop.store(true);
  // A second signal ends the process even inside a plugin's endless wait.
  std::signal(SIGINT, SIG_DFL);
  std::signal(SIGTERM, SIG_DFL);
}

bool ParseVersion(const char* text, kiv::host::HostVersion& version) {
  return std::sscanf(text, "%u.%u.%u", &version.major, &version.minor, &version.patch) == 3;
}

// A whole decimal number in [min, max].
std::optional<uint64_t> ParseNumber(const char* text, uint64_t min, uint64_t max) {
  char* end = nullptr;
  errno = 0;
  const unsigned long long value = std::strtoull(text, &end, 10);
  if (errno || end == text || *end || text[0] == '-' || value < min || value > max) {
    return std::nullopt;
  }
  return value;
}

// Fills `options`; false (with a message printed) on a bad command line.
bool ParseOptions(int argc, char** argv, Options& options) {
  options.library = kiv::host::LibraryBesideExecutable("libvmk-be-kiv-joust.so");
  auto needs = [&](int i, int count) { return i + count < argc; };
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--library" && needs(i, 1)) {
      options.library = argv[++i];
    } else if (arg == "--entry" && needs(i, 1)) {
      options.entry = argv[++i];
    } else if (arg == "--host-version" && needs(i, 1)) {
      if (!ParseVersion(argv[++i], options.version)) {
        std::fprintf(stderr, "kiv-host: bad version %s (expected X.Y.Z)\n", argv[i]);
        return false;
      }
    } else if (arg == "--scenario" && needs(i, 1)) {
      options.scenario.file = argv[++i];
    } else if (arg == "--virtual") {
      options.scenario.virtualTime = true;
    } else if (arg == "--speed" && needs(i, 1)) {
      char* end = nullptr;
      const double speed = std::strtod(argv[++i], &end);
      if (end == argv[i] || *end || !(speed >= 1 && speed <= 1e6)) {
        std::fprintf(stderr, "kiv-host: bad speed %s (1 to 1000000)\n", argv[i]);
        return false;
      }
      options.scenario.speed = speed;
    } else if (arg == "--seed" && needs(i, 1)) {
      const auto seed = ParseNumber(argv[++i], 0, UINT64_MAX);
      if (!seed) {
        std::fprintf(stderr, "kiv-host: bad seed %s\n", argv[i]);
        return false;
      }
      options.scenario.seed = *seed;
    } else if (arg == "--record" && needs(i, 1)) {
      options.recordFile = argv[++i];
    } else if (arg == "--hold-at" && needs(i, 1)) {
      options.scenario.holdAt = argv[++i];
    } else if (arg == "--run") {
      options.run = true;
    } else if (arg == "--serve") {
      options.serve = true;
      // An optional port follows; a free one is picked without it.
      if (needs(i, 1) && argv[i + 1][0] != '-') {
        const auto port = ParseNumber(argv[++i], 1, 65535);
        if (!port) {
          std::fprintf(stderr, "kiv-host: bad port %s\n", argv[i]);
          return false;
        }
        options.gateway.port = static_cast<uint16_t>(*port);
      }
    } else if (arg == "--allow-origin" && needs(i, 1)) {
      options.gateway.allowOrigin = argv[++i];
    } else if (arg == "--body-limit" && needs(i, 1)) {
      // Up to 4 GiB, and no more than a size_t holds (4 GiB would become 0 on i386).
      const auto limit = ParseNumber(argv[++i], 1, std::min<uint64_t>(uint64_t{1} << 32, SIZE_MAX));
      if (!limit) {
        std::fprintf(stderr, "kiv-host: bad body limit %s (bytes)\n", argv[i]);
        return false;
      }
      options.gateway.bodyLimit = static_cast<size_t>(*limit);
    } else if (arg == "--request" && needs(i, 2)) {
      const std::string method = argv[++i];
      options.request = HostRequest::Make(kiv::host::MethodCode(method), argv[++i]);
      if (options.request->method == KIV_METHOD_CUSTOM) options.request->customMethod = method;
    } else if (arg == "--body" && needs(i, 1)) {
      options.bodyFile = argv[++i];
    } else if (arg == "--content-type" && needs(i, 1) && options.request) {
      options.request->contentType = argv[++i];
    } else if (arg == "--header" && needs(i, 1) && options.request) {
      const std::string header = argv[++i];
      const size_t colon = header.find(':');
      if (colon == std::string::npos) {
        std::fprintf(stderr, "kiv-host: bad header %s (expected NAME:VALUE)\n", header.c_str());
        return false;
      }
      options.request->headers.emplace_back(header.substr(0, colon), header.substr(colon + 1));
    } else {
      std::fputs(kUsage, stderr);
      return false;
    }
  }
  const bool scenarioOnly = options.scenario.virtualTime || options.scenario.speed ||
                            options.scenario.seed || !options.scenario.holdAt.empty();
  if (options.scenario.file.empty() && scenarioOnly) {
    std::fputs("kiv-host: --virtual, --speed, --seed and --hold-at need --scenario\n", stderr);
    return false;
  }
  if (!options.scenario.holdAt.empty() && !options.serve) {
    std::fputs("kiv-host: --hold-at needs --serve (a held run is resumed over HTTP)\n", stderr);
    return false;
  }
  const bool runs = !options.scenario.file.empty() || options.run || options.serve;
  if (!options.recordFile.empty() && (options.request || !runs)) {
    std::fputs("kiv-host: --record needs --scenario, --run or --serve\n", stderr);
    return false;
  }
  if (!options.scenario.file.empty() && (options.request || options.run)) {
    std::fputs("kiv-host: --scenario excludes --request and --run\n", stderr);
    return false;
  }
  if ((options.run || options.serve) && options.request) {
    std::fputs("kiv-host: --run and --serve exclude --request\n", stderr);
    return false;
  }
  if (!options.bodyFile.empty()) {
    if (!options.request) {
      std::fputs("kiv-host: --body needs --request\n", stderr);
      return false;
    }
    std::ifstream file(options.bodyFile, std::ios::binary);
    if (!file) {
      std::fprintf(stderr, "kiv-host: cannot read %s\n", options.bodyFile.c_str());
      return false;
    }
    std::ostringstream bytes;
    bytes << file.rdbuf();
    options.request->body = bytes.str();
    if (options.request->contentType.empty()) options.request->contentType = "application/json";
  }
  return true;
}

void PrintMemory(const PluginHost& host, const char* when) {
  const auto words = host.MemoryStats();
  auto counter = [&](int i) { return uint64_t(words[2 * i]) | uint64_t(words[2 * i + 1]) << 32; };
  std::printf("memory %s: peak bytes %" PRIu64 ", allocations at peak %" PRIu64
              ", bytes allocated %" PRIu64 ", allocations %" PRIu64 ", bytes freed %" PRIu64
              ", frees %" PRIu64 "\n",
              when, counter(0), counter(1), counter(2), counter(3), counter(4), counter(5));
}

void PrintLog(const PluginHost& host) {
  for (const auto& line : host.logLines()) {
    std::printf("log [%d] %s\n", line.level, line.message.c_str());
  }
}

int Describe(PluginHost& host, const std::string& library) {
  const PluginLoadRecord& record = host.record();
  std::printf("library: %s\n", library.c_str());
  std::printf("name: vmk-be-%s\n", record.shortName);
  std::printf("short name: %s\n", record.shortName);
  std::printf("plugin API: %u.%u.%u\n", record.major, record.minor, record.patch);
  std::printf("endpoints: %u, types: %u, events: %u\n", record.api->functionCount,
              record.api->typeCount, record.api->eventCount);
  const bool started = host.Initialize();
  std::printf("initialized: %s\n", started ? "yes" : "no");
  PrintMemory(host, "after Initialize");
  host.Shutdown();
  PrintLog(host);
  return started ? 0 : 1;
}

int SendOne(PluginHost& host, HostRequest request) {
  if (!host.Initialize()) {
    PrintLog(host);
    std::fputs("kiv-host: the plugin did not start\n", stderr);
    return 1;
  }
  host.RunUntilIdle();  // start-up reads and the events they cause
  const HostResponse response = host.Request(std::move(request));
  std::printf("status: %u\n", response.FinalStatus());
  if (response.error) {
    std::printf("error: %s\n", response.error->c_str());
  } else if (response.streamed) {
    std::printf("%s\n", response.streamed->c_str());
    if (response.streamError) std::printf("stream error: %s\n", response.streamError->c_str());
  } else {
    std::printf(
        "%s\n",
        kiv::host::HostValueToJson(response.body.root(), kiv::host::JsonStyle::kPretty).c_str());
  }
  host.Shutdown();
  return response.error ? 1 : 0;
}

// The real-time loop of --run and --serve: runs the plugin's work as it comes
// (this thread is the host's dispatch thread) until SIGINT or SIGTERM, and
// prints log lines as they come. With --run, published events are printed
// too; with --serve, the gateway serves HTTP meanwhile. Nothing is kept beyond what is printed, so
// memory stays flat however long it runs.
int RunUntilInterrupted(PluginHost& host, Options& options, kiv::host::RunRecorder* recorder) {
  std::signal(SIGINT, OnSignal);
  std::signal(SIGTERM, OnSignal);
  host.SetKeepHistory(false);
  std::unique_ptr<Gateway> gateway;
  if (recorder) {
    recorder->Start("serve", "", false);
    options.gateway.onAnswered = [recorder](const HostRequest& request,
                                            const HostResponse& response) {
      recorder->Request(request, response);
    };
  }
  const bool print = options.run;
  // Log lines are printed either way: nothing else keeps them.
  host.SetLogObserver([](const kiv::host::LogLine& line) {
    std::printf("log [%d] %s\n", line.level, line.message.c_str());
    std::fflush(stdout);
  });
  host.SetEventObserver([print, &gateway, recorder](const kiv::host::PublishedEvent& event) {
    if (recorder) recorder->Publication(event);
    if (print) {
      std::printf("event %s %s\n", event.name.c_str(),
                  kiv::host::HostValueToJson(event.body.root()).c_str());
      std::fflush(stdout);
    }
    if (gateway) gateway->Publish(event);
  });
  if (!host.Initialize()) {
    std::fputs("kiv-host: the plugin did not start\n", stderr);
    return 1;
  }
  if (options.serve) {
    host.RunUntilIdle();  // start-up reads and the events they cause
    std::string error;
    gateway = Gateway::Start(host, std::move(options.gateway), &error);
    if (!gateway) {
      std::fprintf(stderr, "kiv-host: %s\n", error.c_str());
      host.Shutdown();
      return 1;
    }
    // The one place the token is shown: whoever reads this line may use the gateway.
    std::printf("gateway: %s\n", gateway->StartUrl().c_str());
  }
  if (print) std::printf("running; interrupt to stop\n");
  std::fflush(stdout);
  host.RunUntilStopped(gStop);
  if (print) std::printf("stopping\n");
  if (gateway) gateway->Stop();
  host.Shutdown();
  if (recorder) recorder->End(0);
  return 0;
}

// A scenario run (real time, or --virtual), optionally served over HTTP
// meanwhile and then until interrupted, optionally recorded; SIGINT or
// SIGTERM ends a real-time run early.
int RunScenario(PluginHost& host, Options& options, kiv::host::RunRecorder* recorder) {
  std::signal(SIGINT, OnSignal);
  std::signal(SIGTERM, OnSignal);
  std::unique_ptr<Gateway> gateway;
  std::atomic<bool> resume{false};
  kiv::host::ScenarioProgramOptions& scenario = options.scenario;
  scenario.stop = &gStop;
  if (recorder) {
    scenario.clockReady = [recorder, &scenario](std::function<int64_t()> nowMs) {
      recorder->SetClock(std::move(nowMs));
      recorder->Start("scenario", scenario.file, scenario.virtualTime);
    };
    scenario.onLine = [recorder](const std::string& line) { recorder->ScenarioLine(line); };
    scenario.onAnswer = [recorder](const HostRequest& request, const HostResponse& response) {
      recorder->Request(request, response);
    };
    options.gateway.onAnswered = [recorder](const HostRequest& request,
                                            const HostResponse& response) {
      recorder->Request(request, response);
    };
  }
  if (!scenario.holdAt.empty()) {
    scenario.resume = &resume;
    options.gateway.resume = [&resume, &host] {
      resume.store(true);
      host.PostFromAnyThread("resume", [] {});  // wakes the held run
    };
  }
  if (options.serve) {
    scenario.started = [&host, &options, &gateway] {
      std::string error;
      gateway = Gateway::Start(host, std::move(options.gateway), &error);
      if (!gateway) {
        std::fprintf(stderr, "kiv-host: %s\n", error.c_str());
        return false;
      }
      std::printf("gateway: %s\n", gateway->StartUrl().c_str());
      return true;
    };
    scenario.finished = [&host, &gateway, recorder] {
      if (!gateway || gStop.load()) return;
      // The page stays up for whoever watches; the world still answers.
      host.SetEventObserver([&gateway, recorder](const kiv::host::PublishedEvent& event) {
        if (recorder) recorder->Publication(event);
        gateway->Publish(event);
      });
      std::printf("scenario over; serving until interrupted\n");
      std::fflush(stdout);
      host.RunUntilStopped(gStop);
    };
  }
  scenario.onEvent = [&gateway, recorder](const kiv::host::PublishedEvent& event) {
    if (recorder) recorder->Publication(event);
    if (gateway) gateway->Publish(event);
  };
  const int status = kiv::host::RunScenarioProgram(host, scenario);
  if (gateway) {
    // The HTTP server times idle kept-alive connections out on the process's
    // monotonic clock, which is the run's virtual clock: standing still (held,
    // or after the scenario) it would keep them open for ever. Moving it past
    // their idle limit lets them close, so stopping does not wait on a browser.
    kiv::host::AdvanceVirtualClock(kIdleConnectionLimitPassed);
    gateway->Stop();
  }
  host.Shutdown();
  if (recorder) recorder->End(status);
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!ParseOptions(argc, argv, options)) return 2;

  std::string error;
  auto host = PluginHost::Open(options.library, &error, options.entry);
  if (!host) {
    std::fprintf(stderr, "kiv-host: %s\n", error.c_str());
    return 1;
  }
  host->Load(options.version);
  if (options.request) return SendOne(*host, std::move(*options.request));
  std::unique_ptr<kiv::host::RunRecorder> recorder;
  if (!options.recordFile.empty()) {
    recorder = kiv::host::RunRecorder::Open(options.recordFile, &error);
    if (!recorder) {
      std::fprintf(stderr, "kiv-host: %s\n", error.c_str());
      return 1;
    }
  }
  if (!options.scenario.file.empty()) return RunScenario(*host, options, recorder.get());
  if (options.run || options.serve) return RunUntilInterrupted(*host, options, recorder.get());
  return Describe(*host, options.library);
}
