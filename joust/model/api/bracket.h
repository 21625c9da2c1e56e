// bracket.h: Api::Bracket, a bracket as the user interface reads it. It
// shares its bare name with LCDS::Bracket; the registry tells them apart by
// name space ("Api.Bracket").
//
// Not for: the backend's bracket (lcds/bracket.h).
//
//   Api::Bracket bracket{.tournamentId = 7, .id = 12, .size = 16, .period = 1};
#pragma once

#include <cstdint>
#include <vector>

#include "joust/model/describe.h"
#include "joust/model/lcds/bracket.h"

namespace Api {

struct Bracket {
  int64_t tournamentId = -1;
  int64_t id = -1;
  int32_t size = 0;
  int32_t currentRound = 0;
  int32_t currentLoserRound = 0;
  std::vector<LCDS::BracketMatch> matches;
  std::vector<LCDS::BracketMatch> loserBracketMatches;
  std::vector<LCDS::BracketRoster> rosters;
  int32_t period = 0;
  bool isComplete = false;
};
constexpr auto DescribeRecord(const Bracket*) {
  using T = Bracket;
  return Record<T>("Bracket", Field("tournamentId", &T::tournamentId),
                   Field("id", &T::id, "Bracket identifier"),
                   Field("size", &T::size, "Number of rosters"),
                   Field("currentRound", &T::currentRound, "Winners' round in progress"),
                   Field("currentLoserRound", &T::currentLoserRound, "Losers' round in progress"),
                   Field("matches", &T::matches, "Winners' bracket matches"),
                   Field("loserBracketMatches", &T::loserBracketMatches),
                   Field("rosters", &T::rosters, "Rosters in the bracket"),
                   Field("period", &T::period, "Period of the bracket"),
                   Field("isComplete", &T::isComplete, "Bracket is finished"))
      .Described("A bracket of the player's tournament.");
}

}  // namespace Api
