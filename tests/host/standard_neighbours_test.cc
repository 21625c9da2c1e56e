// The standard stand-ins as the plugin meets them: GETs answer the current
// state, changes are announced under the resource's event name, actions are
// recorded with their effects; driven from one table of resources.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "host/host_clock.h"
#include "host/host_response.h"
#include "host/host_value_json.h"
#include "host/plugin_host.h"
#include "host/resource_event.h"

namespace kiv::host {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

struct Recorder {
  std::vector<std::string> events;  // "name json"
  static void OnEvent(const char* name, const HostValue* body, uint32_t, void* userData) {
    static_cast<Recorder*>(userData)->events.push_back(std::string(name) + " " +
                                                       HostValueToJson(*body));
  }
};

class StandardNeighboursTest : public ::testing::Test {
 protected:
  void SetUp() override {
    UseVirtualClock(0);
    host_ = PluginHost::Detached();
  }
  void TearDown() override { UseRealClock(); }

  void Listen(const std::string& name) {
    HostApi* api = host_->hostApi();
    api->AddEventListener(api, name.c_str(), host_->pluginHandle(), &Recorder::OnEvent, &recorder_,
                          0);
  }
  HostResponse Send(uint32_t method, const std::string& url, const std::string& bodyJson = "") {
    OwnedHostValue body;
    if (!bodyJson.empty()) body = *JsonToHostValue(bodyJson, nullptr);
    HostMember param{};
    param.value = body.root();
    RequestRecord request{};
    request.method = method;
    request.url = url.c_str();
    request.params = bodyJson.empty() ? nullptr : &param;
    request.paramCount = bodyJson.empty() ? 0 : 1;
    request.pluginHandle = host_->pluginHandle();
    ResponseRecord record{};
    host_->hostApi()->SendRequest(host_->hostApi(), &record, &request);
    return TakeResponse(record);
  }
  std::string Get(const std::string& uri) {
    const HostResponse answer = Send(KIV_METHOD_GET, uri);
    if (answer.error) return "error " + std::to_string(answer.status) + " " + *answer.error;
    return HostValueToJson(answer.body.root());
  }

  std::unique_ptr<PluginHost> host_;
  Recorder recorder_;
};

TEST_F(StandardNeighboursTest, EveryReadableResourceAnswersItsStateAndAnnouncesItsChanges) {
  struct Row {
    const char* uri;
    const char* initial;  // a part of the start-up state
    std::function<void(StandardNeighbours&)> change;
    const char* changed;  // the whole state afterwards
  };
  const Row rows[] = {
      {kGameflowAvailabilityUri, R"("isAvailable":true)",
       [](StandardNeighbours& s) { s.gameflow.SetAvailable(false); }, R"({"isAvailable":false})"},
      {kGameflowSessionUri, R"("phase":"None")",
       [](StandardNeighbours& s) { s.gameflow.SetPhase("InProgress"); },
       R"({"phase":"InProgress"})"},
      {kJoustConfigUri, R"("EnabledState":"Enabled")",
       [](StandardNeighbours& s) { s.config.SetConfig(R"({"Visibility":"Hidden"})"); },
       R"({"Visibility":"Hidden"})"},
      {kEntitlementsTokenUri, R"("entitlements":[])",
       [](StandardNeighbours& s) {
         s.entitlements.SetToken("t", "a", {"dark", "x\"y"});
       },
       R"({"token":"t","accessToken":"a","entitlements":["dark","x\"y"]})"},
      {kReadyCheckUri, R"("state":"Invalid")",
       [](StandardNeighbours& s) { s.matchmaking.SetReadyCheck("InProgress"); },
       R"({"state":"InProgress","playerResponse":"None"})"},
      {kMatchmakingSearchUri, R"("queueId":-1)",
       [](StandardNeighbours& s) { s.lobby.SetSearch(700, "TournamentDodged", 9); },
       R"({"queueId":700,"dodgeData":{"state":"TournamentDodged","dodgerId":9}})"},
      {kChatMeUri, R"("kiv":{})",
       [](StandardNeighbours& s) {
         SetNeighbourResource(s, kChatMeUri, R"({"summonerId":5,"kiv":{"k":"v"}})");
       },
       R"({"summonerId":5,"kiv":{"k":"v"}})"},
      {kLoginSessionUri, R"("state":"SUCCEEDED")",
       [](StandardNeighbours& s) {
         SetNeighbourResource(s, kLoginSessionUri, R"({"state":"LOGGING_OUT"})");
       },
       R"({"state":"LOGGING_OUT"})"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.uri);
    recorder_.events.clear();
    const std::string name = ResourceEventName(row.uri);
    Listen(name);
    EXPECT_THAT(Get(row.uri), HasSubstr(row.initial));
    row.change(host_->standard());
    EXPECT_TRUE(recorder_.events.empty()) << "queued, not delivered inside the call";
    host_->RunUntilIdle();
    EXPECT_THAT(recorder_.events,
                ElementsAre(name + R"( {"uri":")" + row.uri + R"(","eventType":"Update","data":)" +
                            row.changed + "}"));
    EXPECT_EQ(Get(row.uri), row.changed);
    host_->hostApi()->RemoveEventListener(host_->hostApi(), name.c_str(), host_->pluginHandle());
  }
  EXPECT_EQ(ResourceEventName(kJoustConfigUri),
            "OnJsonApiEvent_kiv-platform-config_v1_namespaces_JoustConfig");
}

TEST_F(StandardNeighboursTest, RemovedResourcesAnnounceDeleteAndLookupsServeTheirTables) {
  StandardNeighbours& s = host_->standard();
  Listen("OnJsonApiEvent");
  s.config.DeleteConfig();
  s.lobby.EndSearch();
  host_->RunUntilIdle();
  EXPECT_THAT(recorder_.events,
              ElementsAre(std::string("OnJsonApiEvent {\"uri\":\"") + kJoustConfigUri +
                              R"(","eventType":"Delete","data":null})",
                          std::string("OnJsonApiEvent {\"uri\":\"") + kMatchmakingSearchUri +
                              R"(","eventType":"Delete","data":null})"));
  EXPECT_EQ(Get(kJoustConfigUri), "error 404 Not Found");
  s.config.SetConfig(R"({"Visibility":"Visible"})");
  host_->RunUntilIdle();
  EXPECT_THAT(recorder_.events.back(), HasSubstr(R"("eventType":"Create")"));

  EXPECT_THAT(Get("/kiv-game-queues/v1/queues/700"), HasSubstr(R"("id":700,"mapId":11)"));
  EXPECT_THAT(Get("/kiv-game-queues/v1/queues/701"), HasSubstr(R"("category":"PvP")"));
  EXPECT_EQ(Get("/kiv-game-queues/v1/queues/420"), "error 404 Not Found");
  s.summoners.SetSummoner(42, "Tiber", 7);
  EXPECT_EQ(Get("/kiv-summoner/v1/summoners/42"),
            R"({"summonerId":42,"displayName":"Tiber","profileIconId":7})");
  EXPECT_EQ(Get("/kiv-summoner/v1/summoners/43"), "error 404 Not Found");
  s.gameflow.SetFailure(KIV_METHOD_GET, kGameflowSessionUri, {{503, "Unavailable"}});
  EXPECT_EQ(Get(kGameflowSessionUri), "error 503 Unavailable");
  s.gameflow.SetFailure(KIV_METHOD_GET, kGameflowSessionUri, std::nullopt);
  EXPECT_EQ(Get(kGameflowSessionUri), R"({"phase":"None"})");
  EXPECT_THAT(SetNeighbourResource(s, "/kiv-nowhere/v1/x", "{}"), HasSubstr("no stand-in serves"));
  EXPECT_THAT(SetNeighbourResource(s, kGameflowSessionUri, "{"), HasSubstr("bad JSON"));
}

TEST_F(StandardNeighboursTest, EveryPushTopicArrivesAsACreatedMessageAndIsNeverRead) {
  Listen("OnJsonApiEvent_zanth-messaging-service_v1_message");
  StandardNeighbours& s = host_->standard();
  for (const char* topic : kPushTopics) {
    const std::string uri = std::string(kPushTopicPrefix) + topic;
    EXPECT_TRUE(s.messaging.Push(topic, R"({"tournamentId":7})")) << topic;
    EXPECT_EQ(Get(uri), "error 404 Not Found") << "a read would replay the last message";
  }
  EXPECT_FALSE(s.messaging.Push("nonsense", "{}"));
  EXPECT_EQ(SetNeighbourResource(s, std::string(kPushTopicPrefix) + "no-show-ping", "{}"), "");
  host_->RunUntilIdle();
  ASSERT_EQ(recorder_.events.size(), 10u);
  EXPECT_EQ(
      recorder_.events[5],
      std::string("OnJsonApiEvent_zanth-messaging-service_v1_message {\"uri\":\"") +
          kPushTopicPrefix +
          R"(bracket-ready","eventType":"Create","data":{"payload":"{\"tournamentId\":7}"}})");
  EXPECT_EQ(s.messaging.pushed().size(), 10u);
}

TEST_F(StandardNeighboursTest, EveryActionIsRecordedWithItsEffect) {
  struct Row {
    uint32_t method;
    const char* path;
    const char* body;
    std::function<std::string(StandardNeighbours&)> effect;  // observed afterwards
    const char* expected;
  };
  const Row rows[] = {
      {KIV_METHOD_POST, "/kiv-gameflow/v1/session/request-tournament-checkin", "",
       [](StandardNeighbours& s) { return s.gameflow.Phase(); }, "CheckedIntoTournament"},
      {KIV_METHOD_POST, "/kiv-gameflow/v1/session/event",
       R"("GAMEFLOW_EVENT.CHECKED_IN_FOR_TOURNAMENT")",
       [](StandardNeighbours& s) { return s.gameflow.received().back().BodyJson(); },
       R"("GAMEFLOW_EVENT.CHECKED_IN_FOR_TOURNAMENT")"},
      {KIV_METHOD_POST, "/kiv-gameflow/v1/session/game-configuration", R"({"id":700})",
       [](StandardNeighbours& s) { return s.gameflow.received().back().BodyJson(); },
       R"({"id":700})"},
      {KIV_METHOD_POST, "/kiv-gameflow/v1/session/dodge",
       R"({"state":"TournamentDodged","dodgeIds":[]})",
       [](StandardNeighbours& s) { return s.gameflow.received().back().path; },
       "/kiv-gameflow/v1/session/dodge"},
      {KIV_METHOD_POST, "/kiv-gameflow/v1/session/tournament-ended", "",
       [](StandardNeighbours& s) { return s.gameflow.Phase(); }, "None"},
      {KIV_METHOD_POST, "/kiv-matchmaking/v1/ready-check/accept", "",
       [](StandardNeighbours& s) { return *s.matchmaking.State(kReadyCheckUri); },
       R"({"state":"InProgress","playerResponse":"Accepted"})"},
      {KIV_METHOD_POST, "/kiv-end-of-game/v1/state/dismiss-stats", "",
       [](StandardNeighbours& s) { return std::to_string(s.endOfGame.Dismissals()); }, "1"},
      {KIV_METHOD_PUT, kChatMeUri, R"({"summonerId":1,"kiv":{"joustTournamentState":"SCOUTING"}})",
       [](StandardNeighbours& s) { return *s.chat.State(kChatMeUri); },
       R"({"summonerId":1,"kiv":{"joustTournamentState":"SCOUTING"}})"},
      {KIV_METHOD_POST, "/player-notifications/v1/notifications", R"({"source":"joust"})",
       [](StandardNeighbours& s) { return s.notifications.Posted().back(); },
       R"({"source":"joust"})"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.path);
    const HostResponse answer = Send(row.method, row.path, row.body);
    EXPECT_FALSE(answer.error);
    EXPECT_EQ(row.effect(host_->standard()), row.expected);
  }
  EXPECT_EQ(host_->standard().chat.Presence(),
            R"({"summonerId":1,"kiv":{"joustTournamentState":"SCOUTING"}})");
  EXPECT_EQ(host_->standard().matchmaking.Accepts(), 1u);
  host_->standard().endOfGame.SetFailure(KIV_METHOD_POST, "/kiv-end-of-game/v1/state/dismiss-stats",
                                         {{500, "busy"}});
  EXPECT_EQ(Send(KIV_METHOD_POST, "/kiv-end-of-game/v1/state/dismiss-stats").status, 500u);
  EXPECT_EQ(host_->standard().endOfGame.Dismissals(), 1u) << "a failed request is not recorded";
  EXPECT_EQ(Send(KIV_METHOD_GET, "/kiv-gameflow/v1/session/dodge").status, 404u);
}

}  // namespace
}  // namespace kiv::host
