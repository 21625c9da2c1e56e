// Every endpoint of the plugin through the substitute host: one valid request
// each against a populated cache and a scripted service, and every path or
// query parameter once with a value the binding refuses.
#include <gmock/gmock.h>
#include <rapidjson/document.h>

#include "joust/model/api/chat_key.h"
#include "tests/plugin/joust_world.h"

namespace kiv::testing {
namespace {

using namespace samples;
using ::testing::HasSubstr;

// {"tournamentId":7,"winners":[{"rosterId":500,"name":"Tiber","playerIds":[42,43]}]},
// gzip-compressed and Base64-encoded.
constexpr char kWinners[] =
    "H4sIAAAAAAAC/6tWKskvLcpLzE3NK/FMUbIy11Eqz8zLSy0qVrKKrlYqyi8uSS0CSZgaGOgogdQpWSmFZCalFinpKBXk"
    "JFaCZEFqTYx0TIxja2NrAd9f4FBSAAAA";

// Tournament 7: the player's registered roster 500 in bracket 900. Tournament
// 8: the player's pending roster "inv-8" and an invitation "inv-9".
// Tournament 9: nothing yet.
std::vector<LCDS::TournamentInfoDTO> PopulatedCache() {
  LCDS::RosterDTO registered = Roster();
  registered.phases[0].bracketDTO = Bracket();
  LCDS::TournamentDTO open = Cup(8);  // rosters may still be formed
  open.rosterCreateDeadline = open.rosterDisbandDeadline = kNow + 60 * kMinute;
  return {
      {Cup(7), registered, {}, std::nullopt, {}, 0},
      {open, std::nullopt, {}, PendingRoster(8, "inv-8"), {PendingRoster(8, "inv-9", 1, 45)}, 0},
      {Cup(9), std::nullopt, {}, std::nullopt, {}, 0}};
}

constexpr int64_t kInWindow = kNow + 10 * kMinute;

class JoustEndpoints : public JoustWorld {
 protected:
  void SetUp() override {
    JoustWorld::SetUp();
    ScriptService();
    Login();
    Configure();
    world_->Set("/kiv-gameflow/v1/availability", R"({"isAvailable":true})");
  }

  void ScriptService() {
    const auto ok = [this](const char* method, std::string json) {
      service_.Set("joust", method, ServiceReply::Ok(std::move(json)));
    };
    // The server's clock stands in the phase's registration window.
    ok("getTournamentInfoMinimal", MinimalInfo(PopulatedCache(), kInWindow));
    ok("getTournamentPlayerInfo", PlayerInfo(PopulatedCache(), kInWindow));
    ok("ping", R"("pong")");
    ok("getPublicRosters", R"([{"id":501,"name":"Vesta","shortName":"VST","memberIds":[50,51]}])");
    ok("getRosterStats", R"({"rosterId":500,"rosterName":"Tiber","stats":{}})");
    ok("getRankedScoutingData",
       R"([{"playerId":43,"championScoutingData":[{"championId":1,"rank":1,"winCount":2,"gameCount":3,"kda":3.456}]}])");
    ok("getJoustEvent", R"({"tournamentId":7,"teamName":"Tiber"})");
    ok("getJoustEvents", R"([{"tournamentId":7},{"tournamentId":8}])");
    ok("getTournamentWinnersCompressed", std::string("\"") + kWinners + "\"");
    ok("getTournamentHistoryAndWinners", "{\"tournamentHistory\":[" + JsonOfRecord(Cup(3)) +
                                             "],\"tournamentWinnersCompressed\":\"" + kWinners +
                                             "\"}");
    const std::string pending = JsonOfRecord(PendingRoster(8, "inv-8", 5));
    for (const char* method :
         {"createPendingRoster", "changeName", "changeShortName", "changeLogo",
          "changeNameTagAndLogo", "invite", "kickMember", "revokeInvite", "transferOwnership",
          "setMemberPhaseReady", "setMemberStateNotReady", "setTicket", "setPosition",
          "offerTicket", "revokeTicketOffer", "acceptTicketOffer", "declineTicketOffer"}) {
      ok(method, pending);
    }
    ok("accept", JsonOfRecord(PendingRoster(8, "inv-9", 5, 45)));
    for (const char* method : {"decline", "closePendingRoster", "leave", "declineSub"}) {
      ok(method, "null");
    }
    LCDS::RosterDynamicStateDTO dynamic;
    dynamic.version = 5;
    dynamic.tournamentId = 7;
    dynamic.rosterId = 500;
    for (const char* method :
         {"memberPhaseCheckin", "memberPhaseCheckout", "setRosterPhaseTicket", "offerRosterTicket",
          "revokeRosterTicketOffer", "acceptRosterTicketOffer", "declineRosterTicketOffer",
          "voteMemberWithdraw", "voteMemberUnWithdraw", "cancelRosterWithdraw", "inviteSub",
          "acceptSub", "revokeSub", "reclaimSubbedPosition"}) {
      ok(method, JsonOfRecord(dynamic));
    }
    ok("setRosterPosition", JsonOfRecord(Roster(7, 500, 5)));
  }
};

struct EndpointCase {
  uint32_t method;
  const char* url;
  const char* body;
  const char* backendMethod;  // the one service method the request calls, or ""
  const char* answerPart;     // a part of the answer's JSON ("" for an empty answer)
};

constexpr uint32_t GET = KIV_METHOD_GET;
constexpr uint32_t POST = KIV_METHOD_POST;

// One valid request per endpoint, in registration order.
// clang-format off
const EndpointCase kEndpoints[] = {
    {GET, "/kiv-joust/v1/time", "", "", "18000006"},
    {GET, "/kiv-joust/v1/visible", "", "", "true"},
    {GET, "/kiv-joust/v1/enabled", "", "", "true"},
    {GET, "/kiv-joust/v1/ready", "", "", "true"},
    {GET, "/kiv-joust/v1/iconconfig", "", "", "{}"},
    {GET, "/kiv-joust/v1/checkin-allowed", "", "", "true"},
    {GET, "/kiv-joust/v1/playmode-restricted", "", "", "true"},
    {GET, "/kiv-joust/v2/playmode-restricted", "", "", "\"isRestricted\":true,\"presenceState\":\"SCOUTING\""},
    {GET, "/kiv-joust/v1/tournament/7", "", "", "\"id\":7"},
    {GET, "/kiv-joust/v1/tournamentIds", "", "", "7"},
    {GET, "/kiv-joust/v1/tournament-summary", "", "", "\"tournamentId\":8"},
    {GET, "/kiv-joust/v1/tournament-state-info", "", "", "\"tournamentId\":9"},
    {GET, "/kiv-joust/v1/tournament/7/stateInfo", "", "", "\"state\":\"LOCK_IN\""},
    {GET, "/kiv-joust/v1/tournament/7/player", "", "", "\"state\":\"BRACKET_ROSTER\""},
    {GET, "/kiv-joust/v1/tournament/8/invitations", "", "", "\"id\":\"inv-9\""},
    {GET, "/kiv-joust/v1/invitations", "", "", "\"id\":\"inv-9\""},
    {GET, "/kiv-joust/v1/tournament/7/bracket/900", "", "", "\"id\":900"},
    {GET, "/kiv-joust/v1/gameEnd", "", "", "\"tournamentId\":-1"},
    {GET, "/kiv-joust/v1/eogPlayerUpdate", "", "", "\"gameId\":-1"},
    {GET, "/kiv-joust/v1/player", "", "", "\"tickets\""},
    {GET, "/kiv-joust/v1/player/history", "", "", "["},
    {GET, "/kiv-joust/v1/rewards", "", "", "\"seasonVp\":12"},
    {GET, "/kiv-joust/v1/notifications", "", "", "\"notifyReason\":27"},
    {GET, "/kiv-joust/v1/ping", "", "ping", "\"pong\""},
    {GET, "/kiv-joust/v1/tournament/8/roster/inv-8", "", "", "\"id\":\"inv-8\""},
    {GET, "/kiv-joust/v1/roster/500/stats", "", "getRosterStats", "\"rosterName\":\"Tiber\""},
    {GET, "/kiv-joust/v1/player/chat-rosters", "", "", "\"tournamentId\":7"},
    {GET, "/kiv-joust/v1/scouting/ranked?summonerIds=[43]", "", "getRankedScoutingData", "\"kda\":\"3.46\",\"kdaClassification\":\"AVERAGE\",\"rank\":1,\"winCount\":2,\"winRate\":67"},
    {GET, "/kiv-joust/v1/event/e-1", "", "getJoustEvent", "\"teamName\":\"Tiber\""},
    {POST, "/kiv-joust/v1/events", R"(["e-1","e-2"])", "getJoustEvents", "\"tournamentId\":8"},
    {GET, "/kiv-joust/v1/tournament/7/winners", "", "getTournamentWinnersCompressed", "\"playerIds\":[42,43]"},
    {GET, "/kiv-joust/v1/historyandwinners", "", "getTournamentHistoryAndWinners", "\"tournamentWinners\":{\"tournamentId\":7"},
    {POST, "/kiv-joust/v1/refresh", "", "getTournamentPlayerInfo", ""},
    {POST, "/kiv-joust/v1/gameEnd/acknowledge", "", "", ""},
    {POST, "/kiv-joust/v1/eogPlayerUpdate/acknowledge", "", "", ""},
    {POST, "/kiv-joust/v1/notifications/acknowledge", "", "", ""},
    {POST, "/kiv-joust/v1/tournament/8/roster/inv-9/accept", "", "accept", ""},
    {POST, "/kiv-joust/v1/tournament/8/roster/inv-9/decline", "", "decline", ""},
    {POST, "/kiv-joust/v1/tournament/9/create-roster", R"({"name":"Nova","shortName":"NOV","iconId":3,"iconColorId":4})", "createPendingRoster", ""},
    {POST, "/kiv-joust/v1/tournament/8/roster/disband", "", "closePendingRoster", ""},
    {POST, "/kiv-joust/v1/tournament/8/roster/change-name", R"({"name":"Nova"})", "changeName", ""},
    {POST, "/kiv-joust/v1/tournament/8/roster/change-short-name", R"({"name":"NOV"})", "changeShortName", ""},
    {POST, "/kiv-joust/v1/tournament/8/roster/change-icon", R"({"iconId":3,"iconColorId":4})", "changeLogo", ""},
    {POST, "/kiv-joust/v1/tournament/8/roster/change-all-details", R"({"name":"Nova","shortName":"NOV","iconId":3,"iconColorId":4})", "changeNameTagAndLogo", ""},
    {POST, "/kiv-joust/v1/tournament/8/roster/invite", "[50,51]", "invite", ""},
    {POST, "/kiv-joust/v1/tournament/8/roster/kick", R"({"summonerId":43})", "kickMember", ""},
    {POST, "/kiv-joust/v1/tournament/8/roster/leave", "", "leave", ""},
    {POST, "/kiv-joust/v1/tournament/8/roster/transfer-captain", "43", "transferOwnership", ""},
    {POST, "/kiv-joust/v1/tournament/7/roster/lockin", "", "memberPhaseCheckin", ""},
    {POST, "/kiv-joust/v1/tournament/7/roster/unlockin", "", "memberPhaseCheckout", ""},
    {POST, "/kiv-joust/v1/tournament/7/roster/set-bid", R"({"ticketAmount":2})", "setRosterPhaseTicket", ""},
    {POST, "/kiv-joust/v1/tournament/7/roster/set-position", R"({"position":"JUNGLE"})", "setRosterPosition", ""},
    {POST, "/kiv-joust/v1/tournament/7/bid-offer/43/accept", "", "acceptRosterTicketOffer", ""},
    {POST, "/kiv-joust/v1/tournament/7/bid-offer/43/decline", "", "declineRosterTicketOffer", ""},
    {POST, "/kiv-joust/v1/tournament/7/bid-offer/43/offer", "", "offerRosterTicket", ""},
    {POST, "/kiv-joust/v1/tournament/7/bid-offer/43/revoke", "", "revokeRosterTicketOffer", ""},
    {POST, "/kiv-joust/v1/tournament/7/roster/withdraw", "", "voteMemberWithdraw", ""},
    {POST, "/kiv-joust/v1/tournament/7/roster/unwithdraw", "", "voteMemberUnWithdraw", ""},
    {POST, "/kiv-joust/v1/tournament/7/roster/cancel-withdraw", "", "cancelRosterWithdraw", ""},
    {POST, "/kiv-joust/v1/tournament/7/roster/substitute/invite", R"({"substituteSummonerId":50,"replacedSummonerId":43})", "inviteSub", ""},
    {POST, "/kiv-joust/v1/tournament/7/roster/600/substitute/accept", "", "acceptSub", ""},
    {POST, "/kiv-joust/v1/tournament/7/roster/600/substitute/decline", "", "declineSub", ""},
    {POST, "/kiv-joust/v1/tournament/7/roster/substitute/50/revoke", "", "revokeSub", ""},
    {POST, "/kiv-joust/v1/tournament/7/roster/substitute/reclaim", "", "reclaimSubbedPosition", ""},
};
// clang-format on

// The member `name` of a structure, or null.
const HostValue* MemberOf(const HostValue& value, std::string_view name) {
  if (value.tag != KIV_VALUE_STRUCTURE) return nullptr;
  for (uint32_t i = 0; i < value.u.structure.count; ++i) {
    if (value.u.structure.members[i].name == name) return &value.u.structure.members[i].value;
  }
  return nullptr;
}

std::string JsonOfMember(const HostValue& value, std::string_view name) {
  const HostValue* member = MemberOf(value, name);
  return member ? host::HostValueToJson(*member) : "<absent>";
}

// A chat roster carries the name, badge and registration of the roster
// record its tournament answers, and the chat key derived from them.
TEST_F(JoustEndpoints, ChatRostersAgreeWithTheirRosterRecords) {
  const HostResponse chats = Call(GET, "/kiv-joust/v1/player/chat-rosters");
  const HostValue& list = chats.body.root();
  ASSERT_EQ(list.tag, uint32_t{KIV_VALUE_COLLECTION});
  ASSERT_GE(list.u.collection.count, 2u);
  bool sawPending = false;
  for (uint32_t i = 0; i < list.u.collection.count; ++i) {
    const HostValue& chat = list.u.collection.items[i];
    const std::string tournament = JsonOfMember(chat, "tournamentId");
    const std::string standing = Get("/kiv-joust/v1/tournament/" + tournament + "/player");
    const size_t at = standing.find("\"rosterId\":\"") + 12;
    const std::string id = standing.substr(at, standing.find('"', at) - at);
    const HostResponse roster =
        Call(GET, "/kiv-joust/v1/tournament/" + tournament + "/roster/" + id);
    SCOPED_TRACE(Text(roster));
    for (const char* field : {"name", "shortName", "iconId", "iconColorId", "isRegistered"}) {
      EXPECT_EQ(JsonOfMember(chat, field), JsonOfMember(roster.body.root(), field)) << field;
    }
    const bool registered = JsonOfMember(chat, "isRegistered") == "true";
    sawPending |= !registered;
    EXPECT_EQ(JsonOfMember(chat, "key"),
              "\"" + Api::ChatKey(std::stoll(tournament), id, registered) + "\"");
  }
  EXPECT_TRUE(sawPending);
}

TEST_F(JoustEndpoints, EveryEndpointAnswersAValidRequest) {
  ASSERT_EQ(std::size(kEndpoints), 64u);
  for (const EndpointCase& row : kEndpoints) {
    SCOPED_TRACE(row.url);
    ASSERT_EQ(Call(POST, "/kiv-joust/v1/refresh").FinalStatus(), 200u);  // the cache as it began
    const size_t callsBefore = service_.calls().size();
    const HostResponse response = Call(row.method, row.url, row.body);
    EXPECT_EQ(response.FinalStatus(), 200u) << Text(response);
    EXPECT_FALSE(response.error) << *response.error;
    if (*row.answerPart) {
      EXPECT_THAT(Text(response), HasSubstr(row.answerPart));
    } else {
      EXPECT_EQ(Text(response), "null");
    }
    std::vector<std::string> called;
    for (size_t i = callsBefore; i < service_.calls().size(); ++i) {
      if (service_.calls()[i].methodName != "getTournamentPlayerInfo" ||
          std::string(row.backendMethod) == "getTournamentPlayerInfo") {
        called.push_back(service_.calls()[i].methodName);
      }
    }
    if (*row.backendMethod) {
      EXPECT_THAT(called, ::testing::Contains(row.backendMethod));
    } else {
      EXPECT_THAT(called, ::testing::IsEmpty());
    }
  }
}

// One refused parameter per endpoint that has a path or query parameter:
// each answers 400 with the binding's own message before any handler runs.
constexpr char kNotANumber[] = "Value x for 'tournamentId' of type int64 is in an incorrect format";
constexpr char kTooLarge[] =
    "Value 99999999999999999999 for 'tournamentId' of type int64 is out of range";
constexpr char kNegativeSummoner[] = "Value -1 for 'summonerId' of type uint64 is out of range";

struct RefusedCase {
  uint32_t method;
  const char* url;
  const char* message;
};

// clang-format off
const RefusedCase kRefused[] = {
    {GET, "/kiv-joust/v1/tournament/x", kNotANumber},
    {GET, "/kiv-joust/v1/tournament/99999999999999999999/stateInfo", kTooLarge},
    {GET, "/kiv-joust/v1/tournament/x/roster/500", kNotANumber},
    {GET, "/kiv-joust/v1/roster/5e2/stats", "Value 5e2 for 'rosterId' of type int64 is in an incorrect format"},
    {GET, "/kiv-joust/v1/tournament/99999999999999999999/player", kTooLarge},
    {GET, "/kiv-joust/v1/tournament/x/invitations", kNotANumber},
    {GET, "/kiv-joust/v1/tournament/7/bracket/1.5", "Value 1.5 for 'bracketId' of type int64 is in an incorrect format"},
    {GET, "/kiv-joust/v1/scouting/ranked", "Couldn't assign value to 'summonerIds' of type vector because the input not a collection."},
    {GET, "/kiv-joust/v1/scouting/ranked?summonerIds=[-1]", "Value -1 for 'summonerIds' of type uint64 is out of range"},
    {GET, "/kiv-joust/v1/event/", "Expected value for argument 'uuid'."},
    {GET, "/kiv-joust/v1/tournament/x/winners", kNotANumber},
    {POST, "/kiv-joust/v1/tournament/x/roster/inv-9/accept", kNotANumber},
    {POST, "/kiv-joust/v1/tournament/99999999999999999999/roster/inv-9/decline", kTooLarge},
    {POST, "/kiv-joust/v1/tournament/x/create-roster", kNotANumber},
    {POST, "/kiv-joust/v1/tournament/99999999999999999999/roster/disband", kTooLarge},
    {POST, "/kiv-joust/v1/tournament/x/roster/change-name", kNotANumber},
    {POST, "/kiv-joust/v1/tournament/99999999999999999999/roster/change-short-name", kTooLarge},
    {POST, "/kiv-joust/v1/tournament/x/roster/change-icon", kNotANumber},
    {POST, "/kiv-joust/v1/tournament/99999999999999999999/roster/change-all-details", kTooLarge},
    {POST, "/kiv-joust/v1/tournament/x/roster/invite", kNotANumber},
    {POST, "/kiv-joust/v1/tournament/99999999999999999999/roster/kick", kTooLarge},
    {POST, "/kiv-joust/v1/tournament/x/roster/leave", kNotANumber},
    {POST, "/kiv-joust/v1/tournament/99999999999999999999/roster/transfer-captain", kTooLarge},
    {POST, "/kiv-joust/v1/tournament/x/roster/lockin", kNotANumber},
    {POST, "/kiv-joust/v1/tournament/99999999999999999999/roster/unlockin", kTooLarge},
    {POST, "/kiv-joust/v1/tournament/x/roster/set-bid", kNotANumber},
    {POST, "/kiv-joust/v1/tournament/99999999999999999999/roster/set-position", kTooLarge},
    {POST, "/kiv-joust/v1/tournament/7/bid-offer/-1/accept", kNegativeSummoner},
    {POST, "/kiv-joust/v1/tournament/7/bid-offer/x/decline", "Value x for 'summonerId' of type uint64 is in an incorrect format"},
    {POST, "/kiv-joust/v1/tournament/7/bid-offer/18446744073709551616/offer", "Value 18446744073709551616 for 'summonerId' of type uint64 is out of range"},
    {POST, "/kiv-joust/v1/tournament/x/bid-offer/43/revoke", kNotANumber},
    {POST, "/kiv-joust/v1/tournament/99999999999999999999/roster/withdraw", kTooLarge},
    {POST, "/kiv-joust/v1/tournament/x/roster/unwithdraw", kNotANumber},
    {POST, "/kiv-joust/v1/tournament/99999999999999999999/roster/cancel-withdraw", kTooLarge},
    {POST, "/kiv-joust/v1/tournament/x/roster/substitute/invite", kNotANumber},
    {POST, "/kiv-joust/v1/tournament/99999999999999999999/roster/600/substitute/accept", kTooLarge},
    {POST, "/kiv-joust/v1/tournament/x/roster/600/substitute/decline", kNotANumber},
    {POST, "/kiv-joust/v1/tournament/7/roster/substitute/-1/revoke", kNegativeSummoner},
    {POST, "/kiv-joust/v1/tournament/x/roster/substitute/reclaim", kNotANumber},
};
// clang-format on

TEST_F(JoustEndpoints, EveryPathAndQueryParameterIsCheckedBeforeTheHandler) {
  const size_t callsBefore = service_.calls().size();
  for (const RefusedCase& row : kRefused) {
    SCOPED_TRACE(row.url);
    const HostResponse response = Call(row.method, row.url);
    EXPECT_EQ(response.FinalStatus(), 400u);
    EXPECT_EQ(Text(response), row.message);
  }
  EXPECT_EQ(service_.calls().size(), callsBefore);
}

// The host's API description lists the table's endpoints in its order, each
// reached by its row's URL; help lists them with a description and with
// every path parameter of their route.
TEST_F(JoustEndpoints, DescriptionAndHelpListTheTableInOrder) {
  rapidjson::Document help;
  help.Parse(Text(host_->CallBuiltin("Help")).c_str());
  std::vector<const rapidjson::Value*> helped;
  for (const rapidjson::Value& function : help["functions"].GetArray()) {
    if (std::string_view(function["nameSpace"].GetString()) == "KivJoust") {
      helped.push_back(&function);
    }
  }
  const ApiDescription& api = *host_->record().api;
  std::vector<const ApiFunction*> described;
  for (uint32_t i = 0; i < api.functionCount; ++i) {
    if (std::string_view(api.functions[i].nameSpace) == "KivJoust") {
      described.push_back(&api.functions[i]);
    }
  }
  ASSERT_EQ(described.size(), std::size(kEndpoints));
  ASSERT_EQ(helped.size(), std::size(kEndpoints));
  for (size_t i = 0; i < described.size(); ++i) {
    const EndpointCase& row = kEndpoints[i];
    const ApiFunction& function = *described[i];
    SCOPED_TRACE(function.urlTemplate);
    EXPECT_EQ(function.method, row.method);
    const std::string_view url = row.url;
    EXPECT_EQ(host_->FindEndpoint(row.method, "", url.substr(0, url.find('?'))), &function);

    const rapidjson::Value& entry = *helped[i];
    EXPECT_STREQ(entry["name"].GetString(), function.name);
    EXPECT_GT(entry["description"].GetStringLength(), 10u);
    std::vector<std::string> arguments;
    for (const rapidjson::Value& argument : entry["arguments"].GetArray()) {
      arguments.push_back(argument["name"].GetString());
    }
    const std::string route = function.urlTemplate;
    for (size_t open = route.find('{'); open != std::string::npos;
         open = route.find('{', open + 1)) {
      EXPECT_THAT(arguments,
                  ::testing::Contains(route.substr(open + 1, route.find('}', open) - open - 1)));
    }
  }
}

}  // namespace
}  // namespace kiv::testing
