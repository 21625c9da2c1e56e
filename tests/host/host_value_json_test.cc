// Printing the boundary's values as JSON and reading JSON into them.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "host/host_value_json.h"
#include "tests/host/deep_chain.h"

namespace kiv::host {
namespace {

HostValue Scalar(uint32_t tag) {
  HostValue value{};
  value.tag = tag;
  return value;
}

TEST(HostValueToJson, PrintsEveryTag) {
  const uint8_t bytes[] = {'h', 'i', '!', 0xFF};
  const char text[] = "LOCK_IN\0hidden";
  std::vector<std::pair<std::string, HostValue>> cases;
  cases.emplace_back("null", Scalar(KIV_VALUE_EMPTY));
  HostValue b = Scalar(KIV_VALUE_BOOL);
  b.u.boolean = 1;
  cases.emplace_back("true", b);
  HostValue s = Scalar(KIV_VALUE_SIGNED);
  s.u.signedValue = -9'000'000'000;
  cases.emplace_back("-9000000000", s);
  HostValue u = Scalar(KIV_VALUE_UNSIGNED);
  u.u.unsignedValue = 18'446'744'073'709'551'615u;
  cases.emplace_back("18446744073709551615", u);
  HostValue f = Scalar(KIV_VALUE_FLOAT);
  f.u.floatValue = 0.5;
  cases.emplace_back("0.5", f);
  f.u.floatValue = std::nan("");
  cases.emplace_back("null", f);
  HostValue t = Scalar(KIV_VALUE_TEXT_ALT);
  t.u.text.data = text;
  t.u.text.size = sizeof text;
  cases.emplace_back("\"LOCK_IN\"", t);  // an enum arrives as its name
  HostValue y = Scalar(KIV_VALUE_BYTES);
  y.u.bytes.data = bytes;
  y.u.bytes.size = sizeof bytes;
  cases.emplace_back("\"aGkh/w==\"", y);
  cases.emplace_back("null", Scalar(42));
  for (const auto& [expected, value] : cases) {
    EXPECT_EQ(HostValueToJson(value), expected) << "tag " << value.tag;
  }
}

TEST(HostValueToJson, PrettyPrintsStructuresInMemberOrder) {
  auto value = JsonToHostValue(R"({"z":[1,{"a":"x"}],"a":{},"m":[]})", nullptr);
  ASSERT_TRUE(value);
  EXPECT_EQ(HostValueToJson(value->root()), R"({"z":[1,{"a":"x"}],"a":{},"m":[]})");
  EXPECT_EQ(HostValueToJson(value->root(), JsonStyle::kPretty),
            "{\n  \"z\": [\n    1,\n    {\n      \"a\": \"x\"\n    }\n  ],\n  \"a\": {},\n"
            "  \"m\": []\n}");
}

TEST(HostValueToJson, PrintsDeepTreesWithoutRecursion) {
  constexpr int kDepth = 100000;
  std::vector<HostValue> chain = DeepChain(kDepth);
  const std::string json = HostValueToJson(chain[0]);
  EXPECT_EQ(json.size(), size_t{2 * (kDepth - 1) + 4});
}

TEST(JsonToHostValue, MapsNumbersByRangeAndRejectsBadText) {
  auto value = JsonToHostValue(R"([-1, 5, 18446744073709551615, 1.5, "t", null, false])", nullptr);
  ASSERT_TRUE(value);
  const HostValue* items = value->root().u.collection.items;
  EXPECT_EQ(items[0].tag, uint32_t{KIV_VALUE_SIGNED});
  EXPECT_EQ(items[1].tag, uint32_t{KIV_VALUE_SIGNED});
  EXPECT_EQ(items[2].tag, uint32_t{KIV_VALUE_UNSIGNED});
  EXPECT_EQ(items[3].tag, uint32_t{KIV_VALUE_FLOAT});
  EXPECT_EQ(items[4].tag, uint32_t{KIV_VALUE_TEXT});
  EXPECT_EQ(items[5].tag, uint32_t{KIV_VALUE_EMPTY});
  EXPECT_EQ(items[6].tag, uint32_t{KIV_VALUE_BOOL});

  std::string error;
  EXPECT_FALSE(JsonToHostValue("{\"a\":", &error));
  EXPECT_NE(error.find("offset"), std::string::npos) << error;
  EXPECT_FALSE(JsonToHostValue("[1] [2]", &error)) << "one document only";
  EXPECT_FALSE(JsonToHostValue(std::string(600, '[') + std::string(600, ']'), &error));
  EXPECT_NE(error.find("512"), std::string::npos) << error;
}

}  // namespace
}  // namespace kiv::host
