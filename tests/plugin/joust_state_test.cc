// The tournament state of the player through the real plugin, on the virtual
// clock: each state at exactly the time the state machine gives, each change
// published once; the edge cases of phase selection; stale answers ignored; a
// refresh that removes what is gone; every published record equal to what its
// endpoint answers.
#include <gmock/gmock.h>
#include <rapidjson/document.h>

#include <map>

#include "tests/plugin/joust_world.h"

namespace kiv::testing {
namespace {

using namespace samples;
using ::testing::HasSubstr;

constexpr char kStateInfo[] = "/kiv-joust/v1/tournament/7/stateInfo";
constexpr char kPush[] = "/zanth-messaging-service/v1/message/joust/v1/notifications/";

class JoustState : public JoustWorld {
 protected:
  std::string State() const { return Member(Published(kStateInfo), "state"); }
  std::string NextChange() const { return Member(Published(kStateInfo), "nextStateChangeTime"); }
  /// The text of member `name` in a JSON text (quotes dropped).
  static std::string Member(const std::string& json, const std::string& name) {
    const size_t at = json.find("\"" + name + "\":");
    if (at == std::string::npos) return "";
    size_t begin = at + name.size() + 3;
    if (json[begin] == '"') ++begin;
    return json.substr(begin, json.find_first_of(",}\"", begin) - begin);
  }
  void Push(const std::string& topic, const std::string& payloadJson) {
    std::string escaped;
    for (char c : payloadJson) escaped += c == '"' ? std::string("\\\"") : std::string(1, c);
    world_->Set(kPush + topic, "{\"payload\":\"" + escaped + "\"}", "Create");
    host_->RunUntilIdle();
  }
  void DeliverBracket(const LCDS::Bracket& bracket) {
    service_.Set("joust", "getRosterBracket", ServiceReply::Ok(JsonOfRecord(bracket)));
    Push("bracket-ready", "{\"tournamentId\":7,\"bracketId\":" + std::to_string(bracket.id) + "}");
  }
};

LCDS::BracketMatch Match(int64_t id, int32_t round, int64_t opponent, int64_t roundStart,
                         LCDS::ClientBracketMatchStatus status, int64_t winner = -1) {
  return {id, round, 0, 500, opponent, roundStart, -1, status, winner, -1, false};
}

TEST_F(JoustState, RegisteredPlayerMovesThroughEveryStateOnTime) {
  using enum LCDS::ClientBracketMatchStatus;
  service_.Set("joust", "getTournamentInfoMinimal",
               ServiceReply::Ok(MinimalInfo({{Cup(), Roster(), {}, std::nullopt, {}, 0}})));
  Login();
  Configure();
  EXPECT_EQ(State(), "IDLE");
  EXPECT_EQ(NextChange(), std::to_string(kNow + 10 * kMinute));
  size_t published = PublishedCount(kStateInfo);
  const auto expectChange = [&](const char* state, int64_t next) {
    EXPECT_EQ(State(), state);
    EXPECT_EQ(NextChange(), std::to_string(next));
    EXPECT_EQ(PublishedCount(kStateInfo), ++published) << "each change is published once";
  };

  Advance(10 * 60 * kSecondNs - 1);
  EXPECT_EQ(PublishedCount(kStateInfo), published);
  Advance(1);
  expectChange("LOCK_IN", kNow + 20 * kMinute);

  DeliverBracket(Bracket());  // the first match at kNow + 25 min
  EXPECT_EQ(State(), "LOCK_IN");
  EXPECT_EQ(PublishedCount(kStateInfo), published)
      << "a bracket that moves no state publishes none";
  Advance(10 * 60 * kSecondNs);
  expectChange("SCOUTING", kNow + 25 * kMinute);
  Advance(5 * 60 * kSecondNs);
  expectChange("IN_GAME", -1);

  // Won: the next round at kNow + 40 min.
  LCDS::Bracket second = Bracket(7, 900, 500, 2);
  second.matches = {Match(1, 1, 501, kNow + 25 * kMinute, kCompleted, 500),
                    Match(2, 2, 502, kNow + 40 * kMinute, kUpcoming)};
  DeliverBracket(second);
  expectChange("SCOUTING", kNow + 40 * kMinute);
  Advance(15 * 60 * kSecondNs);
  expectChange("IN_GAME", -1);

  // The final is played: nothing is left for the roster, and no later phase.
  LCDS::Bracket done = second;
  done.version = 3;
  done.matches[1].status = kCompleted;
  done.matches[1].winnerId = 500;
  DeliverBracket(done);
  expectChange("RESULTS", -1);
}

// One cache per row, loaded by a refresh at the row's server time; the state
// the plugin answers for tournament 7.
struct StateCase {
  const char* name;
  LCDS::TournamentInfoDTO info;
  int64_t now;
  const char* state;
  int64_t nextChange;
};

std::vector<StateCase> StateCases() {
  using enum LCDS::ClientBracketMatchStatus;
  std::vector<StateCase> cases;
  LCDS::TournamentDTO future = Cup();
  future.scheduleTime = kNow + 60 * kMinute;
  cases.push_back(
      {"a tournament in the future is not active", {future, Roster()}, kNow, "RESULTS", -1});

  // Two phases of period 1; the roster plays the second, so the first is
  // skipped and the second is current once its registration opens.
  LCDS::TournamentDTO twoPhases = Cup();
  twoPhases.phases.push_back({72, 7, kNow + 30 * kMinute, kNow + 40 * kMinute, 1});
  LCDS::RosterDTO second = Roster();
  second.phases = {{72, 1, {}, std::nullopt}};
  cases.push_back({"a phase of the same period is skipped",
                   {twoPhases, second},
                   kNow + 15 * kMinute,
                   "IDLE",
                   kNow + 30 * kMinute});
  cases.push_back({"the roster's own phase of that period",
                   {twoPhases, second},
                   kNow + 30 * kMinute,
                   "LOCK_IN",
                   kNow + 40 * kMinute});

  LCDS::RosterDTO subbedOut = Roster();
  subbedOut.phases[0].phaseRosterSubs = {
      {50, kPlayer, LCDS::SubState::kReady, 0, 0, LCDS::Position::kTop, 0, 0}};
  cases.push_back({"a player substituted out sits the phase out",
                   {Cup(), subbedOut},
                   kNow + 10 * kMinute,
                   "RESULTS",
                   -1});

  LCDS::RosterDTO unscheduled = Roster();
  LCDS::Bracket zeroStart = Bracket();
  zeroStart.matches[0].roundStartTime = 0;
  unscheduled.phases[0].bracketDTO = zeroStart;
  cases.push_back({"a round start of 0 is not a start",
                   {Cup(), unscheduled},
                   kNow + 30 * kMinute,
                   "SCOUTING",
                   0});

  cases.push_back({"registration opening exactly now",
                   {Cup(), Roster()},
                   kNow + 10 * kMinute,
                   "LOCK_IN",
                   kNow + 20 * kMinute});
  cases.push_back(
      {"the phase starting exactly now", {Cup(), Roster()}, kNow + 20 * kMinute, "SCOUTING", -1});
  LCDS::RosterDTO eliminated = Roster();
  eliminated.eliminated = true;
  cases.push_back(
      {"an eliminated roster", {Cup(), eliminated}, kNow + 15 * kMinute, "RESULTS", -1});
  cases.push_back({"a missed phase", {Cup(), std::nullopt}, kNow + 25 * kMinute, "RESULTS", -1});
  return cases;
}

TEST_F(JoustState, EdgeCasesOfPhaseSelection) {
  Login();
  Configure();
  for (const StateCase& row : StateCases()) {
    SCOPED_TRACE(row.name);
    service_.Set("joust", "getTournamentPlayerInfo",
                 ServiceReply::Ok(PlayerInfo({row.info}, row.now)));
    ASSERT_EQ(
        host_->Request(HostRequest::Make(KIV_METHOD_POST, "/kiv-joust/v1/refresh")).FinalStatus(),
        200u);
    const std::string info = host::HostValueToJson(
        host_->Request(HostRequest::Make(KIV_METHOD_GET, kStateInfo)).body.root());
    EXPECT_EQ(Member(info, "state"), row.state);
    EXPECT_EQ(Member(info, "nextStateChangeTime"), std::to_string(row.nextChange));
  }
}

TEST_F(JoustState, StaleRecordsChangeNothing) {
  LCDS::RosterDTO roster = Roster(7, 500, 5);
  roster.phases[0].bracketDTO = Bracket(7, 900, 500, 5);
  service_.Set("joust", "getTournamentInfoMinimal",
               ServiceReply::Ok(MinimalInfo({{Cup(), roster}})));
  Login();
  Configure();
  const size_t rosterEvents = PublishedCount("/kiv-joust/v1/tournament/7/roster/500");
  const size_t bracketEvents = PublishedCount("/kiv-joust/v1/tournament/7/bracket/900");

  LCDS::RosterDTO stale = Roster(7, 500, 4);
  stale.name = "Stale";
  Push("roster", "{\"roster\":" + JsonOfRecord(stale) + ",\"notifyReason\":\"ROSTER_SET_TICKET\"}");
  LCDS::Bracket staleBracket = Bracket(7, 900, 500, 4);
  staleBracket.matches.clear();
  DeliverBracket(staleBracket);

  EXPECT_EQ(PublishedCount("/kiv-joust/v1/tournament/7/roster/500"), rosterEvents);
  EXPECT_EQ(PublishedCount("/kiv-joust/v1/tournament/7/bracket/900"), bracketEvents);
  const auto answer = [this](const char* uri) {
    return host::HostValueToJson(
        host_->Request(HostRequest::Make(KIV_METHOD_GET, uri)).body.root());
  };
  EXPECT_THAT(answer("/kiv-joust/v1/tournament/7/roster/500"), HasSubstr("\"name\":\"Tiber\""));
  EXPECT_THAT(answer("/kiv-joust/v1/tournament/7/bracket/900"), HasSubstr("\"rosterId2\":501"));

  LCDS::RosterDTO fresh = Roster(7, 500, 6);  // the same message, newer, does apply
  fresh.name = "Fresh";
  Push("roster", "{\"roster\":" + JsonOfRecord(fresh) + ",\"notifyReason\":\"ROSTER_SET_TICKET\"}");
  EXPECT_THAT(answer("/kiv-joust/v1/tournament/7/roster/500"), HasSubstr("\"name\":\"Fresh\""));
}

TEST_F(JoustState, RefreshRemovesWhatIsGone) {
  LCDS::TournamentDTO open = Cup(8);
  open.rosterCreateDeadline = kNow + 60 * kMinute;
  service_.Set("joust", "getTournamentInfoMinimal",
               ServiceReply::Ok(MinimalInfo(
                   {{Cup(), Roster()}, {open, std::nullopt, {}, PendingRoster(8, "inv-8")}})));
  Login();
  Configure();
  ASSERT_NE(Published("/kiv-joust/v1/tournament/8/roster/inv-8"), "");

  // The player's rosters are gone; the tournaments stay known.
  service_.Set("joust", "getTournamentPlayerInfo",
               ServiceReply::Ok(PlayerInfo({{Cup(), std::nullopt}})));
  host_->Request(HostRequest::Make(KIV_METHOD_POST, "/kiv-joust/v1/refresh"));
  EXPECT_EQ(Published("/kiv-joust/v1/tournament/8/roster/inv-8"), "<deleted>");
  EXPECT_EQ(Published("/kiv-joust/v1/tournament/7/roster/500"), "<deleted>");
  EXPECT_THAT(Published("/kiv-joust/v1/tournament/8/player"), HasSubstr("\"NO_ROSTER\""));
  EXPECT_THAT(Published("/kiv-joust/v1/tournament/7/player"), HasSubstr("\"NO_ROSTER\""));
}

// Whatever the pass publishes for a resource is what its endpoint answers,
// for every resource published while a populated cache is loaded.
TEST_F(JoustState, EveryPublishedRecordIsWhatItsEndpointAnswers) {
  LCDS::RosterDTO roster = Roster();
  roster.phases[0].bracketDTO = Bracket();
  LCDS::TournamentDTO open = Cup(8);
  open.rosterCreateDeadline = kNow + 60 * kMinute;
  service_.Set(
      "joust", "getTournamentInfoMinimal",
      ServiceReply::Ok(MinimalInfo(
          {{Cup(), roster},
           {open, std::nullopt, {}, PendingRoster(8, "inv-8"), {PendingRoster(8, "inv-9", 1, 45)}}},
          kNow + 10 * kMinute)));
  Login();
  Configure();
  std::map<std::string, std::string> latest;
  for (const auto& event : host_->publishedEvents()) {
    if (event.name != "OnJsonApiEvent") continue;
    rapidjson::Document body;
    body.Parse(host::HostValueToJson(event.body.root()).c_str());
    const std::string uri = body["uri"].GetString();
    if (uri.rfind("/kiv-joust/", 0) != 0 || uri == "/kiv-joust/v1/player/roster") continue;
    latest[uri] = host::HostValueToJson(event.body.root());
  }
  ASSERT_GT(latest.size(), 20u);
  for (const auto& [uri, json] : latest) {
    SCOPED_TRACE(uri);
    rapidjson::Document event;
    event.Parse(json.c_str());
    if (std::string_view(event["eventType"].GetString()) == "Delete") continue;
    rapidjson::Document answer;
    answer.Parse(
        host::HostValueToJson(host_->Request(HostRequest::Make(KIV_METHOD_GET, uri)).body.root())
            .c_str());
    EXPECT_TRUE(answer == event["data"]);
  }
}

}  // namespace
}  // namespace kiv::testing
