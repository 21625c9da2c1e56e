// Brackets of several sizes played to the end: shape, byes, two losses out,
// withdrawals, versions.
#include "standin/service/double_elimination.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

namespace kiv::standin {
namespace {

using Status = LCDS::ClientBracketMatchStatus;

DoubleElimination DrawOf(int rosters) {
  std::vector<int64_t> seeds;
  std::vector<LCDS::BracketRoster> entries;
  for (int i = 0; i < rosters; ++i) {
    seeds.push_back(100 + i);
    entries.push_back(LCDS::BracketRoster{100 + i, "R" + std::to_string(i), "R", 0, 0});
  }
  return DoubleElimination::Draw({7, 1, 11}, seeds, entries);
}

// Plays every playable match, the first side winning unless `loses` names it;
// returns each roster's losses.
std::map<int64_t, int> PlayOut(DoubleElimination& bracket, int64_t loses = -1) {
  std::map<int64_t, int> losses;
  int32_t version = bracket.bracket().version;
  for (std::vector<int64_t> ready = bracket.Playable(); !ready.empty();
       ready = bracket.Playable()) {
    for (int64_t id : ready) {
      const LCDS::BracketMatch match = *bracket.Find(id);
      const int64_t winner = match.rosterId1 == loses ? match.rosterId2 : match.rosterId1;
      ++losses[winner == match.rosterId1 ? match.rosterId2 : match.rosterId1];
      EXPECT_NE(bracket.Finish(id, winner), LossOutcome::kNone);
      EXPECT_GT(bracket.bracket().version, version) << "every change bumps the version";
      version = bracket.bracket().version;
    }
  }
  return losses;
}

TEST(DoubleElimination, BracketsOfFourEightSixteenAndThirteenPlayToOneChampion) {
  struct Row {
    int rosters;
    size_t winners, losers;  // matches in each list (the grand final counts as a winners' match)
    int byes;
  };
  for (const Row& row :
       {Row{4, 4, 2, 0}, Row{8, 8, 6, 0}, Row{16, 16, 14, 0}, Row{13, 16, 14, 3}}) {
    SCOPED_TRACE(row.rosters);
    DoubleElimination bracket = DrawOf(row.rosters);
    EXPECT_EQ(bracket.bracket().matches.size(), row.winners);
    EXPECT_EQ(bracket.bracket().loserBracketMatches.size(), row.losers);
    int byes = 0;
    for (const auto& match : bracket.bracket().matches) {
      byes += match.round == 1 && match.status == Status::kCompleted;
    }
    EXPECT_EQ(byes, row.byes);
    const std::map<int64_t, int> losses = PlayOut(bracket);
    EXPECT_TRUE(bracket.Complete());
    const std::vector<int64_t> places = bracket.Placements();
    ASSERT_EQ(places.size(), static_cast<size_t>(row.rosters));
    EXPECT_EQ(places[0], 100) << "the top seed wins every match it plays";
    for (const auto& [roster, count] : losses) {
      EXPECT_EQ(count, roster == places[0] ? 0 : 2) << "everyone else is out after two losses";
    }
    EXPECT_EQ(losses.size(), static_cast<size_t>(row.rosters - 1));
    std::vector<int64_t> sorted = places;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(std::unique(sorted.begin(), sorted.end()), sorted.end());
  }
}

TEST(DoubleElimination, ARosterLosingTwiceIsOutAndTheGrandFinalLoserIsSecond) {
  DoubleElimination bracket = DrawOf(8);
  const std::map<int64_t, int> losses = PlayOut(bracket, /*loses=*/100);
  EXPECT_EQ(losses.at(100), 2);
  EXPECT_GT(bracket.EliminationRound(100), 0) << "out in a losers' round";
  EXPECT_LT(bracket.EliminationRound(100), 1000);
  EXPECT_EQ(bracket.OpenMatchOf(100), nullptr);
  const std::vector<int64_t> places = bracket.Placements();
  EXPECT_NE(places[0], 100);
  EXPECT_EQ(bracket.EliminationRound(places[1]), 1000) << "second place lost the grand final";
}

TEST(DoubleElimination, AWithdrawalMidBracketForfeitsItsMatchAndLeavesItForGood) {
  DoubleElimination bracket = DrawOf(8);
  for (int64_t id : bracket.Playable()) {
    const auto& match = *bracket.Find(id);
    if (match.round == 1 && !match.loserBracket) (void)bracket.Finish(id, match.rosterId1);
  }
  std::set<int64_t> before;
  for (const auto& match : bracket.bracket().matches) {
    if (match.status == Status::kCompleted) before.insert(match.id);
  }
  const LCDS::BracketMatch* open = bracket.OpenMatchOf(100);
  ASSERT_NE(open, nullptr);
  const int64_t openId = open->id;
  const int32_t version = bracket.bracket().version;
  const std::optional<int64_t> forfeited = bracket.Withdraw(100);
  EXPECT_EQ(forfeited, openId);
  EXPECT_GT(bracket.bracket().version, version);
  EXPECT_EQ(bracket.Find(openId)->status, Status::kCompleted);
  EXPECT_NE(bracket.Find(openId)->winnerId, 100);
  PlayOut(bracket);
  EXPECT_TRUE(bracket.Complete());
  for (const auto* list : {&bracket.bracket().matches, &bracket.bracket().loserBracketMatches}) {
    for (const auto& match : *list) {
      if (match.id != openId && !before.count(match.id)) {
        EXPECT_NE(match.winnerId, 100);
      }
    }
  }
  EXPECT_EQ(bracket.Placements().back(), 100) << "a withdrawn roster places last";
}

}  // namespace
}  // namespace kiv::standin
