// The gateway under load: 100,000 GET requests from 32 keep-alive
// connections against a cheap probe endpoint that answers from state it
// holds, beside cpp-httplib serving the same answer as a fixed string from
// the same machine in the same run. Reports requests per second, latency
// percentiles, and the plugin's and the process's memory after 10,000 and
// after 100,000 gateway requests. Then, against the same gateway, the
// phases with misbehaving clients (hostile_phases.h): a request's time with
// 1,000 idle and half-sent connections open, the time to a 413 for a
// declared 100 MB body, and 200 slow event readers beside publication and
// another client.
//
// Loopback only; every phase is bounded in count and stops by itself after
// two minutes at most.
//
//   build/bench/gateway/gateway_load
#include <benchmark/benchmark.h>
#include <httplib.h>
#include <malloc.h>
#include <sys/resource.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <future>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "bench/gateway/hostile_phases.h"
#include "host/gateway/gateway.h"
#include "host/plugin_host.h"

namespace {

using kiv::host::PluginHost;
using kiv::host::gateway::Gateway;
using kiv::host::gateway::GatewayOptions;
using Clock = std::chrono::steady_clock;

constexpr size_t kRequests = 100'000;
constexpr size_t kFirstMark = 10'000;
constexpr size_t kConnections = 32;
constexpr size_t kWarmUp = 2'000;
constexpr int kRounds = 5;
constexpr size_t kServerThreads = 64;
constexpr auto kPhaseLimit = std::chrono::minutes(2);
constexpr char kTarget[] = "/kiv-probe/v1/runtime/seen";
constexpr char kFixedTarget[] = "/fixed";

[[noreturn]] void Fail(const std::string& message) {
  std::fprintf(stderr, "gateway_load: %s\n", message.c_str());
  std::exit(1);
}

// Keep-alive clients, one per connection, each driven by its own thread.
class Load {
 public:
  Load(uint16_t port, std::string target, const std::string& token) : target_(std::move(target)) {
    for (size_t i = 0; i < kConnections; ++i) {
      auto client = std::make_unique<httplib::Client>("127.0.0.1", port);
      client->set_keep_alive(true);
      client->set_tcp_nodelay(true);
      if (!token.empty()) client->set_bearer_token_auth(token.c_str());
      clients_.push_back(std::move(client));
    }
  }

  // Sends `count` requests spread over the connections; latencies in
  // microseconds are appended to `latencies`. Returns the wall time.
  double Run(size_t count, std::vector<double>* latencies) {
    std::vector<std::vector<double>> perThread(kConnections);
    std::vector<std::thread> threads;
    const auto start = Clock::now();
    const auto deadline = start + kPhaseLimit;
    for (size_t t = 0; t < kConnections; ++t) {
      const size_t share = count / kConnections + (t < count % kConnections ? 1 : 0);
      threads.emplace_back([this, t, share, deadline, &perThread] {
        perThread[t].reserve(share);
        for (size_t i = 0; i < share && Clock::now() < deadline; ++i) {
          const auto sent = Clock::now();
          const auto answer = clients_[t]->Get(target_.c_str());
          const auto received = Clock::now();
          if (!answer || answer->status != 200) {
            failures_.fetch_add(1);
            continue;
          }
          perThread[t].push_back(
              std::chrono::duration<double, std::micro>(received - sent).count());
        }
      });
    }
    for (auto& thread : threads) thread.join();
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    if (latencies) {
      for (const auto& part : perThread)
        latencies->insert(latencies->end(), part.begin(), part.end());
    }
    return seconds;
  }
  size_t failures() const { return failures_.load(); }

 private:
  std::string target_;
  std::vector<std::unique_ptr<httplib::Client>> clients_;
  std::atomic<size_t> failures_{0};
};

// CPU seconds the whole process has used (every thread, user and system).
double ProcessCpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

double Percentile(std::vector<double> values, double fraction) {
  if (values.empty()) return 0;
  const size_t index = std::min(values.size() - 1, static_cast<size_t>(fraction * values.size()));
  std::nth_element(values.begin(), values.begin() + index, values.end());
  return values[index];
}

struct Memory {
  int64_t pluginLiveBytes = 0;
  int64_t pluginLiveAllocations = 0;
  int64_t heapInUseBytes = 0;  // the whole process: host, plugin, servers and clients
  int64_t rssKilobytes = 0;
};

struct Figures {
  double requestsPerSecond = 0;
  double p50 = 0;
  double p90 = 0;
  double p99 = 0;
  double cpuMicrosecondsPerRequest = 0;  // client and server together
  size_t requests = 0;
  size_t failures = 0;
  Memory atFirstMark;
  Memory atEnd;
};

// The probe, its dispatch thread, the gateway, and the reference server.
class Environment {
 public:
  Environment() {
    std::string error;
    host_ = PluginHost::Open(KIV_PROBE_PATH, &error, "load_kiv_probe");
    if (!host_) Fail(error);
    host_->Load({});
    if (!host_->Initialize()) Fail("the probe did not start");
    host_->RunUntilIdle();
    host_->SetKeepHistory(false);
    GatewayOptions options;
    options.threads = kServerThreads;
    // Room for the crowd phase's 1,000 connections beside the load's.
    options.maxConnections = 2048;
    gateway_ = Gateway::Start(*host_, options, &error);
    if (!gateway_) Fail(error);
    host_->SetEventObserver(
        [this](const kiv::host::PublishedEvent& event) { gateway_->Publish(event); });
    dispatch_ = std::thread([this] { host_->RunUntilStopped(stop_); });

    httplib::Client probe("127.0.0.1", gateway_->port());
    probe.set_bearer_token_auth(gateway_->token().c_str());
    const auto answer = probe.Get(kTarget);
    if (!answer || answer->status != 200)
      Fail("the gateway does not answer " + std::string(kTarget));
    fixedBody_ = answer->body;

    // The reference: the same library, threads and connection settings,
    // answering the same bytes without any work behind them.
    reference_.new_task_queue = [] {
      return std::make_unique<httplib::ThreadPool>(kServerThreads).release();
    };
    reference_.set_keep_alive_max_count(100'000);
    reference_.set_tcp_nodelay(true);
    reference_.Get(kFixedTarget, [this](const httplib::Request&, httplib::Response& response) {
      response.set_content(fixedBody_, "application/json");
    });
    referencePort_ = reference_.bind_to_any_port("127.0.0.1");
    if (referencePort_ <= 0) Fail("cannot bind the reference server");
    referenceThread_ = std::thread([this] { reference_.listen_after_bind(); });
    while (!reference_.is_running()) std::this_thread::yield();
  }

  ~Environment() {
    reference_.stop();
    referenceThread_.join();
    gateway_->Stop();
    stop_ = true;
    host_->PostFromAnyThread("stop", [] {});
    dispatch_.join();
    host_->Shutdown();
  }

  Memory MeasureMemory() {
    std::promise<std::array<uint32_t, 14>> words;
    host_->PostFromAnyThread("memory", [&] { words.set_value(host_->MemoryStats()); });
    const auto stats = words.get_future().get();
    auto counter = [&](int i) {
      return int64_t(uint64_t(stats[2 * i]) | uint64_t(stats[2 * i + 1]) << 32);
    };
    Memory memory;
    memory.pluginLiveBytes = counter(2) - counter(4);
    memory.pluginLiveAllocations = counter(3) - counter(5);
    const struct mallinfo2 heap = mallinfo2();
    memory.heapInUseBytes = int64_t(heap.uordblks + heap.hblkhd);
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
      if (line.rfind("VmRSS:", 0) == 0) memory.rssKilobytes = std::atoll(line.c_str() + 6);
    }
    return memory;
  }

  uint16_t gatewayPort() const { return gateway_->port(); }
  Gateway& gateway() { return *gateway_; }
  const std::string& token() const { return gateway_->token(); }
  uint16_t referencePort() const { return static_cast<uint16_t>(referencePort_); }

 private:
  std::unique_ptr<PluginHost> host_;
  std::unique_ptr<Gateway> gateway_;
  std::atomic<bool> stop_{false};
  std::thread dispatch_;
  std::string fixedBody_;
  httplib::Server reference_;
  int referencePort_ = -1;
  std::thread referenceThread_;
};

Environment& Env() {
  static Environment environment;
  return environment;
}

// Connections stay open across rounds while the servers keep them.
Load& ReferenceLoad() {
  static Load load(Env().referencePort(), kFixedTarget, "");
  return load;
}
Load& GatewayLoad() {
  static Load load(Env().gatewayPort(), kTarget, Env().token());
  return load;
}

struct Round {
  Figures reference;
  Figures gateway;
};
std::vector<Round> gRounds(kRounds);

// One round of kRequests on `load`; with `env`, the memory is read after the
// first kFirstMark requests and at the end.
Figures Measure(Load& load, Environment* env) {
  // Each server is warmed up again right before it is measured: one that
  // sat idle through the other's round has let its connections lapse.
  load.Run(kWarmUp, nullptr);
  Figures figures;
  std::vector<double> latencies;
  latencies.reserve(kRequests);  // so the measurement's own data does not grow between the marks
  const size_t failuresBefore = load.failures();
  double cpu = ProcessCpuSeconds();
  double seconds = load.Run(kFirstMark, &latencies);
  cpu = ProcessCpuSeconds() - cpu;
  if (env) figures.atFirstMark = env->MeasureMemory();
  const double resumed = ProcessCpuSeconds();
  seconds += load.Run(kRequests - kFirstMark, &latencies);
  cpu += ProcessCpuSeconds() - resumed;
  if (env) figures.atEnd = env->MeasureMemory();
  figures.requests = latencies.size();
  figures.failures = load.failures() - failuresBefore;
  figures.requestsPerSecond = latencies.size() / seconds;
  figures.cpuMicrosecondsPerRequest = cpu * 1e6 / kRequests;
  figures.p50 = Percentile(latencies, 0.50);
  figures.p90 = Percentile(latencies, 0.90);
  figures.p99 = Percentile(latencies, 0.99);
  return figures;
}

void Report(benchmark::State& state, const Figures& figures) {
  state.counters["req_per_s"] = figures.requestsPerSecond;
  state.counters["p50_us"] = figures.p50;
  state.counters["p99_us"] = figures.p99;
  state.counters["cpu_us_per_req"] = figures.cpuMicrosecondsPerRequest;
  state.counters["failures"] = static_cast<double>(figures.failures);
}

void FixedStringServer(benchmark::State& state, int round) {
  Load& load = ReferenceLoad();
  for (auto _ : state) gRounds[round].reference = Measure(load, nullptr);
  Report(state, gRounds[round].reference);
}

void GatewayCachedGet(benchmark::State& state, int round) {
  Load& load = GatewayLoad();
  for (auto _ : state) gRounds[round].gateway = Measure(load, &Env());
  const Figures& figures = gRounds[round].gateway;
  Report(state, figures);
  state.counters["plugin_bytes_10k"] = static_cast<double>(figures.atFirstMark.pluginLiveBytes);
  state.counters["plugin_bytes_100k"] = static_cast<double>(figures.atEnd.pluginLiveBytes);
  state.counters["heap_bytes_10k"] = static_cast<double>(figures.atFirstMark.heapInUseBytes);
  state.counters["heap_bytes_100k"] = static_cast<double>(figures.atEnd.heapInUseBytes);
}

void PrintMemory(const char* when, const Memory& memory) {
  std::printf("    %-24s plugin live %" PRId64 " bytes in %" PRId64
              " allocations; process heap in use %" PRId64 " bytes; RSS %" PRId64 " kB\n",
              when, memory.pluginLiveBytes, memory.pluginLiveAllocations, memory.heapInUseBytes,
              memory.rssKilobytes);
}

void PrintFigures(const char* who, const Figures& figures) {
  std::printf(
      "  %-13s %6.0f requests/s, p50 %5.0f us, p90 %5.0f us, p99 %5.0f us, CPU %5.1f us/request, "
      "%zu failed\n",
      who, figures.requestsPerSecond, figures.p50, figures.p90, figures.p99,
      figures.cpuMicrosecondsPerRequest, figures.failures);
}

void PrintHostilePhases() {
  Gateway& gateway = Env().gateway();
  const auto crowd = kiv::bench::MeasureUnderCrowd(gateway, kTarget, 500, 500, 100);
  std::printf(
      "\nwith %zu connections open (half idle, half stopped inside their headers): %zu GETs on "
      "fresh connections, p50 %.2f ms, max %.2f ms (goal: under 100 ms), %zu failed\n",
      crowd.crowd, crowd.requests, crowd.p50Ms, crowd.maxMs, crowd.failed);
  const auto oversized = kiv::bench::MeasureOversizedBody(gateway, 20);
  std::printf("declared 100 MB body: 413 after p50 %.2f ms, max %.2f ms; %zu of %zu not a 413\n",
              oversized.p50Ms, oversized.maxMs, oversized.wrong, oversized.tries);
  const auto slow = kiv::bench::MeasureSlowReaders(gateway, kTarget, 200, 20000, 2048);
  std::printf(
      "%zu slow event readers (2 KB per 10 ms each), %zu events of 2 KB published in %.1f s:\n"
      "  publication p50 %.2f ms, p99 %.2f ms, max %.2f ms; another client's GET p50 %.2f ms, "
      "p99 %.2f ms, max %.2f ms; %zu failed\n"
      "  readers cut off with the overflow event: %zu; ended otherwise: %zu; kept up: %zu\n",
      slow.readers, slow.published, slow.seconds, slow.publishP50Ms, slow.publishP99Ms,
      slow.publishMaxMs, slow.otherP50Ms, slow.otherP99Ms, slow.otherMaxMs, slow.failed,
      slow.endedWithOverflow, slow.endedOtherwise, slow.stillOpen);
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  // Rounds alternate between the two servers, so load from elsewhere on the
  // machine weighs on both alike, and which goes first swaps every round.
  for (int round = 0; round < kRounds; ++round) {
    const std::string suffix = "/round:" + std::to_string(round + 1);
    auto fixed = [&] {
      benchmark::RegisterBenchmark(("FixedStringServer" + suffix).c_str(), FixedStringServer, round)
          ->Iterations(1)
          ->UseRealTime()
          ->Unit(benchmark::kMillisecond);
    };
    auto gateway = [&] {
      benchmark::RegisterBenchmark(("GatewayCachedGet" + suffix).c_str(), GatewayCachedGet, round)
          ->Iterations(1)
          ->UseRealTime()
          ->Unit(benchmark::kMillisecond);
    };
    if (round % 2 == 0) {
      fixed();
      gateway();
    } else {
      gateway();
      fixed();
    }
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();

  std::vector<double> ratios;
  std::printf("\nEach round, each server: %zu GET requests over %zu keep-alive connections\n",
              kRequests, kConnections);
  for (int round = 0; round < kRounds; ++round) {
    const Round& r = gRounds[round];
    if (r.reference.requests == 0 || r.gateway.requests == 0) continue;  // filtered out
    const double ratio = r.gateway.requestsPerSecond / r.reference.requestsPerSecond;
    ratios.push_back(ratio);
    std::printf("round %d: throughput ratio gateway / fixed-string server %.2f\n", round + 1,
                ratio);
    PrintFigures("fixed string", r.reference);
    PrintFigures("gateway", r.gateway);
    PrintMemory("after 10,000 requests:", r.gateway.atFirstMark);
    PrintMemory("after 100,000 requests:", r.gateway.atEnd);
  }
  if (!ratios.empty()) {
    std::sort(ratios.begin(), ratios.end());
    std::printf("median throughput ratio: %.2f (goal: at least 0.80)\n", ratios[ratios.size() / 2]);
  }
  PrintHostilePhases();
  return 0;
}
