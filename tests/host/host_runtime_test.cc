// The substitute host's own machinery: clock, pending work, event bus.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "host/host_clock.h"
#include "host/owned_host_value.h"
#include "host/work_queue.h"
#include "tests/host/deep_chain.h"

namespace kiv::host {
namespace {

using ::testing::ElementsAre;

constexpr int64_t kSecond = 1'000'000'000;

TEST(WorkQueue, RunsOneItemAtATimeReadyBeforeLaterDueCallbacks) {
  WorkQueue queue;
  std::vector<std::string> ran;
  queue.PostAt("late", 20, [&] { ran.push_back("late"); });
  queue.PostAt("early", 10, [&] { ran.push_back("early"); });
  queue.PostAt("early too", 10, [&] { ran.push_back("early too"); });
  queue.Post("queued", [&] {
    ran.push_back("queued");
    queue.Post("posted while running", [&] { ran.push_back("posted while running"); });
  });
  EXPECT_TRUE(queue.RunOne(0));
  EXPECT_THAT(ran, ElementsAre("queued"));
  EXPECT_TRUE(queue.RunOne(0));
  EXPECT_FALSE(queue.RunOne(9)) << "nothing due before 10";
  EXPECT_EQ(queue.NextDue(), 10);
  while (queue.RunOne(15)) {
  }
  EXPECT_THAT(ran, ElementsAre("queued", "posted while running", "early", "early too"));
  EXPECT_THAT(queue.ScheduledLabels(), ElementsAre("late"));
}

TEST(HostClock, VirtualClockDrivesTheProcesssMonotonicClock) {
  UseVirtualClock(5 * kSecond);
  const auto before = std::chrono::steady_clock::now();
  AdvanceVirtualClock(600 * kSecond);  // ten minutes, in no real time
  const auto after = std::chrono::steady_clock::now();
  EXPECT_EQ(MonotonicNow(), 605 * kSecond);
  EXPECT_EQ(std::chrono::duration_cast<std::chrono::seconds>(after - before).count(), 600);
  AdvanceVirtualClockTo(1);  // never backwards
  EXPECT_EQ(MonotonicNow(), 605 * kSecond);
  UseRealClock();
  EXPECT_FALSE(VirtualClockActive());
}

TEST(OwnedHostValue, DeepCopiesTextsCollectionsAndStructures) {
  std::string text = "hello\0ignored";
  HostValue items[2] = {};
  items[0].tag = KIV_VALUE_TEXT;
  items[0].u.text.data = text.c_str();
  items[0].u.text.size = 3;  // a text ends at its size...
  items[1].tag = KIV_VALUE_SIGNED;
  items[1].u.signedValue = -4;
  HostMember members[1] = {};
  std::string key = "list";
  members[0].name = key.c_str();
  members[0].value.tag = KIV_VALUE_COLLECTION;
  members[0].value.u.collection.items = items;
  members[0].value.u.collection.count = 2;
  HostValue root{};
  root.tag = KIV_VALUE_STRUCTURE;
  root.u.structure.members = members;
  root.u.structure.count = 1;

  OwnedHostValue copy(root);
  text.assign("XXXXXXXX");
  key.assign("XXXX");
  items[1].u.signedValue = 99;

  const HostValue& r = copy.root();
  ASSERT_EQ(r.tag, uint32_t{KIV_VALUE_STRUCTURE});
  ASSERT_EQ(r.u.structure.count, 1u);
  EXPECT_STREQ(r.u.structure.members[0].name, "list");
  const HostValue& list = r.u.structure.members[0].value;
  ASSERT_EQ(list.u.collection.count, 2u);
  EXPECT_EQ(std::string(list.u.collection.items[0].u.text.data), "hel");
  const int64_t copied = list.u.collection.items[1].u.signedValue;  // packed: read by copy
  EXPECT_EQ(copied, -4);
}

TEST(OwnedHostValue, CopiesDeepChainsWithoutRecursion) {
  constexpr int kDepth = 100000;
  std::vector<HostValue> chain = DeepChain(kDepth);
  chain.back().tag = KIV_VALUE_BOOL;
  chain.back().u.boolean = 1;
  OwnedHostValue copy(chain[0]);
  const HostValue* at = &copy.root();
  int depth = 1;
  while (at->tag == KIV_VALUE_COLLECTION) {
    at = at->u.collection.items;
    ++depth;
  }
  EXPECT_EQ(depth, kDepth);
  EXPECT_EQ(at->u.boolean, 1);
}

}  // namespace
}  // namespace kiv::host
