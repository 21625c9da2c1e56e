#include "sdk/codec/yaml_reader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "sdk/codec/value_builder.h"

namespace kiv {
namespace {

TEST(YamlReader, TypesUntaggedScalars) {
  struct Case {
    const char* text;
    BindingProperty expected;
  } cases[] = {
      {"a: 1", BindingProperty(uint64_t{1})},
      {"a: -1", BindingProperty(int64_t{-1})},
      {"a: 1.5", BindingProperty(1.5)},
      {"a: 1e3", BindingProperty(uint64_t{1000})},
      {"a: 9007199254740993", BindingProperty(uint64_t{9007199254740992})},
      {"a: 0x10", BindingProperty(uint64_t{16})},
      {"a: -inf", BindingProperty(-HUGE_VAL)},
      {"a: inf", BindingProperty("inf")},
      {"a: '1'", BindingProperty("1")},
      {"a: \"true\"", BindingProperty("true")},
      {"a: yes", BindingProperty(true)},
      {"a: OFF", BindingProperty(false)},
      {"a: ~", BindingProperty()},
      {"a: NULL", BindingProperty()},
      {"a:", BindingProperty()},
      {"a: hello world", BindingProperty("hello world")},
      {"a: |\n  12\n", BindingProperty("12\n")},
      {"a: >-\n  12\n", BindingProperty(uint64_t{12})},
  };
  for (const Case& c : cases) {
    const BindingProperty value = ReadYaml(c.text);
    ASSERT_TRUE(value.IsValid()) << c.text << ": " << value.Error();
    EXPECT_EQ(value.Member("a"), c.expected) << c.text;
  }
}

// Plain decimals must type exactly as strtod reads them: integral values that
// fit become integers, the rest doubles. Long mantissas, fractions and
// negative zero are where a reader that skips strtod would round differently.
TEST(YamlReader, PlainDecimalsTypeAsStrtodReadsThem) {
  std::mt19937_64 random(7);
  std::vector<std::string> texts = {"-0",
                                    "-0.0",
                                    "0.",
                                    ".5",
                                    "-.5",
                                    "007",
                                    "18446744073709551615",
                                    "9999999999999999999",
                                    "-9223372036854775808",
                                    "0.1"};
  while (texts.size() < 4000) {
    std::string text = random() % 3 == 0 ? "-" : "";
    const size_t digits = 1 + random() % 20;
    const size_t point = random() % (digits + 4);  // past the end: no point
    for (size_t at = 0; at < digits; ++at) {
      if (at == point) text += '.';
      text += static_cast<char>('0' + random() % 10);
    }
    texts.push_back(std::move(text));
  }
  std::string document;
  for (const std::string& text : texts) document += "- " + text + "\n";
  const BindingProperty list = ReadYaml(document);
  ASSERT_TRUE(list.IsValid()) << list.Error();
  ASSERT_EQ(list.Size(), texts.size());
  for (size_t index = 0; index < texts.size(); ++index) {
    const double number = std::strtod(texts[index].c_str(), nullptr);
    BindingProperty expected(number);
    if (std::trunc(number) == number && number >= 0 && number < 18446744073709551616.0) {
      expected = static_cast<uint64_t>(number);
    } else if (std::trunc(number) == number && number < 0 && number >= -9223372036854775808.0) {
      expected = static_cast<int64_t>(number);
    }
    EXPECT_EQ(list.Elements()[index], expected) << texts[index];
  }
}

TEST(YamlReader, TypesTaggedScalars) {
  struct Case {
    const char* text;
    BindingProperty expected;
  } cases[] = {
      {"a: !!str 12", BindingProperty("12")},
      {"a: !!int 12", BindingProperty(uint64_t{12})},
      {"a: !!int -0x10", BindingProperty(int64_t{-16})},
      {"a: !!int 010", BindingProperty(uint64_t{8})},
      {"a: !!float 2", BindingProperty(2.0)},
      {"a: !!float -inf", BindingProperty(-std::numeric_limits<double>::infinity())},
      {"a: !!float 1e-400", BindingProperty(0.0)},
      {"a: !!int ''", BindingProperty(uint64_t{0})},
      {"a: !!bool Yes", BindingProperty(true)},
      {"a: !!bool maybe", BindingProperty()},
  };
  for (const Case& c : cases) {
    const BindingProperty value = ReadYaml(c.text);
    ASSERT_TRUE(value.IsValid()) << c.text << ": " << value.Error();
    EXPECT_EQ(value.Member("a"), c.expected) << c.text;
  }
}

TEST(YamlReader, KeysAreTakenAsWritten) {
  const BindingProperty value = ReadYaml("123: a\ntrue: b\n~: c\n!!str x: d\n");
  EXPECT_EQ(value.Member("123").GetString(), "a");
  EXPECT_EQ(value.Member("true").GetString(), "b");
  EXPECT_EQ(value.Member("~").GetString(), "c");
  EXPECT_EQ(value.Member("x").GetString(), "d");
}

TEST(YamlReader, AliasesReceiveDeepCopies) {
  const BindingProperty value = ReadYaml("base: &b {x: 1, l: [2]}\ncopy: *b\nn: &n 5\nm: *n\n");
  ASSERT_TRUE(value.IsValid()) << value.Error();
  EXPECT_EQ(value.Member("copy"), value.Member("base"));
  EXPECT_EQ(value.Member("m").GetUnsigned(), 5u);
}

TEST(YamlReader, AnchorOnARepeatedNameHoldsTheMergedMap) {
  const BindingProperty value = ReadYaml("a: {p: 1}\na: &x {q: 2}\nb: *x\n");
  ASSERT_TRUE(value.IsValid()) << value.Error();
  EXPECT_EQ(value.Member("b"), ReadYaml("{p: 1, q: 2}"));
  EXPECT_EQ(value.Member("a"), value.Member("b"));
}

TEST(YamlReader, AnchoredMapIsCopiedInNameOrder) {
  const BindingProperty value = ReadYaml("a: &x {z: 1, b: 2, m: 3, b: 4}\nc: *x\n");
  ASSERT_TRUE(value.IsValid()) << value.Error();
  EXPECT_EQ(value.Member("c").Member("b").GetUnsigned(), 4u);
  EXPECT_EQ(value.Member("c").Members().front().Name(), "b");
  EXPECT_EQ(value.Member("c"), value.Member("a"));
}

TEST(YamlReader, ErrorsNameTheirPosition) {
  struct Case {
    const char* text;
    const char* error;
  } cases[] = {
      {"a: !!int abc", "Value abc for 'yaml' of type uint64_t is in an incorrect format"},
      {"a: !!int -abc", "Value -abc for 'yaml' of type int64_t is in an incorrect format"},
      {"a: !!int 99999999999999999999",
       "Value 99999999999999999999 for 'yaml' of type uint64_t is out of range"},
      {"a: !!float 1e999", "Value 1e999 for 'yaml' of type double is out of range"},
      {"a: !!int -99999999999999999999",
       "Value -99999999999999999999 for 'yaml' of type int64_t is out of range"},
      {"a: !!int ' -5'", "Value  -5 for 'yaml' of type uint64_t is out of range"},
      {"a: !!float 1x", "Value 1x for 'yaml' of type double is in an incorrect format"},
      {"a: !!float x", "Value x for 'yaml' of type double is in an incorrect format"},
      {"a: !!binary AAAA", "Unsupported YAML tag 'tag:yaml.org,2002:binary'."},
      {"? [a]\n: 1\n", "Unexpected start of sequence. At line: 1 col: 3"},
      {"x:\n  ? {a: 1}\n  : 1\n", "Unexpected start of mapping. At line: 2 col: 5"},
      {"!!int 1: a", "Invalid mapping key. Only string scalar keys are allowed. At line: 1 col: 1"},
      {"a: 1\n--- \nb: 2\n", "Multi-document YAML is not supported."},
      {"a: &x [1, *x]", "Cannot deserialize cyclic aliases. Alias \"x\". At line: 1 col: 11"},
      {"a: *nope", "Undefined alias encountered: \"nope\". At line: 1 col: 4"},
      {"a: &x 1\nb: &x 2\n", "Duplicate occurrence of anchor \"x\". At line: 2 col: 4"},
      {"a: [1, 2", "YAML parser error: did not find expected ',' or ']'. At line: 2 col: 1"},
  };
  for (const Case& c : cases) {
    const BindingProperty value = ReadYaml(c.text);
    EXPECT_FALSE(value.IsValid()) << c.text;
    EXPECT_EQ(value.Error(), c.error) << c.text;
  }
}

TEST(YamlReader, EmptyDocumentsDoNotCountAsDocuments) {
  EXPECT_TRUE(ReadYaml("").IsEmpty());
  const BindingProperty value = ReadYaml("---\n...\n---\na: 1\n");
  ASSERT_TRUE(value.IsValid()) << value.Error();
  EXPECT_EQ(value.Member("a").GetUnsigned(), 1u);
}

TEST(YamlReader, RefusesNestingBeyondTheLimit) {
  const std::string ok = std::string(kMaxNestingDepth, '[') + std::string(kMaxNestingDepth, ']');
  EXPECT_TRUE(ReadYaml(ok).IsValid()) << ReadYaml(ok).Error();
  const std::string huge(64u << 20, '[');
  EXPECT_EQ(ReadYaml(huge).Error(), "YAML nesting is deeper than 256 levels. At line: 1 col: 257");
}

TEST(YamlReader, RefusesExponentialAliasExpansion) {
  std::string text = "a0: &a0 [x, x, x, x, x, x, x, x, x, x]\n";
  for (int i = 1; i < 9; ++i) {
    const std::string prev = "*a" + std::to_string(i - 1);
    text += "a" + std::to_string(i) + ": &a" + std::to_string(i) + " [";
    for (int j = 0; j < 10; ++j) text += (j ? ", " : "") + prev;
    text += "]\n";
  }
  const BindingProperty value = ReadYaml(text);
  EXPECT_FALSE(value.IsValid());
  EXPECT_NE(value.Error().find("expands to more than 1000000 values"), std::string_view::npos);
}

}  // namespace
}  // namespace kiv
