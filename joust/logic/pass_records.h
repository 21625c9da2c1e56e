// pass_records.h: PassRecords, what the publication pass keeps from one pass
// to the next: the state info it computed for each tournament, the moments
// the tournament timers are armed for, and the roster and bracket ids it last
// published. Only the pass (publication.cc, resource_table.h) writes here.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "joust/logic/state_map.h"
#include "joust/model/api/tournament.h"

namespace kiv::joust {

struct PassRecords {
  StateMap<int64_t, Api::TournamentStateInfo> stateInfos;
  /// The server time each tournament's state-change timer is armed for.
  StateMap<int64_t, int64_t> armedStateChanges;
  /// The server time each tournament's roster-creation deadline timer is
  /// armed for.
  StateMap<int64_t, int64_t> armedCreationDeadlines;
  /// The server time each tournament's record-deadline timer is armed for.
  StateMap<int64_t, int64_t> armedRecordDeadlines;
  /// The roster and bracket ids last published per tournament, so that the
  /// pass announces the removal of one the cache no longer holds.
  StateMap<int64_t, std::vector<std::string>> publishedRosterIds;
  StateMap<int64_t, std::vector<int64_t>> publishedBracketIds;
};

}  // namespace kiv::joust
