// bracket.h: a backend bracket: its matches in the winners' and losers'
// brackets and the rosters drawn into it. Bracket shares its bare name with
// Api::Bracket; the registry tells them apart by name space ("LCDS.Bracket").
//
// Not for: the user interface's bracket (api/bracket.h).
//
//   LCDS::Bracket bracket{.id = 12, .size = 16};
//   bracket.matches.push_back({.id = 1, .round = 1, .rosterId1 = 3, .rosterId2 = 4});
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "joust/model/describe.h"
#include "joust/model/lcds/enums.h"

namespace LCDS {

struct BracketMatch {
  int64_t id = -1;
  int32_t round = 0;
  int32_t order = 0;
  int64_t rosterId1 = -1;
  int64_t rosterId2 = -1;
  int64_t roundStartTime = -1;
  int64_t gameStartTime = -1;
  ClientBracketMatchStatus status = ClientBracketMatchStatus::kUpcoming;
  int64_t winnerId = -1;
  int64_t gameId = -1;
  bool loserBracket = false;
};
constexpr auto DescribeRecord(const BracketMatch*) {
  using T = BracketMatch;
  return Record<T>("BracketMatch", Field("id", &T::id), Field("round", &T::round),
                   Field("order", &T::order), Field("rosterId1", &T::rosterId1),
                   Field("rosterId2", &T::rosterId2), Field("roundStartTime", &T::roundStartTime),
                   Field("gameStartTime", &T::gameStartTime), Field("status", &T::status),
                   Field("winnerId", &T::winnerId), Field("gameId", &T::gameId),
                   Field("loserBracket", &T::loserBracket))
      .Described("One match of a bracket.");
}

struct BracketRoster {
  int64_t rosterId = -1;
  std::string name;
  std::string shortName;
  int32_t logo = 0;
  int32_t logoColor = 0;
};
constexpr auto DescribeRecord(const BracketRoster*) {
  using T = BracketRoster;
  return Record<T>("BracketRoster", Field("rosterId", &T::rosterId), Field("name", &T::name),
                   Field("shortName", &T::shortName), Field("logo", &T::logo),
                   Field("logoColor", &T::logoColor))
      .Described("A roster as a bracket shows it.");
}

struct Bracket {
  int32_t version = 0;
  int64_t tournamentId = -1;
  int64_t phaseId = -1;
  int64_t id = -1;
  int32_t size = 0;
  int32_t currentRound = 0;
  int32_t currentLoserRound = 0;
  std::vector<BracketMatch> matches;
  std::vector<BracketMatch> loserBracketMatches;
  std::vector<BracketRoster> rosters;
};
constexpr auto DescribeRecord(const Bracket*) {
  using T = Bracket;
  return Record<T>(
             "Bracket", Field("version", &T::version), Field("tournamentId", &T::tournamentId),
             Field("phaseId", &T::phaseId), Field("id", &T::id), Field("size", &T::size),
             Field("currentRound", &T::currentRound),
             Field("currentLoserRound", &T::currentLoserRound), Field("matches", &T::matches),
             Field("loserBracketMatches", &T::loserBracketMatches), Field("rosters", &T::rosters))
      .Described("A bracket of one phase: its rounds, matches and rosters.");
}

}  // namespace LCDS
