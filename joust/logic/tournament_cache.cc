// The cache's finds and guarded writes: every change of the cached records goes through here.
#include "joust/logic/tournament_cache.h"

#include <algorithm>

#include "joust/logic/state_machine.h"
#include "sdk/runtime/mutation_point.h"

namespace kiv::joust {

using Api::PlayerState;

bool IsNewer(int32_t offered, int32_t cached) {
  return offered > cached || MutationActive("stale-roster-applied");
}

bool IsOlder(int32_t offered, int32_t cached) {
  return offered < cached && !MutationActive("stale-roster-applied");
}

const LCDS::PendingRosterDTO* TournamentCache::OwnPendingRoster(int64_t tournamentId) const {
  const auto own = pendingRosters_.find(tournamentId);
  return own == pendingRosters_.end() ? nullptr : &own->second;
}

const LCDS::PendingRosterDTO* TournamentCache::OwnPendingRoster(
    int64_t tournamentId, std::string_view invitationId) const {
  const LCDS::PendingRosterDTO* own = OwnPendingRoster(tournamentId);
  return own && own->invitationId == invitationId ? own : nullptr;
}

const LCDS::PendingRosterDTO* TournamentCache::FindInvitation(int64_t tournamentId,
                                                              std::string_view invitationId) const {
  const auto invitations = invitations_.find(tournamentId);
  if (invitations == invitations_.end()) return nullptr;
  for (const LCDS::PendingRosterDTO& invitation : invitations->second) {
    if (invitation.invitationId == invitationId) return &invitation;
  }
  return nullptr;
}

const LCDS::RosterDTO* TournamentCache::PlayerRoster(int64_t tournamentId) const {
  const auto standing = standings_.find(tournamentId);
  if (standing == standings_.end()) return nullptr;
  int64_t rosterId = 0;
  if (!ParseRosterId(standing->second.rosterId, rosterId)) return nullptr;
  const auto roster = rosters_.find({tournamentId, rosterId});
  return roster == rosters_.end() ? nullptr : &roster->second;
}

const LCDS::Bracket* TournamentCache::PlayerBracket(int64_t tournamentId) const {
  const auto standing = standings_.find(tournamentId);
  if (standing == standings_.end()) return nullptr;
  const auto bracket = brackets_.find(standing->second.bracketId);
  return bracket == brackets_.end() ? nullptr : &bracket->second;
}

bool TournamentCache::IsHomeRoster(int64_t tournamentId, int64_t rosterId) const {
  const auto home = homeRosters_.find(tournamentId);
  return home != homeRosters_.end() && home->second == rosterId;
}

std::optional<Api::TournamentStateInfo> TournamentCache::ComputeState(int64_t tournamentId,
                                                                      int64_t now,
                                                                      uint64_t playerId) const {
  const LCDS::TournamentDTO* tournament = FindTournament(tournamentId);
  if (!tournament) return std::nullopt;
  return ComputeStateInfo(*tournament, PlayerRoster(tournamentId), PlayerBracket(tournamentId), now,
                          playerId);
}

bool TournamentCache::EveryRecordHasItsTournament() const {
  auto cached = [this](int64_t id) { return tournaments_.contains(id); };
  bool whole = true;
  for (const auto& entry : rosters_) whole = whole && cached(entry.first.first);
  for (const auto& entry : pendingRosters_) whole = whole && cached(entry.first);
  for (const auto& entry : invitations_) whole = whole && cached(entry.first);
  for (const auto& entry : substituteInvitations_) whole = whole && cached(entry.first);
  for (const auto& entry : homeRosters_) whole = whole && cached(entry.first);
  for (const auto& entry : standings_) whole = whole && cached(entry.first);
  return whole;
}

Api::PlayerTournamentData& TournamentCache::Standing(int64_t tournamentId) {
  return standings_[tournamentId];  // a new entry starts as "NO_ROSTER"
}

void TournamentCache::MarkPlayerRosterWrite(int64_t tournamentId) {
  changes_.tournaments.Insert(tournamentId);
  changes_.restrictionChanged = true;
  changes_.playerChanged = true;
}

void TournamentCache::SetRoster(int64_t tournamentId, int64_t rosterId,
                                const std::optional<LCDS::RosterDTO>& roster) {
  Api::PlayerTournamentData& standing = Standing(tournamentId);
  if (!roster) {
    rosters_.erase({tournamentId, rosterId});
    standing.rosterId.clear();
    standing.state = PlayerState::kNoRoster;
    MarkPlayerRosterWrite(tournamentId);
    return;
  }
  const auto cached = rosters_.find({tournamentId, rosterId});
  if (cached != rosters_.end() && !IsNewer(roster->version, cached->second.version)) return;
  rosters_[{tournamentId, rosterId}] = *roster;
  standing.rosterId = std::to_string(rosterId);
  const LCDS::Bracket* bracket = nullptr;
  for (const LCDS::PhaseRosterDTO& phase : roster->phases) {
    if (!phase.bracketDTO) continue;
    SetBracket(tournamentId, *phase.bracketDTO);
    bracket = &brackets_[phase.bracketDTO->id];
    break;
  }
  // SetBracket may have added entries: look the standing up again.
  Api::PlayerTournamentData& after = Standing(tournamentId);
  if (!bracket) {
    const auto known = brackets_.find(after.bracketId);
    if (known != brackets_.end()) bracket = &known->second;
  }
  if (roster->eliminated) {
    after.state = PlayerState::kEliminated;
  } else if (!bracket) {
    after.state = PlayerState::kHasRoster;
  }
  MarkPlayerRosterWrite(tournamentId);
}

void TournamentCache::SetBracket(int64_t tournamentId, LCDS::Bracket bracket) {
  const auto cached = brackets_.find(bracket.id);
  if (cached != brackets_.end() && !IsNewer(bracket.version, cached->second.version)) return;
  auto byRound = [](const LCDS::BracketMatch& a, const LCDS::BracketMatch& b) {
    return a.round != b.round ? a.round > b.round : a.order < b.order;
  };
  std::stable_sort(bracket.matches.begin(), bracket.matches.end(), byRound);
  std::stable_sort(bracket.loserBracketMatches.begin(), bracket.loserBracketMatches.end(), byRound);
  const int64_t bracketId = bracket.id;
  brackets_[bracketId] = std::move(bracket);
  Api::PlayerTournamentData& standing = Standing(tournamentId);
  if (standing.state != PlayerState::kEliminated) standing.state = PlayerState::kBracketRoster;
  standing.bracketId = bracketId;
  changes_.tournaments.Insert(tournamentId);
  changes_.restrictionChanged = true;
}

void TournamentCache::SetPendingRoster(int64_t tournamentId, const LCDS::PendingRosterDTO& roster) {
  const auto cached = pendingRosters_.find(tournamentId);
  if (cached != pendingRosters_.end()) {
    // Versions compare copies of one roster only: another roster (one the
    // player joined while still in this one) replaces it whatever its
    // version, and the one replaced is published as gone.
    if (cached->second.invitationId == roster.invitationId &&
        !IsNewer(roster.version, cached->second.version)) {
      return;
    }
  }
  // The invitation the player accepted is an invitation no more.
  DropInvitation(tournamentId, roster.invitationId);
  pendingRosters_[tournamentId] = roster;
  Api::PlayerTournamentData& standing = Standing(tournamentId);
  standing.state = PlayerState::kHasRoster;
  standing.rosterId = roster.invitationId;
  changes_.tournaments.Insert(tournamentId);
  changes_.playerChanged = true;
}

void TournamentCache::RemovePendingRoster(int64_t tournamentId, const std::string& invitationId) {
  if (OwnPendingRoster(tournamentId, invitationId)) {
    pendingRosters_.erase(tournamentId);
    standings_[tournamentId] = Api::PlayerTournamentData{};
    changes_.tournaments.Insert(tournamentId);
  }
  DropInvitation(tournamentId, invitationId);
}

void TournamentCache::DropInvitation(int64_t tournamentId, const std::string& invitationId) {
  const auto invitations = invitations_.find(tournamentId);
  if (invitations == invitations_.end()) return;
  if (std::erase_if(invitations->second, [&](const LCDS::PendingRosterDTO& invitation) {
        return invitation.invitationId == invitationId;
      }) != 0) {
    changes_.tournaments.Insert(tournamentId);
  }
}

bool TournamentCache::DropInvitations(int64_t tournamentId) {
  const auto invitations = invitations_.find(tournamentId);
  if (invitations == invitations_.end()) return false;
  if (!invitations->second.empty()) changes_.tournaments.Insert(tournamentId);
  invitations->second.clear();
  return true;
}

bool TournamentCache::SetInvitation(const LCDS::PendingRosterDTO& roster) {
  const int64_t id = roster.tournamentId;
  std::vector<LCDS::PendingRosterDTO>& invitations = invitations_[id];
  const auto same = std::find_if(
      invitations.begin(), invitations.end(),
      [&](const auto& invitation) { return invitation.invitationId == roster.invitationId; });
  if (same == invitations.end()) {
    invitations.push_back(roster);
  } else if (IsNewer(roster.version, same->version)) {
    *same = roster;
  } else {
    return false;
  }
  changes_.tournaments.Insert(id);
  return true;
}

void TournamentCache::SetSubstituteInvitation(const LCDS::RosterDTO& roster) {
  const int64_t id = roster.tournamentId;
  std::vector<LCDS::RosterDTO>& invitations = substituteInvitations_[id];
  const auto same =
      std::find_if(invitations.begin(), invitations.end(),
                   [&](const LCDS::RosterDTO& invitation) { return invitation.id == roster.id; });
  if (same == invitations.end()) {
    invitations.push_back(roster);
  } else if (IsNewer(roster.version, same->version)) {
    *same = roster;
  }
  changes_.tournaments.Insert(id);
}

void TournamentCache::SetHomeRoster(const LCDS::RosterDTO& roster) {
  const int64_t id = roster.tournamentId;
  const auto cached = rosters_.find({id, roster.id});
  if (cached != rosters_.end() && !IsNewer(roster.version, cached->second.version)) return;
  rosters_[{id, roster.id}] = roster;
  changes_.tournaments.Insert(id);
}

void TournamentCache::DropOwnPendingRoster(int64_t tournamentId) {
  const auto pending = pendingRosters_.find(tournamentId);
  if (pending == pendingRosters_.end()) return;
  pendingRosters_.erase(pending);
  changes_.tournaments.Insert(tournamentId);
}

void TournamentCache::DropBracket(int64_t tournamentId, int64_t bracketId) {
  if (bracketId != -1 && brackets_.erase(bracketId) != 0) {
    changes_.tournaments.Insert(tournamentId);
  }
}

bool TournamentCache::SetRosterDynamicState(const LCDS::RosterDynamicStateDTO& dynamic) {
  if (const auto cached = rosters_.find({dynamic.tournamentId, dynamic.rosterId});
      cached != rosters_.end()) {
    if (!IsNewer(dynamic.version, cached->second.dynamicState.version)) return false;
    // The roster's own version stays: the dynamic state carries its own.
    cached->second.dynamicState = dynamic;
    MarkPlayerRosterWrite(dynamic.tournamentId);
    return true;
  }
  const auto subs = substituteInvitations_.find(dynamic.tournamentId);
  if (subs == substituteInvitations_.end()) return false;
  bool replaced = false;
  for (LCDS::RosterDTO& sub : subs->second) {
    if (sub.id != dynamic.rosterId || !IsNewer(dynamic.version, sub.dynamicState.version)) {
      continue;
    }
    sub.dynamicState = dynamic;
    replaced = true;
  }
  if (replaced) changes_.tournaments.Insert(dynamic.tournamentId);
  return replaced;
}

bool TournamentCache::SetRosterWithdraw(int64_t tournamentId, int64_t rosterId, int32_t version,
                                        const LCDS::RosterWithdraw& withdraw) {
  const auto cached = rosters_.find({tournamentId, rosterId});
  if (cached == rosters_.end() || !IsNewer(version, cached->second.dynamicState.version)) {
    return false;
  }
  cached->second.dynamicState.withdraw = withdraw;
  changes_.tournaments.Insert(tournamentId);
  return true;
}

}  // namespace kiv::joust
