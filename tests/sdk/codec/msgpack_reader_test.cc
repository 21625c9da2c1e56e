#include "sdk/codec/msgpack_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sdk/codec/value_builder.h"

namespace kiv {
namespace {

MessagePackResult Read(const std::vector<uint8_t>& bytes) {
  return ReadMessagePack(bytes.data(), bytes.size());
}

TEST(MessagePackReader, ScalarFormats) {
  struct Case {
    std::vector<uint8_t> bytes;
    BindingProperty expected;
  };
  Case cases[] = {
      {{0x05}, BindingProperty(int64_t{5})},
      {{0x7F}, BindingProperty(int64_t{127})},
      {{0xFF}, BindingProperty(int64_t{-1})},
      {{0xE0}, BindingProperty(int64_t{-32})},
      {{0xCC, 0x05}, BindingProperty(uint64_t{5})},
      {{0xCD, 0x01, 0x02}, BindingProperty(uint64_t{0x102})},
      {{0xCE, 0xFF, 0xFF, 0xFF, 0xFF}, BindingProperty(uint64_t{0xFFFFFFFF})},
      {{0xCF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, BindingProperty(UINT64_MAX)},
      {{0xD0, 0x80}, BindingProperty(int64_t{-128})},
      {{0xD1, 0xFF, 0xFE}, BindingProperty(int64_t{-2})},
      {{0xD2, 0x80, 0, 0, 0}, BindingProperty(int64_t{INT32_MIN})},
      {{0xD3, 0x80, 0, 0, 0, 0, 0, 0, 0}, BindingProperty(INT64_MIN)},
      {{0xCA, 0x3F, 0xC0, 0, 0}, BindingProperty(1.5)},
      {{0xCB, 0x3F, 0xF8, 0, 0, 0, 0, 0, 0}, BindingProperty(1.5)},
      {{0xC0}, BindingProperty()},
      {{0xC2}, BindingProperty(false)},
      {{0xC3}, BindingProperty(true)},
      {{0xA2, 'h', 'i'}, BindingProperty("hi")},
      {{0xD9, 0x01, 'x'}, BindingProperty("x")},
      {{0xDA, 0x00, 0x01, 'y'}, BindingProperty("y")},
      {{0xDB, 0, 0, 0, 0x01, 'z'}, BindingProperty("z")},
      {{0xC4, 0x03, 'a', 'b', 'c'}, BindingProperty(Blob{'a', 'b', 'c'})},
      {{0xC5, 0x00, 0x01, 0x07}, BindingProperty(Blob{7})},
      {{0xC6, 0, 0, 0, 0x00}, BindingProperty(Blob{})},
  };
  for (const Case& c : cases) {
    const MessagePackResult read = Read(c.bytes);
    EXPECT_TRUE(read.value.IsValid()) << read.value.Error();
    EXPECT_EQ(read.value, c.expected) << std::hex << int{c.bytes[0]};
    EXPECT_EQ(read.consumed, c.bytes.size()) << std::hex << int{c.bytes[0]};
  }
}

TEST(MessagePackReader, Containers) {
  const MessagePackResult map = Read({0x81, 0xA1, 'a', 0x01});
  EXPECT_EQ(map.value.Member("a").GetSigned(), 1);
  const MessagePackResult nested = Read(
      {0xDE, 0x00, 0x02, 0xA1, 'l', 0xDC, 0x00, 0x02, 0xC3, 0x90, 0xA1, 'm', 0xDF, 0, 0, 0, 0});
  EXPECT_EQ(nested.consumed, 17u);
  ASSERT_EQ(nested.value.Member("l").Size(), 2u);
  EXPECT_TRUE(nested.value.Member("l").Element(1).IsCollection());
  EXPECT_TRUE(nested.value.Member("m").IsStructure());
  EXPECT_EQ(Read({0xDD, 0, 0, 0, 1, 0x07}).value.Element(0).GetSigned(), 7);
}

TEST(MessagePackReader, RepeatedKeyRewritesAListFromItsStart) {
  const MessagePackResult read = Read({0x82, 0xA1, 'l', 0x92, 0x01, 0x02, 0xA1, 'l', 0x91, 0x09});
  ASSERT_EQ(read.value.Member("l").Size(), 2u);
  EXPECT_EQ(read.value.Member("l").Element(0).GetSigned(), 9);
  EXPECT_EQ(read.value.Member("l").Element(1).GetSigned(), 2);
}

TEST(MessagePackReader, StopsAfterTheFirstValue) {
  EXPECT_EQ(Read({0x01, 0x02}).consumed, 1u);
  EXPECT_EQ(Read({0x01, 0x02}).value.GetSigned(), 1);
  EXPECT_EQ(Read({0x90, 0x01}).consumed, 1u);
  EXPECT_EQ(Read({0x91, 0x91, 0x05, 0x06}).consumed, 3u);
  EXPECT_TRUE(ReadMessagePack(nullptr, 0).value.IsEmpty());
}

TEST(MessagePackReader, TruncatedContainersKeepWhatWasRead) {
  const MessagePackResult read = Read({0x93, 0x01});
  EXPECT_TRUE(read.value.IsValid());
  ASSERT_EQ(read.value.Size(), 1u);
  EXPECT_EQ(read.value.Element(0).GetSigned(), 1);
  EXPECT_EQ(read.consumed, 2u);
  const MessagePackResult key = Read({0x82, 0xA1, 'a'});
  EXPECT_TRUE(key.value.IsValid());
  EXPECT_TRUE(key.value.IsStructure());
  EXPECT_EQ(key.value.Size(), 0u);
  // Members read before the end are found by name: the map was put in order.
  const MessagePackResult names = Read({0x83, 0xA1, 'b', 0x01, 0xA1, 'a', 0x02});
  ASSERT_EQ(names.value.Size(), 2u);
  EXPECT_EQ(names.value.Member("a").GetSigned(), 2);
  EXPECT_EQ(names.value.Member("b").GetSigned(), 1);
}

TEST(MessagePackReader, ErrorsNameTheirPosition) {
  struct Case {
    std::vector<uint8_t> bytes;
    const char* error;
  } cases[] = {
      {{0x81, 0x01, 0x01}, "Invalid MessagePack data at position 2. Map keys must be strings."},
      {{0x81, 0x90}, "Invalid MessagePack data at position 2. Map keys must be strings."},
      {{0xC7, 0x01, 0x00}, "Invalid MessagePack data at position 1."},
      {{0x91, 0xC1}, "Invalid MessagePack data at position 2."},
      {{0xD4, 0x00, 0x00}, "Invalid MessagePack data at position 1."},
      {{0xD8}, "Invalid MessagePack data at position 1."},
      {{0xCC}, "Invalid MessagePack data. 8-bit integer value at position 1 is truncated."},
      {{0xCD, 0x01}, "Invalid MessagePack data. 16-bit integer value at position 1 is truncated."},
      {{0xCA, 0, 0}, "Invalid MessagePack data. 32-bit integer value at position 1 is truncated."},
      {{0xDD, 0, 0}, "Invalid MessagePack data. 32-bit integer value at position 1 is truncated."},
      {{0xCB, 0}, "Invalid MessagePack data. 64-bit integer value at position 1 is truncated."},
      {{0xD9}, "Invalid MessagePack data. 8-bit integer value at position 1 is truncated."},
      {{0xA5, 'a', 'b'}, "Invalid MessagePack data. String of size 5 at position 1 is truncated."},
      {{0x81, 0xA3, 'a'}, "Invalid MessagePack data. String of size 3 at position 2 is truncated."},
      {{0xC4, 0x04, 1},
       "Invalid MessagePack data. Raw bytes of size 4 at position 2 are truncated."},
  };
  for (const Case& c : cases) {
    const MessagePackResult read = Read(c.bytes);
    EXPECT_FALSE(read.value.IsValid());
    EXPECT_EQ(read.value.Error(), c.error);
  }
}

TEST(MessagePackReader, RefusesNestingBeyondTheLimit) {
  std::vector<uint8_t> ok(kMaxNestingDepth, 0x91);
  ok.push_back(0x01);
  EXPECT_TRUE(Read(ok).value.IsValid());
  std::vector<uint8_t> deep(1u << 20, 0x91);
  EXPECT_EQ(Read(deep).value.Error(),
            "Invalid MessagePack data at position 257. Nesting is deeper than 256 levels.");
}

}  // namespace
}  // namespace kiv
