#include "joust/model/api/chat_key.h"

#include <gtest/gtest.h>

#include "sdk/memory/memory_stats.h"

namespace Api {
namespace {

TEST(ChatKey, RegisteredRostersAreKeyedByTheLowerCaseSha1Digest) {
  // Digests computed independently with sha1sum.
  struct Case {
    int64_t tournamentId;
    std::string rosterId;
    const char* key;
  } cases[] = {
      {7, "42", "tourney-aad9f91702f0ef04a543867ff0661ec095dbb2e2"},
      {-3, "abc", "tourney-df965488f3bb703eb58957f61e779163d6749fe8"},
      {INT64_MAX, "", "tourney-e0f3cdf418132344bffd068cbd4060481b6eb9ca"},
      {1001, "t\xC3\xA9", "tourney-9a7c0cd58848eff2cabc1ee63b883053d6c5b90f"},
      {1, std::string(100, 'x'), "tourney-515b8f2b49bea74d155bfa6769a6ec4a8a7120c2"},
  };
  // Twice: once computed, once remembered; then the first again, whose slot
  // a later case may have taken.
  for (int round = 0; round < 2; ++round) {
    for (const Case& c : cases) EXPECT_EQ(ChatKey(c.tournamentId, c.rosterId, true), c.key);
  }
  EXPECT_EQ(ChatKey(7, "42", true), cases[0].key);
}

TEST(ChatKey, PendingRostersAreKeyedByTheirId) {
  EXPECT_EQ(ChatKey(7, "a1b2", false), "tourney-a1b2");
}

TEST(ChatKey, TheDigestUsesNoHeap) {
  const uint64_t before = kiv::ReadMemoryStats().totalAllocations;
  const std::string key = ChatKey(7, "42", true);
  EXPECT_EQ(kiv::ReadMemoryStats().totalAllocations, before + 1);  // the key itself
}

}  // namespace
}  // namespace Api
