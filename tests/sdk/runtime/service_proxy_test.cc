// Backend calls through the service proxy, against a recording host.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "sdk/codec/json_reader.h"
#include "tests/sdk/runtime/fake_host.h"

namespace kiv {
namespace {

using ::testing::ElementsAre;
using testing::FakeHost;
using ::testing::HasSubstr;

// Answers every uuid POST with the text "u-1".
void AnswerUuid(FakeHost& host) {
  host.answer = [](ResponseRecord& record, const RequestRecord&) {
    record.body.tag = 5;
    record.body.u.text.data = "u-1";
    record.body.u.text.size = 3;
  };
}

struct Response {
  explicit Response(const char* json) : value(ReadJson(json)), tree(value) {}
  BindingProperty value;
  HostValueTree tree;
};

TEST(ServiceProxy, UuidCallPostsFourArgumentsAndDeliversTheAnswer) {
  FakeHost host;
  auto module = host.LoadModule();
  AnswerUuid(host);
  auto future =
      module->serviceProxy().CallService<BindingProperty>("joust", "getTournaments", int32_t{3});
  ASSERT_EQ(host.requests.size(), 1u);
  EXPECT_EQ(host.requests[0].url, "/kiv-login/v1/service-proxy-uuid-requests");
  ASSERT_EQ(host.requests[0].paramsJson.size(), 4u);
  EXPECT_EQ(host.requests[0].paramsJson[0], "\"joust\"");
  EXPECT_EQ(host.requests[0].paramsJson[3], "\"3\"");
  EXPECT_FALSE(future.IsReady());
  Response answer(R"({"uuid":"u-1","serviceName":"joust","methodName":"getTournaments",
                      "payload":"[1,2]","status":"OK","error":""})");
  host.Deliver("OnServiceProxyUuidEvent", answer.tree.Root(), module.get());
  auto result = module->timers().Await(std::move(future));
  ASSERT_TRUE(result.ok());
  EXPECT_EQ(result->Size(), 2u);
  std::vector<std::string> lines;
  for (auto& [level, line] : host.logLines) lines.push_back(line);
  EXPECT_THAT(lines, ::testing::Contains(HasSubstr(
                         "kiv-test: Preparing service proxy request: joust.getTournaments")));
  EXPECT_THAT(lines, ::testing::Contains(HasSubstr(
                         "kiv-test: Started service proxy request: joust.getTournaments (u-1)")));
  EXPECT_THAT(lines,
              ::testing::Contains(HasSubstr("kiv-test: Fulfilled service proxy request: u-1")));
}

TEST(ServiceProxy, TypedCallsSendAStructureAndMapTheirAnswers) {
  struct Case {
    const char* desc;
    const char* answer;  // the service-proxy event's body
    uint32_t code;       // of the failure; 200 for success
    const char* message;
  };
  const Case cases[] = {
      {"converts", R"({"uuid":"u-1","payload":"{\"uuid\":\"x\"}","error":""})", 200, ""},
      {"empty answer", R"({"uuid":"u-1","payload":"null","error":""})", 500,
       "DESERIALIZATION_FAILED"},
      {"wrong shape", R"({"uuid":"u-1","payload":"{\"uuid\":5}","error":""})", 400, "uuid"},
      {"service failure", R"({"uuid":"u-1","payload":"null","error":"NOT_CAPTAIN"})", 0,
       "NOT_CAPTAIN"},
  };
  for (const Case& row : cases) {
    SCOPED_TRACE(row.desc);
    FakeHost host;
    auto module = host.LoadModule();
    AnswerUuid(host);
    auto future =
        module->serviceProxy().Call<PluginServiceProxyResponse>("joust", "m", BindingProperty());
    ASSERT_EQ(host.requests.size(), 1u);
    EXPECT_EQ(host.requests[0].paramsJson[3], "\"{}\"") << "no arguments: an empty structure";
    Response answer(row.answer);
    host.Deliver("OnServiceProxyUuidEvent", answer.tree.Root(), module.get());
    auto result = module->timers().Await(std::move(future));
    if (row.code == 200) {
      ASSERT_TRUE(result.ok()) << result.failure().ToString();
      EXPECT_EQ(result->uuid, "x");
      continue;
    }
    ASSERT_FALSE(result.ok());
    EXPECT_EQ(result.failure().ErrorCode(), row.code);
    EXPECT_THAT(std::string(result.failure().Message()), HasSubstr(row.message));
  }
}

TEST(ServiceProxy, AnswerBeforeTheRequestIsHeldAndOnlyTheLastIsDelivered) {
  FakeHost host;
  auto module = host.LoadModule();
  Response first(R"({"uuid":"u-1","payload":"1","error":""})");
  Response second(R"({"uuid":"u-1","payload":"2","error":""})");
  host.answer = [&](ResponseRecord& record, const RequestRecord&) {
    host.Deliver("OnServiceProxyUuidEvent", first.tree.Root(), module.get());
    host.Deliver("OnServiceProxyUuidEvent", second.tree.Root(), module.get());
    record.body.tag = 5;
    record.body.u.text.data = "u-1";
    record.body.u.text.size = 3;
  };
  auto result =
      module->timers().Await(module->serviceProxy().CallService<BindingProperty>("joust", "m", 0));
  ASSERT_TRUE(result.ok());
  EXPECT_EQ(result->GetUnsigned(), 2u);
}

TEST(ServiceProxy, ErrorAndUndecodablePayloadBecomeFailures) {
  FakeHost host;
  auto module = host.LoadModule();
  AnswerUuid(host);
  auto failed = module->serviceProxy().CallService<void>("joust", "kick", 0);
  Response error(R"({"uuid":"u-1","payload":"null","error":"NOT_CAPTAIN"})");
  host.Deliver("OnServiceProxyUuidEvent", error.tree.Root(), module.get());
  auto result = module->timers().Await(std::move(failed));
  ASSERT_FALSE(result.ok());
  EXPECT_EQ(result.failure().Message(), "NOT_CAPTAIN");

  auto bad = module->serviceProxy().CallService<bool>("joust", "isOn", 0);
  Response garbage(R"({"uuid":"u-1","payload":"{oops","error":""})");
  host.Deliver("OnServiceProxyUuidEvent", garbage.tree.Root(), module.get());
  auto decoded = module->timers().Await(std::move(bad));
  ASSERT_FALSE(decoded.ok());
  EXPECT_EQ(decoded.failure().Message(),
            "Failed to deserialize response payload \"{oops\" to a bool");
}

TEST(ServiceProxy, MethodCallIsKeyedByTheAnswerMethodAndRefusesADuplicate) {
  FakeHost host;
  auto module = host.LoadModule();
  int answers = 0;
  auto callback = [&](const PluginServiceProxyResponse&) { ++answers; };
  EXPECT_EQ(module->serviceProxy().StartServiceCall("chat", "send", 1, "sent", "", callback), "");
  EXPECT_EQ(host.requests.at(0).url, "/kiv-login/v1/service-proxy-method-requests");
  EXPECT_EQ(host.requests.at(0).paramsJson.size(), 6u);
  EXPECT_EQ(module->serviceProxy().StartServiceCall("chat", "send", 1, "sent", "", callback),
            "Request already in flight");
  Response answer(R"({"serviceName":"chat","methodName":"sent","payload":"1","error":""})");
  host.Deliver("OnServiceProxyMethodEvent", answer.tree.Root(), module.get());
  EXPECT_EQ(answers, 1);
  EXPECT_EQ(host.requests.size(), 1u);
}

TEST(ServiceProxy, FailedPostIsTheFailuresTextAndAsyncWithoutHandlerIsLogged) {
  FakeHost host;
  auto module = host.LoadModule();
  host.answer = [](ResponseRecord& record, const RequestRecord&) {
    record.error = "down";
    record.status = 503;
  };
  auto result = module->timers().Await(module->serviceProxy().CallService<void>("joust", "m", 0));
  ASSERT_FALSE(result.ok());
  EXPECT_THAT(std::string(result.failure().Message()),
              HasSubstr("Error response for POST /kiv-login/v1/service-proxy-uuid-requests: down"));
  Response async(R"({"serviceName":"joust","methodName":"push","payload":"1","error":""})");
  host.logLines.clear();
  host.Deliver("OnServiceProxyAsyncEvent", async.tree.Root(), module.get());
  ASSERT_EQ(host.logLines.size(), 1u);
  EXPECT_EQ(host.logLines[0].first, 2);
  EXPECT_THAT(host.logLines[0].second,
              HasSubstr("kiv-test: Could not find registered handler for async service proxy "
                        "event joust.push"));
  int handled = 0;
  module->serviceProxy().SetAsyncServiceHandler(
      "joust.push", [&](const PluginServiceProxyResponse&) { ++handled; });
  host.Deliver("OnServiceProxyAsyncEvent", async.tree.Root(), module.get());
  host.Deliver("OnServiceProxyAsyncEvent", async.tree.Root(), module.get());
  EXPECT_EQ(handled, 2);
}

}  // namespace
}  // namespace kiv
