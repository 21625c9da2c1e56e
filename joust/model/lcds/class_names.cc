#include "joust/model/lcds/class_names.h"

#include <iterator>

#include "joust/model/lcds/bracket.h"
#include "joust/model/lcds/client_request_error.h"
#include "joust/model/lcds/enums.h"
#include "joust/model/lcds/pending_roster.h"
#include "joust/model/lcds/rewards.h"
#include "joust/model/lcds/roster.h"
#include "joust/model/lcds/stats.h"
#include "joust/model/lcds/tournament.h"
#include "sdk/value/static_type.h"

namespace LCDS {
namespace {

struct BackendClass {
  std::string_view typeName;
  uint32_t typeId;
  std::string_view className;
};

/// A row of the table: the type's descriptor name and identifier, and its class name.
template <typename T>
constexpr BackendClass Class(std::string_view className) {
  if constexpr (kiv::DescribedEnum<T>) {
    return {kiv::kEnum<T>.name, kiv::StaticType::Id<T>(), className};
  } else {
    return {kiv::kRecord<T>.name, kiv::StaticType::Id<T>(), className};
  }
}

// In the order the types are listed by the backend's contract.
// clang-format off
constexpr BackendClass kBackendClasses[] = {
    Class<PendingRosterMemberState>      ("com.zanthgames.joust.contract.dto.PendingRosterMemberState"),
    Class<PendingRosterInviteeState>     ("com.zanthgames.joust.contract.dto.PendingRosterInviteeState"),
    Class<TicketOfferState>              ("com.zanthgames.joust.contract.dto.TicketOfferState"),
    Class<PendingRosterMemberDTO>        ("com.zanthgames.joust.contract.dto.MemberDTO"),
    Class<PendingRosterInviteeDTO>       ("com.zanthgames.joust.contract.dto.InviteeDTO"),
    Class<TicketOfferDTO>                ("com.zanthgames.joust.contract.dto.TicketOfferDTO"),
    Class<PendingRosterDTO>              ("com.zanthgames.joust.contract.dto.PendingRosterDTO"),
    Class<RosterMemberDTO>               ("com.zanthgames.joust.contract.dto.RosterMemberDTO"),
    Class<PhaseInMember>                 ("com.zanthgames.joust.contract.dto.PhaseInMemberDTO"),
    Class<Bracket>                       ("com.zanthgames.joust.contract.dto.BracketDTO"),
    Class<SubState>                      ("com.zanthgames.joust.contract.dto.SubState"),
    Class<PhaseRosterSubDTO>             ("com.zanthgames.joust.contract.dto.PhaseRosterSubDTO"),
    Class<PhaseRosterDTO>                ("com.zanthgames.joust.contract.dto.PhaseRosterDTO"),
    Class<RosterDynamicStateDTO>         ("com.zanthgames.joust.contract.dto.RosterDynamicStateDTO"),
    Class<RosterDTO>                     ("com.zanthgames.joust.contract.dto.TournamentRosterDTO"),
    Class<TournamentPhaseDTO>            ("com.zanthgames.joust.contract.dto.TournamentPhaseDTO"),
    Class<TournamentDTO>                 ("com.zanthgames.joust.contract.dto.TournamentDTO"),
    Class<TournamentInfoDTO>             ("com.zanthgames.joust.contract.dto.TournamentDTO"),
    Class<PlayerDTO>                     ("com.zanthgames.joust.contract.dto.PlayerDTO"),
    Class<RewardDetails>                 ("com.zanthgames.joust.contract.dto.RewardDetailsDTO"),
    Class<RosterMatchAggregatedStatsDTO> ("com.zanthgames.joust.contract.dto.RosterMatchAggregatedStatsDTO"),
    Class<RosterPeriodAggregatedStatsDTO>("com.zanthgames.joust.contract.dto.RosterPeriodAggregatedStatsDTO"),
    Class<RosterPlayerAggregatedStatsDTO>("com.zanthgames.joust.contract.dto.RosterPlayerAggregatedStatsDTO"),
    Class<RosterAggregatedStatsDTO>      ("com.zanthgames.joust.contract.dto.RosterAggregatedStatsDTO"),
    Class<RosterStatsDTO>                ("com.zanthgames.joust.contract.dto.RosterStatsDTO"),
    Class<ThemeVp>                       ("com.zanthgames.joust.contract.dto.ThemeVp"),
    Class<TournamentPlayerInfoDTO>       ("com.zanthgames.joust.contract.dto.TournamentPlayerInfoDTO"),
    Class<TournamentInfoMinimalDTO>      ("com.zanthgames.joust.contract.dto.TournamentInfoMinimalDTO"),
    Class<PublicRosterDTO>               ("com.zanthgames.joust.contract.dto.PublicRosterDTO"),
    Class<PlayerRosterHistoryDTO>        ("com.zanthgames.joust.contract.dto.PlayerRosterHistoryDTO"),
    Class<RankedScoutingTopChampionDTO>  ("com.zanthgames.joust.contract.dto.RankedScoutingTopChampionDTO"),
    Class<RankedScoutingMemberDTO>       ("com.zanthgames.joust.contract.dto.RankedScoutingMemberDTO"),
    Class<TournamentHistoryAndWinnersDTO>("com.zanthgames.joust.contract.dto.TournamentHistoryAndWinnersDTO"),
    Class<ClientRequestError>            ("com.zanthgames.joust.contract.error.ClientRequestError"),
    Class<Position>                      ("com.zanthgames.joust.contract.dto.PositionEnum"),
    Class<JoustRewardKeyType>            ("com.zanthgames.joust.contract.dto.JoustRewardKeyTypeDTO"),
    Class<JoustRewardType>               ("com.zanthgames.joust.contract.dto.JoustRewardTypeDTO"),
    Class<JoustRewardTime>               ("com.zanthgames.joust.contract.dto.JoustRewardTimeDTO"),
    Class<RewardIcon>                    ("com.zanthgames.joust.contract.dto.RewardIconDTO"),
    Class<RewardLogo>                    ("com.zanthgames.joust.contract.dto.RewardLogoDTO"),
    Class<RosterWithdraw>                ("com.zanthgames.joust.contract.dto.RosterWithdrawDTO"),
    Class<FailedInvite>                  ("com.zanthgames.joust.contract.dto.InviteFailed"),
    Class<ClientBracketMatchStatus>      ("com.zanthgames.joust.contract.dto.RosterMemberDTO"),
    Class<BracketMatch>                  ("com.zanthgames.joust.contract.dto.BracketMatchDTO"),
    Class<BracketRoster>                 ("com.zanthgames.joust.contract.dto.BracketRosterDTO"),
    Class<JoustRewardSpec>               ("com.zanthgames.joust.contract.dto.JoustRewardSpecDTO"),
    Class<JoustRewardDefinition>         ("com.zanthgames.joust.contract.dto.JoustRewardDefinitionDTO"),
    Class<JoustRewardOutput>             ("com.zanthgames.joust.contract.dto.JoustRewardOutputDTO"),
    Class<JoustRewardConfigEntry>        ("com.zanthgames.joust.contract.dto.JoustRewardConfigEntryDTO"),
    Class<JoustRewardConfigClient>       ("com.zanthgames.joust.contract.dto.JoustRewardConfigClientDTO"),
    Class<JoustEventData>                ("com.zanthgames.joust.contract.dto.JoustEventDataDTO"),
};
// clang-format on
static_assert(std::size(kBackendClasses) == 51, "every LCDS type has a class name");

}  // namespace

std::string_view ClassNameOfType(std::string_view typeName) {
  for (const BackendClass& row : kBackendClasses) {
    if (row.typeName == typeName) return row.className;
  }
  return {};
}

std::string_view ClassNameOfTypeId(uint32_t typeId) {
  for (const BackendClass& row : kBackendClasses) {
    if (row.typeId == typeId) return row.className;
  }
  return {};
}

}  // namespace LCDS
