#include "sdk/value/maybe_type.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <type_traits>

#include "tests/sdk/value/maybe_matchers.h"

namespace kiv {
namespace {

using ::kiv::testing::FailsWith;
using ::kiv::testing::IsOkAndHolds;
using ::testing::HasSubstr;

MaybeType<Failure, int> ParseDigit(char c) {
  if (c < '0' || c > '9') return Fail(Failure(400, "not a digit"));
  return c - '0';
}

MaybeType<Failure, int> SumOfDigits(char a, char b) {
  KIV_TRY_ASSIGN(int first, ParseDigit(a));
  KIV_TRY_ASSIGN(int second, ParseDigit(b));
  return first + second;
}

MaybeType<Failure, void> CheckDigit(char c) {
  KIV_TRY(ParseDigit(c));
  return Ok();
}

static_assert(!std::is_default_constructible_v<MaybeType<Failure, int>>);
static_assert(!std::is_default_constructible_v<MaybeType<Failure, void>>);
// A T that converts from Failure does not make the failure side ambiguous.
static_assert(std::is_constructible_v<MaybeType<Failure, Failure>, Failure>);

TEST(MaybeType, HoldsValueOrFailure) {
  EXPECT_THAT(ParseDigit('7'), IsOkAndHolds(7));
  EXPECT_THAT(ParseDigit('x'), FailsWith(400));
  EXPECT_THAT(ParseDigit('x'), FailsWith(400, HasSubstr("digit")));
  EXPECT_THAT(ParseDigit('x'), ::testing::Not(FailsWith(404)));
}

TEST(MaybeType, PropagationMacrosReturnTheFirstFailure) {
  EXPECT_THAT(SumOfDigits('3', '4'), IsOkAndHolds(7));
  EXPECT_THAT(SumOfDigits('a', '4'), FailsWith(400, "not a digit"));
  EXPECT_TRUE(CheckDigit('1').ok());
  EXPECT_THAT(CheckDigit('z'), FailsWith(400));
}

TEST(MaybeType, TakeMovesOutMoveOnlyValues) {
  MaybeType<Failure, std::unique_ptr<int>> result = std::make_unique<int>(5);
  ASSERT_TRUE(result.ok());
  EXPECT_EQ(**result, 5);
  std::unique_ptr<int> taken = std::move(result).take();
  EXPECT_EQ(*taken, 5);
}

TEST(MaybeType, FailureSideOfAValueTypeThatIsAFailure) {
  MaybeType<Failure, Failure> success = Failure(1, "payload");
  MaybeType<Failure, Failure> failed = Fail(Failure(2, "error"));
  EXPECT_TRUE(success.ok());
  EXPECT_EQ(success->ErrorCode(), 1u);
  EXPECT_FALSE(failed.ok());
  EXPECT_EQ(failed.failure().ErrorCode(), 2u);
}

TEST(MaybeTypeDeathTest, ReadingTheWrongSideAborts) {
  EXPECT_DEATH((void)*ParseDigit('x'), "value of a failed MaybeType");
  EXPECT_DEATH((void)ParseDigit('1').failure(), "failure\\(\\) of a successful MaybeType");
  EXPECT_DEATH(*CheckDigit('x'), "value of a failed MaybeType");
}

}  // namespace
}  // namespace kiv
