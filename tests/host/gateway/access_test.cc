// Who may use the gateway: loopback Host names only, the token on every
// request, bounded bodies, CORS for one named origin.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/gateway/access_control.h"
#include "tests/host/gateway/gateway_fixture.h"

namespace kiv::host::gateway {
namespace {

TEST(AccessControl, KnowsLoopbackHostsAndStripsOnlyTheToken) {
  struct HostCase {
    const char* host;
    bool loopback;
  };
  for (const HostCase& c : std::vector<HostCase>{{"127.0.0.1", true},
                                                 {"127.0.0.1:8123", true},
                                                 {"LocalHost:8123", true},
                                                 {"[::1]", true},
                                                 {"[::1]:8123", true},
                                                 {"127.0.0.1:8124", false},
                                                 {"127.0.0.1:", false},
                                                 {"localhost.evil.example", false},
                                                 {"evil.example:8123", false},
                                                 {"127.0.0.2", false},
                                                 {"", false}}) {
    EXPECT_EQ(IsLoopbackHost(c.host, 8123), c.loopback) << c.host;
  }
  EXPECT_EQ(WithoutTokenParameter("/a?token=x"), "/a");
  EXPECT_EQ(WithoutTokenParameter("/a?b=1&token=x&tokens=2&c=%20"), "/a?b=1&tokens=2&c=%20");
  EXPECT_EQ(WithoutTokenParameter("/a/token=x"), "/a/token=x");
  const std::string token = MakeAccessToken();
  EXPECT_THAT(token, ::testing::MatchesRegex("[0-9a-f]{64}"));
  EXPECT_NE(token, MakeAccessToken());
}

class GatewayAccess : public GatewayFixture {
 protected:
  static constexpr size_t kBodyLimit = 64 * 1024;  // the limit's value does not matter here
  GatewayOptions Options() const override {
    GatewayOptions options = TestOptions();
    options.bodyLimit = kBodyLimit;
    return options;
  }
};

TEST_F(GatewayAccess, RefusesForeignHostsMissingTokensAndLargeBodies) {
  const std::string port = std::to_string(gateway_->port());
  const std::string token = gateway_->token();
  const std::string atLimit = '"' + std::string(kBodyLimit - 2, 'a') + '"';
  struct Case {
    const char* desc;
    bool withToken;
    std::string target;
    httplib::Headers headers;
    std::string body;  // POSTed when not empty
    bool chunked;
    int status;
  };
  const std::vector<Case> cases = {
      {"no token", false, "/index.json", {}, "", false, 401},
      {"wrong token",
       false,
       "/index.json",
       {{"Authorization", "Bearer " + std::string(64, '0')}},
       "",
       false,
       401},
      {"token of another length",
       false,
       "/index.json",
       {{"Authorization", "Bearer " + token + "0"}},
       "",
       false,
       401},
      {"token in the query", false, "/index.json?token=" + token, {}, "", false, 200},
      {"foreign Host", true, "/index.json", {{"Host", "evil.example"}}, "", false, 403},
      {"foreign Host before the token",
       false,
       "/index.json",
       {{"Host", "evil.example:" + port}},
       "",
       false,
       403},
      {"loopback Host with another port",
       true,
       "/index.json",
       {{"Host", "127.0.0.1:1"}},
       "",
       false,
       403},
      {"localhost with the port",
       true,
       "/index.json",
       {{"Host", "localhost:" + port}},
       "",
       false,
       200},
      {"[::1] without a port", true, "/index.json", {{"Host", "[::1]"}}, "", false, 200},
      {"body at the limit", true, "/kiv-probe/v1/echo", {}, atLimit, false, 200},
      {"body over the limit", true, "/kiv-probe/v1/echo", {}, atLimit + " ", false, 413},
      {"chunked body over the limit", true, "/kiv-probe/v1/echo", {}, atLimit + " ", true, 413},
      {"body without token", false, "/kiv-probe/v1/echo", {}, "{}", false, 401},
      {"large body without token", false, "/kiv-probe/v1/echo", {}, atLimit + " ", false, 401},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.desc);
    auto client = Client(c.withToken);
    const auto send = [&]() -> httplib::Result {
      if (c.body.empty()) return client->Get(c.target.c_str(), c.headers);
      if (!c.chunked) return client->Post(c.target.c_str(), c.headers, c.body, "application/json");
      return client->Post(
          c.target.c_str(), c.headers,
          [&](size_t offset, httplib::DataSink& sink) {
            const size_t piece = std::min<size_t>(c.body.size() - offset, 4096);
            sink.write(c.body.data() + offset, piece);
            if (offset + piece == c.body.size()) sink.done();
            return true;
          },
          "application/json");
    };
    const httplib::Result answer = send();
    ASSERT_TRUE(answer) << httplib::to_string(answer.error());
    EXPECT_EQ(answer->status, c.status);
    EXPECT_EQ(answer->has_header("WWW-Authenticate"), c.status == 401);
    EXPECT_FALSE(answer->has_header("Access-Control-Allow-Origin"));
    if (c.status == 200 && !c.body.empty()) {
      EXPECT_EQ(answer->body.size(), c.body.size());
    }
    if (c.status != 413) {
      // The refused body was read, so the connection serves the next request.
      const auto next = client->Get(("/index.json?token=" + token).c_str());
      ASSERT_TRUE(next) << httplib::to_string(next.error());
      EXPECT_EQ(next->status, 200);
    }
  }
}

TEST_F(GatewayAccess, SendsCorsHeadersOnlyToTheNamedOrigin) {
  const httplib::Headers fromApp = {{"Origin", "http://localhost:5173"}};
  auto answer = Client()->Get("/index.json", fromApp);
  ASSERT_TRUE(answer);
  EXPECT_FALSE(answer->has_header("Access-Control-Allow-Origin")) << "none named at start";

  OnDispatch([&] {
    gateway_->Stop();
    GatewayOptions options = TestOptions();
    options.allowOrigin = "http://localhost:5173";
    std::string error;
    gateway_ = Gateway::Start(*host_, std::move(options), &error);
  });
  ASSERT_NE(gateway_, nullptr);
  answer = Client()->Get("/index.json", fromApp);
  ASSERT_TRUE(answer);
  EXPECT_EQ(answer->get_header_value("Access-Control-Allow-Origin"), "http://localhost:5173");
  answer = Client()->Get("/index.json", {{"Origin", "http://localhost:5174"}});
  ASSERT_TRUE(answer);
  EXPECT_FALSE(answer->has_header("Access-Control-Allow-Origin"));

  // A preflight carries no token and only learns what may be sent.
  httplib::Headers preflight = fromApp;
  preflight.emplace("Access-Control-Request-Method", "POST");
  answer = Client(false)->Options("/kiv-probe/v1/echo", preflight);
  ASSERT_TRUE(answer);
  EXPECT_EQ(answer->status, 204);
  EXPECT_THAT(answer->get_header_value("Access-Control-Allow-Headers"),
              ::testing::HasSubstr("Authorization"));
  answer = Client(false)->Get("/index.json", fromApp);
  ASSERT_TRUE(answer);
  EXPECT_EQ(answer->status, 401);
}

}  // namespace
}  // namespace kiv::host::gateway
