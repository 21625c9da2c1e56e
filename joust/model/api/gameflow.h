// gameflow.h: the matchmaking and game-flow resources the plugin follows:
// search (with dodges), ready check, availability, session phase, and the dodge
// it reports.
//
// Not for: queue descriptions (queue.h).
//
//   Api::MatchmakingReadyCheckResource check;  // a ready check answered "Accepted"
//   check.playerResponse = Api::MatchmakingReadyCheckResponse::kAccepted;  // 49
#pragma once

#include <cstdint>
#include <vector>

#include "joust/model/api/neighbour_enums.h"
#include "joust/model/describe.h"

namespace Api {

struct MatchmakingDodgeData {
  MatchmakingDodgeState state = MatchmakingDodgeState::kInvalid;
  uint64_t dodgerId = 0;
};
constexpr auto DescribeRecord(const MatchmakingDodgeData*) {
  using T = MatchmakingDodgeData;
  return Record<T>("MatchmakingDodgeData", Field("state", &T::state),
                   Field("dodgerId", &T::dodgerId))
      .Described("Who dodged the last match.");
}

struct MatchmakingSearchResource {
  int32_t queueId = 0;
  MatchmakingDodgeData dodgeData;
};
constexpr auto DescribeRecord(const MatchmakingSearchResource*) {
  using T = MatchmakingSearchResource;
  return Record<T>("MatchmakingSearchResource", Field("queueId", &T::queueId),
                   Field("dodgeData", &T::dodgeData))
      .Described("The matchmaking search, read from /kiv-lobby-team-builder/v1/matchmaking.");
}

struct MatchmakingReadyCheckResource {
  MatchmakingReadyCheckState state = MatchmakingReadyCheckState::kInvalid;
  MatchmakingReadyCheckResponse playerResponse = MatchmakingReadyCheckResponse::kNone;
};
constexpr auto DescribeRecord(const MatchmakingReadyCheckResource*) {
  using T = MatchmakingReadyCheckResource;
  return Record<T>("MatchmakingReadyCheckResource", Field("state", &T::state),
                   Field("playerResponse", &T::playerResponse))
      .Described("The ready check, read from /kiv-matchmaking/v1/ready-check.");
}

struct GameflowAvailability {
  bool isAvailable = false;
};
constexpr auto DescribeRecord(const GameflowAvailability*) {
  using T = GameflowAvailability;
  return Record<T>("GameflowAvailability", Field("isAvailable", &T::isAvailable))
      .Described("Whether the game flow is available, read from /kiv-gameflow/v1/availability.");
}

struct GameflowGameDodge {
  MatchmakingDodgeState state = MatchmakingDodgeState::kInvalid;
  std::vector<uint64_t> dodgeIds;
};
constexpr auto DescribeRecord(const GameflowGameDodge*) {
  using T = GameflowGameDodge;
  return Record<T>("GameflowGameDodge", Field("state", &T::state), Field("dodgeIds", &T::dodgeIds))
      .Described("A dodge reported to /kiv-gameflow/v1/session/dodge.");
}

struct GameflowSession {
  GameflowPhase phase = GameflowPhase::kNone;
};
constexpr auto DescribeRecord(const GameflowSession*) {
  using T = GameflowSession;
  return Record<T>("GameflowSession", Field("phase", &T::phase))
      .Described("The game flow session, read from /kiv-gameflow/v1/session.");
}

}  // namespace Api
