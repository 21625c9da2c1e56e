#include "sdk/codec/value_builder.h"

#include <gtest/gtest.h>

namespace kiv {
namespace {

TEST(ValueBuilder, RepeatedNameReplacesScalarsMergesMapsAndContinuesLists) {
  BindingProperty root;
  ValueBuilder builder(root);
  ASSERT_TRUE(builder.BeginMap());
  builder.Key("s");
  builder.Unsigned(1);
  builder.Key("s");
  builder.String("two");
  builder.Key("m");
  builder.BeginMap();
  builder.Key("x");
  builder.Unsigned(1);
  builder.EndMap();
  builder.Key("m");
  builder.BeginMap();
  builder.Key("y");
  builder.Unsigned(2);
  builder.EndMap();
  builder.Key("l");
  builder.BeginList();
  builder.Unsigned(1);
  builder.EndList();
  builder.Key("l");
  builder.BeginList();
  builder.Unsigned(2);
  builder.EndList();
  ASSERT_TRUE(builder.EndMap());

  EXPECT_EQ(root.Member("s").GetString(), "two");
  EXPECT_EQ(root.Member("m").Size(), 2u);
  EXPECT_EQ(root.Member("m").Member("y").GetUnsigned(), 2u);
  ASSERT_EQ(root.Member("l").Size(), 2u);
  EXPECT_EQ(root.Member("l").Element(1).GetUnsigned(), 2u);
}

TEST(ValueBuilder, OverwriteFromStartReusesAnExistingList) {
  BindingProperty root;
  ValueBuilder builder(root, ValueBuilder::ExistingList::kOverwriteFromStart);
  builder.BeginMap();
  builder.Key("l");
  builder.BeginList();
  builder.Unsigned(1);
  builder.Unsigned(2);
  builder.EndList();
  builder.Key("l");
  builder.BeginList();
  builder.Unsigned(9);
  builder.EndList();
  builder.EndMap();
  ASSERT_EQ(root.Member("l").Size(), 2u);
  EXPECT_EQ(root.Member("l").Element(0).GetUnsigned(), 9u);
  EXPECT_EQ(root.Member("l").Element(1).GetUnsigned(), 2u);
}

TEST(ValueBuilder, RefusesNestingBeyondTheLimit) {
  BindingProperty root;
  ValueBuilder builder(root);
  for (size_t i = 0; i < kMaxNestingDepth; ++i) ASSERT_TRUE(builder.BeginList()) << i;
  EXPECT_FALSE(builder.DepthExceeded());
  EXPECT_FALSE(builder.BeginMap());
  EXPECT_TRUE(builder.DepthExceeded());
}

TEST(ValueBuilder, RefusesValuesWithoutKeysAndUnmatchedEnds) {
  BindingProperty root;
  ValueBuilder builder(root);
  EXPECT_FALSE(builder.EndList());
  builder.BeginMap();
  EXPECT_TRUE(builder.ExpectsKey());
  EXPECT_FALSE(builder.Unsigned(1));
  EXPECT_FALSE(builder.EndList());
  builder.Key("a");
  EXPECT_FALSE(builder.ExpectsKey());
  EXPECT_FALSE(builder.Key("b"));
}

}  // namespace
}  // namespace kiv
