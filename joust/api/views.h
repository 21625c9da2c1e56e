// views.h: the GET handlers that answer from the plugin's state alone and
// are more than one of the logic's readers (those the endpoint table names
// directly): the clock, the check-in flag, the restriction's flag, the icon
// configuration, the player's stored records and standing.
//
// Each takes the plugin first and the request's parameters after it, as the
// endpoint table calls it.
//
// Not for: the GET handlers that query the backend (queries.h).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "joust/logic/joust_plugin.h"
#include "joust/model/api/bracket.h"
#include "joust/model/api/gameflow.h"
#include "joust/model/api/history.h"
#include "joust/model/api/player_notification_data.h"
#include "joust/model/api/roster.h"
#include "joust/model/api/stats.h"
#include "joust/model/api/tournament.h"
#include "joust/model/zms/notifications.h"
#include "sdk/value/binding_property.h"
#include "sdk/value/maybe_type.h"

namespace kiv::joust {

MaybeType<Failure, int64_t> GetServerTime(JoustPlugin& plugin);
MaybeType<Failure, bool> GetCheckinAllowed(JoustPlugin& plugin);
MaybeType<Failure, bool> GetPlaymodeRestricted(JoustPlugin& plugin);
MaybeType<Failure, BindingProperty> GetIconConfig(JoustPlugin& plugin);
MaybeType<Failure, Api::PlayerData> GetPlayerWallet(JoustPlugin& plugin);
MaybeType<Failure, std::vector<Api::RosterStats>> GetPlayerHistory(JoustPlugin& plugin);
MaybeType<Failure, Api::PlayerRewards> GetRewards(JoustPlugin& plugin);
/// A tournament the player has no standing in answers "NO_ROSTER" with an
/// empty roster id and bracket 0.
MaybeType<Failure, Api::PlayerTournamentData> GetPlayerTournamentData(JoustPlugin& plugin,
                                                                      int64_t tournamentId);
MaybeType<Failure, Api::TournamentGameEnd> GetGameEnd(JoustPlugin& plugin);
MaybeType<Failure, ZMS::EogPlayerUpdateDTO> GetEogPlayerUpdate(JoustPlugin& plugin);

}  // namespace kiv::joust
