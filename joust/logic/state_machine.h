// state_machine.h: where a tournament stands for the player, computed from
// the cache and the clock: its TournamentStateInfo ("IDLE", "LOCK_IN",
// "SCOUTING", "IN_GAME", "RESULTS"), its current and next phase, when the
// state will next change, and the periods that remain.
//
// Everything here is a pure function of its inputs: the state is never
// patched in place, so a state computed after any sequence of cache changes
// equals one computed from scratch on the final cache.
//
// Not for: the timers and publications that follow a computation
// (publication.h).
//
//   const Api::TournamentStateInfo info = ComputeStateInfo(
//       tournament, cache.PlayerRoster(id), cache.PlayerBracket(id), now,
//       state.session.summonerId);
#pragma once

#include <cstdint>
#include <string_view>

#include "joust/model/api/tournament.h"
#include "joust/model/lcds/bracket.h"
#include "joust/model/lcds/roster.h"
#include "joust/model/lcds/tournament.h"

namespace kiv::joust {

/// `text` as a whole signed decimal number (leading white space and a sign
/// allowed, as the C library reads decimals), or false.
bool ParseRosterId(std::string_view text, int64_t& id);

/// A substitution that stands: its subState is none of "SUGGESTED",
/// "DECLINED", "REVOKED".
bool SubstitutionStands(const LCDS::PhaseRosterSubDTO& sub);

/// The first substitution entry of `roster` that `matches`: in the roster's
/// entry for phase `phaseId` first, else in its dynamic state. Null when
/// none does. The one way to find a substitution; the predicate says which.
template <typename Predicate>
const LCDS::PhaseRosterSubDTO* FindSubstitution(const LCDS::RosterDTO& roster, int64_t phaseId,
                                                Predicate matches) {
  for (const LCDS::PhaseRosterDTO& phase : roster.phases) {
    if (phase.phaseId != phaseId) continue;
    for (const LCDS::PhaseRosterSubDTO& sub : phase.phaseRosterSubs) {
      if (matches(sub)) return &sub;
    }
    break;
  }
  for (const LCDS::PhaseRosterSubDTO& sub : roster.dynamicState.phaseRosterSubs) {
    if (matches(sub)) return &sub;
  }
  return nullptr;
}

/// The substitution that replaces `playerId` in phase `phaseId` of `roster`
/// (an entry whose subState is none of "SUGGESTED", "DECLINED", "REVOKED"):
/// first in the roster's entry for the phase, else in its dynamic state.
/// Null when there is none.
const LCDS::PhaseRosterSubDTO* ActiveSubstitutionReplacing(const LCDS::RosterDTO& roster,
                                                           int64_t phaseId, uint64_t playerId);

/// The first match of `bracket` (winners' matches, then losers') in which
/// `rosterId` plays and that is not completed, or null.
const LCDS::BracketMatch* OpenMatch(const LCDS::Bracket& bracket, int64_t rosterId);

/// Every match of the bracket, in both lists, is completed (true for none).
bool BracketComplete(const LCDS::Bracket& bracket);

/// The state of `tournament` for player `summonerId` at server time `now`,
/// with the player's roster and bracket (each may be null).
Api::TournamentStateInfo ComputeStateInfo(const LCDS::TournamentDTO& tournament,
                                          const LCDS::RosterDTO* roster,
                                          const LCDS::Bracket* bracket, int64_t now,
                                          uint64_t summonerId);

}  // namespace kiv::joust
