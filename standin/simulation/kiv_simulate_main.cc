// kiv-simulate: deterministic simulation of the plugin with faults, seed by
// seed (simulation.h). A failing seed is cut down to its shortest failing
// step list and written as a scenario file; the exit status is 1 then.
//
//   kiv-simulate [--library PATH] [--seeds N] [--steps M] [--seed S] [--out DIR]
//   kiv-simulate [--library PATH] --replay FILE
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

#include "host/library_beside.h"
#include "standin/simulation/simulation.h"

namespace {

constexpr char kUsage[] =
    "usage: kiv-simulate [--library PATH] [--seeds N] [--steps M] [--seed S] [--out DIR]\n"
    "  runs N seeds (default 10) from S (default 1) of M steps each (default 2000);\n"
    "  a failing seed is shrunk and written to DIR (default .) as simulation-seed-S.yaml\n"
    "       kiv-simulate [--library PATH] --replay FILE\n"
    "  plays a scenario file with the invariants checked at every moment\n";

int Replay(const std::string& library, const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "kiv-simulate: cannot read %s\n", file.c_str());
    return 2;
  }
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const kiv::standin::SimulationResult result = kiv::standin::RunSimulation(library, text, file);
  for (const std::string& line : result.log) std::printf("%s\n", line.c_str());
  return result.passed ? 0 : 1;
}

// What a crash report names: the seed being run (written before each run).
volatile std::sig_atomic_t gSeed = 0;

void OnCrash(int signal) {
  char text[96];
  const int length =
      std::snprintf(text, sizeof text, "kiv-simulate: crashed (signal %d) in seed %ld\n", signal,
                    static_cast<long>(gSeed));
  if (length > 0) (void)!write(2, text, static_cast<size_t>(length));
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}

bool ParseCount(const char* text, uint64_t& out) {
  char* end = nullptr;
  const unsigned long long value = std::strtoull(text, &end, 10);
  if (!end || *end || end == text) return false;
  out = value;
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  std::string library = kiv::host::LibraryBesideExecutable("libvmk-be-kiv-joust.so");
  std::string out = ".";
  std::string replay;
  uint64_t seeds = 10, steps = 2000, first = 1;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "--library" && hasValue) {
      library = argv[++i];
    } else if (arg == "--replay" && hasValue) {
      replay = argv[++i];
    } else if (arg == "--out" && hasValue) {
      out = argv[++i];
    } else if (arg == "--seeds" && hasValue && ParseCount(argv[i + 1], seeds) && seeds > 0) {
      ++i;
    } else if (arg == "--steps" && hasValue && ParseCount(argv[i + 1], steps) && steps > 0 &&
               steps <= 1'000'000) {
      ++i;
    } else if (arg == "--seed" && hasValue && ParseCount(argv[i + 1], first)) {
      ++i;
      if (std::find(argv, argv + argc, std::string_view("--seeds")) == argv + argc) seeds = 1;
    } else {
      std::fputs(kUsage, stderr);
      return 2;
    }
  }
  if (!replay.empty()) return Replay(library, replay);
  for (int signal : {SIGSEGV, SIGABRT, SIGBUS, SIGFPE, SIGILL}) std::signal(signal, OnCrash);

  const auto started = std::chrono::steady_clock::now();
  uint64_t passed = 0, failed = 0;
  for (uint64_t seed = first; seed < first + seeds; ++seed) {
    gSeed = static_cast<std::sig_atomic_t>(seed);
    const std::string name = "simulation seed " + std::to_string(seed);
    const std::string yaml = kiv::standin::GenerateSimulation(seed, static_cast<int>(steps));
    const kiv::standin::SimulationResult result = kiv::standin::RunSimulation(library, yaml, name);
    if (result.passed) {
      ++passed;
      continue;
    }
    ++failed;
    std::printf("seed %llu FAILED at moment %llu: %s\n", static_cast<unsigned long long>(seed),
                static_cast<unsigned long long>(result.moment),
                result.violation.empty() ? "a step failed" : result.violation.c_str());
    for (const std::string& line : result.log) {
      if (line.find("FAILED") != std::string::npos || line.find("invariant") != std::string::npos ||
          line.find("more than once") != std::string::npos) {
        std::printf("  %s\n", line.c_str());
      }
    }
    // Shrinking keeps the same fault: the same invariant on the same
    // resource (its first word), or the same kind of failed step.
    const auto kind = [](const kiv::standin::SimulationResult& run) {
      return run.violation.empty() ? std::string("steps")
                                   : run.violation.substr(0, run.violation.find(' '));
    };
    const std::string fault = kind(result);
    const std::string shrunk = kiv::standin::ShrinkSimulation(yaml, [&](std::string_view text) {
      const kiv::standin::SimulationResult run = kiv::standin::RunSimulation(library, text, name);
      return !run.passed && kind(run) == fault;
    });
    const std::string file = out + "/simulation-seed-" + std::to_string(seed) + ".yaml";
    std::ofstream(file) << shrunk;
    std::printf("  shortest failing scenario: %s\n", file.c_str());
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  std::printf("%llu seeds of %llu steps in %.1f s (%.0f steps/s)\n",
              static_cast<unsigned long long>(seeds), static_cast<unsigned long long>(steps),
              seconds, static_cast<double>(seeds * steps) / (seconds > 0 ? seconds : 1));
  std::printf("%llu passed, %llu failed\n", static_cast<unsigned long long>(passed),
              static_cast<unsigned long long>(failed));
  return failed == 0 ? 0 : 1;
}
