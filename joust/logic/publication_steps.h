// publication_steps.h: the publication pass's steps and per-key hooks that
// the table of published resources names (published_resources.h): the
// derived state read again before anything is published, the restriction,
// the tournament timers armed with each state info, the rosters read again
// when what they are read against moved, and the player's own roster.
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

/// Reads the state info of every tournament marked dirty again; a new
/// current phase marks the tournament's rosters (a roster reads as active or
/// not in it).
void RecomputeStateInfos(JoustPlugin& plugin);
/// Runs the restriction step when it is marked, or when the player's rosters
/// or standing moved and the restriction they give differs from the last.
void RestrictionStepIfDue(JoustPlugin& plugin);
/// After a state info: arms the tournament's timers for it (publication.h),
/// or, when the tournament is gone, kills them and forgets its published
/// standing.
void ArmTournamentTimers(JoustPlugin& plugin, int64_t tournamentId,
                         const MaybeType<Failure, Api::TournamentStateInfo>& info);
/// After the player's standing: when its roster or bracket moved, the
/// tournament's registered rosters are read again in this pass.
void MarkRostersOfMovedStanding(JoustPlugin& plugin, int64_t tournamentId,
                                const Api::PlayerTournamentData& standing);
/// A marked bracket that is the player's marks its tournament's rosters.
void MarkRostersOfMovedBrackets(JoustPlugin& plugin);
/// After a roster: the player's own roster is published at
/// "/kiv-joust/v1/player/roster" too (and deleted there when the player has
/// none); invitations and substitute invitations are not.
void PublishPlayerRoster(JoustPlugin& plugin, int64_t tournamentId, const std::string& rosterId,
                         const MaybeType<Failure, Api::Roster>& roster);

}  // namespace kiv::joust
