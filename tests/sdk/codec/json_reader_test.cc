#include "sdk/codec/json_reader.h"

#include <gtest/gtest.h>

#include <string>

#include "sdk/codec/value_builder.h"

namespace kiv {
namespace {

TEST(JsonReader, EmptyAndBlankTextsAreEmptyValues) {
  for (const char* text : {"", "   ", " \t\r\n"}) {
    const BindingProperty value = ReadJson(text);
    EXPECT_TRUE(value.IsValid()) << value.Error();
    EXPECT_TRUE(value.IsEmpty());
  }
  EXPECT_TRUE(ReadJson(nullptr).IsEmpty());
}

TEST(JsonReader, NumberKindsFollowSignAndForm) {
  struct Case {
    const char* text;
    ValueKind kind;
  } cases[] = {
      {"5", ValueKind::kUnsigned},
      {"18446744073709551615", ValueKind::kUnsigned},
      {"-5", ValueKind::kSigned},
      {"-0", ValueKind::kUnsigned},
      {"-9223372036854775808", ValueKind::kSigned},
      {"5.0", ValueKind::kFloat},
      {"1e3", ValueKind::kFloat},
      {"18446744073709551616", ValueKind::kFloat},
      {"-9223372036854775809", ValueKind::kFloat},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ReadJson(c.text).Kind(), c.kind) << c.text;
  }
  EXPECT_EQ(ReadJson("18446744073709551615").GetUnsigned(), 18446744073709551615u);
  EXPECT_EQ(ReadJson("-9223372036854775808").GetSigned(), INT64_MIN);
  EXPECT_EQ(ReadJson("1e-400").GetFloat(), 0.0);
  EXPECT_EQ(ReadJson("0e-2147483649").GetFloat(), 0.0);
  EXPECT_EQ(ReadJson("2.2250738585072011e-308").GetFloat(), 2.2250738585072011e-308);
}

TEST(JsonReader, ReadsArraysOfMixedKinds) {
  const BindingProperty value = ReadJson("[1, -1, 1.5, null, true, \"x\"]");
  ASSERT_EQ(value.Size(), 6u);
  EXPECT_EQ(value.Element(0).GetUnsigned(), 1u);
  EXPECT_EQ(value.Element(1).GetSigned(), -1);
  EXPECT_EQ(value.Element(2).GetFloat(), 1.5);
  EXPECT_TRUE(value.Element(3).IsEmpty());
  EXPECT_TRUE(value.Element(4).GetBool());
  EXPECT_EQ(value.Element(5).GetString(), "x");
}

TEST(JsonReader, StringsAndNamesEndAtTheirFirstNul) {
  const BindingProperty value = ReadJson(R"({"ab\u0000cd": "xy\u0000z"})");
  ASSERT_EQ(value.Size(), 1u);
  EXPECT_EQ(value.Members()[0].Name(), "ab");
  EXPECT_EQ(value.Member("ab").GetString(), "xy");
}

TEST(JsonReader, RepeatedNamesReplaceMergeOrConcatenate) {
  EXPECT_EQ(ReadJson(R"({"a": 1, "a": 2})").Member("a").GetUnsigned(), 2u);
  const BindingProperty merged = ReadJson(R"({"a": {"x": 1}, "a": {"y": 2}})");
  EXPECT_EQ(merged.Member("a").Member("x").GetUnsigned(), 1u);
  EXPECT_EQ(merged.Member("a").Member("y").GetUnsigned(), 2u);
  const BindingProperty joined = ReadJson(R"({"a": [1], "a": [2]})");
  ASSERT_EQ(joined.Member("a").Size(), 2u);
  EXPECT_EQ(joined.Member("a").Element(1).GetUnsigned(), 2u);
  EXPECT_EQ(ReadJson(R"({"a": [1], "a": 3})").Member("a").GetUnsigned(), 3u);
}

TEST(JsonReader, RepeatedNamesOutOfOrderAndNested) {
  const BindingProperty value =
      ReadJson(R"({"z": 1, "a": {"y": [1], "b": 2}, "m": 0, "z": 3, "a": {"y": [2], "c": 4}})");
  ASSERT_TRUE(value.IsValid()) << value.Error();
  EXPECT_EQ(value, ReadJson(R"({"a": {"b": 2, "c": 4, "y": [1, 2]}, "m": 0, "z": 3})"));
}

TEST(JsonReader, ObjectWithManyNamesInDescendingOrder) {
  // About 2 MB: 100,000 names, each smaller than the one before.
  constexpr int kCount = 100000;
  std::string text = "{";
  for (int number = kCount - 1; number >= 0; --number) {
    text += "\"name" + std::to_string(1000000 + number) + "\":" + std::to_string(number);
    text += number == 0 ? "}" : ",";
  }
  const BindingProperty value = ReadJson(text);
  ASSERT_TRUE(value.IsValid()) << value.Error();
  ASSERT_EQ(value.Size(), static_cast<size_t>(kCount));
  EXPECT_EQ(value.Members().front().Name(), "name1000000");
  EXPECT_EQ(value.Members().back().Name(), "name1099999");
  EXPECT_EQ(value.Member("name1012345").GetUnsigned(), 12345u);
}

TEST(JsonReader, ErrorsNameTheReasonAndOffset) {
  struct Case {
    const char* text;
    const char* error;
  } cases[] = {
      {R"({"a": 1} x)",
       "Error: The document root must not be followed by other values. at offset 9."},
      {"  [1,]", "Error: Invalid value. at offset 5."},
      {"{1}", "Error: Missing a name for object member. at offset 1."},
      {R"({"a" 1})", "Error: Missing a colon after a name of object member. at offset 5."},
      {R"({"a":1 ])", "Error: Missing a comma or '}' after an object member. at offset 7."},
      {"[1 }", "Error: Missing a comma or ']' after an array element. at offset 3."},
      {R"("\uZZZZ")", "Error: Incorrect hex digit after \\u escape in string. at offset 1."},
      {R"("\q")", "Error: Invalid escape character in string. at offset 1."},
      {R"("abc)", "Error: Missing a closing quotation mark in string. at offset 4."},
      {"1e999", "Error: Number too big to be stored in double. at offset 0."},
      {"[1, 184467441e300]", "Error: Number too big to be stored in double. at offset 4."},
      {"[-2e308]", "Error: Number too big to be stored in double. at offset 1."},
      {"1.", "Error: Miss fraction part in number. at offset 2."},
      {"1e", "Error: Miss exponent in number. at offset 2."},
      {"nan", "Error: Invalid value. at offset 1."},
  };
  for (const Case& c : cases) {
    const BindingProperty value = ReadJson(c.text);
    EXPECT_FALSE(value.IsValid()) << c.text;
    EXPECT_EQ(value.Error(), c.error) << c.text;
  }
}

TEST(JsonReader, ErrorTextsByCode) {
  EXPECT_STREQ(JsonErrorText(0), "No error.");
  EXPECT_STREQ(JsonErrorText(9), "The surrogate pair in string is invalid.");
  EXPECT_STREQ(JsonErrorText(12), "Invalid encoding in string.");
  EXPECT_STREQ(JsonErrorText(16), "Terminate parsing due to Handler error.");
  EXPECT_STREQ(JsonErrorText(17), "Unspecific syntax error.");
  EXPECT_STREQ(JsonErrorText(18), "Unknown error.");
}

TEST(JsonReader, AcceptsNestingUpToTheLimit) {
  const std::string text = std::string(kMaxNestingDepth, '[') + std::string(kMaxNestingDepth, ']');
  const BindingProperty value = ReadJson(text);
  EXPECT_TRUE(value.IsValid()) << value.Error();
  EXPECT_TRUE(value.IsCollection());
}

TEST(JsonReader, RefusesNestingBeyondTheLimit) {
  const std::string text = "{\"a\":" + std::string(kMaxNestingDepth, '[');
  EXPECT_EQ(ReadJson(text).Error(),
            "Error: The document is nested deeper than 256 levels. at offset 261.");
}

TEST(JsonReader, RefusesAHugeRunOfOpeningBracketsQuickly) {
  const std::string text(64u << 20, '[');  // parsing stops at the limit
  const BindingProperty value = ReadJson(text);
  EXPECT_FALSE(value.IsValid());
  EXPECT_NE(value.Error().find("nested deeper"), std::string_view::npos);
}

}  // namespace
}  // namespace kiv
