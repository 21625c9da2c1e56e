// The merge of the backend's player information into the cache.
#include "joust/logic/cache.h"

#include <algorithm>

#include "joust/backend/backend_methods.h"
#include "joust/logic/joust_plugin.h"
#include "joust/logic/rest_builders.h"
#include "joust/logic/state_machine.h"
#include "sdk/runtime/mutation_point.h"
#include "sdk/value/conversion_status.h"
#include "sdk/value/native/convert.h"

namespace kiv::joust {
namespace {

// Records have no equality of their own; their values do.
bool SameTournament(const LCDS::TournamentDTO& left, const LCDS::TournamentDTO& right) {
  ConversionStatus status;
  BindingProperty a;
  BindingProperty b;
  ToValue(left, a, status);
  ToValue(right, b, status);
  return status.IsValid() && a == b;
}

// Cached copies newer than the ones an answer carries: an answer that was
// slow to come may hold records older than what pushes brought meanwhile.
struct NewerCachedCopies {
  std::vector<LCDS::RosterDTO> rosters;
  std::vector<LCDS::PendingRosterDTO> pendingRosters;  // the player's own
  std::vector<LCDS::PendingRosterDTO> invitations;
};

NewerCachedCopies CollectNewerCopies(const JoustPluginState& state,
                                     const std::vector<LCDS::TournamentInfoDTO>& infos) {
  NewerCachedCopies newer;
  for (const LCDS::TournamentInfoDTO& info : infos) {
    const int64_t id = info.tournament.id;
    if (info.roster) {
      const auto cached = state.rosters.find({id, info.roster->id});
      if (cached != state.rosters.end() && IsNewer(cached->second.version, info.roster->version)) {
        newer.rosters.push_back(cached->second);
      }
    } else if (info.pendingRoster) {
      const auto own = state.pendingRosterByTournament.find(id);
      if (own != state.pendingRosterByTournament.end() &&
          own->second.invitationId == info.pendingRoster->invitationId &&
          IsNewer(own->second.version, info.pendingRoster->version)) {
        newer.pendingRosters.push_back(own->second);
      }
    }
    const auto cached = state.invitationsByTournament.find(id);
    if (cached == state.invitationsByTournament.end()) continue;
    for (const LCDS::PendingRosterDTO& answered : info.inviteePendingRosters) {
      for (const LCDS::PendingRosterDTO& invitation : cached->second) {
        if (invitation.invitationId == answered.invitationId &&
            IsNewer(invitation.version, answered.version)) {
          newer.invitations.push_back(invitation);
        }
      }
    }
  }
  return newer;
}

// Writes the newer copies back over what the merge took from the answer.
void RestoreNewerCopies(JoustPluginState& state, const NewerCachedCopies& newer) {
  for (const LCDS::RosterDTO& roster : newer.rosters) {
    SetRoster(state, roster.tournamentId, roster.id, roster);
  }
  for (const LCDS::PendingRosterDTO& roster : newer.pendingRosters) {
    SetPendingRoster(state, roster.tournamentId, roster);
  }
  for (const LCDS::PendingRosterDTO& roster : newer.invitations) (void)SetInvitation(state, roster);
}

}  // namespace

void MergeMinimalInfo(JoustPlugin& plugin, const std::vector<LCDS::TournamentInfoDTO>& infos,
                      int64_t serverTime) {
  JoustPluginState& state = plugin.state();
  plugin.SyncServerClock(serverTime);
  JoustChangeSet& changes = *state.changes;
  // Everything cached now is marked, so that what the answer no longer holds
  // is published as removed.
  for (const auto& [id, tournament] : state.tournaments) {
    changes.tournamentsChanged.Insert(id);
    changes.stateInfoDirty.Insert(id);
    changes.playerDataChanged.Insert(id);
    changes.invitationsChanged.Insert(id);
  }
  for (const auto& [key, roster] : state.rosters) {
    changes.rostersChanged.Insert({key.first, std::to_string(key.second)});
  }
  for (const auto& [id, pending] : state.pendingRosterByTournament) {
    changes.rostersChanged.Insert({id, pending.invitationId});
  }
  for (const auto& [id, bracket] : state.brackets) {
    if (MutationActive("refresh-drops-brackets-unpublished")) break;
    changes.bracketsChanged.Insert({bracket.tournamentId, id});
  }
  for (const auto& [id, invitations] : state.invitationsByTournament) {
    for (const auto& invitation : invitations)
      changes.rostersChanged.Insert({id, invitation.invitationId});
  }
  for (const auto& [id, subs] : state.subInvitationsByTournament) {
    for (const LCDS::RosterDTO& sub : subs) {
      changes.rostersChanged.Insert({id, std::to_string(sub.id)});
    }
  }
  const NewerCachedCopies newer = CollectNewerCopies(state, infos);
  state.rosters.clear();
  state.pendingRosterByTournament.Reset();
  state.invitationsByTournament.Reset();
  state.subInvitationsByTournament.Reset();
  state.playerTournamentData.Reset();
  state.brackets.Reset();

  for (const LCDS::TournamentInfoDTO& info : infos) {
    const int64_t id = info.tournament.id;
    const auto cached = state.tournaments.find(id);
    // A tournament seen for the first time is marked too: a first login has
    // nothing cached before, and must publish everything it learns.
    if (cached != state.tournaments.end() && SameTournament(cached->second, info.tournament)) {
      changes.tournamentsChanged.Erase(id);
    } else {
      changes.tournamentsChanged.Insert(id);
    }
    changes.stateInfoDirty.Insert(id);
    state.tournaments[id] = info.tournament;
    state.playerTournamentData[id] = Api::PlayerTournamentData{};
    changes.playerDataChanged.Insert(id);
    if (info.roster) {
      SetRoster(state, id, info.roster->id, *info.roster);
    } else if (info.pendingRoster) {
      SetPendingRoster(state, id, *info.pendingRoster);
    }
    std::vector<LCDS::PendingRosterDTO>& invitations = state.invitationsByTournament[id];
    for (const LCDS::PendingRosterDTO& invitation : info.inviteePendingRosters) {
      invitations.push_back(invitation);
      changes.rostersChanged.Insert({id, invitation.invitationId});
    }
    const int64_t phase = CurrentPhaseId(plugin, id);
    for (const LCDS::RosterDTO& sub : info.subRosters) {
      // The player's own entry, whatever its state: the state decides below.
      const LCDS::PhaseRosterSubDTO* entry =
          FindSubstitution(sub, phase, [&state](const LCDS::PhaseRosterSubDTO& candidate) {
            return candidate.playerId == state.summonerId;
          });
      if (!entry || entry->subState == LCDS::SubState::kDeclined ||
          entry->subState == LCDS::SubState::kRevoked) {
        continue;
      }
      if (entry->subState == LCDS::SubState::kPending) {
        state.subInvitationsByTournament[id].push_back(sub);
        changes.rostersChanged.Insert({id, std::to_string(sub.id)});
        continue;
      }
      int64_t home = 0;
      if (ParseRosterId(state.playerTournamentData[id].rosterId, home)) {
        state.homeRosterByTournament[id] = home;
      }
      SetRoster(state, id, sub.id, sub);
    }
    changes.invitationsChanged.Insert(id);
  }
  RestoreNewerCopies(state, newer);
  changes.restrictionChanged = true;
  state.minimalInfoLoaded = true;
}

MaybeType<Failure, void> RefreshPlayerInfo(JoustPlugin& plugin) {
  auto info = plugin.backend().Call<kGetTournamentPlayerInfo>();
  if (!info.ok()) return Fail(std::move(info).takeFailure());
  JoustPluginState& state = plugin.state();
  state.tickets.tickets = info->player.tickets;
  state.changes->playerChanged = true;
  state.rewards = Api::PlayerRewards{.seasonVp = info->seasonVp, .themeVp = {}};
  for (const LCDS::ThemeVp& vp : info->themeVps)
    state.rewards.themeVp.push_back({vp.themeId, vp.themeVp});
  state.changes->rewardsChanged = true;
  state.history.clear();
  for (const LCDS::RosterStatsDTO& stats : info->rosterStats) {
    state.history.push_back(BuildRosterStats(stats));
  }
  state.changes->historyChanged = true;
  MergeMinimalInfo(plugin, info->tournamentInfo, info->time);
  return Ok();
}

}  // namespace kiv::joust
