// The backend types, in registration order: error types, enums and records. Each list is one row
// per type.
#include "joust/model/internal/registered.h"
#include "joust/model/lcds/bracket.h"
#include "joust/model/lcds/client_request_error.h"
#include "joust/model/lcds/enums.h"
#include "joust/model/lcds/pending_roster.h"
#include "joust/model/lcds/rewards.h"
#include "joust/model/lcds/roster.h"
#include "joust/model/lcds/stats.h"
#include "joust/model/lcds/tournament.h"

namespace LCDS {
namespace {

using kiv::joust::model_internal::ModelType;

constexpr std::string_view kNameSpace[] = {"LCDS"};

template <typename T>
constexpr ModelType Row() {
  return kiv::joust::model_internal::Registered<T, kNameSpace>();
}

constexpr ModelType kErrors[] = {
    Row<ClientRequestError>(),
};

constexpr ModelType kEnums[] = {
    Row<PendingRosterMemberState>(),
    Row<PendingRosterInviteeState>(),
    Row<TicketOfferState>(),
    Row<SubState>(),
    Row<Position>(),
    Row<JoustRewardKeyType>(),
    Row<JoustRewardType>(),
    Row<JoustRewardTime>(),
    Row<ClientBracketMatchStatus>(),
};

constexpr ModelType kRecords[] = {
    Row<PendingRosterMemberDTO>(),
    Row<PendingRosterInviteeDTO>(),
    Row<TicketOfferDTO>(),
    Row<PendingRosterDTO>(),
    Row<RosterMemberDTO>(),
    Row<PhaseInMember>(),
    Row<Bracket>(),
    Row<PhaseRosterSubDTO>(),
    Row<PhaseRosterDTO>(),
    Row<RosterDynamicStateDTO>(),
    Row<RosterDTO>(),
    Row<TournamentPhaseDTO>(),
    Row<TournamentDTO>(),
    Row<TournamentInfoDTO>(),
    Row<PlayerDTO>(),
    Row<RewardDetails>(),
    Row<RosterMatchAggregatedStatsDTO>(),
    Row<RosterPeriodAggregatedStatsDTO>(),
    Row<RosterPlayerAggregatedStatsDTO>(),
    Row<RosterAggregatedStatsDTO>(),
    Row<RosterStatsDTO>(),
    Row<ThemeVp>(),
    Row<TournamentPlayerInfoDTO>(),
    Row<TournamentInfoMinimalDTO>(),
    Row<PublicRosterDTO>(),
    Row<PlayerRosterHistoryDTO>(),
    Row<RankedScoutingTopChampionDTO>(),
    Row<RankedScoutingMemberDTO>(),
    Row<TournamentHistoryAndWinnersDTO>(),
    Row<RewardIcon>(),
    Row<RewardLogo>(),
    Row<RosterWithdraw>(),
    Row<FailedInvite>(),
    Row<BracketMatch>(),
    Row<BracketRoster>(),
    Row<JoustRewardSpec>(),
    Row<JoustRewardDefinition>(),
    Row<JoustRewardOutput>(),
    Row<JoustRewardConfigEntry>(),
    Row<JoustRewardConfigClient>(),
    Row<JoustEventData>(),
};

}  // namespace
}  // namespace LCDS

namespace kiv::joust::model_internal {

ModelTypeLists LcdsTypes() { return {LCDS::kErrors, LCDS::kEnums, LCDS::kRecords}; }

}  // namespace kiv::joust::model_internal
