// The tournament service's pushes through the substitute host, one table for
// the nine topics, each row in a fresh world: a valid message changes the
// cache and publishes exactly the resources it touches; a stale one (a lower
// version than cached), a payload that is not JSON, JSON of the wrong shape,
// a tournament the cache does not hold and a reason without a name each log
// their line and change nothing that is cached.
#include <gmock/gmock.h>

#include <map>
#include <sstream>

#include "tests/plugin/joust_flow.h"

namespace kiv::testing {
namespace {

using ::testing::Contains;
using ::testing::HasSubstr;

constexpr char kParseError[] = "Error parsing ZMS message payload as notification";
constexpr char kUnknown[] = "Notification for unknown tournament 99 ignored";
constexpr char kReload[] = "*";  // the player's information is reloaded: everything republished

// Resources that writes publish together (only what changed is published):
// the state of tournament 7 and the lists that carry it; the restriction;
// every write of the player's roster 500 (its standing and the wallet stay).
const std::map<std::string, std::string> kGroups = {
    {"STATE_7",
     "/kiv-joust/v1/tournament/7/stateInfo /kiv-joust/v1/tournament-summary "
     "/kiv-joust/v1/tournament-state-info"},
    {"RESTRICTION", "/kiv-joust/v1/playmode-restricted /kiv-joust/v2/playmode-restricted"},
    {"ROSTER_500",
     "RESTRICTION /kiv-joust/v1/tournament/7/roster/500 /kiv-joust/v1/player/roster"}};

/// The URIs of a space-separated list, groups expanded.
Uris Expand(const std::string& text) {
  Uris uris;
  std::istringstream words(text);
  for (std::string word; words >> word;) {
    const auto group = kGroups.find(word);
    if (group == kGroups.end()) {
      uris.insert(word);
    } else {
      uris.merge(Expand(group->second));
    }
  }
  return uris;
}

/// A message about the player's roster 500 of tournament 7 at `version`.
std::string RosterMessage(int version, const std::string& rest) {
  return R"({"roster":{"version":)" + std::to_string(version) +
         R"(,"id":500,"tournamentId":7,"name":"Tiber II","captainId":42,"members":[{"playerId":42},)"
         R"({"playerId":43}],"phases":[{"phaseId":71,"period":1}],"dynamicState":{"version":5,)"
         R"("rosterId":500,"tournamentId":7}},)" +
         rest + "}";
}

// Bracket 900 of tournament 7 at version 6: its one match completed, roster
// 500 the winner.
constexpr char kBracketV6[] =
    R"({"version":6,"tournamentId":7,"phaseId":71,"id":900,"size":2,"matches":[{"id":1,)"
    R"("round":1,"rosterId1":500,"rosterId2":501,"status":"COMPLETED","winnerId":500}]})";
constexpr char kBracketV3[] = R"({"version":3,"tournamentId":7,"phaseId":71,"id":900})";

struct TopicCase {
  const char* name;
  std::string topic;
  std::string payload;
  std::string published;  // URIs and groups; kReload; "" for nothing
  // What shows the change: "URL|text" (GET of the URL contains the text),
  // "posted|text" (a player notification contains it), "called|text" (a
  // service call does). None: every cached resource reads as before, and
  // no player notification is posted.
  std::vector<std::string> shows;
  const char* logged = nullptr;      // a line the message logs
  const char* bracket = kBracketV6;  // what "getRosterBracket" answers
};

void PrintTo(const TopicCase& row, std::ostream* out) { *out << row.name; }

// clang-format off
const TopicCase kTopics[] = {
    {"InviteStored", "pending-roster", R"({"pendingRoster":{"version":1,"tournamentId":8,"invitationId":"inv-10","name":"Nova","captainId":45,"members":[{"playerId":45}],"invitees":[{"inviteeId":42,"inviteeState":"PENDING"}]},"notifyReason":"INVITE","sourcePlayerId":45,"targetPlayerId":42})",
     "/kiv-joust/v1/tournament/8/invitations /kiv-joust/v1/invitations /kiv-joust/v1/tournament/8/roster/inv-10",
     {"/kiv-joust/v1/tournament/8/invitations|\"id\":\"inv-10\"", "posted|joust_notification_title_INVITE"}},
    {"InviteStale", "pending-roster", R"({"pendingRoster":{"version":3,"tournamentId":8,"invitationId":"inv-9","name":"Old","captainId":45,"invitees":[{"inviteeId":42,"inviteeState":"PENDING"}]},"notifyReason":"RESENT_INVITE"})", "", {}},
    {"PendingUnknownTournament", "pending-roster", R"({"pendingRoster":{"version":1,"tournamentId":99,"invitationId":"inv-99","captainId":45},"notifyReason":"INVITE"})", kReload, {}, kUnknown},
    // A reason without a name (27) fails decoding before any reason rule.
    {"PendingReasonWithoutName", "pending-roster", R"({"pendingRoster":{"version":6,"tournamentId":8,"invitationId":"inv-8"},"notifyReason":27})", "", {}, kParseError},
    {"PendingNotJson", "pending-roster", "not json", "", {}, kParseError},
    {"PendingWrongShape", "pending-roster", R"({"pendingRoster":[8]})", "", {}, kParseError},

    {"RosterStored", "roster", RosterMessage(6, R"("notifyReason":"ROSTER_ACCEPT_TICKET")"), "ROSTER_500",
     {"/kiv-joust/v1/tournament/7/roster/500|\"name\":\"Tiber II\"", "posted|joust_notification_title_ROSTER_ACCEPT_TICKET"}},
    {"RosterStale", "roster", RosterMessage(3, R"("notifyReason":"PHASE_CHECKIN")"), "", {}},
    {"RosterUnknownTournament", "roster", R"({"roster":{"version":6,"id":500,"tournamentId":99},"notifyReason":"REGISTERED"})", kReload, {}, kUnknown},
    {"RosterUnknownReason", "roster", RosterMessage(6, R"("notifyReason":"NO_SUCH_REASON")"), "", {}, kParseError},
    {"RosterNotJson", "roster", "[", "", {}, kParseError},
    {"RosterWrongShape", "roster", R"({"roster":{"id":"five hundred"}})", "", {}, kParseError},

    {"DynamicStored", "roster-dynamic", R"({"rosterDynamicState":{"version":6,"tournamentId":7,"rosterId":500,"withdraw":{"initVoteMember":43}},"notifyReason":"VOTE_WITHDRAW_UPDATE"})",
     "ROSTER_500", {"/kiv-joust/v1/tournament/7/roster/500|\"initVoteMember\":43"}},
    {"DynamicStale", "roster-dynamic", R"({"rosterDynamicState":{"version":3,"tournamentId":7,"rosterId":500,"withdraw":{"initVoteMember":43}}})", "", {}},
    {"DynamicUnknownTournament", "roster-dynamic", R"({"rosterDynamicState":{"version":6,"tournamentId":99,"rosterId":500}})", "", {}, kUnknown},
    {"DynamicUnknownReason", "roster-dynamic", R"({"rosterDynamicState":{"version":6,"tournamentId":7,"rosterId":500},"notifyReason":"NO_SUCH_REASON"})", "", {}, kParseError},
    {"DynamicNotJson", "roster-dynamic", "", "", {}, kParseError},
    {"DynamicWrongShape", "roster-dynamic", R"({"rosterDynamicState":{"phaseCheckinStates":"42"}})", "", {}, kParseError},

    // The wallet comes with the roster.
    {"PlayerStored", "roster-player", RosterMessage(6, R"("notifyReason":"ROSTER_DECLINE_TICKET","player":{"tickets":9})"),
     "ROSTER_500 /kiv-joust/v1/player", {"/kiv-joust/v1/player|\"tickets\":9", "posted|joust_notification_title_ROSTER_DECLINE_TICKET"}},
    {"PlayerStale", "roster-player", RosterMessage(3, R"("notifyReason":"ROSTER_DECLINE_TICKET","player":{"tickets":9})"), "", {}},
    {"PlayerUnknownTournament", "roster-player", R"({"roster":{"version":6,"id":500,"tournamentId":99},"notifyReason":"CHANGE_POSITION","player":{"tickets":0}})", kReload, {}, kUnknown},
    {"PlayerUnknownReason", "roster-player", RosterMessage(6, R"("notifyReason":"NO_SUCH_REASON")"), "", {}, kParseError},
    {"PlayerNotJson", "roster-player", "{\"roster\":", "", {}, kParseError},
    {"PlayerWrongShape", "roster-player", R"({"player":{"tickets":"many"}})", "", {}, kParseError},

    {"WithdrawStored", "roster-withdraw", R"({"version":6,"tournamentId":7,"rosterId":500,"withdraw":{"initVoteMember":43},"notifyReason":"VOTE_WITHDRAW_UPDATE"})",
     "/kiv-joust/v1/tournament/7/roster/500 /kiv-joust/v1/player/roster",
     {"/kiv-joust/v1/tournament/7/roster/500|\"initVoteMember\":43"}},
    {"WithdrawStale", "roster-withdraw", R"({"version":3,"tournamentId":7,"rosterId":500,"withdraw":{"initVoteMember":43}})", "", {}},
    {"WithdrawUnknownTournament", "roster-withdraw", R"({"version":6,"tournamentId":99,"rosterId":500})", "", {}, kUnknown},
    {"WithdrawUnknownReason", "roster-withdraw", R"({"version":6,"tournamentId":7,"rosterId":500,"notifyReason":"NO_SUCH_REASON"})", "", {}, kParseError},
    {"WithdrawNotJson", "roster-withdraw", "{", "", {}, kParseError},
    {"WithdrawWrongShape", "roster-withdraw", R"({"withdraw":[]})", "", {}, kParseError},

    {"BracketStored", "bracket-ready", R"({"tournamentId":7,"bracketId":900})",
     "STATE_7 RESTRICTION /kiv-joust/v1/tournament/7/bracket/900 "
     "/kiv-joust/v1/tournament/7/roster/500 /kiv-joust/v1/player/roster",
     {"/kiv-joust/v1/tournament/7/bracket/900|\"status\":\"COMPLETED\"", "called|getRosterBracket {\"bracketId\":900}"}},
    {"BracketStale", "bracket-ready", R"({"tournamentId":7,"bracketId":900})", "", {}, nullptr, kBracketV3},
    {"BracketUnknownTournament", "bracket-ready", R"({"tournamentId":99,"bracketId":900})", "", {}, kUnknown},
    {"BracketNotJson", "bracket-ready", "{\"tournamentId\":7,", "", {}, kParseError},
    {"BracketWrongShape", "bracket-ready", R"({"bracketId":true})", "", {}, kParseError},

    // The notification has no version of its own; its bracket is fetched.
    {"GameEndStored", "eog-bracket-update", R"({"tournamentId":7,"bracketId":900,"currentMatchId":1,"notifyReason":"WINNER_ROUND_COMPLETE"})",
     "STATE_7 RESTRICTION /kiv-joust/v1/tournament/7/bracket/900 "
     "/kiv-joust/v1/tournament/7/roster/500 /kiv-joust/v1/player/roster /kiv-joust/v1/gameEnd",
     {"/kiv-joust/v1/gameEnd|{\"bracketId\":900,\"tournamentId\":7}"}},
    {"GameEndUnknownTournament", "eog-bracket-update", R"({"tournamentId":99,"bracketId":900,"currentMatchId":1,"notifyReason":"WINNER_ROUND_COMPLETE"})", kReload, {}, kUnknown},
    {"GameEndUnknownReason", "eog-bracket-update", R"({"tournamentId":7,"bracketId":900,"notifyReason":"NO_SUCH_REASON"})", "", {}, kParseError},
    {"GameEndNotJson", "eog-bracket-update", "{]", "", {}, kParseError},
    {"GameEndWrongShape", "eog-bracket-update", R"({"currentMatchId":[1]})", "", {}, kParseError},

    {"EogPlayerStored", "eog-player-update", R"({"tournamentId":7,"gameId":3,"winner":true,"seasonVp":4})",
     "/kiv-joust/v1/eogPlayerUpdate", {"/kiv-joust/v1/eogPlayerUpdate|\"gameId\":3"}},
    {"EogPlayerNotJson", "eog-player-update", "eog", "", {}, kParseError},
    {"EogPlayerWrongShape", "eog-player-update", R"({"earnedRewards":{}})", "", {}, kParseError},

    // Acknowledged with the game flow's phase; nothing is cached.
    {"NoShowAcknowledged", "no-show-ping", R"({"tournamentId":7,"matchId":1,"dodgeTime":5})", "",
     {R"(called|customAck {"ackPayload":"{\"tournamentId\":\"7\",\"matchId\":\"1\",\"dodgeTime\":\"5\",\"data\":{\"dodgeTime\":\"5\",\"gameflowState\":\"None\"}}","ackType":"NO_SHOW"})"}},
    {"NoShowNotJson", "no-show-ping", "\"ping", "", {}, kParseError},
    {"NoShowWrongShape", "no-show-ping", R"({"dodgeTime":{}})", "", {}, kParseError},
};
// clang-format on

class JoustPush : public JoustFlow, public ::testing::WithParamInterface<TopicCase> {
 protected:
  /// What a reader of the cache sees, by URL.
  std::map<std::string, std::string> Snapshot() {
    std::map<std::string, std::string> seen;
    for (const char* url :
         {"/kiv-joust/v1/tournament-state-info", "/kiv-joust/v1/tournament-summary",
          "/kiv-joust/v1/invitations", "/kiv-joust/v1/tournament/7/roster/500",
          "/kiv-joust/v1/tournament/7/roster/600", "/kiv-joust/v1/tournament/8/roster/inv-8",
          "/kiv-joust/v1/tournament/7/bracket/900", "/kiv-joust/v1/tournament/7/player",
          "/kiv-joust/v1/tournament/8/player", "/kiv-joust/v1/player", "/kiv-joust/v1/gameEnd",
          "/kiv-joust/v1/eogPlayerUpdate", "/kiv-joust/v1/notifications"}) {
      seen[url] = Get(url);
    }
    return seen;
  }
  /// The texts a "where|text" check of a row looks in.
  std::vector<std::string> Seen(const std::string& where, const Mark& mark) {
    if (where == "posted") return PostedSince(mark);
    if (where == "called") return CallsSince(mark);
    return {Get(where)};
  }
};

TEST_P(JoustPush, ChangesTheCacheOnlyWithAValidNewerMessage) {
  const TopicCase& row = GetParam();
  Answer("getRosterBracket", row.bracket);
  const auto before = Snapshot();
  const Mark mark = Now();
  Push(row.topic, row.payload);
  if (row.published != kReload) {
    EXPECT_EQ(PublishedSince(mark), Expand(row.published));
  }
  if (row.logged) {
    EXPECT_THAT(LogsSince(mark), Contains(row.logged));
  }
  for (const std::string& check : row.shows) {
    const size_t bar = check.find('|');
    EXPECT_THAT(Seen(check.substr(0, bar), mark), Contains(HasSubstr(check.substr(bar + 1))))
        << check;
  }
  if (row.shows.empty()) {
    for (const auto& [url, json] : Snapshot()) EXPECT_EQ(json, before.at(url)) << url;
    EXPECT_THAT(PostedSince(mark),
                ::testing::Not(Contains(HasSubstr("/player-notifications/v1/notifications"))));
  }
}

INSTANTIATE_TEST_SUITE_P(EveryTopic, JoustPush, ::testing::ValuesIn(kTopics),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kiv::testing
