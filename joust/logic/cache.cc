// The cache's guarded writes: every change of the cached records goes through here.
#include "joust/logic/cache.h"

#include <algorithm>

#include "joust/backend/backend_methods.h"
#include "joust/logic/joust_plugin.h"
#include "joust/logic/rest_builders.h"
#include "joust/logic/state_machine.h"
#include "sdk/runtime/mutation_point.h"
#include "sdk/value/conversion_status.h"
#include "sdk/value/format_message.h"
#include "sdk/value/native/convert.h"

namespace kiv::joust {
namespace {

using Api::PlayerState;

Api::PlayerTournamentData& Standing(JoustPluginState& state, int64_t tournamentId) {
  return state.playerTournamentData[tournamentId];  // a new entry starts as "NO_ROSTER"
}

void MarkRosterWrite(JoustPluginState& state, int64_t tournamentId, int64_t rosterId) {
  JoustChangeSet& changes = *state.changes;
  changes.stateInfoDirty.Insert(tournamentId);
  changes.playerDataChanged.Insert(tournamentId);
  changes.rostersChanged.Insert({tournamentId, std::to_string(rosterId)});
  changes.restrictionChanged = true;
  changes.playerChanged = true;
}

}  // namespace

bool IsNewer(int32_t offered, int32_t cached) {
  return offered > cached || MutationActive("stale-roster-applied");
}

bool IsOlder(int32_t offered, int32_t cached) {
  return offered < cached && !MutationActive("stale-roster-applied");
}

void SetRoster(JoustPluginState& state, int64_t tournamentId, int64_t rosterId,
               const std::optional<LCDS::RosterDTO>& roster) {
  Api::PlayerTournamentData& standing = Standing(state, tournamentId);
  if (!roster) {
    state.rosters.erase({tournamentId, rosterId});
    standing.rosterId.clear();
    standing.state = PlayerState::kNoRoster;
    MarkRosterWrite(state, tournamentId, rosterId);
    return;
  }
  const auto cached = state.rosters.find({tournamentId, rosterId});
  if (cached != state.rosters.end() && !IsNewer(roster->version, cached->second.version)) return;
  state.rosters[{tournamentId, rosterId}] = *roster;
  standing.rosterId = std::to_string(rosterId);
  const LCDS::Bracket* bracket = nullptr;
  for (const LCDS::PhaseRosterDTO& phase : roster->phases) {
    if (!phase.bracketDTO) continue;
    SetBracket(state, tournamentId, *phase.bracketDTO);
    bracket = &state.brackets[phase.bracketDTO->id];
    break;
  }
  // SetBracket may have added entries: look the standing up again.
  Api::PlayerTournamentData& after = Standing(state, tournamentId);
  if (!bracket) {
    const auto known = state.brackets.find(after.bracketId);
    if (known != state.brackets.end()) bracket = &known->second;
  }
  if (roster->eliminated) {
    after.state = PlayerState::kEliminated;
  } else if (!bracket) {
    after.state = PlayerState::kHasRoster;
  }
  MarkRosterWrite(state, tournamentId, rosterId);
}

void SetBracket(JoustPluginState& state, int64_t tournamentId, LCDS::Bracket bracket) {
  const auto cached = state.brackets.find(bracket.id);
  if (cached != state.brackets.end() && !IsNewer(bracket.version, cached->second.version)) return;
  auto byRound = [](const LCDS::BracketMatch& a, const LCDS::BracketMatch& b) {
    return a.round != b.round ? a.round > b.round : a.order < b.order;
  };
  std::stable_sort(bracket.matches.begin(), bracket.matches.end(), byRound);
  std::stable_sort(bracket.loserBracketMatches.begin(), bracket.loserBracketMatches.end(), byRound);
  const int64_t bracketId = bracket.id;
  state.brackets[bracketId] = std::move(bracket);
  Api::PlayerTournamentData& standing = Standing(state, tournamentId);
  if (standing.state != PlayerState::kEliminated) standing.state = PlayerState::kBracketRoster;
  standing.bracketId = bracketId;
  JoustChangeSet& changes = *state.changes;
  changes.stateInfoDirty.Insert(tournamentId);
  changes.playerDataChanged.Insert(tournamentId);
  changes.bracketsChanged.Insert({tournamentId, bracketId});
  changes.restrictionChanged = true;
}

void SetPendingRoster(JoustPluginState& state, int64_t tournamentId,
                      const LCDS::PendingRosterDTO& roster) {
  JoustChangeSet& changes = *state.changes;
  const auto cached = state.pendingRosterByTournament.find(tournamentId);
  if (cached != state.pendingRosterByTournament.end()) {
    // Versions compare copies of one roster only: another roster (one the
    // player joined while still in this one) replaces it whatever its
    // version, and the one replaced is published as gone.
    if (cached->second.invitationId == roster.invitationId) {
      if (!IsNewer(roster.version, cached->second.version)) return;
    } else {
      changes.rostersChanged.Insert({tournamentId, cached->second.invitationId});
    }
  }
  // The invitation the player accepted is an invitation no more.
  DropInvitation(state, tournamentId, roster.invitationId);
  state.pendingRosterByTournament[tournamentId] = roster;
  Api::PlayerTournamentData& standing = Standing(state, tournamentId);
  standing.state = PlayerState::kHasRoster;
  standing.rosterId = roster.invitationId;
  changes.playerDataChanged.Insert(tournamentId);
  changes.rostersChanged.Insert({tournamentId, roster.invitationId});
  changes.playerChanged = true;
}

void RemovePendingRoster(JoustPluginState& state, int64_t tournamentId,
                         const std::string& invitationId) {
  JoustChangeSet& changes = *state.changes;
  if (const auto own = state.pendingRosterByTournament.find(tournamentId);
      own != state.pendingRosterByTournament.end() && own->second.invitationId == invitationId) {
    state.pendingRosterByTournament.erase(own);
    changes.rostersChanged.Insert({tournamentId, invitationId});
    state.playerTournamentData[tournamentId] = Api::PlayerTournamentData{};
    changes.playerDataChanged.Insert(tournamentId);
    changes.stateInfoDirty.Insert(tournamentId);
  }
  DropInvitation(state, tournamentId, invitationId);
}

void DropInvitation(JoustPluginState& state, int64_t tournamentId,
                    const std::string& invitationId) {
  const auto invitations = state.invitationsByTournament.find(tournamentId);
  if (invitations == state.invitationsByTournament.end()) return;
  if (std::erase_if(invitations->second, [&](const LCDS::PendingRosterDTO& invitation) {
        return invitation.invitationId == invitationId;
      }) != 0) {
    state.changes->invitationsChanged.Insert(tournamentId);
    // The invitation's roster was published at its own path: it goes too.
    state.changes->rostersChanged.Insert({tournamentId, invitationId});
  }
}

bool DropInvitations(JoustPluginState& state, int64_t tournamentId) {
  const auto invitations = state.invitationsByTournament.find(tournamentId);
  if (invitations == state.invitationsByTournament.end()) return false;
  // Each invitation's roster was published at its own path: it goes too.
  for (const LCDS::PendingRosterDTO& invitation : invitations->second) {
    state.changes->rostersChanged.Insert({tournamentId, invitation.invitationId});
  }
  if (!invitations->second.empty()) state.changes->invitationsChanged.Insert(tournamentId);
  invitations->second.clear();
  return true;
}

bool SetInvitation(JoustPluginState& state, const LCDS::PendingRosterDTO& roster) {
  const int64_t id = roster.tournamentId;
  std::vector<LCDS::PendingRosterDTO>& invitations = state.invitationsByTournament[id];
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
  state.changes->invitationsChanged.Insert(id);
  state.changes->rostersChanged.Insert({id, roster.invitationId});
  return true;
}

void SetSubstituteInvitation(JoustPluginState& state, const LCDS::RosterDTO& roster) {
  const int64_t id = roster.tournamentId;
  std::vector<LCDS::RosterDTO>& invitations = state.subInvitationsByTournament[id];
  const auto same =
      std::find_if(invitations.begin(), invitations.end(),
                   [&](const LCDS::RosterDTO& invitation) { return invitation.id == roster.id; });
  if (same == invitations.end()) {
    invitations.push_back(roster);
  } else if (IsNewer(roster.version, same->version)) {
    *same = roster;
  }
  state.changes->rostersChanged.Insert({id, std::to_string(roster.id)});
}

void SetHomeRoster(JoustPluginState& state, const LCDS::RosterDTO& roster) {
  const int64_t id = roster.tournamentId;
  const auto cached = state.rosters.find({id, roster.id});
  if (cached != state.rosters.end() && !IsNewer(roster.version, cached->second.version)) return;
  state.rosters[{id, roster.id}] = roster;
  state.changes->rostersChanged.Insert({id, std::to_string(roster.id)});
}

void DropOwnPendingRoster(JoustPluginState& state, int64_t tournamentId) {
  const auto pending = state.pendingRosterByTournament.find(tournamentId);
  if (pending == state.pendingRosterByTournament.end()) return;
  state.changes->rostersChanged.Insert({tournamentId, pending->second.invitationId});
  state.pendingRosterByTournament.erase(pending);
}

void DropBracket(JoustPluginState& state, int64_t tournamentId, int64_t bracketId) {
  if (bracketId != -1 && state.brackets.erase(bracketId) != 0) {
    state.changes->bracketsChanged.Insert({tournamentId, bracketId});
  }
}

bool SetRosterDynamicState(JoustPluginState& state, const LCDS::RosterDynamicStateDTO& dynamic) {
  if (const auto cached = state.rosters.find({dynamic.tournamentId, dynamic.rosterId});
      cached != state.rosters.end()) {
    if (!IsNewer(dynamic.version, cached->second.dynamicState.version)) return false;
    // The roster's own version stays: the dynamic state carries its own.
    cached->second.dynamicState = dynamic;
    MarkRosterWrite(state, dynamic.tournamentId, dynamic.rosterId);
    return true;
  }
  const auto subs = state.subInvitationsByTournament.find(dynamic.tournamentId);
  if (subs == state.subInvitationsByTournament.end()) return false;
  bool replaced = false;
  for (LCDS::RosterDTO& sub : subs->second) {
    if (sub.id != dynamic.rosterId || !IsNewer(dynamic.version, sub.dynamicState.version)) {
      continue;
    }
    sub.dynamicState = dynamic;
    state.changes->rostersChanged.Insert({dynamic.tournamentId, std::to_string(sub.id)});
    replaced = true;
  }
  return replaced;
}

bool SetRosterWithdraw(JoustPluginState& state, int64_t tournamentId, int64_t rosterId,
                       int32_t version, const LCDS::RosterWithdraw& withdraw) {
  const auto cached = state.rosters.find({tournamentId, rosterId});
  if (cached == state.rosters.end() || !IsNewer(version, cached->second.dynamicState.version)) {
    return false;
  }
  cached->second.dynamicState.withdraw = withdraw;
  state.changes->rostersChanged.Insert({tournamentId, std::to_string(rosterId)});
  state.changes->stateInfoDirty.Insert(tournamentId);
  return true;
}

}  // namespace kiv::joust
