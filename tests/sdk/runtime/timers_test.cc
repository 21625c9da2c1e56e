// One-shot callbacks, named timers, await and yield.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>

#include "tests/sdk/runtime/fake_host.h"

namespace kiv {
namespace {

using ::testing::ElementsAre;
using testing::FakeHost;
using ::testing::HasSubstr;

TEST(Timers, ScheduleAtInThePastPassesZeroDelayAndRunsOnce) {
  FakeHost host;
  auto module = host.LoadModule();
  int runs = 0;
  module->timers().ScheduleAt(
      "kiv-joust.force-dismiss-stats", [&] { ++runs; },
      std::chrono::steady_clock::now() - std::chrono::seconds(5));
  module->timers().ScheduleAt(
      "later", [] {}, std::chrono::steady_clock::now() + std::chrono::hours(1));
  ASSERT_EQ(host.scheduled.size(), 2u);
  EXPECT_EQ(host.scheduled[0].label, "kiv-joust.force-dismiss-stats");
  EXPECT_EQ(host.scheduled[0].delay, 0.0);
  EXPECT_GT(host.scheduled[1].delay, 3500.0);
  host.Fire(0);
  EXPECT_EQ(runs, 1);
}

TEST(Timers, SettingAgainBeforeTheFiringLeavesOnlyTheNewSchedule) {
  FakeHost host;
  auto module = host.LoadModule();
  int f = 0;
  int g = 0;
  module->timers().SetTimer("t", 2.0, [&] { ++f; });
  module->timers().SetTimer("t", 5.0, [&] { ++g; });
  ASSERT_EQ(host.scheduled.size(), 2u);
  EXPECT_EQ(host.scheduled[0].label, "Timer: t");
  EXPECT_NEAR(host.scheduled[1].delay, 5.0, 0.1);
  host.Fire(0);  // stale generation: nothing, not even a message
  EXPECT_EQ(host.scheduled.size(), 2u);
  host.Fire(1);
  host.Fire(2);  // re-armed by the firing before
  EXPECT_EQ(f, 0);
  EXPECT_EQ(g, 2);
  EXPECT_EQ(host.scheduled.size(), 4u);
  EXPECT_NEAR(host.scheduled[3].delay, 5.0, 0.1);
}

TEST(Timers, KilledTimerLogsItsNameWhenItsFiringComes) {
  FakeHost host;
  auto module = host.LoadModule();
  module->timers().SetTimer("joust_tournament_state_change_7", 1.0, [] { FAIL(); });
  module->timers().KillTimer("joust_tournament_state_change_7");
  host.logLines.clear();
  host.Fire(0);
  ASSERT_EQ(host.logLines.size(), 1u);
  EXPECT_EQ(host.logLines[0].first, 1);
  EXPECT_THAT(host.logLines[0].second,
              HasSubstr("kiv-test: Couldn't find timer named joust_tournament_state_change_7"));

  // Killed and set again: the firing scheduled before the kill stays stale.
  int runs = 0;
  module->timers().SetTimer("again", 1.0, [&] { ++runs; });
  module->timers().KillTimer("again");
  module->timers().SetTimer("again", 5.0, [&] { ++runs; });
  host.Fire(1);
  EXPECT_EQ(runs, 0);
  EXPECT_EQ(host.scheduled.size(), 3u);
  host.Fire(2);
  EXPECT_EQ(runs, 1);
}

TEST(Timers, CallbackThatKillsOrResetsItsOwnTimerIsNotRearmed) {
  FakeHost host;
  auto module = host.LoadModule();
  module->timers().SetTimer("kill", 1.0, [&] { module->timers().KillTimer("kill"); });
  host.logLines.clear();
  host.Fire(0);
  EXPECT_EQ(host.scheduled.size(), 1u);
  EXPECT_TRUE(host.logLines.empty());

  int runs = 0;
  module->timers().SetTimer("reset", 1.0,
                            [&] { module->timers().SetTimer("reset", 9.0, [&] { ++runs; }); });
  host.Fire(1);
  ASSERT_EQ(host.scheduled.size(), 3u);  // only the new schedule
  EXPECT_NEAR(host.scheduled[2].delay, 9.0, 0.1);
  host.Fire(2);
  EXPECT_EQ(runs, 1);
}

TEST(Await, ReadyFutureMakesNoHostCall) {
  FakeHost host;
  auto module = host.LoadModule();
  Promise<int> promise;
  promise.SetValue(4);
  EXPECT_EQ(module->timers().Await(promise.GetFuture()), 4);
  EXPECT_TRUE(host.calls.empty());
}

TEST(Await, PumpsUntilReadyInsideOneWait) {
  FakeHost host;
  auto module = host.LoadModule();
  Promise<MaybeType<Failure, bool>> promise;
  host.onPump = [&] {
    if (host.pumps == 3) promise.SetValue(true);
  };
  auto result = module->timers().Await(promise.GetFuture());
  ASSERT_TRUE(result.ok());
  EXPECT_EQ(host.pumps, 3);
  ASSERT_EQ(host.calls.size(), 5u);
  EXPECT_THAT(host.calls[0], HasSubstr("begin Wait: future<"));
  EXPECT_THAT(host.calls[0], HasSubstr("MaybeType<"));
  EXPECT_EQ(host.calls[4], "end");
}

TEST(Await, YieldIsOneWaitAroundOnePump) {
  FakeHost host;
  auto module = host.LoadModule();
  module->timers().Yield();
  EXPECT_THAT(host.calls, ElementsAre("begin Wait: yield", "pump", "end"));
}

TEST(AwaitDeathTest, BrokenPromiseIsReportedAndAborts) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_DEATH(
      {
        FakeHost host;
        auto module = host.LoadModule();
        // The report reaches the host's log; show it where the death test looks.
        host.api.WriteLog = [](HostApi*, int32_t, const char* message) {
          std::fprintf(stderr, "%s\n", message);
        };
        Future<int> future;
        {
          Promise<int> promise;
          future = promise.GetFuture();
        }
        (void)module->timers().Await(std::move(future));
      },
      HasSubstr("ALE-6D828C10\n\nDescription: Caught std::future_error in AppModule::Await: (4) "));
}

TEST(Futures, ReportTheStandardCodesAndTexts) {
  Future<int> none;
  auto taken = std::move(none).Take();
  ASSERT_EQ(taken.index(), 1u);
  EXPECT_EQ(std::get<1>(taken).code, std::future_errc::no_state);
  const FutureError broken{std::future_errc::broken_promise};
  EXPECT_EQ(broken.CodeValue(), static_cast<int>(std::future_errc::broken_promise));
  EXPECT_THAT(broken.Text(), HasSubstr("roken promise"));
}

}  // namespace
}  // namespace kiv
