// change_set.h: JoustChangeSet, what the next publication pass must publish.
// The state's writes mark here what they changed (the cache's in cache.h, the
// session's and the player's records' in state_writes.h); handlers never
// mark anything themselves. The pass, run when each handler ends
// (handler_run.h), publishes every marked resource and clears the set.
//
// Not for: derived state (the pass computes it from the cache and the clock).
//
//   state.changes->tournamentsChanged.Insert(tournamentId);   // inside a write
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>

#include "joust/logic/insertion_ordered_set.h"

namespace kiv::joust {

/// Hashes a pair by combining the hashes of both parts.
struct PairHash {
  template <typename A, typename B>
  size_t operator()(const std::pair<A, B>& pair) const {
    const size_t first = std::hash<A>{}(pair.first);
    return first ^
           (std::hash<B>{}(pair.second) + 0x9E3779B97F4A7C15ull + (first << 6) + (first >> 2));
  }
};

/// A roster of a tournament: (tournament id, roster id as text, a number for a
/// registered roster, an invitation id for a pending one).
using RosterKey = std::pair<int64_t, std::string>;
/// A bracket of a tournament: (tournament id, bracket id).
using BracketKey = std::pair<int64_t, int64_t>;

struct JoustChangeSet {
  bool visibleChanged = false;
  bool enabledChanged = false;
  bool readyChanged = false;
  bool iconConfigChanged = false;
  bool checkinAllowedChanged = false;
  bool restrictionChanged = false;
  InsertionOrderedSet<int64_t> tournamentsChanged;
  InsertionOrderedSet<int64_t> stateInfoDirty;
  InsertionOrderedSet<int64_t> playerDataChanged;
  InsertionOrderedSet<RosterKey, PairHash> rostersChanged;
  InsertionOrderedSet<int64_t> invitationsChanged;
  InsertionOrderedSet<BracketKey, PairHash> bracketsChanged;
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
           tournamentsChanged.Empty() && stateInfoDirty.Empty() && playerDataChanged.Empty() &&
           rostersChanged.Empty() && invitationsChanged.Empty() && bracketsChanged.Empty();
  }
  /// Everything back to unmarked.
  void Clear() { *this = JoustChangeSet(); }
};

}  // namespace kiv::joust
