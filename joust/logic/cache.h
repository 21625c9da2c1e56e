// cache.h: the player's tournament data as the backend sent it, kept in the
// plugin's state: the guarded writes every handler uses, the merge of the
// backend's answers, and the reads the endpoints and the publication pass
// build their REST records from.
//
// Writes are version-guarded: a roster, pending roster, bracket or roster
// dynamic state replaces its cached copy only when its version is greater
// (IsNewer, the one comparison every guard uses), so notifications that
// arrive out of order change nothing. Each write leaves its change marks for
// the next publication pass; none publishes by itself.
//
// Not for: derived state (state_machine.h) or publishing (publication.h).
//
//   SetPendingRoster(state, tournamentId, answer);   // published when the handler ends
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

// ---- Versions ------------------------------------------------------------

/// True when a copy of a record at version `offered` replaces the cached one
/// at `cached`: only a greater version does, so a repeated or out-of-order
/// message changes nothing.
bool IsNewer(int32_t offered, int32_t cached);
/// True when a copy at version `offered` is older than the cached one: a
/// message out of date, none of whose effects apply any more.
bool IsOlder(int32_t offered, int32_t cached);

// ---- Writes --------------------------------------------------------------

/// Stores (or, with nothing, removes) the player's registered roster
/// `rosterId` of tournament `tournamentId`, with the bracket its first phase
/// carrying one brings along.
void SetRoster(JoustPluginState& state, int64_t tournamentId, int64_t rosterId,
               const std::optional<LCDS::RosterDTO>& roster);
/// Stores the bracket the player plays in, its matches sorted by round
/// (highest first) and order.
void SetBracket(JoustPluginState& state, int64_t tournamentId, LCDS::Bracket bracket);
/// Stores the player's own pending roster; an invitation to it is dropped.
void SetPendingRoster(JoustPluginState& state, int64_t tournamentId,
                      const LCDS::PendingRosterDTO& roster);
/// The player leaves the pending roster `invitationId` of the tournament:
/// when it is the player's own, it is dropped and the standing goes back to
/// "NO_ROSTER"; an invitation with that id is dropped in every case.
void RemovePendingRoster(JoustPluginState& state, int64_t tournamentId,
                         const std::string& invitationId);
/// Drops the invitation `invitationId` of the tournament, if cached.
void DropInvitation(JoustPluginState& state, int64_t tournamentId, const std::string& invitationId);
/// Drops every invitation of the tournament (each roster at its own path
/// too); true when the tournament had an invitation list.
bool DropInvitations(JoustPluginState& state, int64_t tournamentId);
/// Caches an invitation to someone else's pending roster, or replaces the
/// cached copy when `roster` is newer; false when it was not (nothing
/// changed).
bool SetInvitation(JoustPluginState& state, const LCDS::PendingRosterDTO& roster);
/// Caches a roster that invites the player to substitute, or replaces the
/// cached copy when `roster` is newer.
void SetSubstituteInvitation(JoustPluginState& state, const LCDS::RosterDTO& roster);
/// Replaces the cached registered roster when `roster` is newer (or none is
/// cached), with nothing else: for the roster the player left to substitute
/// elsewhere, whose bracket is not the player's.
void SetHomeRoster(JoustPluginState& state, const LCDS::RosterDTO& roster);
/// Drops the player's own pending roster of the tournament (it registered).
void DropOwnPendingRoster(JoustPluginState& state, int64_t tournamentId);
/// Drops a cached bracket of the tournament.
void DropBracket(JoustPluginState& state, int64_t tournamentId, int64_t bracketId);
/// Replaces the dynamic state of the cached roster it belongs to (the
/// player's or home roster, else a substitute invitation) when its version is
/// newer; true when it did. Roster commands and the dynamic-state topic both
/// write through here.
bool SetRosterDynamicState(JoustPluginState& state, const LCDS::RosterDynamicStateDTO& dynamic);
/// Replaces the withdrawal of the player's cached registered roster
/// `rosterId` when `version` is newer than its dynamic state's (the state's
/// own version stays); true when it did.
bool SetRosterWithdraw(JoustPluginState& state, int64_t tournamentId, int64_t rosterId,
                       int32_t version, const LCDS::RosterWithdraw& withdraw);

/// Replaces the cache with the backend's minimal information (the
/// tournaments stay cached), marking everything cached before and after for
/// publication, and syncs the server clock to `serverTime`. A roster the
/// answer carries at an older version than the cached copy keeps the cached
/// copy (the answer was slower than a push).
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
