#include "sdk/log/log_line.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "sdk/log/assertion.h"
#include "sdk/log/log_groups.h"

namespace kiv {
namespace {

using ::testing::MatchesRegex;

LogEntry Entry(const char* message, uint64_t mask = 1, int32_t level = 1) {
  LogEntry entry;
  entry.year = 2026;
  entry.month = 12;
  entry.day = 5;
  entry.hour = 7;
  entry.minute = 8;
  entry.second = 9;
  entry.millisecond = 42;
  entry.level = level;
  entry.groupMask = mask;
  entry.message = message;
  return entry;
}

TEST(RenderLogLine, Codes) {
  const LogEntry entry = Entry("hello", 0x41, 2);
  EXPECT_EQ(RenderLogLine("#D| #L| #G| #M", entry),
            "2026-12-05T07:08:09.042|  ERROR| DBG;NET| hello\n");
  EXPECT_EQ(RenderLogLine("##M", entry), "#M\n");
  EXPECT_EQ(RenderLogLine("#Q", entry), "Q\n");
  EXPECT_EQ(RenderLogLine("#E", entry), ExecutableName() + "\n");
  EXPECT_THAT(RenderLogLine("#T|#H", entry), MatchesRegex("0x[0-9a-f]+\\|[0-9]{6}\\.[0-9]{3}\n"));
}

TEST(RenderLogLine, GroupNames) {
  EXPECT_EQ(RenderLogLine("#G", Entry("", 0)), "\n");
  EXPECT_EQ(RenderLogLine("#G", Entry("", uint64_t{1} << 40 | 4)), "XTR;???\n");
}

TEST(RenderLogLine, EndsInExactlyOneNewline) {
  EXPECT_EQ(RenderLogLine("#M", Entry("line\n")), "line\n");
  const std::string longMessage(5000, 'x');
  const std::string line = RenderLogLine("#L| #M", Entry(longMessage.c_str()));
  ASSERT_EQ(line.size(), kLogLineBufferSize - 1);
  EXPECT_EQ(line.back(), '\n');
  EXPECT_EQ(line[line.size() - 2], 'x');
}

TEST(LogGroups, RegistrationReusesKnownNamesAndTakesNextSlot) {
  EXPECT_EQ(RegisterLogGroup("NET"), 0x40u);
  const uint64_t bit = RegisterLogGroup("QZX");
  EXPECT_EQ(bit, uint64_t{1} << 8);
  EXPECT_EQ(RegisterLogGroup("QZX"), bit);
  EXPECT_EQ(RenderGroupMask(bit | 1), "DBG;QZX");
}

TEST(AssertionReport, BuildsFromPresentParts) {
  EXPECT_EQ(FormatAssertionReport("ALE-EECF0606", "bad host", "", 0, ""),
            "Assertion failed!\n\nExpression: ALE-EECF0606\n\nDescription: bad host");
  EXPECT_EQ(FormatAssertionReport("x", "", "a.cc", 7, "F"),
            "Assertion failed!\n\nFile: a.cc\nLine: 7\n\nFunction: F\n\nExpression: x");
}

}  // namespace
}  // namespace kiv
