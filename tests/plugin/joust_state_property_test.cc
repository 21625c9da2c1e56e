// Properties of the state machine and the publication through the real
// plugin, for random caches at random server times and random sequences of
// pushed records (newer or stale), refreshes, acknowledgements and clock
// steps:
// - after every step, what a client that follows the events knows of every
//   resource equals a fresh read of it, and every resource that exists was
//   published (or read before anything was);
// - the tournament states kept up to date equal the states computed from
//   scratch when the final cache is loaded at once.
#include <gmock/gmock.h>

#include <algorithm>
#include <map>
#include <random>
#include <string_view>

#include <rapidjson/document.h>

#include "tests/plugin/joust_world.h"

namespace kiv::testing {
namespace {

using namespace samples;

constexpr char kPush[] = "/zanth-messaging-service/v1/message/joust/v1/notifications/";
constexpr int kTournaments = 4;

class StateProperty : public JoustWorld {
 protected:
  std::mt19937 random_;

  int64_t Minutes(int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(random_) * kMinute;
  }
  bool Chance(int percent) { return std::uniform_int_distribution<int>(0, 99)(random_) < percent; }

  // A cup with one to three phases in one or two periods, on either side of kNow.
  LCDS::TournamentDTO RandomCup(int64_t id) {
    LCDS::TournamentDTO cup = Cup(id);
    cup.scheduleTime = kNow - Minutes(0, 120);
    cup.phases.clear();
    const int phases = std::uniform_int_distribution<int>(1, 3)(random_);
    for (int i = 0; i < phases; ++i) {
      const int64_t registration = kNow + Minutes(-90, 90);
      cup.phases.push_back({id * 10 + i, id, registration, registration + Minutes(0, 40),
                            std::uniform_int_distribution<int32_t>(1, 2)(random_)});
    }
    // It ends after its last phase, as a tournament does.
    int64_t lastPhase = cup.scheduleTime;
    for (const auto& phase : cup.phases) lastPhase = std::max(lastPhase, phase.startTime);
    cup.scheduleEndTime = lastPhase + Minutes(60, 600);
    return cup;
  }
  LCDS::RosterDTO RandomRoster(const LCDS::TournamentDTO& cup, int32_t version) {
    LCDS::RosterDTO roster = Roster(cup.id, 500 + cup.id, version);
    roster.eliminated = Chance(15);
    roster.phases.clear();
    for (const auto& phase : cup.phases) {
      if (roster.phases.empty() || Chance(40)) {
        roster.phases.push_back({phase.id, phase.period, {}, std::nullopt});
      }
    }
    if (Chance(15)) {
      roster.phases[0].phaseRosterSubs = {
          {50, kPlayer, LCDS::SubState::kReady, 0, 0, LCDS::Position::kTop, 0, 0}};
    }
    return roster;
  }
  LCDS::Bracket RandomBracket(const LCDS::TournamentDTO& cup, int32_t version) {
    using enum LCDS::ClientBracketMatchStatus;
    LCDS::Bracket bracket = Bracket(cup.id, 900 + cup.id, 500 + cup.id, version);
    bracket.phaseId =
        cup.phases[std::uniform_int_distribution<size_t>(0, cup.phases.size() - 1)(random_)].id;
    bracket.matches.clear();
    const int matches = std::uniform_int_distribution<int>(0, 3)(random_);
    for (int i = 0; i < matches; ++i) {
      const LCDS::ClientBracketMatchStatus status =
          Chance(40) ? kCompleted : (Chance(50) ? kStarted : kUpcoming);
      bracket.matches.push_back({i + 1, i + 1, 0, 500 + cup.id, 600 + i,
                                 Chance(10) ? 0 : kNow + Minutes(-60, 60), -1, status, -1, -1,
                                 false});
    }
    return bracket;
  }

  void Push(const std::string& topic, const std::string& payloadJson) {
    std::string escaped;
    for (char c : payloadJson) escaped += c == '"' ? std::string("\\\"") : std::string(1, c);
    world_->Set(kPush + topic, "{\"payload\":\"" + escaped + "\"}", "Create");
    host_->RunUntilIdle();
  }
  void Refresh(const std::vector<LCDS::TournamentInfoDTO>& infos, int64_t time) {
    service_.Set("joust", "getTournamentPlayerInfo", ServiceReply::Ok(PlayerInfo(infos, time)));
    ASSERT_EQ(
        host_->Request(HostRequest::Make(KIV_METHOD_POST, "/kiv-joust/v1/refresh")).FinalStatus(),
        200u);
  }
  // The compact JSON of a GET of `url`, or "" when it does not answer 200.
  std::string Fresh(const std::string& url) {
    const HostResponse response = Call(KIV_METHOD_GET, url);
    return response.FinalStatus() == 200 ? Text(response) : "";
  }
  // What a client learns from the events published since it last looked.
  void FollowEvents() {
    const auto& events = host_->publishedEvents();
    for (; eventsSeen_ < events.size(); ++eventsSeen_) {
      if (events[eventsSeen_].name != "OnJsonApiEvent") continue;
      const HostValue& body = events[eventsSeen_].body.root();
      std::string uri, type, data;
      for (uint32_t i = 0; i < body.u.structure.count; ++i) {
        const HostMember& member = body.u.structure.members[i];
        const std::string json = host::HostValueToJson(member.value);
        if (std::string_view(member.name) == "uri") uri = json.substr(1, json.size() - 2);
        if (std::string_view(member.name) == "eventType") type = json;
        if (std::string_view(member.name) == "data") data = json;
      }
      if (uri.rfind("/kiv-joust/", 0) == 0) known_[uri] = type == "\"Delete\"" ? kGone : data;
    }
  }
  // The paths of every resource that exists now: the feature's, and those of
  // each known tournament, the player's roster and bracket in it included.
  std::vector<std::string> CurrentPaths() {
    std::vector<std::string> paths(std::begin(kFeaturePaths), std::end(kFeaturePaths));
    rapidjson::Document ids;
    ids.Parse(Get("/kiv-joust/v1/tournamentIds").c_str());
    for (const rapidjson::Value& id : ids.GetArray()) {
      const std::string t = "/kiv-joust/v1/tournament/" + std::to_string(id.GetInt64());
      for (const char* tail : {"", "/stateInfo", "/player", "/invitations"})
        paths.push_back(t + tail);
      rapidjson::Document standing;
      standing.Parse(Get(t + "/player").c_str());
      const std::string roster = standing["rosterId"].GetString();
      if (!roster.empty()) paths.push_back(t + "/roster/" + roster);
      if (standing["bracketId"].GetInt64() != -1) {
        paths.push_back(t + "/bracket/" + std::to_string(standing["bracketId"].GetInt64()));
      }
    }
    return paths;
  }
  // The client's knowledge against fresh reads, both ways.
  void ExpectPublishedEqualsFresh(const std::string& step) {
    SCOPED_TRACE(step);
    FollowEvents();
    for (const std::string& path : CurrentPaths()) {
      const std::string fresh = Fresh(path);
      if (fresh.empty()) continue;
      const auto known = known_.find(path);
      ASSERT_NE(known, known_.end()) << path << " exists but was never published";
      EXPECT_EQ(known->second, fresh) << path;
    }
    for (const auto& [path, value] : known_) {
      // The clock moves by itself; the player's roster is an alias of one
      // tournament's roster, with no reader of its own.
      if (path == "/kiv-joust/v1/time" || path == "/kiv-joust/v1/player/roster") continue;
      const std::string fresh = Fresh(path);
      if (value == kGone || value.find("\"errorCode\"") != std::string::npos) {
        EXPECT_EQ(fresh, "") << path << " was published as gone but reads as " << fresh;
      } else {
        EXPECT_EQ(value, fresh) << path;
      }
    }
  }

  static constexpr char kGone[] = "<deleted>";
  static constexpr const char* kFeaturePaths[] = {"/kiv-joust/v1/visible",
                                                  "/kiv-joust/v1/enabled",
                                                  "/kiv-joust/v1/ready",
                                                  "/kiv-joust/v1/iconconfig",
                                                  "/kiv-joust/v1/checkin-allowed",
                                                  "/kiv-joust/v1/playmode-restricted",
                                                  "/kiv-joust/v2/playmode-restricted",
                                                  "/kiv-joust/v1/tournamentIds",
                                                  "/kiv-joust/v1/tournament-summary",
                                                  "/kiv-joust/v1/tournament-state-info",
                                                  "/kiv-joust/v1/invitations",
                                                  "/kiv-joust/v1/gameEnd",
                                                  "/kiv-joust/v1/eogPlayerUpdate",
                                                  "/kiv-joust/v1/player",
                                                  "/kiv-joust/v1/player/history",
                                                  "/kiv-joust/v1/rewards",
                                                  "/kiv-joust/v1/notifications"};
  /// Per path, the last value a client knows: read before anything was
  /// published, then from each event.
  std::map<std::string, std::string> known_;
  size_t eventsSeen_ = 0;

  std::string States() {
    return host::HostValueToJson(
        host_->Request(HostRequest::Make(KIV_METHOD_GET, "/kiv-joust/v1/tournament-state-info"))
            .body.root());
  }
};

TEST_F(StateProperty, PublishedEqualsFreshAndIncrementalStatesEqualStatesFromScratch) {
  // The client reads every resource once before it follows the events.
  FollowEvents();
  for (const char* path : kFeaturePaths) known_.try_emplace(path, Fresh(path));
  Login();
  Configure();
  ExpectPublishedEqualsFresh("configured");
  for (uint32_t seed = 1; seed <= 40; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    random_.seed(seed);
    // Versions only grow, as the service's do, from one seed to the next:
    // a refresh that brings an older copy than the cached one keeps the cached.
    const int32_t firstVersion = static_cast<int32_t>(seed) * 100;
    const int64_t now = kNow + Minutes(-30, 150);
    std::map<int64_t, LCDS::TournamentDTO> cups;
    std::map<int64_t, LCDS::RosterDTO> rosters;
    std::map<int64_t, LCDS::Bracket> brackets;
    std::vector<LCDS::TournamentInfoDTO> initial;
    for (int64_t id = 1; id <= kTournaments; ++id) {
      cups[id] = RandomCup(id);
      rosters[id] = RandomRoster(cups[id], firstVersion);
      initial.push_back({cups[id], rosters[id]});
    }
    Refresh(initial, now);
    ExpectPublishedEqualsFresh("refreshed");
    int64_t elapsed = 0;  // milliseconds the clock moved since the refresh

    for (int step = 0; step < 12; ++step) {
      const int64_t id = std::uniform_int_distribution<int64_t>(1, kTournaments)(random_);
      const LCDS::TournamentDTO& cup = cups[id];
      if (Chance(15)) {
        const int64_t minutes = Minutes(1, 20);
        Advance(minutes / 1000 * kSecondNs);
        elapsed += minutes;
      } else if (Chance(10)) {
        ASSERT_EQ(Call(KIV_METHOD_POST, "/kiv-joust/v1/gameEnd/acknowledge").FinalStatus(), 200u);
      } else if (Chance(50)) {
        const bool stale = Chance(25);
        const int32_t version = stale ? rosters[id].version - 1 : rosters[id].version + 1;
        LCDS::RosterDTO roster = RandomRoster(cup, version);
        Push("roster",
             "{\"roster\":" + JsonOfRecord(roster) + ",\"notifyReason\":\"ROSTER_SET_TICKET\"}");
        if (!stale) rosters[id] = roster;
      } else {
        const bool stale = brackets.count(id) && Chance(25);
        const int32_t version =
            brackets.count(id) ? brackets[id].version + (stale ? -1 : 1) : firstVersion;
        LCDS::Bracket bracket = RandomBracket(cup, version);
        service_.Set("joust", "getRosterBracket", ServiceReply::Ok(JsonOfRecord(bracket)));
        Push("bracket-ready", "{\"tournamentId\":" + std::to_string(id) +
                                  ",\"bracketId\":" + std::to_string(bracket.id) + "}");
        if (!stale) brackets[id] = bracket;
      }
      ExpectPublishedEqualsFresh("step " + std::to_string(step));
    }
    const std::string incremental = States();

    std::vector<LCDS::TournamentInfoDTO> final;
    for (auto& [id, roster] : rosters) {
      LCDS::RosterDTO loaded = roster;
      if (brackets.count(id)) loaded.phases[0].bracketDTO = brackets[id];
      final.push_back({cups[id], loaded});
    }
    Refresh(final, now + elapsed);
    EXPECT_EQ(incremental, States());
    ExpectPublishedEqualsFresh("reloaded");
  }
}

}  // namespace
}  // namespace kiv::testing
