// queries.h: the handlers that answer with one query to the tournament
// service (after the cache, for a roster): ping, public rosters, roster
// statistics, scouting, events and the winners' histories.
//
// A failed query answers the service's failure (its code and message), with
// the ping's message wrapped as "Error while calling ping on joust service:
// %1".
//
// Not for: answers from the cache alone (the published resources' own rows, published_resources.h).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "joust/logic/joust_plugin.h"
#include "joust/model/api/history.h"
#include "joust/model/api/roster.h"
#include "joust/model/api/stats.h"
#include "joust/model/lcds/rewards.h"
#include "sdk/value/binding_property.h"
#include "sdk/value/maybe_type.h"

namespace kiv::joust {

MaybeType<Failure, BindingProperty> GetPing(JoustPlugin& plugin);
/// A roster of the cache, or another registered roster from the service's
/// public rosters; a roster id that is not a number is an invitation id.
MaybeType<Failure, Api::Roster> GetRoster(JoustPlugin& plugin, int64_t tournamentId,
                                          const std::string& rosterId);
MaybeType<Failure, Api::RosterStats> GetRosterStats(JoustPlugin& plugin, int64_t rosterId);
MaybeType<Failure, std::vector<Api::RankedScoutingMember>> GetRankedScouting(
    JoustPlugin& plugin, const std::vector<uint64_t>& summonerIds);
MaybeType<Failure, LCDS::JoustEventData> GetEvent(JoustPlugin& plugin, const std::string& uuid);
MaybeType<Failure, std::vector<LCDS::JoustEventData>> GetEvents(
    JoustPlugin& plugin, const std::vector<std::string>& uuids);
MaybeType<Failure, Api::TournamentWinnerHistory> GetWinners(JoustPlugin& plugin,
                                                            int64_t tournamentId);
/// Past tournaments and the last winners. An empty compressed text (no
/// winners yet) answers an empty winner history rather than a failure.
MaybeType<Failure, Api::TournamentHistoryAndWinners> GetHistoryAndWinners(JoustPlugin& plugin);

}  // namespace kiv::joust
