// The Api types read from neighbouring plugins, in registration order: enums and records. Each list
// is one row per type.
#include "joust/model/api/gameflow.h"
#include "joust/model/api/neighbour_enums.h"
#include "joust/model/api/queue.h"
#include "joust/model/api/session.h"
#include "joust/model/internal/registered.h"

namespace Api {
namespace {

using kiv::joust::model_internal::ModelType;

constexpr std::string_view kNameSpace[] = {"Api"};

template <typename T>
constexpr ModelType Row() {
  return kiv::joust::model_internal::Registered<T, kNameSpace>();
}

constexpr ModelType kEnums[] = {
    Row<LoginSessionState>(),          Row<QueueGameCategory>(),
    Row<QueueAvailability>(),          Row<MatchmakingDodgeState>(),
    Row<MatchmakingReadyCheckState>(), Row<MatchmakingReadyCheckResponse>(),
    Row<MatchmakingDodgeWarning>(),    Row<GameflowPhase>(),
};

constexpr ModelType kRecords[] = {
    Row<JoustConfig>(),
    Row<LoginSession>(),
    Row<EntitlementsToken>(),
    Row<PlayerNotification>(),
    Row<ClubsSummoner>(),
    Row<QueueReward>(),
    Row<QueueGameTypeConfig>(),
    Row<Queue>(),
    Row<MatchmakingDodgeData>(),
    Row<MatchmakingSearchResource>(),
    Row<MatchmakingReadyCheckResource>(),
    Row<GameflowAvailability>(),
    Row<GameflowGameDodge>(),
    Row<GameflowSession>(),
    Row<UserResource>(),
};

}  // namespace
}  // namespace Api

namespace kiv::joust::model_internal {

ModelTypeLists ApiNeighbourTypes() { return {{}, Api::kEnums, Api::kRecords}; }

}  // namespace kiv::joust::model_internal
