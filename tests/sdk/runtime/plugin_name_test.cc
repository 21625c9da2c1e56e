#include "sdk/runtime/plugin_name.h"

#include <gtest/gtest.h>

#include "sdk/log/logger.h"

namespace kiv {
namespace {

TEST(PluginName, PrefixByType) {
  EXPECT_EQ(GetFullNameFromShortNameAndType("kiv-joust", "backend", "").fullName,
            "vmk-be-kiv-joust");
  const PluginNameRecord front = GetFullNameFromShortNameAndType("x", "frontend", "q");
  EXPECT_EQ(front.fullName, "vmk-fe-x");
  EXPECT_EQ(front.shortName, "x");
  EXPECT_EQ(front.type, "frontend");
  EXPECT_EQ(front.qualifier, "q");
}

TEST(PluginName, UnknownTypeIsLoggedAndPrefixedXx) {
  Logger::Acquire();
  testing::internal::CaptureStderr();
  EXPECT_EQ(GetFullNameFromShortNameAndType("kiv-joust", "Backend", "").fullName,
            "vmk-xx-kiv-joust");
  const std::string out = testing::internal::GetCapturedStderr();
  Logger::Release();
  EXPECT_NE(
      out.find(" ERROR|             Plugin Manager| GetFullNameFromShortNameAndType(\"kiv-joust\","
               " \"Backend\") called with an unknown type\n"),
      std::string::npos)
      << out;
}

}  // namespace
}  // namespace kiv
