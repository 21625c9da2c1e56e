// tournament_cache.h: TournamentCache, the player's tournament data as the
// backend sent it. It owns its records and is their only writer: every write
// is one of its operations, checks versions there, and marks what it changed
// in the change set of the next publication pass, so no handler marks
// anything by hand and none publishes by itself.
//
// Writes are version-guarded: a roster, pending roster, invitation, bracket or
// roster dynamic state replaces its cached copy only when its version is
// greater (IsNewer, the one comparison every guard uses), so notifications
// that arrive out of order change nothing.
//
// Not for: the REST records built from it (cache.h), derived state
// (state_machine.h) or publishing (publication.h).
//
//   state.cache.SetPendingRoster(tournamentId, answer);   // published when the handler ends
//   if (const LCDS::RosterDTO* roster = state.cache.PlayerRoster(tournamentId)) ...
#pragma once

#include <cstdint>
#include <limits>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "joust/logic/change_set.h"
#include "joust/logic/state_map.h"
#include "joust/model/api/tournament.h"
#include "joust/model/lcds/bracket.h"
#include "joust/model/lcds/pending_roster.h"
#include "joust/model/lcds/roster.h"
#include "joust/model/lcds/tournament.h"

namespace kiv::joust {

/// True when a copy of a record at version `offered` replaces the cached one
/// at `cached`: only a greater version does, so a repeated or out-of-order
/// message changes nothing.
bool IsNewer(int32_t offered, int32_t cached);
/// True when a copy at version `offered` is older than the cached one: a
/// message out of date, none of whose effects apply any more.
bool IsOlder(int32_t offered, int32_t cached);

/// Registered rosters by (tournament id, roster id), ordered, so that one
/// tournament's rosters are one range (the publication pass reads them
/// together).
using RegisteredRosters = std::map<std::pair<int64_t, int64_t>, LCDS::RosterDTO>;

class TournamentCache {
 public:
  /// Marks every change in `changes`, which must outlive the cache.
  explicit TournamentCache(JoustChangeSet& changes) : changes_(changes) {}
  TournamentCache(const TournamentCache&) = delete;
  TournamentCache& operator=(const TournamentCache&) = delete;

  // ---- Reads ---------------------------------------------------------------

  /// The tournaments the player's information listed, by id.
  const StateMap<int64_t, LCDS::TournamentDTO>& tournaments() const { return tournaments_; }
  bool HasTournament(int64_t tournamentId) const { return tournaments_.contains(tournamentId); }
  /// The tournament `tournamentId`, or null.
  const LCDS::TournamentDTO* FindTournament(int64_t tournamentId) const {
    const auto found = tournaments_.find(tournamentId);
    return found == tournaments_.end() ? nullptr : &found->second;
  }
  /// The player's registered rosters, the one it substitutes in, and the
  /// home roster it left to substitute elsewhere.
  const RegisteredRosters& rosters() const { return rosters_; }
  /// Invitations to someone else's pending roster, by tournament, in the order
  /// they came.
  const StateMap<int64_t, std::vector<LCDS::PendingRosterDTO>>& invitations() const {
    return invitations_;
  }
  /// Rosters that invite the player to substitute, by tournament.
  const StateMap<int64_t, std::vector<LCDS::RosterDTO>>& substituteInvitations() const {
    return substituteInvitations_;
  }
  /// Where the player stands in each tournament: roster id, bracket id, state.
  const StateMap<int64_t, Api::PlayerTournamentData>& standings() const { return standings_; }
  /// Cached brackets by id.
  const StateMap<int64_t, LCDS::Bracket>& brackets() const { return brackets_; }

  /// The player's own pending roster of the tournament, or null.
  const LCDS::PendingRosterDTO* OwnPendingRoster(int64_t tournamentId) const;
  /// The player's own pending roster of the tournament when it is
  /// `invitationId`, or null.
  const LCDS::PendingRosterDTO* OwnPendingRoster(int64_t tournamentId,
                                                 std::string_view invitationId) const;
  /// The invitation `invitationId` of the tournament, or null.
  const LCDS::PendingRosterDTO* FindInvitation(int64_t tournamentId,
                                               std::string_view invitationId) const;
  /// The player's registered roster in the tournament: the one its
  /// standing's roster id (a whole decimal number) names, or null.
  const LCDS::RosterDTO* PlayerRoster(int64_t tournamentId) const;
  /// The bracket of the player's standing in the tournament, or null.
  const LCDS::Bracket* PlayerBracket(int64_t tournamentId) const;
  /// True when `rosterId` is the home roster the player left to substitute
  /// elsewhere in the tournament.
  bool IsHomeRoster(int64_t tournamentId, int64_t rosterId) const;
  /// Where tournament `tournamentId` stands for player `playerId` at server
  /// time `now`: ComputeStateInfo over its cached record and the player's
  /// roster and bracket in it. Nothing when the tournament is not cached.
  std::optional<Api::TournamentStateInfo> ComputeState(int64_t tournamentId, int64_t now,
                                                       uint64_t playerId) const;
  /// True when every record kept by tournament belongs to a cached
  /// tournament (what the fuzzer checks after every step).
  bool EveryRecordHasItsTournament() const;

  /// Calls `visit(std::string rosterId)` for every roster of the tournament
  /// the cache holds, its id as its path spells it: registered rosters, then
  /// the player's pending roster and invitations (invitation ids), then
  /// substitute invitations. An id may come twice.
  template <typename Visit>
  void ForEachRosterId(int64_t tournamentId, Visit visit) const;
  /// Calls `visit(int64_t bracketId)` for every cached bracket of the
  /// tournament: the player's, then those that name the tournament. An id may
  /// come twice.
  template <typename Visit>
  void ForEachBracketId(int64_t tournamentId, Visit visit) const;

  // ---- Writes --------------------------------------------------------------

  /// Stores (or, with nothing, removes) the player's registered roster
  /// `rosterId` of tournament `tournamentId`, with the bracket its first phase
  /// carrying one brings along.
  void SetRoster(int64_t tournamentId, int64_t rosterId,
                 const std::optional<LCDS::RosterDTO>& roster);
  /// Stores the bracket the player plays in, its matches sorted by round
  /// (highest first) and order.
  void SetBracket(int64_t tournamentId, LCDS::Bracket bracket);
  /// Stores the player's own pending roster; an invitation to it is dropped.
  void SetPendingRoster(int64_t tournamentId, const LCDS::PendingRosterDTO& roster);
  /// The player leaves the pending roster `invitationId` of the tournament:
  /// when it is the player's own, it is dropped and the standing goes back to
  /// "NO_ROSTER"; an invitation with that id is dropped in every case.
  void RemovePendingRoster(int64_t tournamentId, const std::string& invitationId);
  /// Drops the invitation `invitationId` of the tournament, if cached.
  void DropInvitation(int64_t tournamentId, const std::string& invitationId);
  /// Drops every invitation of the tournament (each roster at its own path
  /// too); true when the tournament had an invitation list.
  bool DropInvitations(int64_t tournamentId);
  /// Caches an invitation to someone else's pending roster, or replaces the
  /// cached copy when `roster` is newer; false when it was not (nothing
  /// changed).
  bool SetInvitation(const LCDS::PendingRosterDTO& roster);
  /// Caches a roster that invites the player to substitute, or replaces the
  /// cached copy when `roster` is newer.
  void SetSubstituteInvitation(const LCDS::RosterDTO& roster);
  /// Replaces the cached registered roster when `roster` is newer (or none is
  /// cached), with nothing else: for the roster the player left to substitute
  /// elsewhere, whose bracket is not the player's.
  void SetHomeRoster(const LCDS::RosterDTO& roster);
  /// Drops the player's own pending roster of the tournament (it registered).
  void DropOwnPendingRoster(int64_t tournamentId);
  /// Drops a cached bracket of the tournament.
  void DropBracket(int64_t tournamentId, int64_t bracketId);
  /// Replaces the dynamic state of the cached roster it belongs to (the
  /// player's or home roster, else a substitute invitation) when its version
  /// is newer; true when it did. Roster commands and the dynamic-state topic
  /// both write through here.
  bool SetRosterDynamicState(const LCDS::RosterDynamicStateDTO& dynamic);
  /// Replaces the withdrawal of the player's cached registered roster
  /// `rosterId` when `version` is newer than its dynamic state's (the state's
  /// own version stays); true when it did.
  bool SetRosterWithdraw(int64_t tournamentId, int64_t rosterId, int32_t version,
                         const LCDS::RosterWithdraw& withdraw);

  /// Replaces everything but the tournaments with the backend's minimal
  /// information, and the listed tournaments with the answer's copies,
  /// marking everything cached before and after. A record the answer carries
  /// at an older version than the cached copy keeps the cached copy (the
  /// answer was slower than a push). `serverNow` and `playerId` place each
  /// tournament's current phase, which decides the substitute rosters kept.
  void Replace(const std::vector<LCDS::TournamentInfoDTO>& infos, int64_t serverNow,
               uint64_t playerId);

 private:
  Api::PlayerTournamentData& Standing(int64_t tournamentId);
  /// A registered roster changed: its tournament, the restriction and the
  /// wallet read again.
  void MarkPlayerRosterWrite(int64_t tournamentId);
  void MarkEverythingCached();
  void AddSubstituteRosters(const LCDS::TournamentInfoDTO& info, int64_t serverNow,
                            uint64_t playerId);

  JoustChangeSet& changes_;
  StateMap<int64_t, LCDS::TournamentDTO> tournaments_;
  RegisteredRosters rosters_;
  StateMap<int64_t, LCDS::PendingRosterDTO> pendingRosters_;
  StateMap<int64_t, std::vector<LCDS::PendingRosterDTO>> invitations_;
  StateMap<int64_t, std::vector<LCDS::RosterDTO>> substituteInvitations_;
  /// The roster each tournament's player left to substitute elsewhere.
  StateMap<int64_t, int64_t> homeRosters_;
  StateMap<int64_t, Api::PlayerTournamentData> standings_;
  StateMap<int64_t, LCDS::Bracket> brackets_;
};

template <typename Visit>
void TournamentCache::ForEachRosterId(int64_t tournamentId, Visit visit) const {
  for (auto roster = rosters_.lower_bound({tournamentId, std::numeric_limits<int64_t>::min()});
       roster != rosters_.end() && roster->first.first == tournamentId; ++roster) {
    visit(std::to_string(roster->first.second));
  }
  if (const LCDS::PendingRosterDTO* own = OwnPendingRoster(tournamentId)) {
    visit(own->invitationId);
  }
  if (const auto invited = invitations_.find(tournamentId); invited != invitations_.end()) {
    for (const LCDS::PendingRosterDTO& invitation : invited->second) {
      visit(invitation.invitationId);
    }
  }
  const auto subs = substituteInvitations_.find(tournamentId);
  if (subs == substituteInvitations_.end()) return;
  for (const LCDS::RosterDTO& sub : subs->second) visit(std::to_string(sub.id));
}

template <typename Visit>
void TournamentCache::ForEachBracketId(int64_t tournamentId, Visit visit) const {
  if (const LCDS::Bracket* own = PlayerBracket(tournamentId)) visit(own->id);
  for (const auto& [id, bracket] : brackets_) {
    if (bracket.tournamentId == tournamentId) visit(id);
  }
}

}  // namespace kiv::joust
