// A property of the state machine through the real plugin: for random caches
// at random server times, the tournament states kept up to date through any
// sequence of pushed records (newer or stale) equal the states computed from
// scratch when the final cache is loaded at once.
#include <gmock/gmock.h>

#include <map>
#include <random>

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
    cup.scheduleEndTime = kNow + Minutes(0, 600);
    cup.phases.clear();
    const int phases = std::uniform_int_distribution<int>(1, 3)(random_);
    for (int i = 0; i < phases; ++i) {
      const int64_t registration = kNow + Minutes(-90, 90);
      cup.phases.push_back({id * 10 + i, id, registration, registration + Minutes(0, 40),
                            std::uniform_int_distribution<int32_t>(1, 2)(random_)});
    }
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
  std::string States() {
    return host::HostValueToJson(
        host_->Request(HostRequest::Make(KIV_METHOD_GET, "/kiv-joust/v1/tournament-state-info"))
            .body.root());
  }
};

TEST_F(StateProperty, IncrementalStatesEqualStatesFromScratch) {
  Login();
  Configure();
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

    for (int step = 0; step < 12; ++step) {
      const int64_t id = std::uniform_int_distribution<int64_t>(1, kTournaments)(random_);
      const LCDS::TournamentDTO& cup = cups[id];
      if (Chance(50)) {
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
    }
    const std::string incremental = States();

    std::vector<LCDS::TournamentInfoDTO> final;
    for (auto& [id, roster] : rosters) {
      LCDS::RosterDTO loaded = roster;
      if (brackets.count(id)) loaded.phases[0].bracketDTO = brackets[id];
      final.push_back({cups[id], loaded});
    }
    Refresh(final, now);
    EXPECT_EQ(incremental, States());
  }
}

}  // namespace
}  // namespace kiv::testing
