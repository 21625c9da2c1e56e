// maybe_matchers.h: gMock matchers for MaybeType results, for any test.
//
// Not for: production code (test-only header).
//
//   EXPECT_THAT(Parse("7"), IsOkAndHolds(7));
//   EXPECT_THAT(Parse(""), FailsWith(400));
//   EXPECT_THAT(Parse(""), FailsWith(400, HasSubstr("empty")));
#pragma once

#include <gmock/gmock.h>

#include <string>

#include "sdk/value/maybe_type.h"

namespace kiv::testing {

/// Matches a successful MaybeType whose value matches `matcher`.
MATCHER_P(IsOkAndHolds, matcher, "") {
  if (!arg.ok()) {
    *result_listener << "failed with " << arg.failure().ToString();
    return false;
  }
  return ::testing::ExplainMatchResult(matcher, *arg, result_listener);
}

/// Matches a failed MaybeType whose failure has error code `code`.
MATCHER_P(FailsWith, code, "") {
  if (arg.ok()) {
    *result_listener << "succeeded";
    return false;
  }
  *result_listener << "failed with " << arg.failure().ToString();
  return arg.failure().ErrorCode() == static_cast<uint32_t>(code);
}

/// Matches a failed MaybeType with error code `code` whose message matches
/// `message` (a string or a string matcher).
MATCHER_P2(FailsWith, code, message, "") {
  if (arg.ok()) {
    *result_listener << "succeeded";
    return false;
  }
  *result_listener << "failed with " << arg.failure().ToString();
  return arg.failure().ErrorCode() == static_cast<uint32_t>(code) &&
         ::testing::ExplainMatchResult(message, std::string(arg.failure().Message()),
                                       result_listener);
}

}  // namespace kiv::testing
