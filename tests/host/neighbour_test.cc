// The stand-in neighbours as the plugin meets them: through SendRequest and
// the event bus of a host without a library, on the virtual clock.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/host_clock.h"
#include "host/host_response.h"
#include "host/host_value_json.h"
#include "host/neighbours/backend_service.h"
#include "host/plugin_host.h"

namespace kiv::host {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

constexpr int64_t kSecond = 1'000'000'000;

// The plugin's side of the bus: listens and records each event as JSON.
struct PluginSide {
  std::vector<std::string> events;  // "name json"
  static void OnEvent(const char* name, const HostValue* body, uint32_t, void* userData) {
    static_cast<PluginSide*>(userData)->events.push_back(std::string(name) + " " +
                                                         HostValueToJson(*body));
  }
};

class NeighbourTest : public ::testing::Test {
 protected:
  void SetUp() override {
    UseVirtualClock(0);
    host_ = PluginHost::Detached();
    api_ = host_->hostApi();
    for (const char* name : {"OnServiceProxyUuidEvent", "OnServiceProxyMethodEvent",
                             "OnJsonApiEvent_kiv-login_v1_session", "OnJsonApiEvent"}) {
      api_->AddEventListener(api_, name, host_->pluginHandle(), &PluginSide::OnEvent, &side_, 1);
    }
    host_->login().SetService(&service_);
  }
  void TearDown() override { UseRealClock(); }

  // Sends as the plugin does (positional texts), reads and releases the answer.
  HostResponse Send(uint32_t method, const std::string& url, std::vector<std::string> texts) {
    ResponseRecord record{};
    SendRaw(method, url, texts, record);
    return TakeResponse(record);
  }
  void SendRaw(uint32_t method, const std::string& url, const std::vector<std::string>& texts,
               ResponseRecord& record) {
    std::vector<HostMember> params(texts.size());
    for (size_t i = 0; i < texts.size(); ++i) {
      params[i].value.tag = KIV_VALUE_TEXT;
      params[i].value.u.text.data = texts[i].c_str();
      params[i].value.u.text.size = static_cast<uint32_t>(texts[i].size());
    }
    RequestRecord request{};
    request.method = method;
    request.url = url.c_str();
    request.params = params.data();
    request.paramCount = static_cast<uint32_t>(params.size());
    request.pluginHandle = host_->pluginHandle();
    api_->SendRequest(api_, &record, &request);
  }
  HostResponse PostUuid(const std::string& method = "getTournaments") {
    return Send(KIV_METHOD_POST, "/kiv-login/v1/service-proxy-uuid-requests",
                {"joust", method, "handle", R"({"id":1})"});
  }
  static std::string Text(const HostResponse& response) {
    if (response.streamed) return *response.streamed;
    return HostValueToJson(response.body.root());
  }
  static std::string UuidEvent(const std::string& uuid, const std::string& payload,
                               const std::string& error = "", const std::string& status = "OK") {
    return "OnServiceProxyUuidEvent {\"uuid\":\"" + uuid +
           "\",\"serviceName\":\"joust\",\"methodName\":\"getTournaments\",\"payload\":\"" +
           payload + "\",\"status\":\"" + status + "\",\"error\":\"" + error + "\"}";
  }

  std::unique_ptr<PluginHost> host_;
  HostApi* api_ = nullptr;
  PluginSide side_;
  ScriptedBackendService service_;
};

TEST_F(NeighbourTest, UnknownResourcesAnswer404AndEveryRequestIsRecorded) {
  const HostResponse missing = Send(KIV_METHOD_GET, "/kiv-nowhere/v1/session?x=1", {"a"});
  EXPECT_EQ(missing.error, "Not Found");
  EXPECT_EQ(missing.status, 404u);
  const HostResponse wrongMethod = Send(KIV_METHOD_DELETE, "/kiv-login/v1/session", {});
  EXPECT_EQ(wrongMethod.status, 404u);
  ASSERT_EQ(host_->sentRequests().size(), 2u);
  EXPECT_EQ(host_->sentRequests()[0].url, "/kiv-nowhere/v1/session?x=1");
  EXPECT_THAT(host_->sentRequests()[0].paramsJson, ElementsAre("\"a\""));
  EXPECT_EQ(host_->answers().live(), 0u);
}

TEST_F(NeighbourTest, SessionIsServedAndItsChangesAnnouncedUnderBothNames) {
  EXPECT_EQ(Text(Send(KIV_METHOD_GET, "/kiv-login/v1/session", {})),
            R"({"state":"SUCCEEDED","summonerId":1000001})");
  ASSERT_TRUE(host_->login().SetSession(R"({"state":"LOGGING_OUT"})"));
  EXPECT_FALSE(host_->login().SetSession("{"));
  EXPECT_THAT(side_.events, IsEmpty()) << "queued, not delivered inside the call";
  host_->RunUntilIdle();
  const std::string body =
      R"({"uri":"/kiv-login/v1/session","eventType":"Update","data":{"state":"LOGGING_OUT"}})";
  EXPECT_THAT(side_.events,
              ElementsAre("OnJsonApiEvent_kiv-login_v1_session " + body, "OnJsonApiEvent " + body));
}

TEST_F(NeighbourTest, UuidCallsAnswerAUuidThenTheServiceAnswerAfterItsDelay) {
  service_.Set("joust", "getTournaments", ServiceReply::Ok("[1]").After(600 * kSecond));
  const std::string uuid = host_->login().NextUuid();
  const HostResponse posted = PostUuid();
  EXPECT_FALSE(posted.error);
  EXPECT_EQ(Text(posted), "\"" + uuid + "\"");
  ASSERT_EQ(service_.calls().size(), 1u);
  EXPECT_EQ(service_.calls()[0].payload, R"({"id":1})");

  host_->AdvanceClock(599 * kSecond);
  EXPECT_THAT(side_.events, IsEmpty());
  host_->AdvanceClock(1 * kSecond);
  EXPECT_THAT(side_.events, ElementsAre(UuidEvent(uuid, "[1]")));
  EXPECT_EQ(MonotonicNow(), 600 * kSecond);
}

TEST_F(NeighbourTest, ServiceRepliesCoverFailureTwiceNeverAndAFailedPost) {
  service_.Set("joust", "fails", ServiceReply::Failed("NOT_CAPTAIN"));
  service_.Set("joust", "twice", ServiceReply::Ok("1").Then(ServiceAnswer{"2", "", "OK"}));
  service_.Set("joust", "never", ServiceReply::Never());
  service_.Set("joust", "down", ServiceReply::PostFails(503, "Service unavailable"));

  const std::string first = host_->login().NextUuid();
  PostUuid("fails");
  host_->RunUntilIdle();
  ASSERT_EQ(side_.events.size(), 1u);
  EXPECT_THAT(side_.events[0], HasSubstr(R"("uuid":")" + first));
  EXPECT_THAT(side_.events[0], HasSubstr(R"("error":"NOT_CAPTAIN")"));

  side_.events.clear();
  const std::string second = host_->login().NextUuid();
  PostUuid("twice");
  host_->RunUntilIdle();
  ASSERT_EQ(side_.events.size(), 2u);
  EXPECT_THAT(side_.events[0],
              HasSubstr(R"("uuid":")" + second +
                        R"(","serviceName":"joust","methodName":"twice","payload":"1")"));
  EXPECT_THAT(side_.events[1],
              HasSubstr(R"("uuid":")" + second +
                        R"(","serviceName":"joust","methodName":"twice","payload":"2")"));

  side_.events.clear();
  PostUuid("never");
  host_->AdvanceClock(3600 * kSecond);
  EXPECT_THAT(side_.events, IsEmpty());

  const std::string next = host_->login().NextUuid();
  const HostResponse down = PostUuid("down");
  EXPECT_EQ(down.error, "Service unavailable");
  EXPECT_EQ(down.status, 503u);
  EXPECT_EQ(host_->login().NextUuid(), next) << "a failed POST hands out no uuid";

  PostUuid("unknownMethod");
  host_->RunUntilIdle();
  ASSERT_EQ(side_.events.size(), 1u);
  EXPECT_THAT(side_.events[0], HasSubstr("Unknown method joust.unknownMethod"));
}

TEST_F(NeighbourTest, AnAnswerBeforeThePostReturnsIsQueuedWhileTheUuidIsStillBeingRead) {
  service_.Set("joust", "getTournaments", ServiceReply::Ok("true").BeforePostReturns());
  const std::string uuid = host_->login().NextUuid();
  ResponseRecord record{};
  SendRaw(KIV_METHOD_POST, "/kiv-login/v1/service-proxy-uuid-requests",
          {"joust", "getTournaments", "handle", "{}"}, record);
  const StreamRead read = record.read;  // packed: read by copy
  ASSERT_NE(read, nullptr);
  uint8_t buffer[4096];
  uint32_t count = sizeof buffer;
  uint8_t more = 0;
  ASSERT_TRUE(record.read(record.stream, buffer, &count, &more));
  EXPECT_EQ(count, 1u) << "a short read";
  EXPECT_EQ(more, 1) << "that promises more, so the plugin yields";
  host_->RunUntilIdle();  // the plugin's yield
  EXPECT_THAT(side_.events, ElementsAre(UuidEvent(uuid, "true")));
  const HostResponse rest = TakeResponse(record);
  EXPECT_EQ(*rest.streamed, uuid + "\"");
  EXPECT_EQ(host_->answers().live(), 0u);
}

TEST_F(NeighbourTest, MethodCallsAnswerEmptyAndReplyUnderTheAnswerMethod) {
  service_.Set("joust", "getGroups", ServiceReply::Ok(R"({"a":1})").After(2 * kSecond));
  const HostResponse posted = Send(KIV_METHOD_POST, "/kiv-login/v1/service-proxy-method-requests",
                                   {"joust", "getGroups", "onGroups", "", "handle", "[]"});
  EXPECT_FALSE(posted.error);
  EXPECT_EQ(posted.body.root().tag, uint32_t{KIV_VALUE_EMPTY});
  host_->AdvanceClock(2 * kSecond);
  EXPECT_THAT(
      side_.events,
      ElementsAre(R"(OnServiceProxyMethodEvent {"uuid":"","serviceName":"joust",)"
                  R"("methodName":"onGroups","payload":"{\"a\":1}","status":"OK","error":""})"));

  const HostResponse bad =
      Send(KIV_METHOD_POST, "/kiv-login/v1/service-proxy-method-requests", {"joust", "getGroups"});
  EXPECT_EQ(bad.status, 400u);
}

TEST(AnswerRecord, StreamsHonourTheReadersCountAndFailuresAndReleaseComesOnce) {
  AnswerLedger ledger;
  ResponseRecord record{};
  FillAnswer(record, NeighbourAnswer::Streamed(StreamPlan{"abcdefgh", {3}, 2}), ledger);
  const uint32_t expectedSize = record.expectedSize;  // packed: read by copy
  EXPECT_EQ(expectedSize, 8u);
  uint8_t buffer[8] = {};
  uint32_t count = 2;
  uint8_t more = 0;
  ASSERT_TRUE(record.read(record.stream, buffer, &count, &more));
  EXPECT_EQ(count, 2u) << "never more than asked";
  EXPECT_EQ(more, 1);
  count = 8;
  ASSERT_TRUE(record.read(record.stream, buffer, &count, &more));
  EXPECT_EQ(count, 3u) << "never more than the chunk";
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), 3), "cde");
  count = 8;
  EXPECT_FALSE(record.read(record.stream, buffer, &count, &more)) << "the third read fails";
  record.close(record.stream);
  EXPECT_EQ(ledger.streamReads, 3u);
  EXPECT_EQ(ledger.streamCloses, 1u);
  EXPECT_EQ(ledger.live(), 1u);
  record.release(&record);
  EXPECT_EQ(ledger.live(), 0u);
  record.release(&record);
  EXPECT_EQ(ledger.released, 1u);
  EXPECT_EQ(ledger.strayReleases, 1u) << "a second release frees nothing and is counted";
}

TEST(TakeResponse, ReadsAStreamToItsEndClosesItAndReportsAFailedRead) {
  AnswerLedger ledger;
  const std::string big(10000, 'x');
  ResponseRecord record{};
  FillAnswer(record, NeighbourAnswer::Streamed(StreamPlan{big, {}, -1}), ledger);
  const HostResponse whole = TakeResponse(record);
  EXPECT_EQ(*whole.streamed, big);
  EXPECT_FALSE(whole.streamError);
  EXPECT_EQ(ledger.streamReads, 3u) << "4096, 4096, then the last 1808";
  EXPECT_EQ(ledger.streamCloses, 1u);

  FillAnswer(record, NeighbourAnswer::Streamed(StreamPlan{big, {}, 1}), ledger);
  const HostResponse broken = TakeResponse(record);
  EXPECT_EQ(broken.streamError, "Stream read error");
  EXPECT_EQ(broken.streamed->size(), 4096u);
  EXPECT_EQ(ledger.streamCloses, 2u) << "closed after a failure too";
  EXPECT_EQ(ledger.live(), 0u);
  EXPECT_EQ(ledger.strayReleases, 0u);
}

}  // namespace
}  // namespace kiv::host
