#include "sdk/value/native/host_value.h"
#include "sdk/value/conversion_status.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "sdk/value/enum_description.h"

namespace kiv {
namespace {

TEST(HostValue, RoundTripsEveryKind) {
  BindingProperty value;
  value.MutableMember("b") = true;
  value.MutableMember("s") = int64_t{-5};
  value.MutableMember("u") = uint64_t{7};
  value.MutableMember("f") = 0.5;
  value.MutableMember("t") = "text";
  value.MutableMember("blob") = Blob{1, 0, 2};
  value.MutableMember("list").AppendElement() = "x";
  value.MutableMember("list").AppendElement();
  value.MutableMember("empty");

  const HostValueTree tree(value);
  EXPECT_EQ(tree.Root().tag, uint32_t{KIV_VALUE_STRUCTURE});
  ConversionStatus status;
  const BindingProperty back = HostValueToProperty(tree.Root(), "<result>", status);
  EXPECT_TRUE(status.IsValid());
  EXPECT_EQ(back, value);
}

TEST(HostValue, EnumsCrossAsNameOrNumber) {
  const EnumDescription description("Visibility", {{"Hidden", 0}, {"Visible", 2}});
  BindingProperty value;
  value.AppendElement() = EnumValue{2, &description};
  value.AppendElement() = EnumValue{5, &description};
  const HostValueTree tree(value);
  const HostValue* items = tree.Root().u.collection.items;
  EXPECT_EQ(items[0].tag, uint32_t{KIV_VALUE_TEXT});
  EXPECT_EQ(std::string(items[0].u.text.data, items[0].u.text.size), "Visible");
  EXPECT_EQ(items[1].tag, uint32_t{KIV_VALUE_SIGNED});
  const int64_t number = items[1].u.signedValue;  // packed: copy before comparing
  EXPECT_EQ(number, 5);
}

TEST(HostValue, IncomingTextEndsAtNulOrSize) {
  HostValue text{};
  text.tag = KIV_VALUE_TEXT_ALT;
  text.u.text.data = "abc\0def";
  text.u.text.size = 7;
  ConversionStatus status;
  EXPECT_EQ(HostValueToProperty(text, "x", status).GetString(), "abc");
  text.u.text.size = 2;
  EXPECT_EQ(HostValueToProperty(text, "x", status).GetString(), "ab");
}

TEST(HostValue, UnknownTagFailsAnywhereInTheTree) {
  HostValue items[2]{};
  items[0].tag = KIV_VALUE_SIGNED;
  items[1].tag = 11;
  HostValue list{};
  list.tag = KIV_VALUE_COLLECTION;
  list.u.collection.items = items;
  list.u.collection.count = 2;
  ConversionStatus status;
  EXPECT_TRUE(HostValueToProperty(list, "<result>", status).IsEmpty());
  EXPECT_EQ(status.Error(),
            "Couldn't assign value to '<result>' of type object because the input is of an "
            "incompatible type ''.");
}

TEST(HostValue, DuplicateMemberNamesKeepTheLast) {
  HostMember members[2]{};
  members[0].name = "a";
  members[0].value.tag = KIV_VALUE_SIGNED;
  members[0].value.u.signedValue = 1;
  members[1].name = "a";
  members[1].value.tag = KIV_VALUE_SIGNED;
  members[1].value.u.signedValue = 2;
  HostValue structure{};
  structure.tag = KIV_VALUE_STRUCTURE;
  structure.u.structure.members = members;
  structure.u.structure.count = 2;
  ConversionStatus status;
  const BindingProperty value = HostValueToProperty(structure, "x", status);
  EXPECT_EQ(value.Size(), 1u);
  EXPECT_EQ(value.Member("a").GetSigned(), 2);
}

TEST(HostValue, HundredThousandLevelsBothWays) {
  constexpr int kDepth = 100000;
  BindingProperty root;
  BindingProperty* cursor = &root;
  for (int i = 0; i < kDepth; ++i) cursor = &cursor->MutableMember("next");
  *cursor = "bottom";

  const HostValueTree tree(root);
  const HostValue* host = &tree.Root();
  for (int i = 0; i < kDepth; ++i) {
    ASSERT_EQ(host->tag, uint32_t{KIV_VALUE_STRUCTURE});
    host = &host->u.structure.members[0].value;
  }
  EXPECT_EQ(host->tag, uint32_t{KIV_VALUE_TEXT});

  ConversionStatus status;
  const BindingProperty back = HostValueToProperty(tree.Root(), "<result>", status);
  ASSERT_TRUE(status.IsValid());
  const BindingProperty* walk = &back;
  for (int i = 0; i < kDepth; ++i) walk = &walk->Member("next");
  EXPECT_EQ(walk->GetString(), "bottom");
}

}  // namespace
}  // namespace kiv
