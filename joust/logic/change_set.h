// change_set.h: JoustChangeSet, what changed since the last publication pass.
// The state's writes mark here what they changed (the cache's in
// tournament_cache.h, the session's and the player's records' in
// state_writes.h); handlers never mark anything themselves. The pass, run
// when each handler ends (handler_run.h), reads every resource in the scope
// of what is marked again, publishes those that differ from what it last
// published, and clears the set.
//
// A tournament is marked as a whole: the pass reads its record, its state,
// the player's standing and invitations in it, and every roster and bracket
// of it again, so a write need not know which of them it affects.
//
// Not for: derived state (the pass computes it from the cache and the clock).
//
//   state.changes->tournaments.Insert(tournamentId);   // inside a write
#pragma once

#include <cstdint>

#include "joust/logic/insertion_ordered_set.h"

namespace kiv::joust {

struct JoustChangeSet {
  bool visibleChanged = false;
  bool enabledChanged = false;
  bool readyChanged = false;
  bool iconConfigChanged = false;
  bool checkinAllowedChanged = false;
  bool restrictionChanged = false;
  /// Tournaments whose data changed, or whose state the clock moved.
  InsertionOrderedSet<int64_t> tournaments;
  bool gameEndChanged = false;
  bool eogPlayerUpdateChanged = false;
  bool playerChanged = false;
  bool historyChanged = false;
  bool rewardsChanged = false;
  bool notificationsChanged = false;

  /// Nothing marked.
  bool Empty() const {
    return !(visibleChanged || enabledChanged || readyChanged || iconConfigChanged ||
             checkinAllowedChanged || restrictionChanged || gameEndChanged ||
             eogPlayerUpdateChanged || playerChanged || historyChanged || rewardsChanged ||
             notificationsChanged) &&
           tournaments.Empty();
  }
  /// Everything back to unmarked.
  void Clear() { *this = JoustChangeSet(); }
};

}  // namespace kiv::joust
