#include "sdk/codec/json_writer.h"
#include "sdk/codec/ordered_json_object.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "sdk/codec/json_reader.h"
#include "sdk/codec/value_builder.h"
#include "sdk/codec/value_walk.h"
#include "sdk/value/enum_description.h"

namespace kiv {
namespace {

std::string Compact(const BindingProperty& value) { return WriteJson(value); }

TEST(JsonWriter, WritesScalarsInTheirJsonForms) {
  struct Case {
    BindingProperty value;
    const char* json;
  };
  Case cases[] = {
      {BindingProperty(true), "true"},
      {BindingProperty(int64_t{-42}), "-42"},
      {BindingProperty(uint64_t{18446744073709551615u}), "18446744073709551615"},
      {BindingProperty(3.0), "3.0"},
      {BindingProperty(-0.0), "-0.0"},
      {BindingProperty(0.1), "0.1"},
      {BindingProperty(1e300), "1e300"},
      {BindingProperty("a/b\"c\\"), R"("a/b\"c\\")"},
      {BindingProperty(Blob{'a', 'b', 'c'}), "\"YWJj\""},
      {BindingProperty(Blob{'a', 'b', 'c', 'd'}), "\"YWJjZA==\""},
      {BindingProperty(Blob{'a', 'b', 'c', 'd', 'e'}), "\"YWJjZGU=\""},
  };
  for (const Case& c : cases) EXPECT_EQ(Compact(c.value), c.json) << c.json;
}

TEST(JsonWriter, EscapesControlCharactersWithUpperCaseHex) {
  const std::string text = std::string("\b\t\n\f\r\x01\x1f\x7f") + "\xC3\xA9";
  EXPECT_EQ(Compact(BindingProperty(text)), "\"\\b\\t\\n\\f\\r\\u0001\\u001F\x7f\xC3\xA9\"");
}

TEST(JsonWriter, EmptyRootIsEmptyTextButNullInsideContainers) {
  EXPECT_EQ(Compact(BindingProperty()), "");
  BindingProperty list;
  list.AppendElement();
  list.MutableMember("a");  // turns it into a structure with an empty member
  EXPECT_EQ(Compact(list), R"({"a":null})");
}

TEST(JsonWriter, StructuresWriteInKeyOrderWithoutBlanks) {
  const BindingProperty value = ReadJson(R"({"b": 1, "a": "x", "B": [1, {}, []]})");
  EXPECT_EQ(Compact(value), R"({"B":[1,{},[]],"a":"x","b":1})");
}

TEST(JsonWriter, EnumsUseTheirNameWhenAskedAndKnown) {
  const EnumDescription visibility("JoustVisibility", {{"Hidden", 0}, {"Visible", 2}});
  EXPECT_EQ(Compact(BindingProperty(EnumValue{2, &visibility})), "\"Visible\"");
  EXPECT_EQ(Compact(BindingProperty(EnumValue{7, &visibility})), "7");
  EXPECT_EQ(Compact(BindingProperty(EnumValue{-3, nullptr})), "-3");
  EXPECT_EQ(WriteJson(BindingProperty(EnumValue{2, &visibility}), {.enumNames = false}), "2");
}

TEST(JsonWriter, RefusesNonFiniteFloatsButStaysWellFormed) {
  BindingProperty list;
  list.AppendElement() = 1.0;
  list.AppendElement() = std::numeric_limits<double>::quiet_NaN();
  list.AppendElement() = -std::numeric_limits<double>::infinity();
  CompactJsonWriter writer;
  WalkValue(list, writer);
  EXPECT_TRUE(writer.RefusedNonFinite());
  EXPECT_EQ(writer.Text(), "[1.0,null,null]");
  EXPECT_TRUE(ReadJson(writer.TakeText()).IsValid());
}

TEST(JsonWriter, PrettyFormIndentsFourSpacesAndReplacesLineBreaks) {
  const BindingProperty value = ReadJson(R"({"a": [1, 2], "b": {}})");
  EXPECT_EQ(WriteJson(value, {.lineBreak = "\n"}),
            "{\n    \"a\": [\n        1,\n        2\n    ],\n    \"b\": {}\n}");
  const std::string crlf = WriteJson(value, {.lineBreak = "\r\n"});
  EXPECT_EQ(crlf, "{\r\n    \"a\": [\r\n        1,\r\n        2\r\n    ],\r\n    \"b\": {}\r\n}");
  EXPECT_EQ(WriteJson(BindingProperty(), {.lineBreak = "\r\n"}), "");
}

TEST(JsonWriter, RoundTripsDoublesAndDeepTrees) {
  for (const double d : {0.1, 1.0 / 3.0, 5e-324, 1.7976931348623157e308, 123456789.125}) {
    EXPECT_EQ(ReadJson(Compact(BindingProperty(d))).GetFloat(), d) << d;
  }
  const std::string deep = std::string(kMaxNestingDepth, '[') + std::string(kMaxNestingDepth, ']');
  EXPECT_EQ(Compact(ReadJson(deep)), deep);
}

/// Records the walk's calls, one letter per operation.
class RecordingWriter final : public ValueWriter {
 public:
  std::string calls;
  void WriteNull() override { calls += 'n'; }
  void WriteBool(bool) override { calls += 'b'; }
  void WriteSigned(int64_t) override { calls += 's'; }
  void WriteUnsigned(uint64_t) override { calls += 'u'; }
  void WriteFloat(double) override { calls += 'f'; }
  void WriteString(std::string_view) override { calls += 't'; }
  void WriteBlob(std::span<const uint8_t>) override { calls += 'x'; }
  void WriteEnum(int32_t, const EnumDescription*) override { calls += 'e'; }
  void BeginCollection(size_t count) override { calls += "[" + std::to_string(count); }
  void BeginElement(size_t index) override { calls += "<" + std::to_string(index); }
  void EndElement(size_t index) override { calls += ">" + std::to_string(index); }
  void EndCollection() override { calls += ']'; }
  void BeginStructure(size_t count) override { calls += "{" + std::to_string(count); }
  void WriteKey(std::string_view name) override { calls += "k" + std::string(name); }
  void EndMember() override { calls += ';'; }
  void EndStructure() override { calls += '}'; }
};

TEST(OrderedJsonObject, KeepsTheOrderOfAdditionAndWritesValuesAsWriteJson) {
  EXPECT_EQ(OrderedJsonObject().Text(), "{}");
  OrderedJsonObject object;
  object.Add("z\"", BindingProperty(int64_t{-7}))
      .Add("a", ReadJson(R"({"y": 1, "x": [true]})"))
      .Add("m", BindingProperty());
  EXPECT_EQ(object.Text(), R"({"z\"":-7,"a":{"x":[true],"y":1},"m":null})");
}

TEST(ValueWriter, WalkCallsOperationsInContractOrder) {
  const BindingProperty value = ReadJson(R"({"b": [true, null], "a": {"c": -1}})");
  RecordingWriter writer;
  WriteValue(value, writer);
  EXPECT_EQ(writer.calls, "{2ka{1kcs;};kb[2<0b>0<1n>1];}");
}

}  // namespace
}  // namespace kiv
