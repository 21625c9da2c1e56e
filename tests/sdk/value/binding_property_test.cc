#include "sdk/value/binding_property.h"
#include "sdk/value/conversion_status.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <type_traits>
#include <vector>

#include "sdk/memory/memory_stats.h"
#include "sdk/value/enum_description.h"

namespace kiv {
namespace {

// An 8-byte payload, the context pointer, kind and flags; a member adds its
// name pointer. On i386 pointers take 4 bytes and 8-byte numbers align to 4.
static_assert(sizeof(BindingProperty) == (sizeof(void*) == 8 ? 24 : 16),
              "payload, context, kind and flag");
static_assert(sizeof(BindingMember) == (sizeof(void*) == 8 ? 32 : 20));
static_assert(std::is_nothrow_move_constructible_v<BindingProperty>);
static_assert(std::is_nothrow_move_assignable_v<BindingProperty>);
// A pointer never becomes a bool; text stays text.
static_assert(!std::is_constructible_v<BindingProperty, const int*>);
static_assert(!std::is_constructible_v<BindingProperty, int*>);
static_assert(!std::is_constructible_v<BindingProperty, std::nullptr_t>);
static_assert(std::is_constructible_v<BindingProperty, const char*>);
static_assert(!std::is_convertible_v<int, BindingProperty>);

std::vector<std::string> MemberNames(const BindingProperty& value) {
  std::vector<std::string> names;
  for (const BindingMember& member : value.Members()) names.emplace_back(member.Name());
  return names;
}

TEST(BindingProperty, ConstructsEachKind) {
  EXPECT_EQ(BindingProperty().Kind(), ValueKind::kEmpty);
  EXPECT_EQ(BindingProperty(true).Kind(), ValueKind::kBool);
  EXPECT_EQ(BindingProperty(int8_t{-3}).GetSigned(), -3);
  EXPECT_EQ(BindingProperty(uint16_t{7}).Kind(), ValueKind::kUnsigned);
  EXPECT_EQ(BindingProperty(1.5f).GetFloat(), 1.5);
  EXPECT_EQ(BindingProperty("text").GetString(), "text");
  EXPECT_EQ(BindingProperty(std::string("text")).Kind(), ValueKind::kString);
  EXPECT_EQ(BindingProperty(Blob{1, 2}).Size(), 2u);
  EnumDescription type("Visibility", {{"Hidden", 0}, {"Visible", 2}});
  const BindingProperty enumValue(EnumValue{2, &type});
  EXPECT_EQ(enumValue.GetEnum().number, 2);
  EXPECT_EQ(enumValue.GetEnum().type, &type);
}

TEST(BindingProperty, ReadsReturnTheDefaultOnAnyOtherKind) {
  const BindingProperty number(int64_t{5});
  EXPECT_EQ(number.GetUnsigned(9), 9u);  // No coercion between signed and unsigned.
  EXPECT_EQ(number.GetFloat(2.5), 2.5);
  EXPECT_EQ(number.GetString("none"), "none");
  EXPECT_EQ(BindingProperty("5").GetSigned(-1), -1);
  EXPECT_TRUE(BindingProperty(true).GetBlob().empty());
  EXPECT_STREQ(number.GetCString("x"), "x");
}

TEST(BindingProperty, AssignmentReplacesThePayload) {
  BindingProperty value("first");
  value = int64_t{3};
  EXPECT_EQ(value.GetSigned(), 3);
  value = "second";
  value = value.GetString().substr(1);  // Text from the payload being replaced.
  EXPECT_EQ(value.GetString(), "econd");
  value = Blob{9};
  EXPECT_EQ(value.Kind(), ValueKind::kBlob);
  value = false;
  EXPECT_EQ(value.Kind(), ValueKind::kBool);
}

TEST(BindingProperty, SizeByKind) {
  EXPECT_EQ(BindingProperty().Size(), 0u);
  EXPECT_EQ(BindingProperty("h\xC3\xA9llo").Size(), 6u);  // Five characters, one of two bytes.
  EXPECT_EQ(BindingProperty(2.0).Size(), 1u);
  EXPECT_EQ(BindingProperty(EnumValue{}).Size(), 1u);
  BindingProperty collection;
  collection.MutableElement(2);
  EXPECT_EQ(collection.Size(), 3u);
}

TEST(BindingProperty, ToStringOfScalars) {
  EXPECT_EQ(BindingProperty(true).ToString(), "true");
  EXPECT_EQ(BindingProperty(int64_t{-42}).ToString(), "-42");
  EXPECT_EQ(BindingProperty(std::numeric_limits<uint64_t>::max()).ToString(),
            "18446744073709551615");
  EXPECT_EQ(BindingProperty(1.5).ToString(), "1.500000");
  EXPECT_EQ(BindingProperty(std::numeric_limits<double>::max()).ToString().size(), 316u);
  EXPECT_EQ(BindingProperty("as is").ToString(), "as is");
  EXPECT_EQ(BindingProperty(Blob{'a', 'b', 'c'}).ToString(), "YWJj");
  EXPECT_EQ(BindingProperty(Blob{'a', 'b'}).ToString(), "YWI=");
  EXPECT_EQ(BindingProperty(Blob{'a'}).ToString(), "YQ==");
  EXPECT_EQ(BindingProperty(Blob{0xFB, 0xFF}).ToString(), "+/8=");
  EXPECT_EQ(BindingProperty(EnumValue{-7, nullptr}).ToString(), "-7");
  BindingProperty structure;
  structure.MutableMember("a") = 1;
  EXPECT_EQ(structure.ToString(), "");
  EXPECT_EQ(BindingProperty().ToString(), "");
}

TEST(BindingProperty, WritingAnElementGrowsACollection) {
  BindingProperty value;
  value.MutableElement(5) = 1;
  ASSERT_EQ(value.Kind(), ValueKind::kCollection);
  ASSERT_EQ(value.Size(), 6u);
  for (size_t index = 0; index < 5; ++index) EXPECT_TRUE(value.Element(index).IsEmpty());
  EXPECT_EQ(value.Element(5).GetSigned(), 1);
}

TEST(BindingProperty, ReadingOutsideACollectionGivesTheSharedEmptyValue) {
  BindingProperty value("not a collection");
  EXPECT_EQ(&value.Element(0), &BindingProperty::EmptyValue());
  value.AppendElement() = 1;
  EXPECT_EQ(&value.Element(1), &BindingProperty::EmptyValue());
  EXPECT_EQ(&value.Member("x"), &BindingProperty::EmptyValue());
  EXPECT_EQ(value.FindMember("x"), nullptr);
}

TEST(BindingProperty, WritingAMemberDiscardsANonStructure) {
  BindingProperty value(int64_t{3});
  value.MutableMember("a");
  ASSERT_TRUE(value.IsStructure());
  EXPECT_EQ(value.Size(), 1u);
  EXPECT_TRUE(value.Member("a").IsEmpty());
  EXPECT_NE(value.FindMember("a"), nullptr);
}

TEST(BindingProperty, MembersIterateInUnsignedByteOrder) {
  BindingProperty value;
  for (const char* name : {"b", "a", "B", "\xC3\xA9", "ab", ""}) value.MutableMember(name);
  value.MutableMember("a") = 1;  // Existing: no new member.
  EXPECT_EQ(MemberNames(value), (std::vector<std::string>{"", "B", "a", "ab", "b", "\xC3\xA9"}));
  EXPECT_EQ(value.Member("a").GetSigned(), 1);
  EXPECT_TRUE(value.RemoveMember("ab"));
  EXPECT_FALSE(value.RemoveMember("ab"));
  EXPECT_EQ(MemberNames(value), (std::vector<std::string>{"", "B", "a", "b", "\xC3\xA9"}));
}

TEST(BindingProperty, SortMembersOrdersUnsortedAppendsStably) {
  BindingProperty value;
  int order = 0;
  for (const char* name : {"b", "\xC3\xA9", "a", "B", "a", "ab", ""}) {
    value.AppendMemberUnsorted(name).Value() = order++;
  }
  value.SortMembers();
  EXPECT_EQ(MemberNames(value),
            (std::vector<std::string>{"", "B", "a", "a", "ab", "b", "\xC3\xA9"}));
  // Repeated names keep their append order.
  EXPECT_EQ(value.Members()[2].Value().GetSigned(), 2);
  EXPECT_EQ(value.Members()[3].Value().GetSigned(), 4);
}

TEST(BindingProperty, SortMembersHandlesLargeStructures) {
  // Past the in-place sort: the index sort, with a repeat and names sharing
  // their first bytes.
  BindingProperty value;
  for (int number = 999; number >= 0; --number) {
    value.AppendMemberUnsorted("n" + std::to_string(number)).Value() = number;
  }
  value.AppendMemberUnsorted("n5").Value() = -5;
  value.SortMembers();
  ASSERT_EQ(value.Size(), 1001u);
  const auto members = value.Members();
  for (size_t at = 1; at < members.size(); ++at) {
    ASSERT_LE(members[at - 1].Name(), members[at].Name()) << at;
  }
  // Lookups work again; the earlier of the two "n5" comes first.
  EXPECT_EQ(value.Member("n999").GetSigned(), 999);
  const BindingProperty* five = value.FindMember("n5");
  ASSERT_NE(five, nullptr);
  EXPECT_EQ(five->GetSigned(), 5);
}

TEST(BindingProperty, RemoveLastMemberDropsTheLastAppend) {
  BindingProperty value;
  value.AppendMemberUnsorted("b").Value() = "kept";
  value.AppendMemberUnsorted("a").Value() = "dropped";
  value.RemoveLastMember();
  value.SortMembers();
  EXPECT_EQ(MemberNames(value), (std::vector<std::string>{"b"}));
  EXPECT_EQ(value.Member("b").GetString(), "kept");
  BindingProperty scalar(1);
  scalar.RemoveLastMember();  // Not a structure: nothing happens.
  scalar.SortMembers();
  EXPECT_EQ(scalar.GetSigned(), 1);
}

TEST(BindingProperty, SetMemberAndAppendTakeValuesFromOtherTrees) {
  BindingProperty other;
  other.MutableMember("x") = "from another tree";
  BindingProperty root;
  root.SetMember("copy", std::move(other));
  root.MutableMember("list").Append(BindingProperty("standalone"));
  EXPECT_EQ(root.Member("copy").Member("x").GetString(), "from another tree");
  EXPECT_TRUE(other.IsEmpty());
  EXPECT_EQ(root.Member("list").Element(0).GetString(), "standalone");
}

TEST(BindingProperty, AppendAndReserveKeepElements) {
  BindingProperty list;
  list.SetEmptyCollection();
  list.Reserve(3);
  for (int index = 0; index < 100; ++index) list.AppendElement() = index;
  list.Append(std::move(list.MutableElements()[0]));  // An element of the same list.
  ASSERT_EQ(list.Size(), 101u);
  EXPECT_TRUE(list.Element(0).IsEmpty());
  EXPECT_EQ(list.Element(99).GetSigned(), 99);
  EXPECT_EQ(list.Element(100).GetSigned(), 0);
}

TEST(BindingProperty, ReserveIsABoundedHint) {
  BindingProperty list;
  list.SetEmptyCollection();
  list.Reserve(std::numeric_limits<size_t>::max());  // A count read from hostile input.
  list.AppendElement() = 1;
  BindingProperty record;
  record.SetEmptyStructure();
  record.ReserveMembers(std::numeric_limits<uint32_t>::max());
  record.MutableMember("a") = 1;
  EXPECT_EQ(list.Size() + record.Size(), 2u);
}

TEST(BindingProperty, ReserveDoesNothingForOtherKinds) {
  BindingProperty value("text");
  value.Reserve(10);
  value.ReserveMembers(10);
  EXPECT_EQ(value.GetString(), "text");
}

TEST(BindingProperty, CopyIsDeepAndIndependent) {
  BindingProperty original;
  original.MutableMember("name") = "Tiber";
  original.MutableMember("tags").AppendElement() = "a";
  original.MutableMember("blob") = Blob{1, 2, 3};
  BindingProperty copy(original);
  EXPECT_EQ(copy, original);
  copy.MutableMember("name") = "Other";
  copy.MutableMember("tags").MutableElement(0) = "b";
  EXPECT_EQ(original.Member("name").GetString(), "Tiber");
  EXPECT_EQ(original.Member("tags").Element(0).GetString(), "a");
  EXPECT_NE(copy, original);
}

TEST(BindingProperty, CopyAssignmentFromInsideItself) {
  BindingProperty tree;
  tree.MutableMember("inner").MutableMember("leaf") = "kept";
  tree = tree.Member("inner");  // The source lives inside the target.
  EXPECT_EQ(tree.Member("leaf").GetString(), "kept");
  BindingProperty list;
  list.MutableElement(0) = "x";
  list.MutableElement(1) = list;  // The target lives inside the source.
  EXPECT_EQ(list.Element(1).Element(0).GetString(), "x");
}

TEST(BindingProperty, MoveWithinATreeLeavesTheSourceEmpty) {
  BindingProperty tree;
  tree.MutableMember("a").MutableMember("deep") = "value";
  BindingProperty& b = tree.MutableMember("b");
  b = std::move(tree.MutableMember("a"));
  EXPECT_TRUE(tree.Member("a").IsEmpty());
  EXPECT_EQ(tree.Member("b").Member("deep").GetString(), "value");
  tree = std::move(tree.MutableMember("b"));  // A descendant replaces its root.
  EXPECT_EQ(tree.Member("deep").GetString(), "value");
}

TEST(BindingProperty, MovedValueOutlivesItsTree) {
  BindingProperty kept;
  {
    BindingProperty tree;
    tree.MutableMember("x").MutableElement(0) = "survives";
    kept = std::move(tree.MutableMember("x"));
  }
  EXPECT_EQ(kept.Element(0).GetString(), "survives");
}

TEST(BindingProperty, ErrorMakesTheValueInvalid) {
  ConversionStatus status;
  EXPECT_TRUE(status.IsValid());
  EXPECT_EQ(status.Error(), "");
  status.MutableMember("x") = 1;
  status.SetError("A value for 'x' is required.");
  EXPECT_FALSE(status.IsValid());
  EXPECT_EQ(status.Error(), "A value for 'x' is required.");
  EXPECT_EQ(status.Size(), 1u);
  status.SetError(status.Error());  // The message may come from the value itself.
  EXPECT_EQ(status.Error(), "A value for 'x' is required.");
  status.Clear();
  EXPECT_FALSE(status.IsValid());
  EXPECT_EQ(status.Error(), "");  // Invalid, but "error" is no longer a string.
  status.Reset();
  EXPECT_TRUE(status.IsValid());
  EXPECT_TRUE(status.IsEmpty());
}

TEST(BindingProperty, EqualityComparesKindAndPayloadDeeply) {
  EXPECT_NE(BindingProperty(int64_t{1}), BindingProperty(uint64_t{1}));
  EXPECT_EQ(BindingProperty(std::nan("")), BindingProperty(std::nan("")));
  EXPECT_NE(BindingProperty("a"), BindingProperty("b"));
  EXPECT_EQ(BindingProperty(""), BindingProperty(std::string_view()));
  BindingProperty left;
  BindingProperty right;
  left.MutableMember("k").MutableElement(1) = 2;
  right.MutableMember("k").MutableElement(1) = 2;
  EXPECT_EQ(left, right);
  right.MutableMember("k").MutableElement(0) = 0;
  EXPECT_NE(left, right);
  BindingProperty invalid;
  invalid.SetError("e");
  BindingProperty lookalike;
  lookalike.MutableMember("error") = "e";
  EXPECT_NE(invalid, lookalike);
}

TEST(BindingProperty, ScalarsNeverAllocate) {
  const uint64_t before = ReadMemoryStats().totalAllocations;
  {
    BindingProperty value(true);
    value = int64_t{-1};
    value = uint64_t{1};
    value = 2.5;
    value = "";  // The empty string is shared, never stored.
    BindingProperty copy(value);
    BindingProperty moved(std::move(copy));
    moved = value;
    EXPECT_EQ(moved.ToString(), "");
    EXPECT_EQ(value.GetSigned(7) + moved.GetSigned(7), 14);
    EXPECT_EQ(value, moved);
  }
  EXPECT_EQ(ReadMemoryStats().totalAllocations, before);
}

TEST(BindingProperty, ReleasesEverythingItAllocated) {
  const MemoryStats before = ReadMemoryStats();
  {
    BindingProperty tree;
    for (int index = 0; index < 1000; ++index) {
      BindingProperty& item = tree.AppendElement();
      item.MutableMember("name") = "item " + std::to_string(index);
      item.MutableMember("blob") = Blob(40, 1);
      item.MutableMember("kind") = EnumValue{index, nullptr};
    }
    BindingProperty copy(tree);
    copy.MutableElement(3).Clear();
  }
  const MemoryStats after = ReadMemoryStats();
  EXPECT_EQ(after.totalAllocations - before.totalAllocations, after.totalFrees - before.totalFrees);
  EXPECT_EQ(after.totalBytesAllocated - before.totalBytesAllocated,
            after.totalBytesFreed - before.totalBytesFreed);
}

uint64_t BytesToBuild(bool repeatedKey) {
  const MemoryStats before = ReadMemoryStats();
  BindingProperty list;
  for (int index = 0; index < 10000; ++index) {
    list.AppendElement().MutableMember(repeatedKey ? "key" : "key" + std::to_string(index)) = 1;
  }
  const MemoryStats after = ReadMemoryStats();
  return (after.totalBytesAllocated - after.totalBytesFreed) -
         (before.totalBytesAllocated - before.totalBytesFreed);
}

TEST(BindingProperty, RepeatedNamesAreStoredOnce) {
  // Each distinct name is an entry of at least 16 bytes (trees take memory in
  // chunks of up to 64 KB, so the difference shows only in bulk).
  EXPECT_GE(BytesToBuild(false), BytesToBuild(true) + 10000 * 16);
}

TEST(BindingProperty, SubtreeBuiltInTheSameTreeMovesInWithoutAllocating) {
  BindingProperty root;
  BindingProperty& slot = root.MutableMember("slot");
  BindingProperty subtree = root.NewValueInSameTree();
  subtree.MutableMember("deep").AppendElement() = "text";
  const uint64_t before = ReadMemoryStats().totalAllocations;
  slot = std::move(subtree);
  EXPECT_EQ(ReadMemoryStats().totalAllocations, before);
  EXPECT_EQ(root.Member("slot").Member("deep").Element(0).GetString(), "text");
}

// Builds a chain of `depth` nested containers, alternating collections and
// structures, iteratively.
BindingProperty DeepChain(size_t depth) {
  BindingProperty root;
  BindingProperty* at = &root;
  for (size_t level = 0; level < depth; ++level) {
    at = level % 2 ? &at->MutableMember("next") : &at->AppendElement();
  }
  *at = "bottom";
  return root;
}

TEST(BindingProperty, DeepTreesCopyCompareAndDestroyWithoutRecursion) {
  constexpr size_t kDepth = 100000;
  BindingProperty deep = DeepChain(kDepth);
  BindingProperty copy(deep);
  EXPECT_EQ(copy, deep);
  const BindingProperty* at = &copy;
  size_t depth = 0;
  while (!at->IsString()) {
    at = at->IsCollection() ? &at->Element(0) : &at->Member("next");
    ++depth;
  }
  EXPECT_EQ(depth, kDepth);
  EXPECT_EQ(at->GetString(), "bottom");
  copy = BindingProperty();  // Destroys the copy through assignment.
  BindingProperty moved = std::move(deep);
  EXPECT_NE(moved, copy);
}

// Bytes and blocks still held, by the allocation counters.
std::pair<uint64_t, uint64_t> InUse() {
  const MemoryStats stats = ReadMemoryStats();
  return {stats.totalBytesAllocated - stats.totalBytesFreed,
          stats.totalAllocations - stats.totalFrees};
}

TEST(BindingProperty, LargeTreesAreReleasedWholeWithNothingLeft) {
  const auto before = InUse();
  {
    BindingProperty deep = DeepChain(100000);
    BindingProperty wide;
    for (int index = 0; index < 1000000; ++index) {
      wide.AppendMemberUnsorted("m" + std::to_string(index)).Value() = index;
    }
    wide.SortMembers();
    ASSERT_EQ(wide.Size(), 1000000u);
    EXPECT_EQ(wide.Member("m999999").GetSigned(), 999999);
    // A subtree moved out of a tree stays valid after the tree is gone.
    wide.MutableMember("m5").MutableMember("text") = "still here";
    BindingProperty kept = std::move(wide.MutableMember("m5"));
    wide = BindingProperty();
    EXPECT_EQ(kept.Member("text").GetString(), "still here");
  }
  EXPECT_EQ(InUse(), before);
}

}  // namespace
}  // namespace kiv
