#include "standin/service/double_elimination.h"

#include <algorithm>
#include <map>

namespace kiv::standin {
namespace {

using LCDS::BracketMatch;
using Status = LCDS::ClientBracketMatchStatus;

// Seeds 1..size in the order they meet in the first round: 1 v size, and so on.
std::vector<int> SeedOrder(int size) {
  std::vector<int> order{1};
  while (static_cast<int>(order.size()) < size) {
    const int next = static_cast<int>(order.size()) * 2 + 1;
    std::vector<int> doubled;
    for (int seed : order) {
      doubled.push_back(seed);
      doubled.push_back(next - seed);
    }
    order = std::move(doubled);
  }
  return order;
}

bool Plays(const BracketMatch& match, int64_t rosterId) {
  return rosterId >= 0 && (match.rosterId1 == rosterId || match.rosterId2 == rosterId);
}

// Elimination ranks: higher places better.
constexpr int kGrandFinalLoser = 1000;
constexpr int kWithdrew = -1;

}  // namespace

DoubleElimination DoubleElimination::Draw(const BracketHead& head, std::vector<int64_t> seeds,
                                          std::vector<LCDS::BracketRoster> rosters) {
  DoubleElimination draw;
  int size = 4;
  while (size < static_cast<int>(seeds.size())) size *= 2;
  int k = 0;
  while ((1 << k) < size) ++k;
  draw.winnerRounds_ = k;
  draw.seeds_ = std::move(seeds);
  LCDS::Bracket& b = draw.bracket_;
  b.version = 1;
  b.id = head.id;
  b.tournamentId = head.tournamentId;
  b.phaseId = head.phaseId;
  b.size = size;
  b.rosters = std::move(rosters);

  int64_t nextId = head.id * 1000 + 1;
  auto add = [&](bool loser, int round, int order, MatchFeed a, MatchFeed c) {
    BracketMatch match;
    match.id = nextId++;
    match.round = round;
    match.order = order;
    match.loserBracket = loser;
    (loser ? b.loserBracketMatches : b.matches).push_back(match);
    draw.nodes_.push_back(Node{match.id, {a, c}});
    return match.id;
  };
  using K = MatchFeed::Kind;
  // Winners' rounds.
  std::vector<std::vector<int64_t>> winners(k + 2);
  const std::vector<int> order = SeedOrder(size);
  for (int j = 0; j < size / 2; ++j) {
    winners[1].push_back(
        add(false, 1, j, {K::kSeed, order[2 * j] - 1}, {K::kSeed, order[2 * j + 1] - 1}));
  }
  for (int r = 2; r <= k; ++r) {
    for (size_t j = 0; j < winners[r - 1].size() / 2; ++j) {
      winners[r].push_back(add(false, r, static_cast<int>(j), {K::kWinnerOf, winners[r - 1][2 * j]},
                               {K::kWinnerOf, winners[r - 1][2 * j + 1]}));
    }
  }
  // Losers' rounds.
  std::vector<std::vector<int64_t>> losers(2 * k);
  for (size_t j = 0; j < winners[1].size() / 2; ++j) {
    losers[1].push_back(add(true, 1, static_cast<int>(j), {K::kLoserOf, winners[1][2 * j]},
                            {K::kLoserOf, winners[1][2 * j + 1]}));
  }
  for (int m = 1; m <= k - 1; ++m) {
    const std::vector<int64_t>& survivors = losers[2 * m - 1];
    const std::vector<int64_t>& dropping = winners[m + 1];
    for (size_t j = 0; j < survivors.size(); ++j) {
      // The dropping losers come in reverse order, so early rematches are rare.
      losers[2 * m].push_back(add(true, 2 * m, static_cast<int>(j), {K::kWinnerOf, survivors[j]},
                                  {K::kLoserOf, dropping[dropping.size() - 1 - j]}));
    }
    if (m < k - 1) {
      for (size_t j = 0; j < losers[2 * m].size() / 2; ++j) {
        losers[2 * m + 1].push_back(add(true, 2 * m + 1, static_cast<int>(j),
                                        {K::kWinnerOf, losers[2 * m][2 * j]},
                                        {K::kWinnerOf, losers[2 * m][2 * j + 1]}));
      }
    }
  }
  add(false, k + 1, 0, {K::kWinnerOf, winners[k][0]}, {K::kWinnerOf, losers[2 * k - 2][0]});
  draw.Advance();
  draw.RecomputeRounds();
  return draw;
}

BracketMatch* DoubleElimination::Find(int64_t id) {
  return const_cast<BracketMatch*>(std::as_const(*this).Find(id));
}

const BracketMatch* DoubleElimination::Find(int64_t id) const {
  for (const auto* list : {&bracket_.matches, &bracket_.loserBracketMatches}) {
    for (const BracketMatch& match : *list) {
      if (match.id == id) return &match;
    }
  }
  return nullptr;
}

std::optional<int64_t> DoubleElimination::Resolve(const MatchFeed& feed, bool& decided) const {
  decided = true;
  std::optional<int64_t> roster;
  if (feed.kind == MatchFeed::Kind::kSeed) {
    if (feed.source < static_cast<int64_t>(seeds_.size())) roster = seeds_[feed.source];
  } else {
    const BracketMatch* source = Find(feed.source);
    if (!source || source->status != Status::kCompleted) {
      decided = false;
      return std::nullopt;
    }
    if (feed.kind == MatchFeed::Kind::kWinnerOf) {
      if (source->winnerId >= 0) roster = source->winnerId;
    } else {
      const int64_t loser =
          source->winnerId == source->rosterId1 ? source->rosterId2 : source->rosterId1;
      if (source->winnerId >= 0 && loser >= 0) roster = loser;
    }
  }
  if (roster && Withdrawn(*roster)) roster.reset();
  return roster;
}

void DoubleElimination::Advance() {
  for (bool changed = true; changed;) {
    changed = false;
    for (const Node& node : nodes_) {
      BracketMatch& match = *Find(node.matchId);
      if (match.status == Status::kCompleted) continue;
      bool decided[2];
      std::optional<int64_t> side[2] = {Resolve(node.sides[0], decided[0]),
                                        Resolve(node.sides[1], decided[1])};
      match.rosterId1 = side[0].value_or(-1);
      match.rosterId2 = side[1].value_or(-1);
      if (!decided[0] || !decided[1] || (side[0] && side[1])) continue;
      // One side can never be filled: the other goes through without playing.
      match.status = Status::kCompleted;
      match.winnerId = side[0] ? *side[0] : side[1].value_or(-1);
      match.roundStartTime = -1;
      changed = true;
    }
  }
}

void DoubleElimination::RecomputeRounds() {
  for (const bool loser : {false, true}) {
    const auto& list = loser ? bracket_.loserBracketMatches : bracket_.matches;
    int open = 0;
    int last = 0;
    for (const BracketMatch& match : list) {
      last = std::max(last, match.round);
      if (match.status != Status::kCompleted && (open == 0 || match.round < open)) {
        open = match.round;
      }
    }
    (loser ? bracket_.currentLoserRound : bracket_.currentRound) = open ? open : last;
  }
}

std::vector<int64_t> DoubleElimination::Playable() const {
  std::vector<int64_t> ids;
  for (const Node& node : nodes_) {
    const BracketMatch& match = *Find(node.matchId);
    if (match.status == Status::kUpcoming && match.roundStartTime < 0 && match.rosterId1 >= 0 &&
        match.rosterId2 >= 0) {
      ids.push_back(match.id);
    }
  }
  std::sort(ids.begin(), ids.end());
  return ids;
}

const BracketMatch* DoubleElimination::OpenMatchOf(int64_t rosterId) const {
  for (const auto* list : {&bracket_.matches, &bracket_.loserBracketMatches}) {
    for (const BracketMatch& match : *list) {
      if (match.status != Status::kCompleted && Plays(match, rosterId)) return &match;
    }
  }
  return nullptr;
}

LossOutcome DoubleElimination::Finish(int64_t id, int64_t winnerId) {
  BracketMatch* match = Find(id);
  if (!match || match->status == Status::kCompleted || match->rosterId1 < 0 ||
      match->rosterId2 < 0 || !Plays(*match, winnerId)) {
    return LossOutcome::kNone;
  }
  match->status = Status::kCompleted;
  match->winnerId = winnerId;
  const bool last = match->loserBracket || match->round > winnerRounds_;
  Advance();
  RecomputeRounds();
  Touch();
  return last ? LossOutcome::kEliminated : LossOutcome::kToLosersBracket;
}

std::optional<int64_t> DoubleElimination::Withdraw(int64_t rosterId) {
  std::optional<int64_t> forfeited;
  if (const BracketMatch* open = OpenMatchOf(rosterId)) {
    const int64_t other = open->rosterId1 == rosterId ? open->rosterId2 : open->rosterId1;
    if (other >= 0) {
      BracketMatch& match = *Find(open->id);
      match.status = Status::kCompleted;
      match.winnerId = other;
      forfeited = match.id;
    }
  }
  withdrawn_.insert(rosterId);
  Advance();
  RecomputeRounds();
  Touch();
  return forfeited;
}

bool DoubleElimination::Complete() const {
  for (const auto* list : {&bracket_.matches, &bracket_.loserBracketMatches}) {
    for (const BracketMatch& match : *list) {
      if (match.status != Status::kCompleted) return false;
    }
  }
  return true;
}

int DoubleElimination::EliminationRound(int64_t rosterId) const {
  if (Withdrawn(rosterId)) return kWithdrew;
  for (const auto* list : {&bracket_.matches, &bracket_.loserBracketMatches}) {
    for (const BracketMatch& match : *list) {
      if (match.status != Status::kCompleted || !Plays(match, rosterId) ||
          match.winnerId == rosterId || match.winnerId < 0) {
        continue;
      }
      if (!match.loserBracket && match.round > winnerRounds_) return kGrandFinalLoser;
      if (match.loserBracket) return match.round;
    }
  }
  return 0;
}

std::vector<int64_t> DoubleElimination::Placements() const {
  std::vector<int64_t> order = seeds_;
  std::map<int64_t, int> rank;
  for (int64_t roster : order) {
    const int round = EliminationRound(roster);
    rank[roster] = round == 0 ? kGrandFinalLoser + 1 : round;  // still in: ahead
  }
  std::stable_sort(order.begin(), order.end(),
                   [&](int64_t a, int64_t b) { return rank[a] > rank[b]; });
  return order;
}

}  // namespace kiv::standin
