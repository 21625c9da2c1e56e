// kiv-host: loads a plugin library in the substitute host, prints what it
// learns, and shuts the plugin down.
//
//   kiv-host [--library PATH] [--host-version X.Y.Z]
#include <unistd.h>

#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <string>

#include "host/plugin_host.h"

namespace {

std::string DefaultLibrary() {
  char path[4096];
  const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  std::string dir = ".";
  if (length > 0) {
    std::string exe(path, static_cast<size_t>(length));
    dir = exe.substr(0, exe.find_last_of('/'));
  }
  return dir + "/libvmk-be-kiv-joust.so";
}

bool ParseVersion(const char* text, kiv::host::HostVersion& version) {
  return std::sscanf(text, "%u.%u.%u", &version.major, &version.minor, &version.patch) == 3;
}

void PrintMemory(const kiv::host::PluginHost& host, const char* when) {
  const auto words = host.MemoryStats();
  auto counter = [&](int i) { return uint64_t(words[2 * i]) | uint64_t(words[2 * i + 1]) << 32; };
  std::printf("memory %s: peak bytes %" PRIu64 ", allocations at peak %" PRIu64
              ", bytes allocated %" PRIu64 ", allocations %" PRIu64 ", bytes freed %" PRIu64
              ", frees %" PRIu64 "\n",
              when, counter(0), counter(1), counter(2), counter(3), counter(4), counter(5));
}

}  // namespace

int main(int argc, char** argv) {
  std::string library = DefaultLibrary();
  kiv::host::HostVersion version;
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--library") && i + 1 < argc) {
      library = argv[++i];
    } else if (!std::strcmp(argv[i], "--host-version") && i + 1 < argc) {
      if (!ParseVersion(argv[++i], version)) {
        std::fprintf(stderr, "kiv-host: bad version %s (expected X.Y.Z)\n", argv[i]);
        return 2;
      }
    } else {
      std::fprintf(stderr, "usage: kiv-host [--library PATH] [--host-version X.Y.Z]\n");
      return 2;
    }
  }

  std::string error;
  auto host = kiv::host::PluginHost::Open(library, &error);
  if (!host) {
    std::fprintf(stderr, "kiv-host: %s\n", error.c_str());
    return 1;
  }
  host->Load(version);
  const PluginLoadRecord& record = host->record();
  std::printf("library: %s\n", library.c_str());
  std::printf("name: vmk-be-%s\n", record.shortName);
  std::printf("short name: %s\n", record.shortName);
  std::printf("plugin API: %u.%u.%u\n", record.major, record.minor, record.patch);
  std::printf("endpoints: %u, types: %u, events: %u\n", record.api->functionCount,
              record.api->typeCount, record.api->eventCount);
  const bool started = host->Initialize();
  std::printf("initialized: %s\n", started ? "yes" : "no");
  PrintMemory(*host, "after Initialize");
  host->Shutdown();
  for (const auto& line : host->logLines()) {
    std::printf("log [%d] %s\n", line.level, line.message.c_str());
  }
  return started ? 0 : 1;
}
