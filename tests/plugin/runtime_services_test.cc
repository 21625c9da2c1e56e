// The runtime's services end to end: the real probe library, loaded by the
// substitute host, with the host's virtual clock as the process's monotonic
// clock (this executable links the clock interposer with -rdynamic).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "host/host_clock.h"
#include "host/host_value_json.h"
#include "host/neighbours/backend_service.h"
#include "host/plugin_host.h"

namespace {

using kiv::host::HostRequest;
using kiv::host::HostResponse;
using kiv::host::NeighbourAnswer;
using kiv::host::NeighbourPlugin;
using kiv::host::NeighbourRequest;
using kiv::host::PluginHost;
using kiv::host::ScriptedBackendService;
using kiv::host::ServiceReply;
using kiv::host::StreamPlan;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::StartsWith;

constexpr int64_t kSecond = 1'000'000'000;

class RuntimeServices : public ::testing::Test {
 protected:
  void SetUp() override {
    kiv::host::UseVirtualClock(1000 * kSecond);
    std::string error;
    host_ = PluginHost::Open(KIV_PROBE_PATH, &error, "load_kiv_probe");
    ASSERT_NE(host_, nullptr) << error;
    host_->Load({});
    ASSERT_TRUE(host_->Initialize());
    host_->login().SetService(&service_);
    auto demo = std::make_unique<NeighbourPlugin>("demo");
    demo_ = demo.get();
    host_->neighbours().Add(std::move(demo));
  }
  void TearDown() override {
    if (host_) host_->Shutdown();
    kiv::host::UseRealClock();
  }

  HostResponse Post(const std::string& url, const std::string& json = "") {
    HostRequest request = HostRequest::Make(KIV_METHOD_POST, url);
    if (!json.empty()) {
      request.body = json;
      request.contentType = "application/json";
    }
    return host_->Request(std::move(request));
  }
  std::string Seen() {
    return kiv::host::HostValueToJson(
        host_->Request(HostRequest::Make(KIV_METHOD_GET, "/kiv-probe/v1/runtime/seen"))
            .body.root());
  }
  static std::string Json(const HostResponse& response) {
    return kiv::host::HostValueToJson(response.body.root());
  }

  std::unique_ptr<PluginHost> host_;
  ScriptedBackendService service_;
  NeighbourPlugin* demo_ = nullptr;
};

// A JSON text of exactly `size` bytes.
std::string JsonText(size_t size) { return "\"" + std::string(size - 2, 'x') + "\""; }

TEST_F(RuntimeServices, StreamedBodyOfTwoFullReadsAndATailIsReadWithoutAYield) {
  demo_->On(KIV_METHOD_GET, "/demo/v1/big", [](const NeighbourRequest&) {
    return NeighbourAnswer::Streamed(StreamPlan{JsonText(4096 + 4096 + 10), {4096, 4096, 10}});
  });
  HostResponse answer = Post("/kiv-probe/v1/runtime/request?method=2&url=/demo/v1/big");
  ASSERT_FALSE(answer.error) << *answer.error;
  EXPECT_EQ(Json(answer).size(), 4096u + 4096u + 10u);
  EXPECT_EQ(host_->answers().streamReads, 3u);
  EXPECT_EQ(host_->answers().streamCloses, 1u);
  EXPECT_EQ(host_->answers().live(), 0u);
  EXPECT_EQ(host_->answers().strayReleases, 0u);
  EXPECT_TRUE(host_->waitLabels().empty());
}

TEST_F(RuntimeServices, FailingStreamReadStillClosesOnceAndReleases) {
  demo_->On(KIV_METHOD_GET, "/demo/v1/broken", [](const NeighbourRequest&) {
    return NeighbourAnswer::Streamed(StreamPlan{JsonText(9000), {4096}, 1});
  });
  HostResponse answer = Post("/kiv-probe/v1/runtime/request?method=2&url=/demo/v1/broken");
  ASSERT_TRUE(answer.error);
  EXPECT_THAT(*answer.error, HasSubstr("Error reading streamed response for GET /demo/v1/broken: "
                                       "Stream read error"));
  EXPECT_EQ(host_->answers().streamCloses, 1u);
  EXPECT_EQ(host_->answers().live(), 0u);
}

TEST_F(RuntimeServices, HostErrorNamesMethodUrlAndErrorWithItsStatus) {
  HostResponse answer = Post("/kiv-probe/v1/runtime/request?method=2&url=/nowhere/v1/x");
  ASSERT_TRUE(answer.error);
  EXPECT_THAT(*answer.error, HasSubstr("Error response for GET /nowhere/v1/x: "));
  EXPECT_EQ(answer.FinalStatus(), 404u);
}

TEST_F(RuntimeServices, ListenersAreCountedPerEventName) {
  const std::string name = "OnJsonApiEvent_kiv-gameflow_v1_session";
  Post("/kiv-probe/v1/runtime/observe?uri=/kiv-gameflow/v1/session");
  Post("/kiv-probe/v1/runtime/observe?uri=/kiv-gameflow/v1/session/extra");
  ASSERT_EQ(host_->listeners().count(name), 1u);
  EXPECT_EQ(host_->listeners().at(name).size(), 1u);
  Post("/kiv-probe/v1/runtime/unsubscribe?uri=/kiv-gameflow/v1/session");
  EXPECT_EQ(host_->listeners().count(name), 1u);
  Post("/kiv-probe/v1/runtime/unsubscribe?uri=/kiv-gameflow/v1/session/extra");
  EXPECT_EQ(host_->listeners().count(name), 0u);
}

TEST_F(RuntimeServices, EventsReachTheExactHandlerFirstThenMatchingPatterns) {
  // A pattern listens under the event name of its first three segments, so
  // its "*" comes after them.
  Post("/kiv-probe/v1/runtime/observe?uri=/demo/v1/x/abc/state");
  Post("/kiv-probe/v1/runtime/observe?uri=/demo/v1/x/*/state");
  Post("/kiv-probe/v1/runtime/observe?uri=/demo/v1/x/*");
  EXPECT_EQ(host_->listeners().count("OnJsonApiEvent_demo_v1_x"), 1u);
  const auto data = kiv::host::JsonToHostValue("1", nullptr);
  // Without the leading slash, as some neighbours send it.
  host_->PublishResource("demo/v1/x/abc/state", "Update", data->root());
  host_->PublishResource("/demo/v1/x//state", "Update", data->root());
  host_->PublishResource("/demo/v1/x/a/b/state", "Update", data->root());
  host_->PublishResource("/demo/v1/x/", "Delete", data->root());
  host_->PublishResource("/demo/v1/x/q", "Delete", data->root());
  host_->RunUntilIdle();
  EXPECT_EQ(Seen(), R"({"events":["/demo/v1/x/abc/state Update /demo/v1/x/abc/state",)"
                    R"("/demo/v1/x/*/state Update /demo/v1/x/abc/state",)"
                    R"("/demo/v1/x/*/state Update /demo/v1/x//state",)"
                    R"("/demo/v1/x/* Delete /demo/v1/x/q"],"firings":{}})");
}

TEST_F(RuntimeServices, PublishingDispatchesTheSpecificAndTheGeneralName) {
  Post("/kiv-probe/v1/runtime/publish?uri=/kiv-probe/v1/player", R"({"level":3})");
  ASSERT_EQ(host_->publishedEvents().size(), 2u);
  EXPECT_EQ(host_->publishedEvents()[0].name, "OnJsonApiEvent_kiv-probe_v1_player");
  EXPECT_EQ(host_->publishedEvents()[1].name, "OnJsonApiEvent");
  EXPECT_EQ(kiv::host::HostValueToJson(host_->publishedEvents()[0].body.root()),
            R"({"data":{"level":3},"eventType":"Update","uri":"/kiv-probe/v1/player"})");
}

TEST_F(RuntimeServices, UuidAnswerBeforeThePostReturnsIsDeliveredWithoutWaiting) {
  service_.Set("joust", "getPlayer", ServiceReply::Ok(R"({"id":7})").BeforePostReturns());
  HostResponse answer =
      Post("/kiv-probe/v1/runtime/backend?service=joust&method=getPlayer", R"({"q":1})");
  ASSERT_FALSE(answer.error) << *answer.error;
  EXPECT_EQ(Json(answer), R"({"id":7})");
  ASSERT_EQ(service_.calls().size(), 1u);
  EXPECT_EQ(service_.calls()[0].payload, R"({"q":1})");
  // The answer came during the stream's yield, so the future was ready when
  // awaited: no wait for a future was begun.
  EXPECT_THAT(host_->waitLabels(), Contains("Wait: yield"));
  for (const std::string& label : host_->waitLabels())
    EXPECT_THAT(label, ::testing::Not(StartsWith("Wait: future")));
}

TEST_F(RuntimeServices, DelayedAnswerIsAwaitedAndErrorsBecomeFailures) {
  service_.Set("joust", "slow", ServiceReply::Ok("[1,2]").After(30 * kSecond));
  service_.Set("joust", "kick", ServiceReply::Failed("NOT_CAPTAIN"));
  const auto start = std::chrono::steady_clock::now();
  HostResponse slow = Post("/kiv-probe/v1/runtime/backend?service=joust&method=slow", "0");
  ASSERT_FALSE(slow.error) << *slow.error;
  EXPECT_EQ(Json(slow), "[1,2]");
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::seconds(30));
  EXPECT_THAT(host_->waitLabels(), Contains(StartsWith("Wait: future<")));
  HostResponse kicked = Post("/kiv-probe/v1/runtime/backend?service=joust&method=kick", "0");
  ASSERT_TRUE(kicked.error);
  EXPECT_THAT(*kicked.error, HasSubstr("NOT_CAPTAIN"));
}

TEST_F(RuntimeServices, NestedRequestsMakingBackendCallsBothGetTheirAnswers) {
  service_.Set("joust", "slow", ServiceReply::Ok(R"("first")").After(10 * kSecond));
  service_.Set("joust", "fast", ServiceReply::Ok(R"("second")").After(1 * kSecond));
  HostRequest first =
      HostRequest::Make(KIV_METHOD_POST, "/kiv-probe/v1/runtime/backend?service=joust&method=slow");
  HostRequest second =
      HostRequest::Make(KIV_METHOD_POST, "/kiv-probe/v1/runtime/backend?service=joust&method=fast");
  for (HostRequest* request : {&first, &second}) {
    request->body = "0";
    request->contentType = "application/json";
  }
  auto firstSlot = host_->QueueRequest(std::move(first));
  auto secondSlot = host_->QueueRequest(std::move(second));
  // The first request's wait runs the second one inside it.
  ASSERT_TRUE(host_->RunUntilAnswered(firstSlot));
  ASSERT_TRUE(secondSlot->has_value());
  EXPECT_EQ(Json(**firstSlot), R"("first")");
  EXPECT_EQ(Json(**secondSlot), R"("second")");
  EXPECT_EQ(host_->waitDepth(), 0);
}

TEST_F(RuntimeServices, CallAfterShutdownBeganFailsWithFinalizing) {
  // While the plugin removes its listeners during shutdown, the host runs one
  // more request into it that makes a backend call.
  static PluginHost* host = nullptr;
  static std::optional<std::string> error;
  static void (*remove)(HostApi*, const char*, void*) = nullptr;
  static bool asked = false;
  host = host_.get();
  error.reset();
  asked = false;
  remove = host_->hostApi()->RemoveEventListener;
  host_->hostApi()->RemoveEventListener = [](HostApi* api, const char* name, void* handle) {
    if (!asked) {
      asked = true;
      auto slot = host->QueueRequest(HostRequest::Make(
          KIV_METHOD_POST, "/kiv-probe/v1/runtime/backend?service=joust&method=late"));
      host->RunOne();
      if (slot->has_value()) error = (*slot)->error.value_or("answered without error");
    }
    remove(api, name, handle);
  };
  host_->Shutdown();
  host_.reset();
  ASSERT_TRUE(error.has_value());
  EXPECT_THAT(*error, HasSubstr("Finalizing"));
  EXPECT_TRUE(service_.calls().empty());
}

TEST_F(RuntimeServices, TimerSetAgainBeforeItFiresRunsOnlyTheNewOne) {
  Post("/kiv-probe/v1/runtime/timer?name=t&seconds=2&tag=f");
  Post("/kiv-probe/v1/runtime/timer?name=t&seconds=5&tag=g");
  host_->AdvanceClock(11 * kSecond);
  EXPECT_EQ(Seen(), R"({"events":[],"firings":{"g":2}})");
  ASSERT_FALSE(Post("/kiv-probe/v1/runtime/timer?name=t&seconds=-1&tag=none").error);
  host_->AdvanceClock(10 * kSecond);
  EXPECT_EQ(Seen(), R"({"events":[],"firings":{"g":2}})");
  EXPECT_THAT(host_->logLines(),
              Contains(::testing::Field(&kiv::host::LogLine::message,
                                        HasSubstr("kiv-probe: Couldn't find timer named t"))));
}

TEST_F(RuntimeServices, WaitThatOnlyRepeatingTimersCouldEndFailsClearly) {
  // A backend call that is never answered, while a one-second timer keeps
  // moving the virtual clock: the host gives up after a day of virtual time.
  service_.Set("joust", "lost", ServiceReply::Never());
  Post("/kiv-probe/v1/runtime/timer?name=tick&seconds=1&tag=tick");
  EXPECT_DEATH(Post("/kiv-probe/v1/runtime/backend?service=joust&method=lost", "0"),
               "has waited \\(Wait: future<.*\\) for a day of virtual time");
}

TEST_F(RuntimeServices, TenMinuteTimerRunsInMillisecondsOfRealTime) {
  const auto realStart = std::chrono::system_clock::now();
  Post("/kiv-probe/v1/runtime/timer?name=long&seconds=600&tag=long");
  host_->AdvanceClock(600 * kSecond - 1);
  EXPECT_EQ(Seen(), R"({"events":[],"firings":{}})");
  host_->AdvanceClock(1);
  EXPECT_EQ(Seen(), R"({"events":[],"firings":{"long":1}})");
  host_->AdvanceClock(600 * kSecond);
  EXPECT_EQ(Seen(), R"({"events":[],"firings":{"long":2}})");
  EXPECT_LT(std::chrono::system_clock::now() - realStart, std::chrono::seconds(5));
}

}  // namespace
