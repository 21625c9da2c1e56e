// tournament_clock.h: the stand-in service's clock of play. At each phase's
// registration time it opens lock-in; at its start it draws a
// double-elimination bracket of the rosters registered for it; matches start
// a scouting time after both rosters are known, are played for a seeded
// random length and won at seeded random (the better tier a little more
// often); dodges delay a match, no-shows forfeit it, withdrawals forfeit the
// open match. When the last phase's bracket is complete the tournament ends:
// placements, rewards and winners. Every step sends the notifications a real
// service would and writes a line to the run's log.
//
// Not for: the methods players call (joust_service.h) or the bots' choices
// (bots.h).
//
//   TournamentClock clock(service, serverClock, seed);
//   clock.hooks().phaseOpened = [&](int64_t t, const LCDS::TournamentPhaseDTO& p) { ... };
//   clock.Start();   // schedules every tournament of the world
#pragma once

#include <cstdint>
#include <functional>
#include <set>
#include <string>

#include "standin/scenario/seeded_random.h"
#include "standin/service/joust_service.h"
#include "standin/service/server_clock.h"

namespace kiv::standin {

/// Moments of a match in which the player behind the plugin plays.
enum class MatchMoment { kQueued, kDodged, kStarted, kEnded };

struct ClockHooks {
  std::function<void(int64_t tournamentId, const LCDS::TournamentPhaseDTO& phase)> phaseOpened;
  std::function<void(MatchMoment moment, int64_t tournamentId, const LCDS::BracketMatch& match)>
      playerMatch;
  std::function<void(int64_t tournamentId)> tournamentFinished;
};

class TournamentClock {
 public:
  /// `service` and `clock` must outlive this object; `seed` decides every
  /// chance (seeding ties, lengths, results, dodges, no-shows).
  TournamentClock(JoustService& service, ServerClock& clock, uint64_t seed);

  /// Schedules the phases and ends of every tournament, and installs the
  /// service's withdrawal hook.
  void Start();
  ClockHooks& hooks() { return hooks_; }
  void SetLog(std::function<void(const std::string&)> log) { log_ = std::move(log); }
  /// Minutes a dodged match waits before it is queued again, and the time a
  /// no-show roster has before it forfeits.
  static constexpr int64_t kRequeueMs = 2 * 60'000;
  static constexpr int64_t kNoShowGraceMs = 3 * 60'000;

 private:
  void OpenPhase(int64_t tournamentId, int64_t phaseId);
  void StartPhase(int64_t tournamentId, int64_t phaseId);
  void ScheduleReady(int64_t bracketId, int64_t earliestStart);
  void StartMatch(int64_t bracketId, int64_t matchId);
  void EndMatch(int64_t bracketId, int64_t matchId);
  void Forfeit(int64_t bracketId, int64_t matchId, int64_t loserId);
  void AfterResult(int64_t bracketId, int64_t matchId, LossOutcome outcome);
  void FinishTournament(int64_t tournamentId);
  std::vector<uint64_t> LineUp(int64_t rosterId);
  std::vector<uint64_t> BracketPlayers(const DoubleElimination& bracket);
  std::string RosterName(int64_t rosterId);
  void Log(const std::string& line);
  bool MePlays(const LCDS::BracketMatch& match);

  JoustService& service_;
  World& world_;
  ServerClock& clock_;
  SeededRandom random_;
  ClockHooks hooks_;
  std::function<void(const std::string&)> log_;
  std::set<int64_t> dodged_;
  std::set<int64_t> noShows_;
};

}  // namespace kiv::standin
