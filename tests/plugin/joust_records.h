// joust_records.h: sample tournament records for tests of the real plugin,
// around one player (kPlayer) and one server moment (kNow): a cup whose one
// phase registers from kNow + 10 min and starts at kNow + 20 min, the
// player's registered roster in it, a pending roster, a bracket, and the
// backend's answers that carry them. Free of the test framework, so that
// benchmarks build the same records.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "joust/model/lcds/bracket.h"
#include "joust/model/lcds/pending_roster.h"
#include "joust/model/lcds/roster.h"
#include "joust/model/lcds/tournament.h"
#include "sdk/codec/json_writer.h"
#include "sdk/value/native/convert.h"

namespace kiv::testing {

/// The JSON text of a native record.
template <typename T>
std::string JsonOfRecord(const T& record) {
  BindingProperty value;
  BindingProperty status;
  ToValue(record, value, status);
  return WriteJson(value);
}

// The records most tests write are converted once, in joust_records.cc.
extern template std::string JsonOfRecord(const LCDS::TournamentDTO&);
extern template std::string JsonOfRecord(const LCDS::RosterDTO&);
extern template std::string JsonOfRecord(const LCDS::RosterDynamicStateDTO&);
extern template std::string JsonOfRecord(const LCDS::PendingRosterDTO&);
extern template std::string JsonOfRecord(const LCDS::Bracket&);
extern template std::string JsonOfRecord(const LCDS::TournamentInfoMinimalDTO&);
extern template std::string JsonOfRecord(const LCDS::TournamentPlayerInfoDTO&);

namespace samples {

inline constexpr int64_t kNow = 1'800'000'000'000;  // server milliseconds
inline constexpr int64_t kMinute = 60'000;
inline constexpr uint64_t kPlayer = 42;
inline constexpr uint64_t kTeammate = 43;

/// The phase of cup `id` is `id * 10 + 1`.
inline int64_t PhaseOf(int64_t tournamentId) { return tournamentId * 10 + 1; }

/// A cup whose one phase registers from kNow + 10 min and starts at kNow + 20 min.
LCDS::TournamentDTO Cup(int64_t id = 7);
/// The player's registered roster (captain kPlayer, with kTeammate).
LCDS::RosterDTO Roster(int64_t tournamentId = 7, int64_t id = 500, int32_t version = 1);
/// A pending roster captained by `captain`, with kPlayer and kTeammate as
/// members and player 44 invited.
LCDS::PendingRosterDTO PendingRoster(int64_t tournamentId, std::string invitationId,
                                     int32_t version = 1, uint64_t captain = kPlayer);
/// The bracket of roster `rosterId` in its cup's phase, first match against
/// roster 501 at kNow + 25 min.
LCDS::Bracket Bracket(int64_t tournamentId = 7, int64_t id = 900, int64_t rosterId = 500,
                      int32_t version = 1);
/// The JSON answers of "getTournamentInfoMinimal" and "getTournamentPlayerInfo".
std::string MinimalInfo(const std::vector<LCDS::TournamentInfoDTO>& infos, int64_t time = kNow);
std::string PlayerInfo(const std::vector<LCDS::TournamentInfoDTO>& infos, int64_t time = kNow);

}  // namespace samples
}  // namespace kiv::testing
