// The tournament state of a registered player through the real plugin, on
// the virtual clock: each state at exactly the time the state machine gives,
// each change published once.
#include <gmock/gmock.h>

#include "tests/plugin/joust_world.h"

namespace kiv::testing {
namespace {

using ::testing::HasSubstr;

using namespace samples;

class JoustState : public JoustWorld {
 protected:
  std::string State() const {
    const std::string info = Published("/kiv-joust/v1/tournament/7/stateInfo");
    const size_t at = info.find("\"state\":\"");
    return at == std::string::npos ? info : info.substr(at + 9, info.find('"', at + 9) - at - 9);
  }
};

TEST_F(JoustState, RegisteredPlayerMovesThroughEveryStateOnTime) {
  LCDS::TournamentInfoDTO info{Cup(), Roster(), {}, std::nullopt, {}, 0};
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
  const LCDS::Bracket bracket = Bracket();
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
