#include "sdk/runtime/plugin_api_version.h"

#include <gtest/gtest.h>

namespace kiv {
namespace {

TEST(PluginApiVersion, TextForm) {
  EXPECT_EQ((PluginApiVersion{18, 0, 0, "beta", "7"}).ToText(), "18.0.0-beta+7");
  EXPECT_EQ((PluginApiVersion{18, 0, 0, "", ""}).ToText(), "18.0.0");
  EXPECT_EQ((PluginApiVersion{1, 2, 3, "", "b"}).ToText(), "1.2.3+b");
}

TEST(PluginApiVersion, HostCompatibility) {
  const PluginApiVersion plugin = PluginVersion();
  for (auto host :
       {PluginApiVersion{18, 0, 0}, PluginApiVersion{18, 3, 1}, PluginApiVersion{18, 0, 7}}) {
    EXPECT_TRUE(IsCompatibleHost(plugin, host)) << host.ToText();
  }
  for (auto host : {PluginApiVersion{17, 9, 9}, PluginApiVersion{19, 0, 0}}) {
    EXPECT_FALSE(IsCompatibleHost(plugin, host)) << host.ToText();
  }
  const PluginApiVersion newer{18, 2, 0};
  EXPECT_FALSE(IsCompatibleHost(newer, PluginApiVersion{18, 1, 9}));
  EXPECT_TRUE(IsCompatibleHost(newer, PluginApiVersion{18, 2, 0}));
  EXPECT_TRUE(IsCompatibleHost(newer, PluginApiVersion{18, 3, 0}));
}

}  // namespace
}  // namespace kiv
