#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "sdk/value/conversion_status.h"
#include "sdk/value/native/convert.h"
#include "sdk/value/native/host_value.h"
#include "sdk/value/native/host_value_fingerprint.h"
#include "sdk/value/native/native_host_tree.h"
#include "sdk/value/native/number_text.h"
#include "sdk/value/native/type_reference.h"

namespace test_model {

enum class Visibility : int32_t { kHidden = 0, kDarkVisible = 1, kVisible = 2 };

struct Inner {
  int32_t a = 7;
  std::string b;
};

struct Outer {
  int64_t id = -1;
  uint32_t small = 0;
  double ratio = 0;
  bool flag = false;
  std::string name;
  Visibility visibility = Visibility::kHidden;
  Inner inner;
  std::vector<int64_t> numbers;
  std::map<std::string, Inner> byName;
  std::unordered_map<std::string, int32_t> counts;
  kiv::Blob bytes;
  kiv::BindingProperty extra;
  std::optional<Inner> maybe;
};

struct Strict {
  int32_t must = 0;
  int32_t quiet = 0;
};

}  // namespace test_model

using test_model::Inner;
using test_model::Outer;
using test_model::Strict;
using test_model::Visibility;

template <>
inline constexpr auto kiv::kEnum<Visibility> =
    kiv::Enum<Visibility>("JoustVisibility", {{"Hidden", 0}, {"DarkVisible", 1}, {"Visible", 2}});
template <>
inline constexpr auto kiv::kRecord<Inner> = kiv::Record<Inner>("Inner", kiv::Field("a", &Inner::a),
                                                               kiv::Field("b", &Inner::b));
template <>
inline constexpr auto kiv::kRecord<Outer> = kiv::Record<Outer>(
    "Outer", kiv::Field("id", &Outer::id), kiv::Field("small", &Outer::small),
    kiv::Field("ratio", &Outer::ratio), kiv::Field("flag", &Outer::flag),
    kiv::Field("name", &Outer::name), kiv::Field("visibility", &Outer::visibility),
    kiv::Field("inner", &Outer::inner), kiv::Field("numbers", &Outer::numbers),
    kiv::Field("byName", &Outer::byName), kiv::Field("counts", &Outer::counts),
    kiv::Field("bytes", &Outer::bytes), kiv::Field("extra", &Outer::extra),
    kiv::Field("maybe", &Outer::maybe));
template <>
inline constexpr auto kiv::kRecord<Strict> =
    kiv::Record<Strict>("Strict", kiv::Field("must", &Strict::must, "", kiv::kRequired),
                        kiv::Field("quiet", &Strict::quiet, "", kiv::kOmitWhenBlank));

namespace kiv {
namespace {

BindingProperty Text(const char* text) { return BindingProperty(text); }

// Converts `value` into T under the name "field"; returns the status error
// ("" on success) and the result.
template <typename T>
std::pair<std::string, T> Convert(const BindingProperty& value) {
  ConversionStatus status;
  T out{};
  FromValue(value, "field", out, status);
  return {std::string(status.Error()), out};
}

TEST(NativeIntegers, FollowRangeAndFormatRules) {
  const std::string format64 = "Value 12abc for 'field' of type int64 is in an incorrect format";
  struct Case {
    const char* desc;
    BindingProperty value;
    std::string error;
    int64_t expected;
  };
  const Case cases[] = {
      {"hex text", Text("0x10"), "", 16},
      {"octal text", Text("010"), "", 8},
      {"empty text", Text(""), "", 0},
      {"leading space", Text("  42"), "", 42},
      {"positive float truncates", BindingProperty(2.9), "", 2},
      {"negative float truncates", BindingProperty(-2.9), "", -2},
      {"enum number", BindingProperty(EnumValue{2, nullptr}), "", 2},
      {"empty value", BindingProperty(), "A value for 'field' is required.", 0},
      {"unsigned above int32", BindingProperty(uint64_t{4294967296}),
       "Value 4294967296 for 'field' of type int32 is out of range", 0},
      {"text above int32", Text("2147483648"),
       "Value 2147483648 for 'field' of type int32 is out of range", 0},
      {"float above int32", BindingProperty(3e9),
       "Value 3e+09 for 'field' of type int32 is out of range", 0},
      {"bool", BindingProperty(true),
       "Couldn't assign value to 'field' of type int32 because the input is of an invalid type "
       "bool.",
       0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.desc);
    auto [error, out] = Convert<int32_t>(c.value);
    EXPECT_EQ(error, c.error);
    EXPECT_EQ(out, c.expected);
  }
  EXPECT_EQ(Convert<int64_t>(Text("12abc")).first, format64);
}

TEST(NativeIntegers, UnsignedRejectsNegatives) {
  EXPECT_EQ(Convert<uint64_t>(Text("-1")).first,
            "Value -1 for 'field' of type uint64 is out of range");
  EXPECT_EQ(Convert<uint32_t>(BindingProperty(int64_t{-1})).first,
            "Value -1 for 'field' of type uint32 is out of range");
  EXPECT_EQ(Convert<uint32_t>(BindingProperty(uint64_t{4294967296})).first,
            "Value 4294967296 for 'field' of type uint32 is out of range");
  EXPECT_EQ(Convert<uint64_t>(Text("18446744073709551615")).second, UINT64_MAX);
  EXPECT_EQ(Convert<uint64_t>(Text("18446744073709551616")).first,
            "Value 18446744073709551616 for 'field' of type uint64 is out of range");
  EXPECT_EQ(Convert<uint8_t>(BindingProperty(255.0)).second, 255);
}

TEST(NumberText, ReadersShareTheMessages) {
  ConversionStatus status;
  ParseSignedText("1x", "yaml", "int64_t", status);
  EXPECT_EQ(status.Error(), "Value 1x for 'yaml' of type int64_t is in an incorrect format");
  status.Reset();
  ParseUnsignedText("-5", "yaml", "uint64_t", status);
  EXPECT_EQ(status.Error(), "Value -5 for 'yaml' of type uint64_t is out of range");
  status.Reset();
  EXPECT_EQ(ParseDoubleText("2.5", "yaml", "double", status), 2.5);
  ParseDoubleText("1e999", "yaml", "double", status);
  EXPECT_EQ(status.Error(), "Value 1e999 for 'yaml' of type double is out of range");
  // The first failure wins.
  ParseSignedText("zz", "other", "int64_t", status);
  EXPECT_EQ(status.Error(), "Value 1e999 for 'yaml' of type double is out of range");
}

TEST(NativeFloats, CheckLimitsAndText) {
  EXPECT_EQ(Convert<double>(Text("1.25")).second, 1.25);
  EXPECT_EQ(Convert<float>(BindingProperty(1e39)).first,
            "Value 1e+39 for 'field' of type float is out of range");
  EXPECT_EQ(Convert<double>(Text("1.5x")).first,
            "Value 1.5x for 'field' of type double is in an incorrect format");
  EXPECT_EQ(Convert<double>(BindingProperty(uint64_t{3})).second, 3.0);
}

TEST(NativeBool, AcceptsOnlyBoolAndFourTexts) {
  EXPECT_TRUE(Convert<bool>(Text("1")).second);
  EXPECT_FALSE(Convert<bool>(Text("false")).second);
  EXPECT_EQ(Convert<bool>(BindingProperty(int64_t{1})).first,
            "Couldn't assign value to 'field' of type bool because the input is of an invalid "
            "type signed.");
  EXPECT_EQ(Convert<bool>(Text("TRUE")).first,
            "Value TRUE for 'field' of type bool is in an incorrect format. Options are \"true\", "
            "\"false\", \"1\", \"0\".");
}

TEST(NativeEnum, ReadsNamesNumbersAndNumberText) {
  const EnumDescription& description = EnumDescriptionOf<Visibility>();
  struct Case {
    const char* desc;
    BindingProperty value;
    std::string error;
    Visibility expected;
  };
  const Case cases[] = {
      {"name", Text("Visible"), "", Visibility::kVisible},
      {"number text", Text("1"), "", Visibility::kDarkVisible},
      {"number", BindingProperty(uint64_t{2}), "", Visibility::kVisible},
      {"enum value", BindingProperty(EnumValue{1, &description}), "", Visibility::kDarkVisible},
      {"unknown number", BindingProperty(int64_t{3}),
       "3 is not a valid JoustVisibility enumeration value for 'field'.", Visibility::kHidden},
      {"unknown name", Text("visible"),
       "visible is not a valid JoustVisibility enumeration value for 'field'.",
       Visibility::kHidden},
      {"float", BindingProperty(1.0),
       "Couldn't assign value to 'field' of enum type because the input is of an invalid type "
       "float.",
       Visibility::kHidden},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.desc);
    auto [error, out] = Convert<Visibility>(c.value);
    EXPECT_EQ(error, c.error);
    EXPECT_EQ(out, c.expected);
  }
}

TEST(NativeString, TakesStringsAndEnumNames) {
  EXPECT_EQ(
      Convert<std::string>(BindingProperty(EnumValue{2, &EnumDescriptionOf<Visibility>()})).second,
      "Visible");
  EXPECT_EQ(
      Convert<std::string>(BindingProperty(EnumValue{9, &EnumDescriptionOf<Visibility>()})).first,
      "9 is not a valid enumeration value for 'field'.");
  EXPECT_EQ(Convert<std::string>(BindingProperty(int64_t{4})).first,
            "Couldn't assign value to 'field' because the input is not a string.");
}

TEST(NativeRecord, KeepsDefaultsAndReportsShapeErrors) {
  BindingProperty value;
  value.MutableMember("id");  // empty: keeps the default
  value.MutableMember("name") = "n";
  value.MutableMember("unknown") = 5;
  auto [error, out] = Convert<Outer>(value);
  EXPECT_EQ(error, "");
  EXPECT_EQ(out.id, -1);
  EXPECT_EQ(out.inner.a, 7);
  EXPECT_EQ(out.name, "n");
  EXPECT_FALSE(out.maybe.has_value());

  ConversionStatus status;
  Outer target;
  FromValue(BindingProperty(), "<value>", target, status);
  EXPECT_EQ(status.Error(), "A value for '<value>' is required.");
  EXPECT_EQ(Convert<Outer>(BindingProperty(int64_t{1})).first,
            "Couldn't assign value to 'field' of type Outer because the input not a structure.");

  BindingProperty strict;
  strict.MutableMember("quiet") = 1;
  EXPECT_EQ(Convert<Strict>(strict).first,
            "Couldn't assign value to 'field' of type Strict because the input structure doesn't "
            "have required field 'must'.");
}

TEST(NativeRecord, FirstFieldErrorWins) {
  BindingProperty value;
  value.MutableMember("id") = "x";
  value.MutableMember("small") = -1;
  EXPECT_EQ(Convert<Outer>(value).first,
            "Value x for 'id' of type int64 is in an incorrect format");
}

TEST(NativeContainers, VectorsAndMaps) {
  BindingProperty list;
  list.AppendElement() = 1;
  list.AppendElement();
  list.AppendElement() = 3;
  EXPECT_EQ((Convert<std::vector<int64_t>>(list).second), (std::vector<int64_t>{1, 0, 3}));
  EXPECT_EQ(Convert<std::vector<int64_t>>(BindingProperty()).first,
            "Couldn't assign value to 'field' of type vector because the input not a collection.");
  list.MutableElement(1) = "bad";
  EXPECT_EQ(Convert<std::vector<int64_t>>(list).first,
            "Value bad for 'field' of type int64 is in an incorrect format");

  BindingProperty map;
  map.MutableMember("a") = 1;
  map.MutableMember("skip");
  auto [error, counts] = Convert<std::unordered_map<std::string, int32_t>>(map);
  EXPECT_EQ(error, "");
  EXPECT_EQ(counts.size(), 1u);
  EXPECT_EQ(counts["a"], 1);
  EXPECT_EQ((Convert<std::map<std::string, int32_t>>(list).first),
            "Couldn't assign value to 'field' of type map because the input not a structure.");
  EXPECT_EQ(Convert<Blob>(Text("abc")).first,
            "Couldn't assign value to 'field' of type blob because the input is of an invalid "
            "type string.");
}

// An Outer with every field set.
Outer EveryKind() {
  Outer original;
  original.id = 1234567890123;
  original.small = 4000000000u;
  original.ratio = 0.25;
  original.flag = true;
  original.name = "team";
  original.visibility = Visibility::kDarkVisible;
  original.inner = {5, "inner"};
  original.numbers = {1, -2, 3};
  original.byName = {{"x", {1, "one"}}, {"y", {2, "two"}}};
  original.counts = {{"k", 9}, {"a", 1}, {"m", 0}};
  original.bytes = {0, 1, 255};
  original.extra.MutableMember("free").AppendElement() = "form";
  original.maybe = Inner{8, "maybe"};
  return original;
}

TEST(NativeRecord, RoundTripsEveryFieldKind) {
  const Outer original = EveryKind();
  ConversionStatus status;
  const BindingProperty value = ToValue(original, status);
  ASSERT_TRUE(status.IsValid());
  EXPECT_EQ(value.Member("visibility").GetEnum().number, 1);
  EXPECT_EQ(value.Member("bytes").Kind(), ValueKind::kBlob);

  Outer back;
  FromValue(value, "<value>", back, status);
  ASSERT_TRUE(status.IsValid()) << status.Error();
  EXPECT_EQ(back.id, original.id);
  EXPECT_EQ(back.small, original.small);
  EXPECT_EQ(back.ratio, original.ratio);
  EXPECT_EQ(back.flag, original.flag);
  EXPECT_EQ(back.name, original.name);
  EXPECT_EQ(back.visibility, original.visibility);
  EXPECT_EQ(back.inner.b, "inner");
  EXPECT_EQ(back.numbers, original.numbers);
  EXPECT_EQ(back.byName.at("y").b, "two");
  EXPECT_EQ(back.counts, original.counts);
  EXPECT_EQ(back.bytes, original.bytes);
  EXPECT_EQ(back.extra, original.extra);
  ASSERT_TRUE(back.maybe.has_value());
  EXPECT_EQ(back.maybe->a, 8);
}

TEST(NativeRecord, OmitsBlankFieldsOnlyWhenFlagged) {
  ConversionStatus status;
  const BindingProperty value = ToValue(Strict{}, status);
  EXPECT_NE(value.FindMember("must"), nullptr);
  EXPECT_EQ(value.FindMember("quiet"), nullptr);
  EXPECT_EQ(ToValue(Strict{0, 3}, status).Member("quiet").GetSigned(), 3);
}

// Whether two host forms hold the same records, member order included.
bool SameHostValue(const HostValue& left, const HostValue& right) {
  if (left.tag != right.tag) return false;
  switch (left.tag) {
    case KIV_VALUE_BOOL:
      return left.u.boolean == right.u.boolean;
    case KIV_VALUE_SIGNED:
    case KIV_VALUE_UNSIGNED:
    case KIV_VALUE_FLOAT:
      return left.u.unsignedValue == right.u.unsignedValue;
    case KIV_VALUE_TEXT:
    case KIV_VALUE_BYTES:
      return std::string_view(left.u.text.data, left.u.text.size) ==
             std::string_view(right.u.text.data, right.u.text.size);
    case KIV_VALUE_COLLECTION:
      if (left.u.collection.count != right.u.collection.count) return false;
      for (uint32_t i = 0; i < left.u.collection.count; ++i) {
        if (!SameHostValue(left.u.collection.items[i], right.u.collection.items[i])) return false;
      }
      return true;
    case KIV_VALUE_STRUCTURE:
      if (left.u.structure.count != right.u.structure.count) return false;
      for (uint32_t i = 0; i < left.u.structure.count; ++i) {
        const HostMember& a = left.u.structure.members[i];
        const HostMember& b = right.u.structure.members[i];
        if (std::string_view(a.name) != b.name || !SameHostValue(a.value, b.value)) return false;
      }
      return true;
    default:
      return true;
  }
}

// The straight writer must give the records the value tree gives.
template <typename T>
void ExpectSameHostForm(const T& native) {
  ConversionStatus status;
  const HostValueTree viaTree(ToValue(native, status));
  const NativeHostTree direct(native);
  EXPECT_TRUE(SameHostValue(direct.Root(), viaTree.Root()));
}

TEST(NativeHostTree, WritesWhatTheValueTreeWrites) {
  ExpectSameHostForm(EveryKind());
  ExpectSameHostForm(Outer{});
  ExpectSameHostForm(Strict{});
  ExpectSameHostForm(Strict{0, 3});
  ExpectSameHostForm(std::vector<Strict>{{1, 0}, {2, 5}});
  ExpectSameHostForm(std::optional<Inner>());
  ExpectSameHostForm(Visibility(7));
  ExpectSameHostForm(std::string("text"));
}

// A fingerprint tells a value from every value one change away, and equal
// values (an unordered map filled in another order included) give the same.
TEST(NativeFingerprint, ChangesWithEveryFieldAndOnlyThen) {
  const Outer base = EveryKind();
  Outer refilled = base;
  refilled.counts.clear();
  refilled.counts = {{"m", 0}, {"a", 1}, {"k", 9}};
  EXPECT_EQ(NativeFingerprint(refilled), NativeFingerprint(base));

  const std::vector<std::pair<const char*, void (*)(Outer&)>> changes = {
      {"id", [](Outer& o) { o.id = -o.id; }},
      {"small", [](Outer& o) { o.small = 1; }},
      {"ratio", [](Outer& o) { o.ratio = 0.5; }},
      {"flag", [](Outer& o) { o.flag = false; }},
      {"name", [](Outer& o) { o.name = "teal"; }},
      {"visibility", [](Outer& o) { o.visibility = Visibility::kHidden; }},
      {"inner text", [](Outer& o) { o.inner.b = "inne"; }},
      {"numbers order", [](Outer& o) { std::swap(o.numbers[0], o.numbers[1]); }},
      {"numbers size", [](Outer& o) { o.numbers.push_back(0); }},
      {"map key",
       [](Outer& o) {
         o.byName["z"] = o.byName["y"];
         o.byName.erase("y");
       }},
      {"unordered value", [](Outer& o) { o.counts["a"] = 2; }},
      {"bytes", [](Outer& o) { o.bytes[2] = 254; }},
      {"property", [](Outer& o) { o.extra.MutableMember("free").AppendElement() = "more"; }},
      {"optional emptied", [](Outer& o) { o.maybe.reset(); }},
      {"optional inner", [](Outer& o) { o.maybe->a = 9; }},
  };
  for (const auto& [name, change] : changes) {
    Outer changed = base;
    change(changed);
    EXPECT_NE(NativeFingerprint(changed), NativeFingerprint(base)) << name;
  }
}

TEST(NativeConversion, InvalidStatusDoesNothing) {
  ConversionStatus status;
  status.SetError("earlier");
  int32_t out = 5;
  FromValue(BindingProperty(int64_t{1}), "field", out, status);
  EXPECT_EQ(out, 5);
  EXPECT_EQ(status.Error(), "earlier");
  EXPECT_TRUE(ToValue(Inner{}, status).IsEmpty());
}

TEST(TypeReference, DeducedFromMemberTypes) {
  static_assert(TypeReferenceOf<std::vector<Inner>>().type == NativeType::kVector);
  static_assert(TypeReferenceOf<std::vector<Inner>>().element->typeId == StaticType::Id<Inner>());
  static_assert(TypeReferenceOf<std::optional<Inner>>().type == NativeType::kStruct);
  static_assert(TypeReferenceOf<std::map<std::string, Visibility>>().element->type ==
                NativeType::kEnum);
  static_assert(TypeReferenceOf<Blob>().type == NativeType::kBlob);
  static_assert(TypeReferenceOf<BindingProperty>().type == NativeType::kObject);
  static_assert(TypeReferenceOf<uint16_t>().type == NativeType::kUint16);
}

}  // namespace
}  // namespace kiv
