// The simulation's parts on their own: the faults each plan draws, the
// scenarios a seed makes, and the shrinking of a failing one.
#include "standin/simulation/simulation.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "host/host_clock.h"
#include "host/plugin_host.h"
#include "sdk/codec/json_reader.h"
#include "standin/scenario/scenario.h"
#include "standin/simulation/faulty_pushes.h"
#include "standin/simulation/faulty_service.h"

namespace kiv::standin {
namespace {

using ::testing::ElementsAre;
using ::testing::SizeIs;

class AlwaysOk : public host::BackendService {
 public:
  host::ServiceReply Call(const host::ServiceCall&) override {
    ++calls;
    return host::ServiceReply::Ok("{}");
  }
  int calls = 0;
};

// Each service fault at certainty: the service behind still acts on the call.
TEST(FaultyService, FailsDelaysOrLosesAnswersByThePlansChances) {
  const host::ServiceCall call{"joust", "ping", "{}"};
  struct Row {
    FaultPlan plan;
    bool failed;
    bool posted;
    bool delayed;
    size_t answers;
  };
  const Row rows[] = {
      {FaultPlan{}, false, true, false, 1},
      {FaultPlan{.serviceFail = 1}, true, true, false, 1},
      {FaultPlan{.serviceFailCoded = 1}, false, false, false, 0},
      {FaultPlan{.serviceDelay = 1}, false, true, true, 1},
      {FaultPlan{.serviceNever = 1}, false, true, false, 0},
  };
  for (const Row& row : rows) {
    AlwaysOk inner;
    FaultyService faulty(inner, row.plan);
    const host::ServiceReply reply = faulty.Call(call);
    EXPECT_EQ(inner.calls, 1);
    EXPECT_EQ(reply.answers.size(), row.answers);
    EXPECT_EQ(!reply.answers.empty() && !reply.answers[0].error.empty(), row.failed);
    EXPECT_EQ(!reply.postFailure.has_value(), row.posted);
    EXPECT_EQ(reply.delayNanoseconds > 0, row.delayed);
    EXPECT_EQ(faulty.faults(), row.plan.Any() ? 1u : 0u);
  }
}

class FaultyPushesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host::UseVirtualClock(0);
    host_ = host::PluginHost::Detached();
  }
  void TearDown() override { host::UseRealClock(); }
  std::vector<std::string> Deliver(const FaultPlan& plan, int count) {
    FaultyPushes faulty(*host_, host_->standard().messaging, plan);
    for (int i = 1; i <= count; ++i) faulty.Deliver("roster", "{\"n\":" + std::to_string(i) + "}");
    host_->AdvanceClock(120'000'000'000);  // every held message goes out
    return host_->standard().messaging.pushed();
  }
  std::unique_ptr<host::PluginHost> host_;
};

TEST_F(FaultyPushesTest, WithoutFaultsMessagesGoOutInOrder) {
  EXPECT_THAT(Deliver({}, 2), ElementsAre("roster {\"n\":1}", "roster {\"n\":2}"));
}
TEST_F(FaultyPushesTest, DropAndDuplicate) {
  EXPECT_THAT(Deliver({.pushDrop = 1}, 3), SizeIs(0));
  EXPECT_THAT(Deliver({.pushDuplicate = 1}, 1),
              ElementsAre("roster {\"n\":1}", "roster {\"n\":1}"));
}
TEST_F(FaultyPushesTest, HeldMessagesComeAfterLaterOnesOrWithinAMinute) {
  FaultyPushes faulty(*host_, host_->standard().messaging, {.pushDelay = 1});
  faulty.Deliver("roster", "{\"n\":1}");
  EXPECT_THAT(host_->standard().messaging.pushed(), SizeIs(0));
  host_->AdvanceClock(60'000'000'000);
  EXPECT_THAT(host_->standard().messaging.pushed(), ElementsAre("roster {\"n\":1}"));
}
TEST_F(FaultyPushesTest, StaleReplaysFollowTheMessage) {
  const auto stale = Deliver({.pushStale = 1}, 2);
  EXPECT_THAT(stale, ElementsAre("roster {\"n\":1}", "roster {\"n\":2}", "roster {\"n\":1}"));
}
TEST_F(FaultyPushesTest, CutMessagesAreNoLongerJson) {
  for (const std::string& line : Deliver({.pushTruncate = 1}, 3)) {
    EXPECT_FALSE(ReadJson(line.substr(line.find(' ') + 1)).IsValid()) << line << " is still JSON";
  }
}

TEST(Simulation, ASeedMakesOneReadableScenarioWithItsSteps) {
  const std::string text = GenerateSimulation(5, 40);
  EXPECT_EQ(text, GenerateSimulation(5, 40));
  EXPECT_NE(text, GenerateSimulation(6, 40));
  auto scenario = ReadScenario(text, "seed 5");
  ASSERT_TRUE(scenario.ok()) << scenario.failure().Message() << "\n" << text;
  EXPECT_THAT(scenario->steps, SizeIs(40));
  EXPECT_TRUE(scenario->faults.Any());
}

TEST(Simulation, ShrinkingKeepsOnlyTheStepsTheFailureNeeds) {
  const std::string text = GenerateSimulation(9, 30);
  std::vector<std::string> steps;
  for (size_t at = text.find("  - {at: "); at != std::string::npos;
       at = text.find("  - {at: ", at + 1)) {
    steps.push_back(text.substr(at, text.find('\n', at) - at));
  }
  ASSERT_THAT(steps, SizeIs(30));
  // Fails while the 7th and the 20th step are both there.
  const auto fails = [&](std::string_view yaml) {
    return yaml.find(steps[6]) != std::string_view::npos &&
           yaml.find(steps[19]) != std::string_view::npos;
  };
  const std::string shrunk = ShrinkSimulation(text, fails);
  auto scenario = ReadScenario(shrunk, "shrunk");
  ASSERT_TRUE(scenario.ok()) << scenario.failure().Message();
  EXPECT_THAT(scenario->steps, SizeIs(2));
  EXPECT_TRUE(fails(shrunk));
}

}  // namespace
}  // namespace kiv::standin
