// What the gateway serves beside the plugin: the tournament page's files
// (without a token, never to a foreign Host), the JSON index, recordings for
// the page's replay, the clock's resume, and the record of every answered
// request; and the recorder's lines.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <rapidjson/document.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <mutex>
#include <sstream>
#include <string>
#include <vector>

#include "host/gateway/page_files.h"
#include "host/run_recorder.h"
#include "tests/host/gateway/gateway_fixture.h"

namespace kiv::host::gateway {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;

std::string TempPath(const std::string& name) {
  return ::testing::TempDir() + "kiv_page_test_" + std::to_string(getpid()) + "_" + name;
}

std::vector<rapidjson::Document> ReadLines(const std::string& path) {
  std::ifstream file(path);
  std::vector<rapidjson::Document> lines;
  for (std::string line; std::getline(file, line);) {
    lines.emplace_back().Parse(line.c_str());
    EXPECT_TRUE(lines.back().IsObject()) << line;
  }
  return lines;
}

class GatewayPage : public GatewayFixture {
 protected:
  GatewayOptions Options() const override {
    GatewayOptions options = TestOptions();
    options.onAnswered = [this](const HostRequest& request, const HostResponse& response) {
      std::lock_guard<std::mutex> lock(mutex_);
      answered_.push_back(request.url + " " + std::to_string(response.FinalStatus()));
    };
    options.resume = [this] { resumed_.fetch_add(1); };
    return options;
  }

  mutable std::mutex mutex_;
  mutable std::vector<std::string> answered_;
  mutable std::atomic<int> resumed_{0};
};

TEST_F(GatewayPage, ServesThePageWithoutATokenButNeverToAForeignHost) {
  ASSERT_FALSE(PageFiles().empty());
  auto page = Client(false)->Get("/");
  ASSERT_TRUE(page);
  EXPECT_EQ(page->status, 200);
  EXPECT_THAT(page->get_header_value("Content-Type"), StartsWith("text/html"));
  EXPECT_THAT(page->body, HasSubstr("/web/js/main.js"));
  EXPECT_EQ(page->body, FindPageFile("index.html")->bytes);

  auto script = Client(false)->Get("/web/js/main.js");
  ASSERT_TRUE(script);
  EXPECT_EQ(script->status, 200);
  EXPECT_THAT(script->get_header_value("Content-Type"), StartsWith("text/javascript"));

  auto missing = Client(false)->Get("/web/js/none.js");
  ASSERT_TRUE(missing);
  EXPECT_EQ(missing->status, 401) << "not a page file: a plugin request, which needs the token";

  auto foreign = Client(false)->Get("/", {{"Host", "evil.example"}});
  ASSERT_TRUE(foreign);
  EXPECT_EQ(foreign->status, 403);
}

TEST_F(GatewayPage, ServesTheIndexAsJsonByPathOrAccept) {
  for (const auto& [path, headers] : std::vector<std::pair<std::string, httplib::Headers>>{
           {"/index.json", {}}, {"/", {{"Accept", "application/json"}}}}) {
    SCOPED_TRACE(path);
    auto answer = Client()->Get(path, headers);
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->status, 200);
    EXPECT_THAT(answer->body, HasSubstr("\"endpoints\""));
    auto refused = Client(false)->Get(path, headers);
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->status, 401);
  }
}

TEST_F(GatewayPage, ServesOnlyJsonlRecordingsAndOnlyWithTheToken) {
  const std::string path = TempPath("served.jsonl");
  { std::ofstream(path) << "{\"kind\":\"start\"}\n"; }
  auto served = Client()->Get("/recording?path=" + path);
  ASSERT_TRUE(served);
  EXPECT_EQ(served->status, 200);
  EXPECT_EQ(served->body, "{\"kind\":\"start\"}\n");
  for (const auto& [target, status] : std::vector<std::pair<std::string, int>>{
           {"/recording?path=/etc/passwd", 400},
           {"/recording?path=.jsonl", 400},
           {"/recording?path=" + TempPath("absent.jsonl"), 404}}) {
    SCOPED_TRACE(target);
    auto answer = Client()->Get(target);
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->status, status);
  }
  auto refused = Client(false)->Get("/recording?path=" + path);
  ASSERT_TRUE(refused);
  EXPECT_EQ(refused->status, 401);
  std::remove(path.c_str());
}

TEST_F(GatewayPage, ResumesAHeldRunAndReportsAnsweredRequests) {
  auto resumed = Client()->Post("/clock/resume");
  ASSERT_TRUE(resumed);
  EXPECT_EQ(resumed->status, 204);
  EXPECT_EQ(resumed_.load(), 1);
  EXPECT_EQ(Client(false)->Post("/clock/resume")->status, 401);
  EXPECT_EQ(resumed_.load(), 1);

  auto answer = Client()->Get("/kiv-probe/v1/runtime/seen");
  ASSERT_TRUE(answer);
  auto unknown = Client()->Get("/kiv-probe/v1/nothing");
  ASSERT_TRUE(unknown);
  std::lock_guard<std::mutex> lock(mutex_);
  EXPECT_THAT(answered_, ::testing::ElementsAre("/kiv-probe/v1/runtime/seen 200",
                                                "/kiv-probe/v1/nothing 404"));
}

TEST_F(GatewayFixture, AnswersResumeWith404WithoutAHold) {
  auto answer = Client()->Post("/clock/resume");
  ASSERT_TRUE(answer);
  EXPECT_EQ(answer->status, 404);
}

TEST(RunRecorder, WritesOneTimedLinePerThingWithItsKind) {
  const std::string path = TempPath("recorder.jsonl");
  std::string error;
  auto recorder = RunRecorder::Open(path, &error);
  ASSERT_NE(recorder, nullptr) << error;
  int64_t now = 1000;
  recorder->SetClock([&now] { return now; });
  recorder->Start("scenario", "quick.yaml", true);
  PublishedEvent event;
  event.name = "OnJsonApiEvent";
  event.body = *JsonToHostValue(R"({"uri":"/x/1","eventType":"Update","data":{"n":1}})", &error);
  PublishedEvent copy;
  copy.name = "OnJsonApiEvent_x_1";
  copy.body = *JsonToHostValue(R"({"uri":"/x/1"})", &error);
  now = 2000;
  recorder->Publication(event);
  recorder->Publication(copy);
  HostRequest request = HostRequest::Make(KIV_METHOD_POST, "/x/rename");
  request.body = R"({"name":"A"})";
  HostResponse failed;
  failed.status = 400;
  failed.error = "NOT_CAPTAIN";
  recorder->Request(request, failed);
  recorder->ScenarioLine("+00:00:30.000  step 1  POST /x");
  recorder->ScenarioLine("+00:00:30.000  event    Update /x/1 {}");
  recorder->ScenarioLine("+00:00:31.000  service  draw");
  recorder->End(1);
  recorder.reset();

  const auto lines = ReadLines(path);
  ASSERT_EQ(lines.size(), 6u);
  EXPECT_STREQ(lines[0]["kind"].GetString(), "start");
  EXPECT_STREQ(lines[0]["format"].GetString(), "kiv-joust-recording");
  EXPECT_EQ(lines[0]["version"].GetInt(), kRecordingVersion);
  EXPECT_STREQ(lines[0]["clock"].GetString(), "virtual");
  EXPECT_EQ(lines[0]["t"].GetInt64(), 1000);
  EXPECT_STREQ(lines[1]["kind"].GetString(), "publish");
  EXPECT_EQ(lines[1]["t"].GetInt64(), 2000);
  EXPECT_EQ(lines[1]["body"]["data"]["n"].GetInt(), 1);
  EXPECT_STREQ(lines[2]["kind"].GetString(), "request") << "the copy under its own name is skipped";
  EXPECT_STREQ(lines[2]["method"].GetString(), "POST");
  EXPECT_STREQ(lines[2]["body"].GetString(), R"({"name":"A"})");
  EXPECT_EQ(lines[2]["status"].GetUint(), 400u);
  EXPECT_STREQ(lines[2]["error"].GetString(), "NOT_CAPTAIN");
  EXPECT_STREQ(lines[3]["kind"].GetString(), "step");
  EXPECT_STREQ(lines[3]["line"].GetString(), "step 1  POST /x");
  EXPECT_STREQ(lines[4]["kind"].GetString(), "scenario");
  EXPECT_STREQ(lines[5]["kind"].GetString(), "end");
  EXPECT_EQ(lines[5]["status"].GetInt(), 1);
  std::remove(path.c_str());
}

}  // namespace
}  // namespace kiv::host::gateway
