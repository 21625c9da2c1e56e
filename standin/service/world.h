// world.h: the stand-in tournament service's in-memory world: players with
// their tickets and victory points, tournaments with their phases and
// schedules, pending rosters, registered rosters, brackets, statistics,
// reward events and winners. Everything the service answers is read from
// here, as the backend's own records.
//
// Records carry a version; whoever changes a record bumps it (Bump*), so a
// client that keeps the newest copy always keeps the latest state.
//
// Not for: the service's rules (joust_service.h) or the clock of play
// (tournament_clock.h).
//
//   World world;
//   world.players[42] = PlayerState{.id = 42, .name = "Tiber", .tickets = 10};
//   LCDS::RosterDTO* roster = world.FindRoster(7);
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "joust/model/api/history.h"
#include "joust/model/lcds/pending_roster.h"
#include "joust/model/lcds/rewards.h"
#include "joust/model/lcds/roster.h"
#include "joust/model/lcds/stats.h"
#include "joust/model/lcds/tournament.h"
#include "standin/service/double_elimination.h"

namespace kiv::standin {

/// How a player not driven by a person acts (all delays in server ms).
struct BotBehaviour {
  bool acceptInvites = true;
  int64_t acceptAfterMs = 20'000;
  bool lockIn = true;  // ready up in pending rosters, check in for later phases
  int64_t lockInAfterMs = 30'000;
  bool acceptSubInvites = true;
  double dodgeChance = 0;   // per match, in champion select
  double noShowChance = 0;  // per match
};

struct PlayerState {
  uint64_t id = 0;
  std::string name;
  int32_t tickets = 0;
  int32_t seasonVp = 0;
  std::map<int32_t, int32_t> themeVp;  // theme id -> points
  std::optional<BotBehaviour> bot;     // none: a person (the host's player)
  std::vector<std::string> eventIds;   // reward events earned
};

struct TournamentState {
  LCDS::TournamentDTO dto;
  int64_t gameMinMs = 20 * 60'000;
  int64_t gameMaxMs = 35 * 60'000;
  std::map<int64_t, int64_t> bracketOfPhase;  // phase id -> bracket id
  bool finished = false;
  Api::TournamentWinnerHistory winners;
};

struct World {
  int64_t epochMs = 0;  // server time at the start of the run
  uint64_t me = 0;      // the player behind the plugin
  bool enabledForMe = true;
  std::map<uint64_t, PlayerState> players;
  std::map<int64_t, TournamentState> tournaments;
  std::map<std::string, LCDS::PendingRosterDTO> pending;  // by invitation id
  std::map<int64_t, LCDS::RosterDTO> rosters;
  std::map<int64_t, DoubleElimination> brackets;
  std::map<int64_t, LCDS::RosterStatsDTO> stats;  // by roster id
  std::map<std::string, LCDS::JoustEventData> events;
  std::set<int64_t> withdrawn;    // rosters that withdrew from the tournament
  std::vector<std::string> acks;  // customAck payloads received
  int64_t nextRosterId = 101;
  int64_t nextBracketId = 1;
  int64_t nextGameId = 5'000'001;
  int64_t nextInvitation = 1;

  PlayerState* FindPlayer(uint64_t id);
  TournamentState* FindTournament(int64_t id);
  LCDS::PendingRosterDTO* FindPending(const std::string& invitationId);
  LCDS::RosterDTO* FindRoster(int64_t id);
  const LCDS::TournamentPhaseDTO* FindPhase(int64_t tournamentId, int64_t phaseId) const;
  /// The pending roster of `tournamentId` that `player` is an active member of.
  LCDS::PendingRosterDTO* PendingOf(int64_t tournamentId, uint64_t player);
  /// The registered roster of `tournamentId` that `player` is a member of.
  LCDS::RosterDTO* RosterOf(int64_t tournamentId, uint64_t player);
  /// The bracket of `phaseId`, or null.
  DoubleElimination* BracketOfPhase(int64_t tournamentId, int64_t phaseId);

  /// Creates a registered roster of `tournamentId` for `phaseId`: the
  /// members (the first is captain) pay their bets, are checked in for the
  /// phase, and its statistics start. Returns the stored roster.
  struct Entrant {
    uint64_t player = 0;
    int32_t bet = 0;
    LCDS::Position position = LCDS::Position::kUnselected;
    int64_t joinTime = -1;
  };
  LCDS::RosterDTO& AddRoster(int64_t tournamentId, int64_t phaseId, const std::string& name,
                             const std::string& shortName, int32_t logo, int32_t logoColor,
                             const std::vector<Entrant>& members);

  /// A registered roster as the service sends it: the entry of the latest
  /// phase with a drawn bracket carries that bracket.
  LCDS::RosterDTO RosterView(const LCDS::RosterDTO& roster);
  /// The players of a roster: members and active substitutes.
  std::vector<uint64_t> PlayersOf(const LCDS::RosterDTO& roster) const;
  std::vector<uint64_t> PlayersOf(const LCDS::PendingRosterDTO& roster) const;
};

/// The members of a pending roster that have neither left nor been kicked.
std::vector<const LCDS::PendingRosterMemberDTO*> ActiveMembers(
    const LCDS::PendingRosterDTO& roster);
/// A substitution of `player` (as the substitute) that is pending or active.
LCDS::PhaseRosterSubDTO* FindSub(LCDS::RosterDTO& roster, uint64_t player);
bool IsActiveSub(const LCDS::PhaseRosterSubDTO& sub);

/// The tier a roster's total bet buys: 1 to 4.
int32_t TierOf(int32_t totalBet, int32_t rosterSize);

void BumpPending(LCDS::PendingRosterDTO& roster);
/// Bumps the roster and its dynamic state.
void BumpRoster(LCDS::RosterDTO& roster);

}  // namespace kiv::standin
