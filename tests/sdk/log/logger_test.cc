#include "sdk/log/logger.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sdk/log/log_groups.h"
#include "sdk/log/log_level.h"
#include "sdk/log/log_line.h"
#include "sdk/log/plugin_log_target.h"

namespace kiv {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::MatchesRegex;
using ::testing::Pair;

// A host that only records what reaches WriteLog.
struct FakeHost {
  HostApi api{};
  std::vector<std::pair<int32_t, std::string>> lines;

  FakeHost() {
    api.WriteLog = [](HostApi* self, int32_t level, const char* message) {
      reinterpret_cast<FakeHost*>(self)->lines.emplace_back(level, message);
    };
  }
};

// Each test gets a fresh process logger: the reference taken here is the only
// one, so releasing it destroys the logger.
class LoggerTest : public ::testing::Test {
 protected:
  void SetUp() override { Logger::Acquire(); }
  void TearDown() override { Logger::Release(); }
};

TEST_F(LoggerTest, BeforeInitializeConsoleTargetsFilterAndFormat) {
  testing::internal::CaptureStderr();
  Log(kLogOkay, kGroupDbg, "dropped below the minimum level");
  Log(kLogWarn, kGroupXtr | kGroupDbg, "dropped as XTR");
  Log(kLogWarn, kGroupGen, "excluded by the stderr target");
  Log(kLogWarn, kGroupDbg, "shown %d", 7);
  const std::string out = testing::internal::GetCapturedStderr();
  EXPECT_THAT(out, MatchesRegex("[^(]+\\(0x[0-9a-f]+\\):   WARN\\| shown 7\n"));
  EXPECT_THAT(out, testing::StartsWith(ExecutableName() + "("));
}

TEST_F(LoggerTest, AfterInstallLinesGoOnlyToTheHost) {
  FakeHost host;
  auto target = InstallPluginLogTarget(host.api);
  ASSERT_NE(target, nullptr);
  EXPECT_EQ(InstallPluginLogTarget(host.api), nullptr) << "installed twice";

  testing::internal::CaptureStderr();
  Log(kLogOkay, kGroupDbg, "level zero");
  Log(kLogError, kGroupXtr, "never");
  Log(kLogAlways, 0, "no group");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_THAT(host.lines, ElementsAre(Pair(0, "level zero"), Pair(3, "no group")));

  target.reset();  // detaches
  Log(kLogOkay, kGroupDbg, "after detach");
  EXPECT_EQ(host.lines.size(), 2u);
}

TEST_F(LoggerTest, LongMessagesAreCutToTheBuffer) {
  FakeHost host;
  auto target = InstallPluginLogTarget(host.api);
  const std::string longText(10000, 'y');
  Log(kLogWarn, kGroupDbg, "%s", longText.c_str());
  ASSERT_EQ(host.lines.size(), 1u);
  EXPECT_EQ(host.lines[0].second.size(), kLogLineBufferSize - 1);
}

TEST_F(LoggerTest, CountsWarningsAndErrorsThatPassTheFilters) {
  Logger& logger = Logger::Instance();
  logger.StdErrTarget().Detach();
  logger.DebuggerTarget().Detach();
  Log(kLogWarn, kGroupDbg, "w");
  Log(kLogError, kGroupDbg, "e");
  Log(kLogError, kGroupDbg, "e");
  Log(kLogError, kGroupXtr, "filtered");
  EXPECT_EQ(logger.WarningCount(), 1u);
  EXPECT_EQ(logger.ErrorCount(), 2u);
}

TEST_F(LoggerTest, DisabledLoggerDropsEverything) {
  FakeHost host;
  auto target = InstallPluginLogTarget(host.api);
  Logger::Instance().Disable();
  Log(kLogAlways, kGroupDbg, "x");
  Logger::Instance().Enable();
  Log(kLogAlways, kGroupDbg, "y");
  EXPECT_THAT(host.lines, ElementsAre(Pair(3, "y")));
}

TEST_F(LoggerTest, TargetIncludeAndExcludeMasks) {
  FakeHost host;
  auto target = InstallPluginLogTarget(host.api);
  target->Configure(1, kGroupNet | kGroupDbg, kGroupDbg, "#M");
  Log(kLogWarn, kGroupDbg, "excluded");
  Log(kLogWarn, kGroupGen, "not included");
  Log(kLogOkay, kGroupNet, "below target level");
  Log(kLogWarn, kGroupNet | kGroupGen, "net");
  Log(kLogWarn, 0, "mask zero passes");
  EXPECT_THAT(host.lines, ElementsAre(Pair(1, "net"), Pair(1, "mask zero passes")));
}

}  // namespace
}  // namespace kiv
