// double_elimination.h: the stand-in service's brackets: a double-elimination
// draw of any number of rosters (two or more) as a backend Bracket, and its
// progress as matches end or rosters withdraw.
//
// The draw pads the field to a power of two (at least four) with byes, seeds
// in the usual order (1 meets the last seed, and the top seeds meet as late
// as possible) and lays out:
//   winners' rounds 1..k (k = log2 size), then a grand final as round k + 1
//   between the winners' champion and the losers' champion;
//   losers' rounds 1..2k-2: round 1 pairs the losers of winners' round 1,
//   each even round meets the survivors with the losers of the next winners'
//   round, each odd round after the first pairs the survivors.
// So a roster is out after its second loss (the grand final's loser too).
// A side that can never be filled (a bye, the loser of a bye, a withdrawn
// roster) lets the other side through at once; such matches are completed
// without a start time. Matches are numbered bracket id * 1000 + 1, 2, ...
//
// Not for: times and chance; the tournament clock (tournament_clock.h) decides
// when matches start and who wins.
//
//   DoubleElimination draw = DoubleElimination::Draw(BracketHead{...}, {4, 9, 2});
//   for (int64_t id : draw.Playable()) Schedule(id);   // both sides known, not started
//   draw.Finish(matchId, winnerRosterId);              // advances both brackets
//   draw.Placements();                                 // champion first
#pragma once

#include <cstdint>
#include <optional>
#include <set>
#include <vector>

#include "joust/model/lcds/bracket.h"

namespace kiv::standin {

/// Who fills one side of a match.
struct MatchFeed {
  enum class Kind { kSeed, kWinnerOf, kLoserOf };
  Kind kind = Kind::kSeed;
  int64_t source = 0;  // a seed index from 0, or a match id
};

/// What a finished or withdrawn match did to its loser.
enum class LossOutcome { kNone, kToLosersBracket, kEliminated };

struct BracketHead {
  int64_t id = -1;
  int64_t tournamentId = -1;
  int64_t phaseId = -1;
};

class DoubleElimination {
 public:
  /// Draws `seeds` (roster ids, best first) and completes the byes.
  static DoubleElimination Draw(const BracketHead& head, std::vector<int64_t> seeds,
                                std::vector<LCDS::BracketRoster> rosters);

  const LCDS::Bracket& bracket() const { return bracket_; }
  /// Bumps the version; every change of the record goes through here.
  void Touch() { ++bracket_.version; }

  /// The match with `id` in either list, or null.
  LCDS::BracketMatch* Find(int64_t id);
  const LCDS::BracketMatch* Find(int64_t id) const;
  /// Matches with both rosters known that have not started and have no
  /// start time yet, in id order.
  std::vector<int64_t> Playable() const;
  /// The open match (not completed) of `rosterId`, or null.
  const LCDS::BracketMatch* OpenMatchOf(int64_t rosterId) const;
  /// Completes match `id` with `winnerId` (one of its sides), advances the
  /// rosters and completes the byes this causes; bumps the version. Returns
  /// what the loss did to the loser; kNone when the match is not open or
  /// `winnerId` does not play in it.
  LossOutcome Finish(int64_t id, int64_t winnerId);
  /// Withdraws `rosterId`: its open match is won by the other side (when
  /// known) and it is never placed in a match again. Returns the forfeited
  /// match's id, if any.
  std::optional<int64_t> Withdraw(int64_t rosterId);
  bool Withdrawn(int64_t rosterId) const { return withdrawn_.count(rosterId) != 0; }
  /// True when every match of both lists is completed.
  bool Complete() const;
  /// Rosters from first place down: the champion, the grand final's loser,
  /// then by the losers' round they went out in (later first), withdrawn last.
  std::vector<int64_t> Placements() const;
  /// The round (losers' rounds counted after the winners') in which a
  /// roster lost its last match; 0 while it is still in.
  int EliminationRound(int64_t rosterId) const;

 private:
  struct Node {
    int64_t matchId = -1;
    MatchFeed sides[2];
  };
  std::optional<int64_t> Resolve(const MatchFeed& feed, bool& decided) const;
  void Advance();
  void RecomputeRounds();

  LCDS::Bracket bracket_;
  std::vector<int64_t> seeds_;
  std::vector<Node> nodes_;
  std::set<int64_t> withdrawn_;
  int winnerRounds_ = 0;
};

}  // namespace kiv::standin
