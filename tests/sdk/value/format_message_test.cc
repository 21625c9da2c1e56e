#include "sdk/value/format_message.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace kiv {
namespace {

TEST(FormatMessage, PositionalArgumentsInDefaultForm) {
  EXPECT_EQ(FormatMessage("Value %1 for '%2' of type %3 is out of range", int64_t{-1}, "count",
                          std::string("uint64")),
            "Value -1 for 'count' of type uint64 is out of range");
  EXPECT_EQ(FormatMessage("%2 %1 %2", uint8_t{200}, std::string_view("b")), "b 200 b");
  EXPECT_EQ(FormatMessage("%1 %2", true, 0.25), "true 0.25");
  EXPECT_EQ(FormatMessage("%1", static_cast<const char*>(nullptr)), "");
  EXPECT_EQ(FormatMessage("100%% of %1", 3), "100% of 3");
}

TEST(FormatMessage, UnusedArgumentsAreIgnored) {
  EXPECT_EQ(FormatMessage("only %1", "a", "b"), "only a");
}

TEST(FormatMessage, OutOfRangeArgumentEndsTheOutput) {
  EXPECT_EQ(FormatMessage("a=%1 c=%3 after", 1, 2), "a=1 c=");
  EXPECT_EQ(FormatMessage("zero %0 after", 1), "zero ");
  EXPECT_EQ(FormatMessage("%d %d", 1), "1 ");
  EXPECT_EQ(FormatMessage("huge %99999999999999999999 after", 1), "huge ");
}

TEST(FormatMessage, NumberedPrintfConversions) {
  EXPECT_EQ(FormatMessage("%2$05d|%1$s", "a", 42), "00042|a");
  EXPECT_EQ(FormatMessage("%1$-4s|", "ab"), "ab  |");
  EXPECT_EQ(FormatMessage("%1$.2f %1$e", 1.5), "1.50 1.500000e+00");
  EXPECT_EQ(FormatMessage("%1$08X", 0xBEEFu), "0000BEEF");
  EXPECT_EQ(FormatMessage("%1$#x %1$+lld", int64_t{255}), "0xff +255");
  EXPECT_EQ(FormatMessage("%1$hhd %1$hu", 300), "44 300");
  EXPECT_EQ(FormatMessage("%1$zu %1$jd %1$td", uint64_t{1} << 40),
            "1099511627776 1099511627776 1099511627776");
  EXPECT_EQ(FormatMessage("%1$c", 'A'), "A");
  EXPECT_EQ(FormatMessage("%1$x %1$lx", -1), "ffffffff ffffffffffffffff");
}

TEST(FormatMessage, PlainPrintfConversionsTakeTheNextArgument) {
  EXPECT_EQ(FormatMessage("Error %i: %s", 404, "NotFound"), "Error 404: NotFound");
  EXPECT_EQ(FormatMessage("%d/%s then %1", 7, "x"), "7/x then 7");
  EXPECT_EQ(FormatMessage("%s", int64_t{-5}), "-5");  // Any argument prints as text.
  EXPECT_EQ(FormatMessage("%-5d|", "ab"), "ab   |");  // Text under a number conversion.
  EXPECT_EQ(FormatMessage("%5d", 1, 2), "");          // "%5" is argument 5, not a width.
}

TEST(FormatMessage, MalformedOrLongConversionEndsTheOutput) {
  EXPECT_EQ(FormatMessage("a %y b", 1), "a ");
  EXPECT_EQ(FormatMessage("trailing %"), "trailing ");
  const std::string longSpec = "x %1$" + std::string(56, '0') + "5d";  // 61 characters.
  EXPECT_EQ(FormatMessage(longSpec, 1), "x ");
  const std::string limitSpec = "x %1$" + std::string(55, '0') + "5d";  // 60 characters.
  EXPECT_EQ(FormatMessage(limitSpec, 1), "x 00001");
}

TEST(FormatMessage, OutputIsCutAt4095Characters) {
  const std::string big(5000, 'x');
  EXPECT_EQ(FormatMessage("%1", big).size(), kMaxFormattedMessage);
  EXPECT_EQ(FormatMessage(big).size(), kMaxFormattedMessage);
  EXPECT_EQ(FormatMessage("%1$9999d", 1).size(), kMaxFormattedMessage);
  EXPECT_EQ(FormatMessage("ab%1", big).substr(0, 3), "abx");
}

}  // namespace
}  // namespace kiv
