#include "sdk/codec/value_builder.h"

#include "sdk/codec/json_writer.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace kiv {
namespace {

// The readers' rule for repeated names, applied event by event to the tree
// built so far: the reference the builder's one-pass assembly must match.
class IncrementalReference {
 public:
  IncrementalReference(BindingProperty& root, bool append) : root_(root), append_(append) {}
  void Key(const std::string& name) { pending_ = &stack_.back().container->MutableMember(name); }
  void Scalar(int64_t value) { Target() = value; }
  void Begin(bool isMap) {
    BindingProperty& target = Target();
    if (isMap && !target.IsStructure()) target.SetEmptyStructure();
    if (!isMap && !target.IsCollection()) target.SetEmptyCollection();
    stack_.push_back({&target, isMap, isMap || append_ ? target.Size() : 0});
  }
  void End() { stack_.pop_back(); }

 private:
  struct Open {
    BindingProperty* container;
    bool isMap;
    size_t next;
  };
  BindingProperty& Target() {
    if (stack_.empty()) return root_;
    if (stack_.back().isMap) return *pending_;
    return stack_.back().container->MutableElement(stack_.back().next++);
  }
  BindingProperty& root_;
  bool append_;
  BindingProperty* pending_ = nullptr;
  std::vector<Open> stack_;
};

// Random documents over three names and four levels, so that names repeat
// with every combination of kinds, fed to both.
template <typename Sink>
void RandomDocument(std::mt19937& random, Sink& sink, int depth, bool isMap) {
  const int children = static_cast<int>(random() % 5);
  for (int child = 0; child < children; ++child) {
    if (isMap) sink.Key(std::string(1, static_cast<char>('a' + random() % 3)));
    const uint32_t kind = depth < 4 ? random() % 3 : 0;
    if (kind == 0) {
      sink.Scalar(static_cast<int64_t>(random() % 100));
    } else {
      sink.Begin(kind == 1);
      RandomDocument(random, sink, depth + 1, kind == 1);
      sink.End(kind == 1);
    }
  }
}

struct BuilderSink {
  ValueBuilder& builder;
  void Key(const std::string& name) { ASSERT_TRUE(builder.Key(name)); }
  void Scalar(int64_t value) { builder.Signed(value); }
  void Begin(bool isMap) { isMap ? builder.BeginMap() : builder.BeginList(); }
  void End(bool isMap) { ASSERT_TRUE(isMap ? builder.EndMap() : builder.EndList()); }
};

struct ReferenceSink {
  IncrementalReference& reference;
  void Key(const std::string& name) { reference.Key(name); }
  void Scalar(int64_t value) { reference.Scalar(value); }
  void Begin(bool isMap) { reference.Begin(isMap); }
  void End(bool) { reference.End(); }
};

TEST(ValueBuilder, RepeatedNamesMatchApplyingEachEventInTurn) {
  for (const bool append : {true, false}) {
    std::mt19937 random(append ? 7 : 11);
    for (int document = 0; document < 3000; ++document) {
      const uint32_t seed = static_cast<uint32_t>(random());
      BindingProperty built;
      BindingProperty expected;
      {
        ValueBuilder builder(built, append ? ValueBuilder::ExistingList::kAppend
                                           : ValueBuilder::ExistingList::kOverwriteFromStart);
        BuilderSink sink{builder};
        std::mt19937 events(seed);
        sink.Begin(true);
        RandomDocument(events, sink, 1, true);
        sink.End(true);
      }
      IncrementalReference reference(expected, append);
      ReferenceSink sink{reference};
      std::mt19937 events(seed);
      sink.Begin(true);
      RandomDocument(events, sink, 1, true);
      sink.End(true);
      ASSERT_EQ(built, expected) << "seed " << seed << (append ? " appending" : " overwriting")
                                 << "\nbuilt:    " << WriteJson(built)
                                 << "\nexpected: " << WriteJson(expected);
    }
  }
}

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

// The names of `value`'s members in storage order.
std::vector<std::string> Names(const BindingProperty& value) {
  std::vector<std::string> names;
  for (const BindingMember& member : value.Members()) names.emplace_back(member.Name());
  return names;
}

TEST(ValueBuilder, RepeatedNamesInAnyOrderSelectTheEarlierMember) {
  BindingProperty root;
  ValueBuilder builder(root);
  ASSERT_TRUE(builder.BeginMap());
  builder.Key("z");
  builder.Unsigned(1);
  builder.Key("a");
  builder.BeginMap();
  builder.Key("y");
  builder.Unsigned(1);
  builder.Key("b");
  builder.Unsigned(2);
  builder.EndMap();
  builder.Key("m");
  builder.String("first");
  builder.Key("z");
  builder.String("last");
  builder.Key("a");
  builder.BeginMap();
  builder.Key("c");
  builder.Unsigned(3);
  builder.Key("y");
  builder.Unsigned(9);
  builder.EndMap();
  ASSERT_TRUE(builder.EndMap());

  EXPECT_EQ(Names(root), (std::vector<std::string>{"a", "m", "z"}));
  EXPECT_EQ(root.Member("z").GetString(), "last");
  EXPECT_EQ(root.Member("m").GetString(), "first");
  EXPECT_EQ(Names(root.Member("a")), (std::vector<std::string>{"b", "c", "y"}));
  EXPECT_EQ(root.Member("a").Member("y").GetUnsigned(), 9u);
}

// A list replacing a map frees the map's names; the next names take their
// memory. A map whose new names sit where the freed ones sat must still be
// put in its own name order, not the order remembered for the freed ones.
TEST(ValueBuilder, NamesInFreedMemoryGetTheirOwnOrder) {
  BindingProperty root;
  ValueBuilder builder(root);
  builder.BeginMap();
  builder.Key("k");
  builder.BeginMap();
  builder.Key("zed");
  builder.Unsigned(1);
  builder.Key("foo");
  builder.Unsigned(2);
  builder.EndMap();
  builder.Key("k");
  builder.BeginList();
  builder.Unsigned(1);
  builder.EndList();
  builder.Key("a longer outer name");
  builder.BeginMap();
  builder.Key("aaa");
  builder.Unsigned(1);
  builder.Key("bbb");
  builder.Unsigned(2);
  builder.EndMap();
  ASSERT_TRUE(builder.EndMap());

  const BindingProperty& inner = root.Member("a longer outer name");
  EXPECT_EQ(Names(inner), (std::vector<std::string>{"aaa", "bbb"}));
  EXPECT_EQ(inner.Member("aaa").GetUnsigned(), 1u);

  // The same when a scalar overwrites a root map, and a map follows.
  BindingProperty replaced;
  ValueBuilder again(replaced);
  again.BeginMap();
  again.Key("zed");
  again.Unsigned(1);
  again.Key("foo");
  again.Unsigned(2);
  again.EndMap();
  again.Unsigned(5);
  again.BeginMap();
  again.Key("aaa");
  again.Unsigned(1);
  again.Key("bbb");
  again.Unsigned(2);
  ASSERT_TRUE(again.EndMap());
  EXPECT_EQ(Names(replaced), (std::vector<std::string>{"aaa", "bbb"}));
}

TEST(ValueBuilder, NestedMergesFollowTheOrderOfEvents) {
  // a.x is a map, then a scalar, then a map again: the last map starts afresh
  // instead of merging into the first.
  BindingProperty root;
  ValueBuilder builder(root);
  builder.BeginMap();
  builder.Key("a");
  builder.BeginMap();
  builder.Key("x");
  builder.BeginMap();
  builder.Key("p");
  builder.Unsigned(1);
  builder.EndMap();
  builder.Key("keep");
  builder.Bool(true);
  builder.EndMap();
  builder.Key("a");
  builder.BeginMap();
  builder.Key("x");
  builder.Unsigned(5);
  builder.Key("x");
  builder.BeginMap();
  builder.Key("q");
  builder.Unsigned(2);
  builder.EndMap();
  builder.Key("x");
  builder.BeginMap();
  builder.Key("r");
  builder.BeginList();
  builder.Unsigned(7);
  builder.EndList();
  builder.EndMap();
  builder.EndMap();
  ASSERT_TRUE(builder.EndMap());

  const BindingProperty& a = root.Member("a");
  EXPECT_EQ(Names(a), (std::vector<std::string>{"keep", "x"}));
  EXPECT_EQ(Names(a.Member("x")), (std::vector<std::string>{"q", "r"}));
  EXPECT_EQ(a.Member("x").Member("r").Element(0).GetUnsigned(), 7u);
}

TEST(ValueBuilder, OverwriteFromStartMergesMapsElementByElement) {
  BindingProperty root;
  ValueBuilder builder(root, ValueBuilder::ExistingList::kOverwriteFromStart);
  builder.BeginMap();
  builder.Key("l");
  builder.BeginList();
  builder.BeginMap();
  builder.Key("x");
  builder.Unsigned(1);
  builder.EndMap();
  builder.BeginMap();
  builder.Key("y");
  builder.Unsigned(1);
  builder.EndMap();
  builder.EndList();
  builder.Key("l");
  builder.BeginList();
  builder.BeginMap();
  builder.Key("b");
  builder.Unsigned(2);
  builder.Key("x");
  builder.Unsigned(2);
  builder.EndMap();
  builder.EndList();
  builder.EndMap();

  const BindingProperty& list = root.Member("l");
  ASSERT_EQ(list.Size(), 2u);
  EXPECT_EQ(Names(list.Element(0)), (std::vector<std::string>{"b", "x"}));
  EXPECT_EQ(list.Element(0).Member("x").GetUnsigned(), 2u);
  EXPECT_EQ(Names(list.Element(1)), (std::vector<std::string>{"y"}));
}

TEST(ValueBuilder, LargeMapsInDescendingOrderEndSortedWithRepeatsResolved) {
  constexpr int kCount = 100000;
  BindingProperty root;
  ValueBuilder builder(root);
  builder.BeginMap();
  for (int number = kCount - 1; number >= 0; --number) {
    char name[16];
    std::snprintf(name, sizeof name, "k%06d", number);
    ASSERT_TRUE(builder.Key(name));
    builder.Signed(number);
  }
  // Repeats beyond the linear search reach the hash index.
  builder.Key("k000007");
  builder.String("again");
  builder.Key("k099999");
  builder.BeginList();
  builder.EndList();
  ASSERT_TRUE(builder.EndMap());

  ASSERT_EQ(root.Size(), static_cast<size_t>(kCount));
  const auto members = root.Members();
  for (size_t at = 1; at < members.size(); ++at) {
    ASSERT_LT(members[at - 1].Name(), members[at].Name()) << at;
  }
  EXPECT_EQ(root.Member("k000007").GetString(), "again");
  EXPECT_TRUE(root.Member("k099999").IsCollection());
  EXPECT_EQ(root.Member("k054321").GetSigned(), 54321);
}

TEST(ValueBuilder, ClosedContainerIsTheMergedTargetInNameOrder) {
  BindingProperty root;
  ValueBuilder builder(root);
  builder.BeginMap();
  builder.Key("a");
  builder.BeginMap();
  builder.Key("p");
  builder.Unsigned(1);
  builder.EndMap();
  builder.Key("a");
  builder.BeginMap();
  builder.Key("q");
  builder.Unsigned(2);
  builder.Key("b");
  builder.Unsigned(3);
  ASSERT_TRUE(builder.EndMap());
  EXPECT_EQ(Names(builder.ClosedContainer()), (std::vector<std::string>{"b", "p", "q"}));
}

TEST(ValueBuilder, CloseOpenContainersLeavesMapsInNameOrder) {
  BindingProperty root;
  ValueBuilder builder(root);
  builder.BeginMap();
  builder.Key("b");
  builder.BeginMap();
  builder.Key("y");
  builder.Unsigned(1);
  builder.Key("x");
  builder.Unsigned(2);
  builder.Key("a");
  builder.CloseOpenContainers();
  EXPECT_EQ(builder.Depth(), 0u);
  EXPECT_EQ(Names(root), (std::vector<std::string>{"b"}));
  EXPECT_EQ(Names(root.Member("b")), (std::vector<std::string>{"a", "x", "y"}));
  EXPECT_EQ(root.Member("b").Member("x").GetUnsigned(), 2u);
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
