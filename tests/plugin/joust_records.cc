#include "tests/plugin/joust_records.h"

namespace kiv::testing {

template std::string JsonOfRecord(const LCDS::TournamentDTO&);
template std::string JsonOfRecord(const LCDS::RosterDTO&);
template std::string JsonOfRecord(const LCDS::RosterDynamicStateDTO&);
template std::string JsonOfRecord(const LCDS::PendingRosterDTO&);
template std::string JsonOfRecord(const LCDS::Bracket&);
template std::string JsonOfRecord(const LCDS::TournamentInfoMinimalDTO&);
template std::string JsonOfRecord(const LCDS::TournamentPlayerInfoDTO&);

namespace samples {

LCDS::TournamentDTO Cup(int64_t id) {
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

LCDS::RosterDTO Roster(int64_t tournamentId, int64_t id, int32_t version) {
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

LCDS::PendingRosterDTO PendingRoster(int64_t tournamentId, std::string invitationId,
                                     int32_t version, uint64_t captain) {
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

LCDS::Bracket Bracket(int64_t tournamentId, int64_t id, int64_t rosterId, int32_t version) {
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

std::string MinimalInfo(const std::vector<LCDS::TournamentInfoDTO>& infos, int64_t time) {
  LCDS::TournamentInfoMinimalDTO minimal;
  minimal.tournamentInfo = infos;
  minimal.time = time;
  return JsonOfRecord(minimal);
}

std::string PlayerInfo(const std::vector<LCDS::TournamentInfoDTO>& infos, int64_t time) {
  LCDS::TournamentPlayerInfoDTO player;
  player.tournamentInfo = infos;
  player.time = time;
  player.seasonVp = 12;
  return JsonOfRecord(player);
}

}  // namespace samples
}  // namespace kiv::testing
