// The game flow side of a registered player's tournament through the real
// plugin: the restriction, the game flow's tournament check-in and the chat
// presence follow the tournament through lock-in, scouting and a game.
#include <gmock/gmock.h>

#include "tests/plugin/joust_world.h"

namespace kiv::testing {
namespace {

using namespace samples;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr char kBracketReady[] =
    "/zanth-messaging-service/v1/message/joust/v1/notifications/bracket-ready";

class JoustGameflow : public JoustWorld {
 protected:
  // What the plugin sent to the game flow and chat since the last call, as
  // "path" or "path payload", in order.
  std::vector<std::string> Sent() {
    std::vector<std::string> sent;
    for (const auto& request : world_->posted()) {
      std::string line = request.path;
      for (const auto& param : request.paramsJson) line += " " + param;
      sent.push_back(line);
    }
    world_->ClearPosted();
    return sent;
  }
  void SetGameflow(const char* uri, const char* json) {
    world_->Set(uri, json);
    host_->RunUntilIdle();
  }
  void DeliverBracket(const LCDS::Bracket& bracket) {
    service_.Set("joust", "getRosterBracket", ServiceReply::Ok(JsonOfRecord(bracket)));
    world_->Set(kBracketReady, R"({"payload":"{\"tournamentId\":7,\"bracketId\":900}"})", "Create");
    host_->RunUntilIdle();
  }
};

constexpr char kCheckin[] = "/kiv-gameflow/v1/session/request-tournament-checkin";
constexpr char kCheckedIn[] =
    "/kiv-gameflow/v1/session/event \"GAMEFLOW_EVENT.CHECKED_IN_FOR_TOURNAMENT\"";
constexpr char kEnded[] = "/kiv-gameflow/v1/session/tournament-ended";

std::string Presence(const char* state) {
  return std::string("/kiv-chat/v1/me {\"kiv\":{\"joustTournamentState\":\"") + state +
         "\"},\"summonerId\":42}";
}

TEST_F(JoustGameflow, RestrictionAndPresenceFollowTheTournament) {
  service_.Set("joust", "getTournamentInfoMinimal",
               ServiceReply::Ok(MinimalInfo({{Cup(), Roster(), {}, std::nullopt, {}, 0}})));
  LCDS::RosterDynamicStateDTO checkedIn = Roster().dynamicState;
  checkedIn.version = 2;
  checkedIn.phaseCheckinStates = {kPlayer};
  service_.Set("joust", "memberPhaseCheckin", ServiceReply::Ok(JsonOfRecord(checkedIn)));
  Login();
  Configure();
  (void)Sent();  // the first presence, NONE

  // Registration opens: the registered roster restricts the player, and the
  // game flow (in phase None) is asked to check in.
  Advance(10 * 60 * kSecondNs);
  EXPECT_THAT(Sent(), ElementsAre(kCheckin, kCheckedIn, Presence("LOCKED_IN")));

  // The game flow is unavailable: lock-in is refused before any request.
  const auto lockIn = [this] {
    return host_->Request(
        HostRequest::Make(KIV_METHOD_POST, "/kiv-joust/v1/tournament/7/roster/lockin"));
  };
  EXPECT_EQ(lockIn().FinalStatus(), 400u);
  EXPECT_THAT(Sent(), IsEmpty());
  // The game flow follows the check-in it was asked for, then comes back.
  SetGameflow("/kiv-gameflow/v1/session", R"({"phase":"CheckedIntoTournament"})");
  SetGameflow("/kiv-gameflow/v1/availability", R"({"isAvailable":true})");
  EXPECT_THAT(Sent(), IsEmpty());  // still restricted, presence unchanged

  // Available: check in with the game flow, then the backend, then confirm.
  EXPECT_EQ(lockIn().FinalStatus(), 200u);
  EXPECT_THAT(Sent(), ElementsAre(kCheckin, kCheckedIn));
  EXPECT_EQ(service_.calls().back().methodName, "memberPhaseCheckin");

  // The bracket arrives with an open match: scouting.
  DeliverBracket(Bracket());
  EXPECT_THAT(Sent(), ElementsAre(Presence("SCOUTING")));
  SetGameflow("/kiv-gameflow/v1/session", R"({"phase":"InProgress"})");
  EXPECT_THAT(Sent(), IsEmpty());  // a game changes neither presence nor check-in

  // The match is lost and the bracket has nothing open for the roster: the
  // game flow leaves the tournament and the presence goes back to NONE.
  SetGameflow("/kiv-gameflow/v1/session", R"({"phase":"CheckedIntoTournament"})");
  LCDS::Bracket finished = Bracket(7, 900, 500, 2);
  finished.matches[0].status = LCDS::ClientBracketMatchStatus::kCompleted;
  finished.matches[0].winnerId = 501;
  DeliverBracket(finished);
  EXPECT_THAT(Sent(), ElementsAre(kEnded, Presence("NONE")));
  EXPECT_THAT(Published("/kiv-joust/v2/playmode-restricted"),
              ::testing::HasSubstr("\"isRestricted\":false"));
}

}  // namespace
}  // namespace kiv::testing
