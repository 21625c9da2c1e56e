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

namespace samples {

inline constexpr int64_t kNow = 1'800'000'000'000;  // server milliseconds
inline constexpr int64_t kMinute = 60'000;
inline constexpr uint64_t kPlayer = 42;
inline constexpr uint64_t kTeammate = 43;

/// The phase of cup `id` is `id * 10 + 1`.
inline int64_t PhaseOf(int64_t tournamentId) { return tournamentId * 10 + 1; }

inline LCDS::TournamentDTO Cup(int64_t id = 7) {
  LCDS::TournamentDTO cup;
  cup.id = id;
  cup.scheduleTime = kNow - kMinute;
  cup.scheduleEndTime = kNow + 600 * kMinute;
  cup.rosterCreateDeadline = kNow + 10 * kMinute;
  cup.rosterDisbandDeadline = kNow + 10 * kMinute;
  cup.nameLocKey = "cup";
  cup.rosterSize = 5;
  cup.queueId = 700;
  cup.scoutingTimeMs = 10'000;
  cup.phases = {{PhaseOf(id), id, kNow + 10 * kMinute, kNow + 20 * kMinute, 1}};
  return cup;
}

/// The player's registered roster (captain kPlayer, with kTeammate).
inline LCDS::RosterDTO Roster(int64_t tournamentId = 7, int64_t id = 500, int32_t version = 1) {
  LCDS::RosterDTO roster;
  roster.version = version;
  roster.id = id;
  roster.tournamentId = tournamentId;
  roster.name = "Tiber";
  roster.shortName = "TBR";
  roster.captainId = kPlayer;
  roster.members = {{id, kPlayer, tournamentId, 0, LCDS::Position::kMiddle, 1},
                    {id, kTeammate, tournamentId, 0, LCDS::Position::kTop, 2}};
  roster.phases = {{PhaseOf(tournamentId), 1, {}, std::nullopt}};
  roster.dynamicState.version = 1;
  roster.dynamicState.tournamentId = tournamentId;
  roster.dynamicState.rosterId = id;
  return roster;
}

/// A pending roster captained by `captain`, with kPlayer and kTeammate as
/// members and player 44 invited.
inline LCDS::PendingRosterDTO PendingRoster(int64_t tournamentId, std::string invitationId,
                                            int32_t version = 1, uint64_t captain = kPlayer) {
  LCDS::PendingRosterDTO roster;
  roster.version = version;
  roster.tournamentId = tournamentId;
  roster.invitationId = std::move(invitationId);
  roster.name = "Arno";
  roster.shortName = "ARN";
  roster.captainId = captain;
  roster.members = {{captain}, {captain == kPlayer ? kTeammate : kPlayer}};
  roster.invitees = {{44, LCDS::PendingRosterInviteeState::kPending, captain, kNow}};
  return roster;
}

/// The bracket of roster `rosterId` in its cup's phase, first match against
/// roster 501 at kNow + 25 min.
inline LCDS::Bracket Bracket(int64_t tournamentId = 7, int64_t id = 900, int64_t rosterId = 500,
                             int32_t version = 1) {
  LCDS::Bracket bracket;
  bracket.version = version;
  bracket.tournamentId = tournamentId;
  bracket.phaseId = PhaseOf(tournamentId);
  bracket.id = id;
  bracket.size = 2;
  bracket.matches = {{1, 1, 0, rosterId, 501, kNow + 25 * kMinute, -1,
                      LCDS::ClientBracketMatchStatus::kUpcoming, -1, -1, false}};
  bracket.rosters = {{rosterId, "Tiber", "TBR", 1, 2}, {501, "Vesta", "VST", 3, 4}};
  return bracket;
}

inline std::string MinimalInfo(const std::vector<LCDS::TournamentInfoDTO>& infos,
                               int64_t time = kNow) {
  LCDS::TournamentInfoMinimalDTO minimal;
  minimal.tournamentInfo = infos;
  minimal.time = time;
  return JsonOfRecord(minimal);
}

inline std::string PlayerInfo(const std::vector<LCDS::TournamentInfoDTO>& infos,
                              int64_t time = kNow) {
  LCDS::TournamentPlayerInfoDTO player;
  player.tournamentInfo = infos;
  player.time = time;
  player.seasonVp = 12;
  return JsonOfRecord(player);
}

}  // namespace samples
}  // namespace kiv::testing
