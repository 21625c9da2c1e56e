// rest_builders.h: the plugin's REST records built from the backend's
// records: what the endpoints answer and the publication pass publishes, one
// builder for both.
//
// Not for: looking records up in the cache (cache.h does, then builds here).
//
//   Api::Tournament rest = BuildTournament(dto, plugin.ServerNow());
//   Api::Roster roster = BuildPendingRoster(pending);
#pragma once

#include <cstdint>

#include "joust/model/api/bracket.h"
#include "joust/model/api/roster.h"
#include "joust/model/api/stats.h"
#include "joust/model/api/tournament.h"
#include "joust/model/lcds/bracket.h"
#include "joust/model/lcds/pending_roster.h"
#include "joust/model/lcds/roster.h"
#include "joust/model/lcds/stats.h"
#include "joust/model/lcds/tournament.h"

namespace kiv::joust {

/// The REST tournament of `tournament` at server time `now` (roster
/// creation and disbanding are allowed before their deadlines).
Api::Tournament BuildTournament(const LCDS::TournamentDTO& tournament, int64_t now);

/// What a registered roster is built against: the player's bracket (or
/// null), the tournament's current phase (-1 when none), whether the roster
/// takes part in it, and the logged-in player.
struct RosterContext {
  const LCDS::Bracket* bracket = nullptr;
  int64_t currentPhaseId = -1;
  bool active = false;
  uint64_t summonerId = 0;
};

Api::Roster BuildRegisteredRoster(const LCDS::RosterDTO& roster, const RosterContext& context);
/// A pending roster: the player's own or an invitation.
Api::Roster BuildPendingRoster(const LCDS::PendingRosterDTO& roster);
/// Another roster as the backend shows it to everyone: its names, icon and
/// members. It carries no readiness, so every member is "NOT_READY".
Api::Roster BuildPublicRoster(const LCDS::PublicRosterDTO& roster, int64_t tournamentId);
/// The REST bracket of `bracket`; `period` is the period of its phase (0
/// when unknown).
Api::Bracket BuildBracket(const LCDS::Bracket& bracket, int32_t period);
/// The statistics of one roster, as the history and the statistics endpoint
/// show them.
Api::RosterStats BuildRosterStats(const LCDS::RosterStatsDTO& stats);
/// A scouted player: per champion "winRate" is the rounded percentage of
/// games won (0 without games), "kda" the ratio with two decimals, and
/// "kdaClassification" LOW below 2.0, AVERAGE below 3.5, HIGH from 3.5.
Api::RankedScoutingMember BuildScoutingMember(const LCDS::RankedScoutingMemberDTO& member);

}  // namespace kiv::joust
