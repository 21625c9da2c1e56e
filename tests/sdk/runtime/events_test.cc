// Event names, patterns, subscriptions, observers and publishing.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "sdk/codec/json_reader.h"
#include "sdk/runtime/event_names.h"
#include "tests/sdk/runtime/fake_host.h"

namespace kiv {
namespace {

using ::testing::ElementsAre;
using testing::FakeHost;

TEST(EventNames, EmptyAndDoubledSlashes) {
  EXPECT_EQ(EventNameOfUri("//kiv-gameflow//v1/session/"),
            "OnJsonApiEvent_kiv-gameflow_v1_session");
  EXPECT_EQ(EventNameOfUri("/"), "OnJsonApiEvent");
  EXPECT_EQ(EventNameOfUri(""), "OnJsonApiEvent");
}

TEST(EventNames, StarMatchesOneSegmentThatMayBeEmptyOnlyBeforeASlash) {
  EXPECT_TRUE(UriMatchesPattern("/demo/v1/*/state", "/demo/v1/abc/state"));
  EXPECT_TRUE(UriMatchesPattern("/demo/v1/*/state", "/demo/v1//state"));
  EXPECT_FALSE(UriMatchesPattern("/demo/v1/*/state", "/demo/v1/a/b/state"));
  EXPECT_FALSE(UriMatchesPattern("/demo/v1/*", "/demo/v1/"));
  EXPECT_TRUE(UriMatchesPattern("/demo/v1/*", "/demo/v1/x"));
  EXPECT_FALSE(UriMatchesPattern("/demo/v1/*", "/demo/v1/x/y"));
  EXPECT_FALSE(UriMatchesPattern("/demo/v1/*/state", "/demo/v1/abc/stat"));
}

// An event body as the host would pass it.
struct EventBody {
  explicit EventBody(const char* json) : value(ReadJson(json)), tree(value) {}
  BindingProperty value;
  HostValueTree tree;
};

TEST(Events, ListenersAreCountedPerEventName) {
  FakeHost host;
  auto module = host.LoadModule();
  module->Subscribe("/kiv-gameflow/v1/session");
  module->Subscribe("/kiv-gameflow/v1/session/extra");
  module->Unsubscribe("/kiv-gameflow/v1/session");
  EXPECT_THAT(host.calls, ElementsAre("add OnJsonApiEvent_kiv-gameflow_v1_session 0"));
  module->Unsubscribe("/kiv-gameflow/v1/session/extra");
  EXPECT_THAT(host.calls, ElementsAre("add OnJsonApiEvent_kiv-gameflow_v1_session 0",
                                      "remove OnJsonApiEvent_kiv-gameflow_v1_session"));
}

TEST(Events, ExactHandlerComesFirstThenEveryMatchingPattern) {
  FakeHost host;
  auto module = host.LoadModule();
  host.answer = [](ResponseRecord& record, const RequestRecord&) {
    record.error = "absent";
    record.status = 404;
  };
  std::vector<std::string> calls;
  module->events().Observe("/demo/v1/abc/state",
                           [&](const PluginResourceEvent&) { calls.push_back("x"); });
  module->events().Observe("/demo/v1/*/state",
                           [&](const PluginResourceEvent&) { calls.push_back("p1"); });
  module->events().Observe("/demo/*/abc/state",
                           [&](const PluginResourceEvent&) { calls.push_back("p2"); });
  // The exact URI's GET failed: its handler was installed without a call.
  EXPECT_TRUE(calls.empty());
  EXPECT_EQ(host.requests.size(), 1u);
  EventBody body(R"({"uri":"demo/v1/abc/state","eventType":"Update","data":1})");
  host.Deliver("OnJsonApiEvent_demo_v1_abc", body.tree.Root(), module.get());
  EXPECT_THAT(calls, ElementsAre("x", "p2", "p1"));
}

TEST(Events, ObservingAnExactUriReportsItsCurrentValueAsCreate) {
  FakeHost host;
  auto module = host.LoadModule();
  EventBody answer(R"({"phase":"Lobby"})");
  host.answer = [&](ResponseRecord& record, const RequestRecord&) {
    record.body = answer.tree.Root();
  };
  std::vector<std::string> seen;
  module->events().Observe("/kiv-gameflow/v1/session", [&](const PluginResourceEvent& event) {
    seen.push_back(event.uri + " " + std::to_string(int(event.eventType)) + " " +
                   std::string(event.data.Member("phase").GetString()));
  });
  EXPECT_EQ(host.requests.at(0).method, uint32_t{KIV_METHOD_GET});
  EXPECT_THAT(seen, ElementsAre("/kiv-gameflow/v1/session 0 Lobby"));
}

struct Phase {
  std::string phase = "None";
};

}  // namespace
}  // namespace kiv

template <>
inline constexpr auto kiv::kRecord<kiv::Phase> =
    kiv::Record<kiv::Phase>("Phase", kiv::Field("phase", &kiv::Phase::phase));

namespace kiv {
namespace {

TEST(Events, TypedHandlerGetsDefaultOnDeleteAndSkipsDataThatDoesNotConvert) {
  FakeHost host;
  auto module = host.LoadModule();
  host.answer = [](ResponseRecord& record, const RequestRecord&) { record.error = "no"; };
  std::vector<std::string> seen;
  module->events().ObserveAs<Phase>(
      "/g/v1/s", [&](const TypedResourceEvent<Phase>& event) { seen.push_back(event.data.phase); });
  EventBody update(R"({"uri":"/g/v1/s","eventType":"Update","data":{"phase":"Lobby"}})");
  EventBody wrong(R"({"uri":"/g/v1/s","eventType":"Update","data":[1]})");
  EventBody removed(R"({"uri":"/g/v1/s","eventType":"Delete"})");
  for (auto* body : {&update, &wrong, &removed}) {
    host.Deliver("OnJsonApiEvent_g_v1_s", body->tree.Root(), module.get());
  }
  EXPECT_THAT(seen, ElementsAre("Lobby", "None"));
}

TEST(Events, PublishingSendsTheSpecificNameAndTheGeneralOne) {
  FakeHost host;
  auto module = host.LoadModule();
  module->events().PublishUpdate("/kiv-joust/v1/player", Phase{"InGame"});
  module->events().PublishDelete("/kiv-joust/v1/player");
  ASSERT_EQ(host.events.size(), 4u);
  EXPECT_EQ(host.events[0].first, "OnJsonApiEvent_kiv-joust_v1_player");
  EXPECT_EQ(host.events[1].first, "OnJsonApiEvent");
  EXPECT_EQ(host.events[0].second,
            R"({"data":{"phase":"InGame"},"eventType":"Update","uri":"/kiv-joust/v1/player"})");
  EXPECT_EQ(host.events[2].second,
            R"({"data":null,"eventType":"Delete","uri":"/kiv-joust/v1/player"})");
  // A URI without segments is sent once: its name is the general one.
  ASSERT_TRUE(module->events()
                  .SendEvent("OnJsonApiEvent", {"/", PluginResourceEventType::kCreate, {}})
                  .ok());
  EXPECT_EQ(host.events.size(), 5u);
}

TEST(Events, ShutdownRemovesListenersAndForgetsHandlers) {
  FakeHost host;
  auto module = host.LoadModule();
  host.answer = [](ResponseRecord& record, const RequestRecord&) { record.error = "no"; };
  module->events().Observe("/a/v1/b", [](const PluginResourceEvent&) {});
  AppModule::Shutdown(module.release());
  EXPECT_THAT(host.calls,
              ::testing::IsSupersetOf(
                  {"remove OnJsonApiEvent_a_v1_b", "remove OnServiceProxyUuidEvent",
                   "remove OnServiceProxyMethodEvent", "remove OnServiceProxyAsyncEvent"}));
}

}  // namespace
}  // namespace kiv
