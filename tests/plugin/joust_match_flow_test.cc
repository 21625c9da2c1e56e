// The match steps the plugin takes over, through the substitute host on the
// virtual clock: the ready check of a tournament queue accepted (and no
// other), a tournament dodge reported, the end-of-game statistics dismissed in
// time for the next round; and one player's whole tournament, from the
// invitation to the results, after which the plugin's memory is back where it
// was before it started.
#include <gmock/gmock.h>

#include "tests/plugin/joust_flow.h"

namespace kiv::testing {
namespace {

using namespace samples;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

constexpr char kDismiss[] = "/kiv-end-of-game/v1/state/dismiss-stats";
constexpr int64_t kMillisecondNs = 1'000'000;

/// How many POSTs the plugin sent to `path` so far.
size_t PostsTo(const SettableResources& world, const char* path) {
  size_t count = 0;
  for (const auto& request : world.posted()) count += request.path == path;
  return count;
}

class JoustMatchFlow : public JoustFlow {
 protected:
  host::StandardNeighbours& Client() { return host_->standard(); }
  /// The paths of the POSTs and PUTs sent since `mark`, bodies dropped.
  std::vector<std::string> PathsSince(const Mark& mark) const {
    std::vector<std::string> paths;
    for (const std::string& line : PostedSince(mark))
      paths.push_back(line.substr(0, line.find(' ')));
    return paths;
  }
};

struct ReadyCheckCase {
  int32_t queueId;
  const char* response;
  std::vector<std::string> posted;
};

TEST_F(JoustMatchFlow, AcceptsTheReadyCheckOfATournamentQueueOnly) {
  const ReadyCheckCase cases[] = {
      {700,
       "None",
       {kDismiss, "/kiv-matchmaking/v1/ready-check/accept",
        "/kiv-gameflow/v1/session/game-configuration"}},
      {700, "Accepted", {}},
      {420, "None", {}},
  };
  for (const ReadyCheckCase& row : cases) {
    SCOPED_TRACE(std::to_string(row.queueId) + " " + row.response);
    Client().lobby.SetSearch(row.queueId);
    host_->RunUntilIdle();
    const Mark mark = Now();
    Client().matchmaking.SetReadyCheck("InProgress", row.response);
    host_->RunUntilIdle();
    EXPECT_THAT(PathsSince(mark), ElementsAreArray(row.posted));
    Client().matchmaking.ClearReadyCheck();
    host_->RunUntilIdle();
  }
  EXPECT_THAT(host_->logLines().back().message,
              HasSubstr("posting joust queue configuration to gameflow for queueId 700"))
      << "the queue the search was in, as the game queues describe it";
}

TEST_F(JoustMatchFlow, ReportsATournamentDodgeAfterATournamentQueue) {
  const Mark mark = Now();
  Client().lobby.SetSearch(701, "TournamentDodged");  // the queue before was none
  host_->RunUntilIdle();
  EXPECT_THAT(PostedSince(mark), IsEmpty());
  Client().lobby.SetSearch(701, "TournamentDodged");
  host_->RunUntilIdle();
  EXPECT_THAT(PostedSince(mark), ElementsAre("/kiv-gameflow/v1/session/dodge "
                                             R"({"dodgeIds":[],"state":"TournamentDodged"})"));
}

TEST_F(JoustMatchFlow, DismissesTheStatisticsBeforeTheNextRound) {
  // The screen closes 28.6% of the scouting time early, at most 5 s early.
  const struct {
    int64_t scoutingMs, delayMs;
    const char* seconds;
  } cases[] = {{10'000, 7'140, "7"}, {60'000, 55'000, "55"}};
  for (const auto& row : cases) {
    SCOPED_TRACE(row.scoutingMs);
    auto cache = PopulatedCache();
    cache[0].tournament.scoutingTimeMs = row.scoutingMs;
    Answer("getTournamentPlayerInfo", PlayerInfo(cache, kInWindow));
    ASSERT_EQ(Call(KIV_METHOD_POST, "/kiv-joust/v1/refresh").FinalStatus(), 200u);
    LCDS::Bracket played = Bracket(7, 900, 500, 6);
    played.matches[0].status = LCDS::ClientBracketMatchStatus::kCompleted;
    Answer("getRosterBracket", JsonOfRecord(played));
    const Mark mark = Now();
    Push(
        "eog-bracket-update",
        R"({"tournamentId":7,"bracketId":900,"currentMatchId":1,"notifyReason":"WINNER_ROUND_COMPLETE"})");
    EXPECT_THAT(LogsSince(mark),
                Contains(std::string("game ended, setting timer to dismiss stats in ") +
                         row.seconds + " seconds"));
    const size_t dismissed = PostsTo(*world_, kDismiss);
    Advance(row.delayMs * kMillisecondNs - 1);
    EXPECT_EQ(PostsTo(*world_, kDismiss), dismissed);
    Advance(1);
    EXPECT_EQ(PostsTo(*world_, kDismiss), dismissed + 1);
  }
}

class JoustTournament : public JoustWorld {
 protected:
  void Answer(const std::string& method, std::string json) {
    service_.Set("joust", method, ServiceReply::Ok(std::move(json)));
  }
  void Push(const std::string& topic, const std::string& payload) {
    host_->standard().messaging.Push(topic, payload);
    host_->RunUntilIdle();
  }
  unsigned Post(const std::string& url) {
    return host_->Request(HostRequest::Make(KIV_METHOD_POST, url)).FinalStatus();
  }
  std::string State() {
    const HostResponse info =
        host_->Request(HostRequest::Make(KIV_METHOD_GET, "/kiv-joust/v1/tournament/7/stateInfo"));
    const std::string json = host::HostValueToJson(info.body.root());
    const size_t at = json.find("\"state\":\"") + 9;
    return json.substr(at, json.find('"', at) - at);
  }
  void PlayTournament();
};

// The service lists the tournament without the player's roster before and
// after, its clock at the registration's start minus 10 minutes.
void JoustTournament::PlayTournament() {
  size_t accepted = PostsTo(*world_, "/kiv-matchmaking/v1/ready-check/accept");
  // Captain 45 invites the player, who accepts.
  Push(
      "pending-roster",
      R"({"pendingRoster":{"version":1,"tournamentId":7,"invitationId":"inv-1","name":"Arno",)"
      R"("captainId":45,"members":[{"playerId":45}],"invitees":[{"inviteeId":42,"inviteeState":"PENDING"}]},)"
      R"("notifyReason":"INVITE","sourcePlayerId":45,"targetPlayerId":42})");
  EXPECT_THAT(Published("/kiv-joust/v1/invitations"), HasSubstr("inv-1"));
  Answer("accept", JsonOfRecord(PendingRoster(7, "inv-1", 2, 45)));
  EXPECT_EQ(Post("/kiv-joust/v1/tournament/7/roster/inv-1/accept"), 200u);
  EXPECT_THAT(Published("/kiv-joust/v1/player/roster"), HasSubstr("\"id\":\"inv-1\""));

  // The roster fills up and registers; at lock-in the player checks in.
  LCDS::RosterDTO roster = Roster(7, 500, 3);
  roster.captainId = 45;
  Push("roster", "{\"roster\":" + JsonOfRecord(roster) + ",\"notifyReason\":\"REGISTERED\"}");
  EXPECT_EQ(Published("/kiv-joust/v1/tournament/7/roster/inv-1"), "<deleted>");
  Advance(10 * 60 * kSecondNs);
  EXPECT_EQ(State(), "LOCK_IN");
  LCDS::RosterDynamicStateDTO checkedIn = roster.dynamicState;
  checkedIn.version = 2;
  checkedIn.phaseCheckinStates = {kPlayer};
  Answer("memberPhaseCheckin", JsonOfRecord(checkedIn));
  EXPECT_EQ(Post("/kiv-joust/v1/tournament/7/roster/lockin"), 200u);

  // The bracket is drawn; after scouting the match is queued in 700.
  Answer("getRosterBracket", JsonOfRecord(Bracket(7, 900, 500, 2)));
  Push("bracket-ready", R"({"tournamentId":7,"bracketId":900})");
  Advance(10 * 60 * kSecondNs);
  EXPECT_EQ(State(), "SCOUTING");
  host_->standard().lobby.SetSearch(700);
  host_->standard().matchmaking.SetReadyCheck("InProgress");
  host_->RunUntilIdle();
  EXPECT_EQ(PostsTo(*world_, "/kiv-matchmaking/v1/ready-check/accept"), ++accepted);
  Push("no-show-ping", R"({"tournamentId":7,"matchId":1,"dodgeTime":120})");
  EXPECT_EQ(service_.calls().back().methodName, "customAck");
  Advance(5 * 60 * kSecondNs);
  EXPECT_EQ(State(), "IN_GAME");

  // Won, and the bracket is complete: the results.
  LCDS::Bracket won = Bracket(7, 900, 500, 3);
  won.matches[0].status = LCDS::ClientBracketMatchStatus::kCompleted;
  won.matches[0].winnerId = 500;
  Answer("getRosterBracket", JsonOfRecord(won));
  Push(
      "eog-bracket-update",
      R"({"tournamentId":7,"bracketId":900,"currentMatchId":1,"notifyReason":"WINNER_ROUND_COMPLETE"})");
  Push("eog-player-update", R"({"tournamentId":7,"gameId":3,"winner":true,"seasonVp":4})");
  const size_t dismissed = PostsTo(*world_, kDismiss);
  Advance(7'140 * kMillisecondNs);
  EXPECT_EQ(PostsTo(*world_, kDismiss), dismissed + 1);
  EXPECT_EQ(State(), "RESULTS");

  // Seen and acknowledged; the service no longer lists the player's roster.
  for (const char* seen :
       {"/kiv-joust/v1/gameEnd/acknowledge", "/kiv-joust/v1/eogPlayerUpdate/acknowledge",
        "/kiv-joust/v1/notifications/acknowledge"}) {
    EXPECT_EQ(Post(seen), 200u) << seen;
  }
  // Every firing the host still holds for the plugin comes due.
  Advance(24 * 3600 * kSecondNs);
  EXPECT_EQ(Post("/kiv-joust/v1/refresh"), 200u);
  EXPECT_EQ(State(), "IDLE");
}

TEST_F(JoustTournament, OnePlayerFromInvitationToResultsLeavesNothingBehind) {
  const std::vector<LCDS::TournamentInfoDTO> nothing = {
      {Cup(), std::nullopt, {}, std::nullopt, {}, 0}};
  Answer("getTournamentInfoMinimal", MinimalInfo(nothing));
  Answer("getTournamentPlayerInfo", PlayerInfo(nothing));
  Login();
  Configure();
  world_->Set("/kiv-gameflow/v1/availability", R"({"isAvailable":true})");
  host_->RunUntilIdle();
  // The first tournament sets up what stays for good (tables grown to their
  // size, records seen the first time); the second must end where it began.
  PlayTournament();
  const HeldMemory before = HeldMemory::Of(*host_);
  PlayTournament();
  EXPECT_EQ(HeldMemory::Of(*host_), before);
}

}  // namespace
}  // namespace kiv::testing
