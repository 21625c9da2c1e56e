// Routing of requests to the plugin's endpoints: templates, the most
// specific rule, methods, built-ins by name, and the call through the
// boundary (fields in, answer out, release exactly once).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/endpoint_router.h"
#include "host/host_clock.h"
#include "host/host_value_json.h"
#include "host/plugin_host.h"
#include "host/resource_event.h"
#include "host/route_table.h"
#include "host/url_template.h"
#include "tests/shared/url_cases.h"

namespace kiv::host {
namespace {

using ::testing::ElementsAre;
using ::testing::Pair;

// The host's twin of the plugin's URL handling answers the shared cases.
TEST(UrlTemplate, AnswersTheSharedCases) {
  for (const url_cases::TemplateCase& c : url_cases::kTemplateCases) {
    SCOPED_TRACE(c.desc);
    const auto captures = UrlTemplate(c.urlTemplate).Match(c.path);
    ASSERT_EQ(captures.has_value(), c.matches);
    if (!captures) continue;
    std::vector<std::pair<std::string, std::string>> got;
    for (const UrlCapture& capture : *captures) got.emplace_back(capture.name, capture.value);
    EXPECT_EQ(got, c.captures);
  }
  for (const url_cases::DecodeCase& c : url_cases::kDecodeCases) {
    EXPECT_EQ(UrlDecode(c.encoded), c.decoded) << c.encoded;
  }
  for (const url_cases::EventNameCase& c : url_cases::kEventNameCases) {
    EXPECT_EQ(ResourceEventName(c.uri), c.eventName) << c.uri;
  }
}

TEST(RouteTable, TheMostSpecificRouteWinsAndTiesGoToTheFirst) {
  RouteTable routes;
  routes.Add(KIV_METHOD_GET, "", "/r/{+rest}");       // 0
  routes.Add(KIV_METHOD_GET, "", "/r/{id}/x");        // 1
  routes.Add(KIV_METHOD_GET, "", "/r/{other}/x");     // 2: ties with 1
  routes.Add(KIV_METHOD_GET, "", "/r/5/x");           // 3: literal
  routes.Add(KIV_METHOD_POST, "", "/p/{id}");         // 4
  routes.Add(KIV_METHOD_NONE, "", "/any/{id}");       // 5
  routes.Add(KIV_METHOD_CUSTOM, "PURGE", "/c/{id}");  // 6
  EXPECT_EQ(routes.Find(KIV_METHOD_GET, "", "/r/6/x")->index, 1u);
  EXPECT_EQ(routes.Find(KIV_METHOD_GET, "", "/r/5/x")->index, 3u);
  EXPECT_EQ(routes.Find(KIV_METHOD_GET, "", "/r/a/b/c")->index, 0u);
  EXPECT_FALSE(routes.Find(KIV_METHOD_GET, "", "/p/1"));
  EXPECT_EQ(routes.Find(KIV_METHOD_POST, "", "/p/1")->index, 4u);
  EXPECT_EQ(routes.Find(KIV_METHOD_DELETE, "", "/any/1")->index, 5u);
  EXPECT_EQ(routes.Find(KIV_METHOD_CUSTOM, "PURGE", "/c/1")->index, 6u);
  EXPECT_FALSE(routes.Find(KIV_METHOD_CUSTOM, "purge", "/c/1"));
  EXPECT_EQ(MethodCode("GET"), uint32_t{KIV_METHOD_GET});
  EXPECT_EQ(MethodCode("PURGE"), uint32_t{KIV_METHOD_CUSTOM});
  EXPECT_EQ(MethodName(9), "");
}

// A fake plugin: endpoints whose callbacks record what they got and answer
// with a body the fake owns until release.
struct FakeEndpoint {
  std::string answer;  // JSON; empty means an error answer
  uint32_t status = 0;
  int calls = 0;
  int releases = 0;
  std::string url;
  std::string customMethod;
  std::vector<std::string> headers;
  std::vector<std::string> args;
  std::string body;
  std::string contentType;
  uint64_t requestId = 0;
  std::optional<OwnedHostValue> body_;
};

// Which fake filled each record still unreleased.
std::map<ResponseRecord*, FakeEndpoint*> gFilledBy;

void Serve(void* userData, ResponseRecord* response, const IncomingRequest* request) {
  auto& fake = *static_cast<FakeEndpoint*>(userData);
  ++fake.calls;
  fake.url = request->url;
  fake.customMethod = request->customMethod ? request->customMethod : "";
  for (uint32_t i = 0; i < request->headerCount; ++i) {
    fake.headers.push_back(std::string(request->headers[i].name) + "=" + request->headers[i].value);
  }
  for (uint32_t i = 0; i < request->argCount; ++i) {
    const HostMember& arg = request->args[i];
    fake.args.push_back(std::string(arg.name ? arg.name : "#") + "=" + HostValueToJson(arg.value));
  }
  fake.body.assign(reinterpret_cast<const char*>(request->body), request->bodySize);
  fake.contentType = request->contentType;
  fake.requestId = request->requestId;
  *response = ResponseRecord{};
  response->status = fake.status;
  if (fake.answer.empty()) {
    response->error = "Invalid argument";
  } else {
    fake.body_ = JsonToHostValue(fake.answer, nullptr);
    response->body = fake.body_->root();
  }
  gFilledBy[response] = &fake;
  response->release = [](ResponseRecord* record) {
    FakeEndpoint& filler = *gFilledBy.at(record);
    gFilledBy.erase(record);
    ++filler.releases;
    filler.body_.reset();
  };
}

struct FakeDescription {
  FakeEndpoint enabled{R"({"enabled":true})"};
  FakeEndpoint roster{R"([1,2])", 201};
  FakeEndpoint greedy{R"("greedy")"};
  FakeEndpoint failing{""};
  FakeEndpoint help{R"({"functions":[]})"};
  std::vector<ApiFunction> functions;
  ApiDescription description{};

  FakeDescription() {
    functions = {
        {"GetEnabled", "Api", KIV_METHOD_GET, "", "/kiv-joust/v1/enabled", &Serve, &enabled, {}},
        {"Greedy",
         "Api",
         KIV_METHOD_POST,
         "",
         "/kiv-joust/v1/tournament/{+rest}",
         &Serve,
         &greedy,
         {}},
        {"Kick",
         "Api",
         KIV_METHOD_POST,
         "",
         "/kiv-joust/v1/tournament/{id}/roster/kick",
         &Serve,
         &roster,
         {}},
        {"Fails", "Api", KIV_METHOD_CUSTOM, "PURGE", "/kiv-joust/v1/cache", &Serve, &failing, {}},
        {"Help", "$builtin", KIV_METHOD_NONE, "", "", &Serve, &help, {}},
    };
    description.functions = functions.data();
    description.functionCount = static_cast<uint32_t>(functions.size());
  }
};

TEST(EndpointRouter, PicksEndpointsByMethodAndTemplateAndBuiltinsByName) {
  FakeDescription fake;
  EndpointRouter router(fake.description);
  EXPECT_EQ(router.Find(KIV_METHOD_GET, "", "/kiv-joust/v1/enabled?x=1"), &fake.functions[0]);
  EXPECT_EQ(router.Find(KIV_METHOD_POST, "", "/kiv-joust/v1/tournament/7/roster/kick"),
            &fake.functions[2]);
  EXPECT_EQ(router.Find(KIV_METHOD_POST, "", "/kiv-joust/v1/tournament/7/other"),
            &fake.functions[1]);
  EXPECT_EQ(router.Find(KIV_METHOD_GET, "", "/kiv-joust/v1/tournament/7/roster/kick"), nullptr);
  EXPECT_EQ(router.Find(KIV_METHOD_NONE, "", ""), nullptr) << "built-ins are not routed by URL";
  EXPECT_EQ(router.FindBuiltin("Help"), &fake.functions[4]);
  EXPECT_EQ(router.FindBuiltin("GetEnabled"), nullptr);
}

TEST(PluginHost, QueuedRequestsReachTheEndpointWithEveryFieldAndReleaseOnce) {
  FakeDescription fake;
  auto host = PluginHost::Detached();
  host->AttachDescription(&fake.description);

  HostRequest request =
      HostRequest::Make(KIV_METHOD_POST, "/kiv-joust/v1/tournament/7/roster/kick?a=1");
  request.headers = {{"x-trace", "t1"}};
  request.args.push_back(RequestArgument{"force", *JsonToHostValue("true", nullptr)});
  request.args.push_back(RequestArgument{std::nullopt, *JsonToHostValue("5", nullptr)});
  request.body = R"({"summonerId":5})";
  request.contentType = "application/json";
  const ResponseSlot slot = host->QueueRequest(std::move(request));
  EXPECT_FALSE(slot->has_value()) << "queued, not run";
  EXPECT_EQ(fake.roster.calls, 0);
  ASSERT_TRUE(host->RunOne());
  ASSERT_TRUE(slot->has_value());

  EXPECT_EQ(fake.roster.calls, 1);
  EXPECT_EQ(fake.roster.releases, 0) << "read in place while the answer lives";
  EXPECT_EQ(fake.roster.url, "/kiv-joust/v1/tournament/7/roster/kick?a=1");
  EXPECT_THAT(fake.roster.headers, ElementsAre("x-trace=t1"));
  EXPECT_THAT(fake.roster.args, ElementsAre("force=true", "#=5"));
  EXPECT_EQ(fake.roster.body, R"({"summonerId":5})");
  EXPECT_EQ(fake.roster.contentType, "application/json");
  const HostResponse& response = **slot;
  EXPECT_FALSE(response.error);
  EXPECT_EQ(response.FinalStatus(), 201u);
  EXPECT_EQ(HostValueToJson(response.body.root()), "[1,2]");
  slot->reset();
  EXPECT_EQ(fake.roster.releases, 1) << "released as the answer goes";

  const HostResponse second =
      host->Request(HostRequest::Make(KIV_METHOD_GET, "/kiv-joust/v1/enabled"));
  EXPECT_EQ(HostValueToJson(second.body.root()), R"({"enabled":true})");
  EXPECT_EQ(second.FinalStatus(), 200u);
  EXPECT_GT(fake.enabled.requestId, fake.roster.requestId) << "request ids grow";

  HostRequest purge = HostRequest::Make(KIV_METHOD_CUSTOM, "/kiv-joust/v1/cache");
  purge.customMethod = "PURGE";
  const HostResponse failed = host->Request(std::move(purge));
  EXPECT_EQ(failed.error, "Invalid argument");
  EXPECT_EQ(failed.FinalStatus(), 400u) << "an error the plugin left without a status";
  EXPECT_EQ(fake.failing.releases, 1) << "an error is released at once";

  const HostResponse missing = host->Request(HostRequest::Make(KIV_METHOD_GET, "/nowhere"));
  EXPECT_EQ(missing.error, "Invalid function");
  EXPECT_EQ(missing.status, 404u);
}

TEST(PluginHost, BuiltinsAreCalledByNameWithAnEmptyUrl) {
  FakeDescription fake;
  auto host = PluginHost::Detached();
  host->AttachDescription(&fake.description);
  const HostResponse help = host->CallBuiltin("Help");
  EXPECT_EQ(HostValueToJson(help.body.root()), R"({"functions":[]})");
  EXPECT_EQ(fake.help.url, "");
  const HostResponse unknown = host->CallBuiltin("Nope");
  EXPECT_EQ(unknown.error, "Unsupported builtin function");
  EXPECT_EQ(fake.help.releases, 0);
  host.reset();
  EXPECT_EQ(fake.help.releases, 1) << "a host that goes releases what it kept";
  EXPECT_EQ(HostValueToJson(help.body.root()), R"({"functions":[]})") << "copied first";
}

// An endpoint that waits inside the request, as the plugin does while a
// backend call is out: it pumps the host until a flag is set.
struct WaitingEndpoint {
  HostApi* api = nullptr;
  bool* done = nullptr;
  int pumps = 0;
};

void ServeAfterWaiting(void* userData, ResponseRecord* response, const IncomingRequest*) {
  auto& endpoint = *static_cast<WaitingEndpoint*>(userData);
  endpoint.api->BeginWait(endpoint.api, "Wait: test", 0);
  while (!*endpoint.done) {
    endpoint.api->PumpOnce(endpoint.api);
    ++endpoint.pumps;
  }
  endpoint.api->EndWait(endpoint.api);
  *response = ResponseRecord{};
}

TEST(PluginHost, AnEndpointThatWaitsLetsLaterWorkRunOnTheVirtualClock) {
  UseVirtualClock(0);
  auto host = PluginHost::Detached();
  bool done = false;
  WaitingEndpoint endpoint{host->hostApi(), &done};
  ApiFunction function{"Wait",    "Api", KIV_METHOD_GET, "", "/wait", &ServeAfterWaiting,
                       &endpoint, {}};
  ApiDescription description{&function, 1, nullptr, 0, nullptr, 0};
  host->AttachDescription(&description);
  host->Later("ten minutes", 600'000'000'000, [&] { done = true; });

  const HostResponse response = host->Request(HostRequest::Make(KIV_METHOD_GET, "/wait"));
  EXPECT_FALSE(response.error);
  EXPECT_TRUE(done);
  EXPECT_EQ(MonotonicNow(), 600'000'000'000) << "the wait jumped the clock, it did not sleep";
  EXPECT_LE(endpoint.pumps, 2);
  EXPECT_THAT(host->waitLabels(), ElementsAre("Wait: test"));
  EXPECT_EQ(host->waitDepth(), 0);
  UseRealClock();
}

}  // namespace
}  // namespace kiv::host
