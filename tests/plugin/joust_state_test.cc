// The tournament state of a registered player through the real plugin, on
// the virtual clock: each state at exactly the time the state machine gives,
// each change published once.
#include <gmock/gmock.h>

#include "joust/model/lcds/bracket.h"
#include "joust/model/lcds/roster.h"
#include "tests/plugin/joust_world.h"

namespace kiv::testing {
namespace {

using ::testing::HasSubstr;

// Server times in milliseconds; the world's clock starts at 1,000 s of
// monotonic time, synced to kNow by the minimal information.
constexpr int64_t kNow = 1'800'000'000'000;
constexpr int64_t kMinute = 60'000;

LCDS::TournamentDTO Cup() {
  LCDS::TournamentDTO cup;
  cup.id = 7;
  cup.scheduleTime = kNow - kMinute;
  cup.scheduleEndTime = kNow + 600 * kMinute;
  cup.rosterCreateDeadline = kNow + 10 * kMinute;
  cup.rosterDisbandDeadline = kNow + 10 * kMinute;
  cup.nameLocKey = "cup";
  cup.scoutingTimeMs = 10'000;
  cup.phases = {{71, 7, kNow + 10 * kMinute, kNow + 20 * kMinute, 1}};
  return cup;
}

LCDS::RosterDTO Roster(int32_t version) {
  LCDS::RosterDTO roster;
  roster.version = version;
  roster.id = 500;
  roster.tournamentId = 7;
  roster.name = "Tiber";
  roster.captainId = 42;
  roster.members = {{500, 42, 7, 0, LCDS::Position::kMiddle, 1}};
  roster.phases = {{71, 1, {}, std::nullopt}};
  return roster;
}

std::string MinimalInfo(const std::vector<LCDS::TournamentInfoDTO>& infos, int64_t time = kNow) {
  LCDS::TournamentInfoMinimalDTO minimal;
  minimal.tournamentInfo = infos;
  minimal.time = time;
  return JsonOfRecord(minimal);
}

class JoustState : public JoustWorld {
 protected:
  std::string State() const {
    const std::string info = Published("/kiv-joust/v1/tournament/7/stateInfo");
    const size_t at = info.find("\"state\":\"");
    return at == std::string::npos ? info : info.substr(at + 9, info.find('"', at + 9) - at - 9);
  }
};

TEST_F(JoustState, RegisteredPlayerMovesThroughEveryStateOnTime) {
  LCDS::TournamentInfoDTO info{Cup(), Roster(1), {}, std::nullopt, {}, 0};
  service_.Set("joust", "getTournamentInfoMinimal", ServiceReply::Ok(MinimalInfo({info})));
  Login();
  Configure();
  EXPECT_EQ(State(), "IDLE");
  EXPECT_THAT(Published("/kiv-joust/v1/tournament/7/stateInfo"),
              HasSubstr("\"nextStateChangeTime\":" + std::to_string(kNow + 10 * kMinute)));
  const size_t before = PublishedCount("/kiv-joust/v1/tournament/7/stateInfo");

  Advance(10 * 60 * kSecondNs - 1);
  EXPECT_EQ(State(), "IDLE");
  Advance(1);
  EXPECT_EQ(State(), "LOCK_IN");
  EXPECT_EQ(PublishedCount("/kiv-joust/v1/tournament/7/stateInfo"), before + 1);

  // A bracket with the roster's first match at kNow + 25 min arrives.
  LCDS::Bracket bracket;
  bracket.version = 1;
  bracket.tournamentId = 7;
  bracket.phaseId = 71;
  bracket.id = 900;
  bracket.matches = {{1, 1, 0, 500, 501, kNow + 25 * kMinute, -1,
                      LCDS::ClientBracketMatchStatus::kUpcoming, -1, -1, false}};
  service_.Set("joust", "getRosterBracket", ServiceReply::Ok(JsonOfRecord(bracket)));
  world_->Set("/zanth-messaging-service/v1/message/joust/v1/notifications/bracket-ready",
              R"({"payload":"{\"tournamentId\":7,\"bracketId\":900}"})", "Create");
  host_->RunUntilIdle();
  EXPECT_EQ(State(), "LOCK_IN");

  Advance(10 * 60 * kSecondNs);  // the phase starts
  EXPECT_EQ(State(), "SCOUTING");
  Advance(5 * 60 * kSecondNs);  // the round starts
  EXPECT_EQ(State(), "IN_GAME");
  EXPECT_THAT(Published("/kiv-joust/v1/tournament/7/stateInfo"),
              HasSubstr("\"nextStateChangeTime\":-1"));
}

}  // namespace
}  // namespace kiv::testing
