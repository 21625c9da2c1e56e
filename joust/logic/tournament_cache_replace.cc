// The cache replaced by the backend's answer of the player's information.
#include <utility>

#include "joust/logic/state_machine.h"
#include "joust/logic/tournament_cache.h"

namespace kiv::joust {
namespace {

// Cached copies newer than the ones an answer carries: an answer that was
// slow to come may hold records older than what pushes brought meanwhile.
struct NewerCachedCopies {
  std::vector<LCDS::RosterDTO> rosters;
  std::vector<LCDS::PendingRosterDTO> pendingRosters;  // the player's own
  std::vector<LCDS::PendingRosterDTO> invitations;
};

NewerCachedCopies CollectNewerCopies(const TournamentCache& cache,
                                     const std::vector<LCDS::TournamentInfoDTO>& infos) {
  NewerCachedCopies newer;
  for (const LCDS::TournamentInfoDTO& info : infos) {
    const int64_t id = info.tournament.id;
    if (info.roster) {
      const auto cached = cache.rosters().find({id, info.roster->id});
      if (cached != cache.rosters().end() &&
          IsNewer(cached->second.version, info.roster->version)) {
        newer.rosters.push_back(cached->second);
      }
    } else if (info.pendingRoster) {
      const LCDS::PendingRosterDTO* own =
          cache.OwnPendingRoster(id, info.pendingRoster->invitationId);
      if (own && IsNewer(own->version, info.pendingRoster->version)) {
        newer.pendingRosters.push_back(*own);
      }
    }
    for (const LCDS::PendingRosterDTO& answered : info.inviteePendingRosters) {
      const LCDS::PendingRosterDTO* invitation = cache.FindInvitation(id, answered.invitationId);
      if (invitation && IsNewer(invitation->version, answered.version)) {
        newer.invitations.push_back(*invitation);
      }
    }
  }
  return newer;
}

}  // namespace

// Every tournament something is cached for now is marked, so that what the
// answer no longer holds is published as removed.
void TournamentCache::MarkEverythingCached() {
  for (const auto& [id, tournament] : tournaments_) changes_.tournaments.Insert(id);
  for (const auto& [key, roster] : rosters_) changes_.tournaments.Insert(key.first);
  for (const auto& [id, pending] : pendingRosters_) changes_.tournaments.Insert(id);
  for (const auto& [id, bracket] : brackets_) changes_.tournaments.Insert(bracket.tournamentId);
  for (const auto& [id, invitations] : invitations_) changes_.tournaments.Insert(id);
  for (const auto& [id, subs] : substituteInvitations_) changes_.tournaments.Insert(id);
}

// The rosters the player substitutes in (or is invited to), kept by the
// player's own entry in the current phase.
void TournamentCache::AddSubstituteRosters(const LCDS::TournamentInfoDTO& info, int64_t serverNow,
                                           uint64_t playerId) {
  const int64_t id = info.tournament.id;
  // The tournament is cached by now: the caller stored it first.
  const int64_t phase = ComputeState(id, serverNow, playerId)->currentPhaseId;
  for (const LCDS::RosterDTO& sub : info.subRosters) {
    // The player's own entry, whatever its state: the state decides below.
    const LCDS::PhaseRosterSubDTO* entry =
        FindSubstitution(sub, phase, [playerId](const LCDS::PhaseRosterSubDTO& candidate) {
          return candidate.playerId == playerId;
        });
    if (!entry || entry->subState == LCDS::SubState::kDeclined ||
        entry->subState == LCDS::SubState::kRevoked) {
      continue;
    }
    if (entry->subState == LCDS::SubState::kPending) {
      substituteInvitations_[id].push_back(sub);
      continue;
    }
    int64_t home = 0;
    if (ParseRosterId(Standing(id).rosterId, home)) homeRosters_[id] = home;
    SetRoster(id, sub.id, sub);
  }
}

void TournamentCache::Replace(const std::vector<LCDS::TournamentInfoDTO>& infos, int64_t serverNow,
                              uint64_t playerId) {
  MarkEverythingCached();
  const NewerCachedCopies newer = CollectNewerCopies(*this, infos);
  rosters_.clear();
  pendingRosters_.Reset();
  invitations_.Reset();
  substituteInvitations_.Reset();
  standings_.Reset();
  brackets_.Reset();

  for (const LCDS::TournamentInfoDTO& info : infos) {
    const int64_t id = info.tournament.id;
    // A tournament seen for the first time is marked too: a first login has
    // nothing cached before, and must publish everything it learns.
    changes_.tournaments.Insert(id);
    tournaments_[id] = info.tournament;
    standings_[id] = Api::PlayerTournamentData{};
    if (info.roster) {
      SetRoster(id, info.roster->id, *info.roster);
    } else if (info.pendingRoster) {
      SetPendingRoster(id, *info.pendingRoster);
    }
    std::vector<LCDS::PendingRosterDTO>& invitations = invitations_[id];
    invitations.insert(invitations.end(), info.inviteePendingRosters.begin(),
                       info.inviteePendingRosters.end());
    AddSubstituteRosters(info, serverNow, playerId);
  }
  // Write the newer copies back over what was taken from the answer.
  for (const LCDS::RosterDTO& roster : newer.rosters) {
    SetRoster(roster.tournamentId, roster.id, roster);
  }
  for (const LCDS::PendingRosterDTO& roster : newer.pendingRosters) {
    SetPendingRoster(roster.tournamentId, roster);
  }
  for (const LCDS::PendingRosterDTO& roster : newer.invitations) (void)SetInvitation(roster);
  changes_.restrictionChanged = true;
}

}  // namespace kiv::joust
