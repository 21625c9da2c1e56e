// views.h: the GET handlers that answer from the plugin's state alone, never
// calling the backend: the feature flags, the clock, the restriction, the
// cached tournaments, rosters, brackets and the player's stored records.
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
MaybeType<Failure, bool> GetVisible(JoustPlugin& plugin);
MaybeType<Failure, bool> GetEnabled(JoustPlugin& plugin);
MaybeType<Failure, bool> GetReady(JoustPlugin& plugin);
MaybeType<Failure, bool> GetCheckinAllowed(JoustPlugin& plugin);
MaybeType<Failure, bool> GetPlaymodeRestricted(JoustPlugin& plugin);
MaybeType<Failure, Api::PlaymodeRestrictedInfo> GetPlaymodeRestriction(JoustPlugin& plugin);
MaybeType<Failure, BindingProperty> GetIconConfig(JoustPlugin& plugin);
MaybeType<Failure, std::vector<int64_t>> GetTournamentIds(JoustPlugin& plugin);
MaybeType<Failure, std::vector<Api::TournamentSummary>> GetTournamentSummaries(JoustPlugin& plugin);
MaybeType<Failure, Api::Tournament> GetTournament(JoustPlugin& plugin, int64_t tournamentId);
MaybeType<Failure, Api::TournamentStateInfo> GetStateInfo(JoustPlugin& plugin,
                                                          int64_t tournamentId);
MaybeType<Failure, std::vector<Api::TournamentStateInfo>> GetAllStateInfos(JoustPlugin& plugin);
MaybeType<Failure, Api::PlayerData> GetPlayerWallet(JoustPlugin& plugin);
MaybeType<Failure, std::vector<Api::RosterStats>> GetPlayerHistory(JoustPlugin& plugin);
MaybeType<Failure, Api::PlayerRewards> GetRewards(JoustPlugin& plugin);
/// A tournament the player has no standing in answers "NO_ROSTER" with an
/// empty roster id and bracket 0.
MaybeType<Failure, Api::PlayerTournamentData> GetPlayerTournamentData(JoustPlugin& plugin,
                                                                      int64_t tournamentId);
MaybeType<Failure, std::vector<Api::PlayerChatRoster>> GetChatRosters(JoustPlugin& plugin);
MaybeType<Failure, std::vector<Api::Roster>> GetAllInvitations(JoustPlugin& plugin);
MaybeType<Failure, std::vector<Api::Roster>> GetInvitations(JoustPlugin& plugin,
                                                            int64_t tournamentId);
MaybeType<Failure, Api::Bracket> GetBracket(JoustPlugin& plugin, int64_t tournamentId,
                                            int64_t bracketId);
MaybeType<Failure, Api::TournamentGameEnd> GetGameEnd(JoustPlugin& plugin);
MaybeType<Failure, ZMS::EogPlayerUpdateDTO> GetEogPlayerUpdate(JoustPlugin& plugin);
MaybeType<Failure, Api::PlayerNotificationData> GetNotification(JoustPlugin& plugin);

}  // namespace kiv::joust
