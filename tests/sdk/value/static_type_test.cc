#include "sdk/value/static_type.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "sdk/value/enum_description.h"
#include "sdk/value/native_type.h"
#include "sdk/value/value_kind.h"

namespace sample {
struct Team {};
enum class Visibility { kHidden };
}  // namespace sample

namespace kiv {

struct Renamed {};
template <>
struct StaticTypeName<Renamed> {
  static constexpr std::string_view value = "RenamedRecord";
};

namespace {

static_assert(StaticType::Id<int>() != StaticType::Id<unsigned>());
static_assert(StaticType::Name<sample::Team>() == "sample::Team");
static_assert(StaticType::Id<Renamed>() == value_internal::Fnv1a32("RenamedRecord"));

TEST(StaticType, IdsAreDistinctPerType) {
  const std::set<uint32_t> ids = {StaticType::Id<bool>(),
                                  StaticType::Id<int8_t>(),
                                  StaticType::Id<uint8_t>(),
                                  StaticType::Id<int32_t>(),
                                  StaticType::Id<int64_t>(),
                                  StaticType::Id<double>(),
                                  StaticType::Id<std::string>(),
                                  StaticType::Id<std::vector<int>>(),
                                  StaticType::Id<sample::Team>(),
                                  StaticType::Id<sample::Visibility>(),
                                  StaticType::Id<std::vector<sample::Team>>()};
  EXPECT_EQ(ids.size(), 11u);
  EXPECT_EQ(StaticType::Name<sample::Visibility>(), "sample::Visibility");
}

TEST(StaticType, TextFormIsHashAndEightUpperHexDigits) {
  EXPECT_EQ(FormatStaticTypeId(0xABCu), "#00000ABC");
  EXPECT_EQ(FormatStaticTypeId(0xDEADBEEFu), "#DEADBEEF");
}

TEST(KindName, NamesEveryCodeAndNothingElse) {
  const std::vector<std::string> expected = {"empty",  "bool", "signed", "unsigned",   "float",
                                             "string", "blob", "enum",   "collection", "structure"};
  for (uint32_t code = 0; code < expected.size(); ++code) EXPECT_EQ(KindName(code), expected[code]);
  EXPECT_STREQ(KindName(10), "");
  EXPECT_STREQ(KindName(ValueKind::kStructure), "structure");
}

TEST(NativeTypeName, NamesCodesOneToNineteen) {
  EXPECT_STREQ(NativeTypeName(0), "");
  EXPECT_STREQ(NativeTypeName(1), "bool");
  EXPECT_STREQ(NativeTypeName(13), "object");
  EXPECT_STREQ(NativeTypeName(NativeType::kCallback), "callback");
  EXPECT_STREQ(NativeTypeName(19), "map");
  EXPECT_STREQ(NativeTypeName(20), "");
}

TEST(EnumDescription, LooksUpBothWays) {
  EnumDescription type("JoustVisibility", {{"Hidden", 0}, {"DarkVisible", 1}, {"Visible", 2}});
  EXPECT_EQ(type.NumberOf("DarkVisible"), 1);
  EXPECT_STREQ(type.NameOf(2), "Visible");
  EXPECT_EQ(type.NameOf(3), nullptr);
  EXPECT_EQ(type.NumberOf("visible"), std::nullopt);
  type.AddValue("Alias", 2);
  EXPECT_STREQ(type.NameOf(2), "Visible");  // The first registered name wins.
}

}  // namespace
}  // namespace kiv
