// cache.h: what the plugin reads from and loads into its TournamentCache
// (tournament_cache.h): the load of the player's information from the
// backend, and the reads the endpoints and the publication pass build their
// REST records from.
//
// Not for: the cache's own writes (tournament_cache.h), derived state
// (state_machine.h) or publishing (publication.h).
//
//   MaybeType<Failure, Api::Roster> roster = ReadRoster(plugin, tournamentId, "inv-7");
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "joust/model/api/bracket.h"
#include "joust/model/api/roster.h"
#include "joust/model/api/tournament.h"
#include "joust/model/lcds/bracket.h"
#include "joust/model/lcds/pending_roster.h"
#include "joust/model/lcds/roster.h"
#include "joust/model/lcds/tournament.h"
#include "sdk/value/maybe_type.h"

namespace kiv::joust {

class JoustPlugin;
class JoustPluginState;

// ---- Loads ---------------------------------------------------------------

/// Syncs the server clock to `serverTime` and replaces the cache with the
/// backend's minimal information (TournamentCache::Replace).
void MergeMinimalInfo(JoustPlugin& plugin, const std::vector<LCDS::TournamentInfoDTO>& infos,
                      int64_t serverTime);
/// Loads the player's full information ("getTournamentPlayerInfo"): tickets,
/// rewards, history and the tournaments.
MaybeType<Failure, void> RefreshPlayerInfo(JoustPlugin& plugin);

// ---- Reads ---------------------------------------------------------------

/// The tournament's current phase for the player (-1 when none).
int64_t CurrentPhaseId(const JoustPlugin& plugin, int64_t tournamentId);
/// 404 "No tournament with the id %1 exists".
MaybeType<Failure, Api::Tournament> ReadTournament(const JoustPlugin& plugin, int64_t tournamentId);
/// 404 "No tournament with the id %1 exists".
MaybeType<Failure, Api::TournamentStateInfo> ReadStateInfo(const JoustPlugin& plugin,
                                                           int64_t tournamentId);
/// Never fails: an unknown tournament gives "NO_ROSTER", no roster, bracket
/// -1 (and creates no cache entry).
Api::PlayerTournamentData ReadPlayerTournamentData(const JoustPluginState& state,
                                                   int64_t tournamentId);
/// What the GET endpoint of a standing answers: as ReadPlayerTournamentData,
/// but an all-zero record (bracket 0) for a tournament the cache does not
/// know.
Api::PlayerTournamentData AnswerPlayerTournamentData(const JoustPluginState& state,
                                                     int64_t tournamentId);
/// Where a roster's record lies in the cache; exactly one is set.
struct CachedRoster {
  const LCDS::PendingRosterDTO* pending = nullptr;  ///< The player's own or an invitation.
  const LCDS::RosterDTO* registered = nullptr;      ///< A registered roster of the tournament.
  const LCDS::RosterDTO* substitute = nullptr;      ///< A roster inviting the player to sub.
};
/// Finds roster `rosterId` of a tournament: an invitation id finds a pending
/// roster, a number a registered roster or a substitute invitation. Fails as
/// ReadRoster does.
MaybeType<Failure, CachedRoster> FindCachedRoster(const JoustPluginState& state,
                                                  int64_t tournamentId, std::string_view rosterId);
/// A registered roster (a decimal id) or a pending one (an invitation id).
/// 400 "Invalid GetRoster request for tournament %1, rosterId is invalid" for
/// "" or "-1"; 404 "No roster found with tournamentId %1 and rosterId %2".
MaybeType<Failure, Api::Roster> ReadRoster(const JoustPlugin& plugin, int64_t tournamentId,
                                           std::string_view rosterId);
/// 404 "No bracket with the id %1 exists for tournament %2".
MaybeType<Failure, Api::Bracket> ReadBracket(const JoustPlugin& plugin, int64_t tournamentId,
                                             int64_t bracketId);
/// Cache order.
std::vector<int64_t> ReadTournamentIds(const JoustPluginState& state);
std::vector<Api::TournamentSummary> ReadTournamentSummaries(const JoustPluginState& state);
std::vector<Api::TournamentStateInfo> ReadAllStateInfos(const JoustPluginState& state);
/// The invitations of one tournament, in stored order.
std::vector<Api::Roster> ReadInvitations(const JoustPluginState& state, int64_t tournamentId);
/// The invitations of every tournament, tournament by tournament in cache
/// order.
std::vector<Api::Roster> ReadAllInvitations(const JoustPluginState& state);

}  // namespace kiv::joust
