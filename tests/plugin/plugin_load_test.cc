// The plugin as a whole: the real shared library, loaded by the substitute
// host through the boundary.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "host/plugin_host.h"

namespace {

using kiv::host::HostVersion;
using kiv::host::PluginHost;
using ::testing::HasSubstr;

std::unique_ptr<PluginHost> OpenPlugin() {
  std::string error;
  auto host = PluginHost::Open(KIV_PLUGIN_PATH, &error);
  EXPECT_NE(host, nullptr) << error;
  return host;
}

uint64_t Counter(const std::array<uint32_t, 14>& words, int index) {
  return uint64_t(words[2 * index]) | uint64_t(words[2 * index + 1]) << 32;
}

TEST(PluginLoad, CompatibleHostsAreAccepted) {
  for (HostVersion version :
       {HostVersion{18, 0, 0}, HostVersion{18, 3, 1}, HostVersion{18, 0, 7}}) {
    auto host = OpenPlugin();
    host->Load(version);
    const PluginLoadRecord& record = host->record();
    EXPECT_EQ(record.major, 18u);
    EXPECT_EQ(record.minor, 0u);
    EXPECT_EQ(record.patch, 0u);
    EXPECT_STREQ(record.shortName, "kiv-joust");
    ASSERT_NE(record.entries, nullptr);
    ASSERT_NE(record.api, nullptr);
    EXPECT_NE(record.module, nullptr);
    EXPECT_TRUE(host->Initialize());
    host->Shutdown();
  }
}

TEST(PluginLoadDeathTest, IncompatibleHostsAbortAfterTheMessage) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_DEATH(
      {
        auto host = OpenPlugin();
        host->Load(HostVersion{17, 9, 9});
      },
      HasSubstr("kiv-joust which supports plugin API 18.0.0 is not compatible with core's plugin "
                "API 17.9.9"));
  EXPECT_DEATH(
      {
        auto host = OpenPlugin();
        host->Load(HostVersion{19, 0, 0});
      },
      HasSubstr("Expression: ALE-EECF0606\n\nDescription: kiv-joust which supports plugin API "
                "18.0.0 is not compatible with core's plugin API 19.0.0"));
}

TEST(PluginLoad, InitializeListensToServiceProxyEventsAndShutdownRemovesThem) {
  auto host = OpenPlugin();
  host->Load(HostVersion{});
  ASSERT_TRUE(host->Initialize());
  for (const char* name :
       {"OnServiceProxyUuidEvent", "OnServiceProxyMethodEvent", "OnServiceProxyAsyncEvent"}) {
    ASSERT_EQ(host->listeners().count(name), 1u) << name;
    ASSERT_EQ(host->listeners().at(name).size(), 1u) << name;
    EXPECT_EQ(host->listeners().at(name)[0].flags, 1u);
  }
  host->Shutdown();
  EXPECT_TRUE(host->listeners().empty());
}

TEST(PluginLoad, MemoryStatsCountTheLibrarysOwnAllocations) {
  auto host = OpenPlugin();
  host->Load(HostVersion{});
  const auto loaded = host->MemoryStats();
  EXPECT_GT(Counter(loaded, 3), 0u) << "the load call allocates the module";
  EXPECT_EQ(loaded[12], 0u);
  EXPECT_EQ(loaded[13], 0u);

  // The host's own allocations are never counted.
  std::vector<std::string> hostData(1000, std::string(100, 'h'));
  EXPECT_EQ(Counter(host->MemoryStats(), 3), Counter(loaded, 3));

  ASSERT_TRUE(host->Initialize());
  const auto running = host->MemoryStats();
  EXPECT_GE(Counter(running, 0), Counter(loaded, 0)) << "the peak never decreases";
  EXPECT_GE(Counter(running, 3), Counter(loaded, 3));
  EXPECT_GE(Counter(running, 3), Counter(running, 5));
  EXPECT_EQ(running[12], 0u);
  EXPECT_EQ(running[13], 0u);
}

}  // namespace
