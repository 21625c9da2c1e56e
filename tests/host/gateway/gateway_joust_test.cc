// The tournament plugin served over HTTP: a sample of its endpoints (answers
// from the cache, from the stand-ins' start-up state, a bad argument, a
// command, a backend call that fails) answers over the gateway exactly as in
// process.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/route_table.h"
#include "tests/host/gateway/gateway_fixture.h"

namespace kiv::host::gateway {
namespace {

class GatewayJoustTest : public GatewayFixture {
 protected:
  std::string LibraryPath() const override { return KIV_PLUGIN_PATH; }
  const char* EntrySymbol() const override { return "load_kiv_joust"; }
};

TEST_F(GatewayJoustTest, TournamentEndpointsAnswerAsTheyDoInProcess) {
  const std::vector<std::pair<const char*, std::string>> requests = {
      {"GET", "/kiv-joust/v1/visible"},
      {"GET", "/kiv-joust/v1/ready"},
      {"GET", "/kiv-joust/v1/tournamentIds"},
      {"GET", "/kiv-joust/v1/tournament-summary"},
      {"GET", "/kiv-joust/v1/player"},
      {"GET", "/kiv-joust/v1/tournament/7"},
      {"GET", "/kiv-joust/v1/tournament/seven"},
      {"GET", "/kiv-joust/v1/ping"},
      {"POST", "/kiv-joust/v1/tournament/7/roster/leave"},
  };
  auto client = Client();
  for (const auto& [method, url] : requests) {
    SCOPED_TRACE(url);
    const HostResponse expected =
        OnDispatch([&] { return host_->Request(HostRequest::Make(MethodCode(method), url)); });
    httplib::Request request;
    request.method = method;
    request.path = url;
    const auto answer = client->send(request);
    ASSERT_TRUE(answer) << httplib::to_string(answer.error());
    EXPECT_EQ(answer->status, static_cast<int>(expected.FinalStatus()));
    ExpectSameContent(*answer, expected);
  }
}

}  // namespace
}  // namespace kiv::host::gateway
