// The Api types of the plugin's own resources, in registration order: error types, enums and
// records. Each list is one row per type.
#include "joust/model/api/bracket.h"
#include "joust/model/api/enums.h"
#include "joust/model/api/history.h"
#include "joust/model/api/player_notification_data.h"
#include "joust/model/api/roster.h"
#include "joust/model/api/roster_requests.h"
#include "joust/model/api/stats.h"
#include "joust/model/api/tournament.h"
#include "joust/model/internal/registered.h"

namespace Api {
namespace {

using kiv::joust::model_internal::ModelType;

constexpr std::string_view kNameSpace[] = {"Api"};

template <typename T>
constexpr ModelType Row() {
  return kiv::joust::model_internal::Registered<T, kNameSpace>();
}

constexpr ModelType kErrors[] = {
    Row<FoundationError>(),
};

constexpr ModelType kEnums[] = {
    Row<JoustVisibility>(),   Row<JoustState>(),    Row<TournamentState>(),   Row<PlayerState>(),
    Row<RosterMemberState>(), Row<PresenceState>(), Row<KdaClassification>(),
};

constexpr ModelType kRecords[] = {
    Row<TournamentPhase>(),
    Row<Tournament>(),
    Row<TournamentStateInfo>(),
    Row<PlayerData>(),
    Row<PlayerTournamentData>(),
    Row<PlayerChatRoster>(),
    Row<TicketOffer>(),
    Row<BiddingData>(),
    Row<RosterMember>(),
    Row<SuggestedInvite>(),
    Row<RosterPhaseInfo>(),
    Row<Roster>(),
    Row<Bracket>(),
    Row<TournamentSummary>(),
    Row<TournamentGameEnd>(),
    Row<RosterDetails>(),
    Row<ChangeNameRequest>(),
    Row<ChangeIconRequest>(),
    Row<KickRequest>(),
    Row<SetTicketRequest>(),
    Row<SetPositionRequest>(),
    Row<InviteSubRequest>(),
    Row<PlaymodeRestrictedInfo>(),
    Row<RankedScoutingTopChampion>(),
    Row<RankedScoutingMember>(),
    Row<PlayerNotificationData>(),
    Row<TournamentWinnerInfo>(),
    Row<TournamentWinnerHistory>(),
    Row<TournamentHistoryAndWinners>(),
    Row<ThemeVp>(),
    Row<PlayerRewards>(),
    Row<RosterMatchAggregatedStats>(),
    Row<RosterPeriodAggregatedStats>(),
    Row<RosterPlayerAggregatedStats>(),
    Row<RosterStats>(),
};

}  // namespace
}  // namespace Api

namespace kiv::joust::model_internal {

ModelTypeLists ApiRestTypes() { return {Api::kErrors, Api::kEnums, Api::kRecords}; }

}  // namespace kiv::joust::model_internal
