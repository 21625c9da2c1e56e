// publication_steps.h: the publication pass's steps and per-key hooks that
// the table of published resources names (published_resources.h): the
// derived state read again before anything is published, the restriction,
// the tournament timers armed with each state info, and the player's own
// roster.
//
// Not for: publishing a row (resource_table.h) or the timers' names
// (publication.h).
#pragma once

#include <cstdint>
#include <string>

#include "joust/model/api/roster.h"
#include "joust/model/api/tournament.h"
#include "sdk/value/maybe_type.h"

namespace kiv::joust {

class JoustPlugin;

/// Reads the state info of every marked tournament again.
void RecomputeStateInfos(JoustPlugin& plugin);
/// Runs the restriction step when it is marked, or when the player's rosters
/// or standing moved and the restriction they give differs from the last.
void RestrictionStepIfDue(JoustPlugin& plugin);
/// After a state info: arms the tournament's timers for it (publication.h),
/// or, when the tournament is gone, kills them.
void ArmTournamentTimers(JoustPlugin& plugin, int64_t tournamentId,
                         const MaybeType<Failure, Api::TournamentStateInfo>& info);
/// After a roster: the player's own roster is published at
/// "/kiv-joust/v1/player/roster" too (and deleted there when the player has
/// none); invitations and substitute invitations are not.
void PublishPlayerRoster(JoustPlugin& plugin, int64_t tournamentId, const std::string& rosterId,
                         const MaybeType<Failure, Api::Roster>& roster);

}  // namespace kiv::joust
