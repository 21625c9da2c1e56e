// Every endpoint of the plugin's table, found in the API description it hands
// the host, made to fail the way its handler can (the service failing, the
// feature disabled, nothing cached): each failure answered is logged exactly
// once as "Error %i: %s" with the code and message of the answer, and a
// successful request logs no such line.
#include <gmock/gmock.h>

#include <regex>
#include <set>

#include "host/host_clock.h"
#include "tests/plugin/joust_flow.h"

namespace kiv::testing {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

enum class Breaks {
  kNever,     // answers from state that is always there
  kService,   // every call to the service fails without a code
  kDisabled,  // the configuration turns the feature off
  kMissing,   // the request names what is not cached
};

struct EndpointCase {
  const char* route;  // "METHOD template", as in the API description
  const char* url;    // a request to it that fails the way `breaks` says
  const char* body = "";
  Breaks breaks = Breaks::kNever;
};

void PrintTo(const EndpointCase& row, std::ostream* out) { *out << row.route; }

constexpr char kSubstitute[] = R"({"substituteSummonerId":46,"replacedSummonerId":43})";
constexpr char kDetails[] = R"({"name":"Nova","shortName":"NOV","iconId":3,"iconColorId":4})";

// clang-format off
const EndpointCase kEndpoints[] = {
    {"GET /kiv-joust/v1/ping", "/kiv-joust/v1/ping", "", Breaks::kService},
    {"GET /kiv-joust/v1/time", "/kiv-joust/v1/time"},
    {"GET /kiv-joust/v1/visible", "/kiv-joust/v1/visible"},
    {"GET /kiv-joust/v1/enabled", "/kiv-joust/v1/enabled"},
    {"GET /kiv-joust/v1/ready", "/kiv-joust/v1/ready"},
    {"GET /kiv-joust/v1/checkin-allowed", "/kiv-joust/v1/checkin-allowed"},
    {"GET /kiv-joust/v1/playmode-restricted", "/kiv-joust/v1/playmode-restricted"},
    {"GET /kiv-joust/v2/playmode-restricted", "/kiv-joust/v2/playmode-restricted"},
    {"GET /kiv-joust/v1/iconconfig", "/kiv-joust/v1/iconconfig"},
    {"GET /kiv-joust/v1/tournamentIds", "/kiv-joust/v1/tournamentIds"},
    {"GET /kiv-joust/v1/tournament-summary", "/kiv-joust/v1/tournament-summary"},
    {"GET /kiv-joust/v1/tournament/{tournamentId}", "/kiv-joust/v1/tournament/99", "", Breaks::kMissing},
    {"GET /kiv-joust/v1/tournament/{tournamentId}/stateInfo", "/kiv-joust/v1/tournament/99/stateInfo", "", Breaks::kMissing},
    {"GET /kiv-joust/v1/tournament-state-info", "/kiv-joust/v1/tournament-state-info"},
    {"GET /kiv-joust/v1/tournament/{tournamentId}/roster/{rosterId}", "/kiv-joust/v1/tournament/7/roster/777", "", Breaks::kService},
    {"GET /kiv-joust/v1/player", "/kiv-joust/v1/player"},
    {"GET /kiv-joust/v1/player/history", "/kiv-joust/v1/player/history"},
    {"GET /kiv-joust/v1/roster/{rosterId}/stats", "/kiv-joust/v1/roster/500/stats", "", Breaks::kService},
    {"GET /kiv-joust/v1/rewards", "/kiv-joust/v1/rewards"},
    {"GET /kiv-joust/v1/tournament/{tournamentId}/player", "/kiv-joust/v1/tournament/99/player"},
    {"GET /kiv-joust/v1/player/chat-rosters", "/kiv-joust/v1/player/chat-rosters"},
    {"GET /kiv-joust/v1/invitations", "/kiv-joust/v1/invitations"},
    {"GET /kiv-joust/v1/tournament/{tournamentId}/invitations", "/kiv-joust/v1/tournament/99/invitations"},
    {"GET /kiv-joust/v1/tournament/{tournamentId}/bracket/{bracketId}", "/kiv-joust/v1/tournament/7/bracket/999", "", Breaks::kService},
    {"GET /kiv-joust/v1/gameEnd", "/kiv-joust/v1/gameEnd"},
    {"GET /kiv-joust/v1/eogPlayerUpdate", "/kiv-joust/v1/eogPlayerUpdate"},
    {"GET /kiv-joust/v1/scouting/ranked", "/kiv-joust/v1/scouting/ranked?summonerIds.0=43", "", Breaks::kService},
    {"GET /kiv-joust/v1/event/{uuid}", "/kiv-joust/v1/event/e1", "", Breaks::kService},
    {"POST /kiv-joust/v1/events", "/kiv-joust/v1/events", R"(["e1"])", Breaks::kService},
    {"GET /kiv-joust/v1/notifications", "/kiv-joust/v1/notifications"},
    {"GET /kiv-joust/v1/tournament/{tournamentId}/winners", "/kiv-joust/v1/tournament/7/winners", "", Breaks::kService},
    {"GET /kiv-joust/v1/historyandwinners", "/kiv-joust/v1/historyandwinners", "", Breaks::kService},

    {"POST /kiv-joust/v1/refresh", "/kiv-joust/v1/refresh", "", Breaks::kService},
    {"POST /kiv-joust/v1/refresh", "/kiv-joust/v1/refresh", "", Breaks::kDisabled},
    {"POST /kiv-joust/v1/gameEnd/acknowledge", "/kiv-joust/v1/gameEnd/acknowledge"},
    {"POST /kiv-joust/v1/eogPlayerUpdate/acknowledge", "/kiv-joust/v1/eogPlayerUpdate/acknowledge"},
    {"POST /kiv-joust/v1/notifications/acknowledge", "/kiv-joust/v1/notifications/acknowledge"},

    {"POST /kiv-joust/v1/tournament/{tournamentId}/roster/{rosterId}/accept", "/kiv-joust/v1/tournament/8/roster/inv-9/accept", "", Breaks::kService},
    {"POST /kiv-joust/v1/tournament/{tournamentId}/roster/{rosterId}/decline", "/kiv-joust/v1/tournament/8/roster/inv-9/decline", "", Breaks::kDisabled},
    {"POST /kiv-joust/v1/tournament/{tournamentId}/create-roster", "/kiv-joust/v1/tournament/9/create-roster", kDetails, Breaks::kService},
    {"POST /kiv-joust/v1/tournament/{tournamentId}/roster/disband", "/kiv-joust/v1/tournament/8/roster/disband", "", Breaks::kService},
    {"POST /kiv-joust/v1/tournament/{tournamentId}/roster/change-name", "/kiv-joust/v1/tournament/9/roster/change-name", R"({"name":"Nova"})", Breaks::kMissing},
    {"POST /kiv-joust/v1/tournament/{tournamentId}/roster/change-short-name", "/kiv-joust/v1/tournament/8/roster/change-short-name", R"({"name":"NOV"})", Breaks::kService},
    {"POST /kiv-joust/v1/tournament/{tournamentId}/roster/change-icon", "/kiv-joust/v1/tournament/8/roster/change-icon", R"({"iconId":3,"iconColorId":4})", Breaks::kService},
    {"POST /kiv-joust/v1/tournament/{tournamentId}/roster/change-all-details", "/kiv-joust/v1/tournament/8/roster/change-all-details", kDetails, Breaks::kService},
    {"POST /kiv-joust/v1/tournament/{tournamentId}/roster/invite", "/kiv-joust/v1/tournament/8/roster/invite", "[44,46]", Breaks::kService},
    {"POST /kiv-joust/v1/tournament/{tournamentId}/roster/kick", "/kiv-joust/v1/tournament/8/roster/kick", R"({"summonerId":43})", Breaks::kService},
    {"POST /kiv-joust/v1/tournament/{tournamentId}/roster/leave", "/kiv-joust/v1/tournament/8/roster/leave", "", Breaks::kService},
    {"POST /kiv-joust/v1/tournament/{tournamentId}/roster/transfer-captain", "/kiv-joust/v1/tournament/8/roster/transfer-captain", "43", Breaks::kService},
    {"POST /kiv-joust/v1/tournament/{tournamentId}/roster/lockin", "/kiv-joust/v1/tournament/7/roster/lockin", "", Breaks::kService},
    {"POST /kiv-joust/v1/tournament/{tournamentId}/roster/unlockin", "/kiv-joust/v1/tournament/7/roster/unlockin", "", Breaks::kService},
    {"POST /kiv-joust/v1/tournament/{tournamentId}/roster/set-bid", "/kiv-joust/v1/tournament/8/roster/set-bid", R"({"ticketAmount":2})", Breaks::kService},
    {"POST /kiv-joust/v1/tournament/{tournamentId}/roster/set-position", "/kiv-joust/v1/tournament/7/roster/set-position", R"({"position":"TOP"})", Breaks::kService},
    {"POST /kiv-joust/v1/tournament/{tournamentId}/bid-offer/{summonerId}/accept", "/kiv-joust/v1/tournament/7/bid-offer/43/accept", "", Breaks::kService},
    {"POST /kiv-joust/v1/tournament/{tournamentId}/bid-offer/{summonerId}/decline", "/kiv-joust/v1/tournament/8/bid-offer/43/decline", "", Breaks::kService},
    {"POST /kiv-joust/v1/tournament/{tournamentId}/bid-offer/{summonerId}/offer", "/kiv-joust/v1/tournament/8/bid-offer/43/offer", "", Breaks::kService},
    {"POST /kiv-joust/v1/tournament/{tournamentId}/bid-offer/{summonerId}/revoke", "/kiv-joust/v1/tournament/7/bid-offer/43/revoke", "", Breaks::kService},
    {"POST /kiv-joust/v1/tournament/{tournamentId}/roster/withdraw", "/kiv-joust/v1/tournament/7/roster/withdraw", "", Breaks::kService},
    {"POST /kiv-joust/v1/tournament/{tournamentId}/roster/unwithdraw", "/kiv-joust/v1/tournament/7/roster/unwithdraw", "", Breaks::kService},
    {"POST /kiv-joust/v1/tournament/{tournamentId}/roster/cancel-withdraw", "/kiv-joust/v1/tournament/8/roster/cancel-withdraw", "", Breaks::kMissing},
    {"POST /kiv-joust/v1/tournament/{tournamentId}/roster/substitute/invite", "/kiv-joust/v1/tournament/7/roster/substitute/invite", kSubstitute, Breaks::kService},
    {"POST /kiv-joust/v1/tournament/{tournamentId}/roster/{rosterId}/substitute/accept", "/kiv-joust/v1/tournament/7/roster/600/substitute/accept", "", Breaks::kService},
    {"POST /kiv-joust/v1/tournament/{tournamentId}/roster/{rosterId}/substitute/decline", "/kiv-joust/v1/tournament/7/roster/600/substitute/decline", "", Breaks::kService},
    {"POST /kiv-joust/v1/tournament/{tournamentId}/roster/substitute/{summonerId}/revoke", "/kiv-joust/v1/tournament/7/roster/substitute/46/revoke", "", Breaks::kService},
    {"POST /kiv-joust/v1/tournament/{tournamentId}/roster/substitute/reclaim", "/kiv-joust/v1/tournament/7/roster/substitute/reclaim", "", Breaks::kService},
};
// clang-format on

/// The lines of `logs` in the form "Error %i: %s".
std::vector<std::string> ErrorLines(const std::vector<std::string>& logs) {
  static const std::regex kErrorLine("Error -?[0-9]+: .*");
  std::vector<std::string> lines;
  for (const std::string& line : logs) {
    if (std::regex_match(line, kErrorLine)) lines.push_back(line);
  }
  return lines;
}

class FailureLog : public JoustFlow, public ::testing::WithParamInterface<EndpointCase> {
 protected:
  HostResponse Send(const EndpointCase& row) {
    const uint32_t method =
        std::string_view(row.route).starts_with("GET") ? KIV_METHOD_GET : KIV_METHOD_POST;
    return Call(method, row.url, row.body);
  }
  void Break(Breaks how) {
    switch (how) {
      case Breaks::kService:
        // No code: the backend layer settles such a failure as 502.
        service_.SetFallback(ServiceReply::Failed("INTERNAL_ERROR"));
        for (const char* method : {"getTournamentInfoMinimal", "getTournamentPlayerInfo"}) {
          service_.Set("joust", method, ServiceReply::Failed("INTERNAL_ERROR"));
        }
        break;
      case Breaks::kDisabled:
        Configure(R"({"Visibility":"Visible","EnabledState":"Disabled"})");
        break;
      case Breaks::kNever:
      case Breaks::kMissing:
        break;
    }
  }
};

TEST_P(FailureLog, EveryAnsweredFailureIsLoggedOnceWithItsCodeAndMessage) {
  const EndpointCase& row = GetParam();
  Break(row.breaks);
  const Mark mark = Now();
  const HostResponse response = Send(row);
  const std::vector<std::string> errors = ErrorLines(LogsSince(mark));
  if (row.breaks == Breaks::kNever) {
    EXPECT_LT(response.FinalStatus(), 400u) << Text(response);
    EXPECT_THAT(errors, IsEmpty());
    return;
  }
  ASSERT_GE(response.FinalStatus(), 400u) << "the request did not fail: " << Text(response);
  EXPECT_THAT(errors, ElementsAre("Error " + std::to_string(response.FinalStatus()) + ": " +
                                  Text(response)));
}

INSTANTIATE_TEST_SUITE_P(EveryEndpoint, FailureLog, ::testing::ValuesIn(kEndpoints),
                         [](const auto& info) {
                           std::string name = std::to_string(info.index) + "_";
                           for (const char c : std::string_view(info.param.url)) {
                             name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                           }
                           return name;
                         });

using FailureLogTable = JoustFlow;

// The table above covers the plugin's whole endpoint table: an endpoint
// added without a row here fails this test.
TEST_F(FailureLogTable, NamesEveryEndpointOfThePlugin) {
  std::set<std::string> rows;
  for (const EndpointCase& row : kEndpoints) rows.insert(row.route);
  std::set<std::string> endpoints;
  const ApiDescription& api = *host_->record().api;
  for (uint32_t i = 0; i < api.functionCount; ++i) {
    const ApiFunction& function = api.functions[i];
    if (!function.urlTemplate || !*function.urlTemplate) continue;  // built-in functions
    const char* method = function.method == KIV_METHOD_GET ? "GET " : "POST ";
    endpoints.insert(method + std::string(function.urlTemplate));
  }
  EXPECT_EQ(rows, endpoints);
}

// Successful commands log no failure either (the command table checks their
// effects; here only that nothing is logged as an error on the way).
TEST_F(FailureLogTable, SuccessfulRequestsLogNoError) {
  Answer("changeName", JsonOfRecord(samples::PendingRoster(8, "inv-8", 6)));
  const Mark mark = Now();
  for (const char* url : {"/kiv-joust/v1/tournament/7", "/kiv-joust/v1/tournament/8/player",
                          "/kiv-joust/v1/tournament/7/roster/500"}) {
    EXPECT_LT(Call(KIV_METHOD_GET, url).FinalStatus(), 400u) << url;
  }
  EXPECT_LT(
      Call(KIV_METHOD_POST, "/kiv-joust/v1/tournament/8/roster/change-name", R"({"name":"Nova"})")
          .FinalStatus(),
      400u);
  EXPECT_THAT(ErrorLines(LogsSince(mark)), IsEmpty());
}

// A call the service never answers is given up after the answer limit: the
// request answers 504 naming the method, logged once like any failure, and
// the plugin goes on serving.
TEST_F(FailureLogTable, UnansweredServiceCallIsGivenUpWith504) {
  service_.Set("joust", "changeName", ServiceReply::Never());
  const Mark mark = Now();
  const int64_t start = host::MonotonicNow();
  const HostResponse response =
      Call(KIV_METHOD_POST, "/kiv-joust/v1/tournament/8/roster/change-name", R"({"name":"Nova"})");
  EXPECT_EQ(response.FinalStatus(), 504u) << Text(response);
  EXPECT_THAT(Text(response), HasSubstr("joust.changeName: no answer within 30 s, given up"));
  EXPECT_EQ(host::MonotonicNow() - start, 30'000'000'000);
  EXPECT_THAT(ErrorLines(LogsSince(mark)), Contains(HasSubstr("Error 504: ")));
  EXPECT_LT(Call(KIV_METHOD_GET, "/kiv-joust/v1/tournament/7").FinalStatus(), 400u);
}

// A call given up leaves nothing behind in the plugin, whether its answer
// never comes or comes late (and is then dropped).
TEST_F(FailureLogTable, CallsGivenUpLeaveNothingBehind) {
  constexpr int64_t kLate = 45'000'000'000;
  const auto held = [this] { return HeldMemory::Of(*host_).bytes; };
  const auto giveUp = [this](ServiceReply reply) {
    service_.Set("joust", "changeName", std::move(reply));
    const HostResponse response = Call(
        KIV_METHOD_POST, "/kiv-joust/v1/tournament/8/roster/change-name", R"({"name":"Nova"})");
    EXPECT_EQ(response.FinalStatus(), 504u) << Text(response);
    host_->AdvanceClock(kLate);
  };
  const std::string late = JsonOfRecord(samples::PendingRoster(8, "inv-8", 6));
  giveUp(ServiceReply::Never());
  giveUp(ServiceReply::Ok(late).After(kLate));
  const uint64_t before = held();
  for (int i = 0; i < 5; ++i) {
    giveUp(ServiceReply::Never());
    giveUp(ServiceReply::Ok(late).After(kLate));
  }
  EXPECT_LE(held(), before + 256) << "calls given up left memory behind";
}

}  // namespace
}  // namespace kiv::testing
