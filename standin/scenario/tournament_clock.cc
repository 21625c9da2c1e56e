#include "standin/scenario/tournament_clock.h"

#include <algorithm>
#include <cstdio>

namespace kiv::standin {
namespace {

using LCDS::BracketMatch;
using Status = LCDS::ClientBracketMatchStatus;
using Reason = ZMS::RosterNotifyReason;

std::string Duration(int64_t ms) {
  char text[48];
  std::snprintf(text, sizeof text, "%lld:%02lld", static_cast<long long>(ms / 60'000),
                static_cast<long long>(ms / 1000 % 60));
  return text;
}

std::string RoundName(const BracketMatch& match) {
  return (match.loserBracket ? "L" : "W") + std::to_string(match.round) + "." +
         std::to_string(match.order + 1);
}

constexpr int32_t kGameWinVp = 10;
constexpr int32_t kGameLossVp = 3;
constexpr int32_t kPlacementVp[] = {100, 60, 40};
constexpr int32_t kTakingPartVp = 20;

}  // namespace

TournamentClock::TournamentClock(JoustService& service, ServerClock& clock, uint64_t seed)
    : service_(service), world_(service.world()), clock_(clock), random_(seed) {}

void TournamentClock::Log(const std::string& line) {
  if (log_) log_(line);
}

std::string TournamentClock::RosterName(int64_t rosterId) {
  const LCDS::RosterDTO* roster = world_.FindRoster(rosterId);
  return roster ? roster->name : "(bye)";
}

void TournamentClock::Start() {
  service_.hooks().withdrew = [this](int64_t bracketId, int64_t matchId) {
    const DoubleElimination& bracket = world_.brackets.at(bracketId);
    for (const LCDS::BracketRoster& entry : bracket.bracket().rosters) {
      if (bracket.Withdrawn(entry.rosterId)) Log(entry.name + " withdraws");
    }
    if (matchId >= 0) {
      AfterResult(bracketId, matchId, LossOutcome::kEliminated);
    } else {
      ScheduleReady(bracketId, clock_.NowMs());
    }
  };
  for (auto& [id, tournament] : world_.tournaments) {
    const int64_t tournamentId = id;
    for (const LCDS::TournamentPhaseDTO& phase : tournament.dto.phases) {
      const int64_t phaseId = phase.id;
      clock_.At(phase.registrationTime, "Stand-in: lock-in opens",
                [this, tournamentId, phaseId] { OpenPhase(tournamentId, phaseId); });
      clock_.At(phase.startTime, "Stand-in: phase starts",
                [this, tournamentId, phaseId] { StartPhase(tournamentId, phaseId); });
    }
    clock_.At(tournament.dto.scheduleEndTime, "Stand-in: tournament ends", [this, tournamentId] {
      if (!world_.tournaments.at(tournamentId).finished) FinishTournament(tournamentId);
    });
  }
}

void TournamentClock::OpenPhase(int64_t tournamentId, int64_t phaseId) {
  const LCDS::TournamentPhaseDTO& phase = *world_.FindPhase(tournamentId, phaseId);
  TournamentState& tournament = world_.tournaments.at(tournamentId);
  Log(tournament.dto.nameLocKey + ": lock-in opens for period " + std::to_string(phase.period));
  // Check-ins of earlier phases do not count for this one.
  for (auto& [id, roster] : world_.rosters) {
    if (roster.tournamentId != tournamentId || roster.dynamicState.phaseCheckinStates.empty()) {
      continue;
    }
    const bool registered =
        std::any_of(roster.phases.begin(), roster.phases.end(),
                    [&](const auto& entry) { return entry.phaseId == phaseId; });
    if (!registered) {
      roster.dynamicState.phaseCheckinStates.clear();
      BumpRoster(roster);
    }
  }
  if (hooks_.phaseOpened) hooks_.phaseOpened(tournamentId, phase);
}

void TournamentClock::StartPhase(int64_t tournamentId, int64_t phaseId) {
  TournamentState& tournament = world_.tournaments.at(tournamentId);
  const LCDS::TournamentPhaseDTO& phase = *world_.FindPhase(tournamentId, phaseId);
  std::vector<const LCDS::RosterDTO*> entrants;
  for (const auto& [id, roster] : world_.rosters) {
    if (roster.tournamentId != tournamentId || world_.withdrawn.count(id)) continue;
    for (const auto& entry : roster.phases) {
      if (entry.phaseId == phaseId) entrants.push_back(&roster);
    }
  }
  if (entrants.size() < 2) {
    Log(tournament.dto.nameLocKey + ": period " + std::to_string(phase.period) + " starts with " +
        std::to_string(entrants.size()) + " roster(s), no bracket");
    return;
  }
  // Seeds: higher tiers first, ties in a seeded random order.
  for (size_t i = entrants.size(); i > 1; --i) {
    std::swap(entrants[i - 1], entrants[static_cast<size_t>(random_.Between(0, int64_t(i) - 1))]);
  }
  std::stable_sort(entrants.begin(), entrants.end(),
                   [](const auto* a, const auto* b) { return a->tier > b->tier; });
  std::vector<int64_t> seeds;
  std::vector<LCDS::BracketRoster> rosters;
  for (const LCDS::RosterDTO* roster : entrants) {
    seeds.push_back(roster->id);
    rosters.push_back(LCDS::BracketRoster{roster->id, roster->name, roster->shortName, roster->logo,
                                          roster->logoColor});
  }
  const int64_t bracketId = world_.nextBracketId++;
  world_.brackets.emplace(
      bracketId, DoubleElimination::Draw({bracketId, tournamentId, phaseId}, seeds, rosters));
  tournament.bracketOfPhase[phaseId] = bracketId;
  for (int64_t id : seeds) {
    LCDS::RosterDTO& roster = world_.rosters.at(id);
    roster.eliminated = false;
    BumpRoster(roster);
  }
  const DoubleElimination& bracket = world_.brackets.at(bracketId);
  Log(tournament.dto.nameLocKey + ": bracket " + std::to_string(bracketId) + " drawn for period " +
      std::to_string(phase.period) + ", " + std::to_string(seeds.size()) + " rosters in " +
      std::to_string(bracket.bracket().size) + " places");
  service_.push().BracketReady(tournamentId, bracketId, BracketPlayers(bracket));
  for (const BracketMatch& match : bracket.bracket().matches) {
    if (match.status == Status::kCompleted && match.winnerId >= 0 && match.round == 1) {
      service_.push().GameEnd(tournamentId, bracketId, match.id, Reason::kByeAutoWin,
                              LineUp(match.winnerId));
    }
  }
  ScheduleReady(bracketId, phase.startTime + tournament.dto.scoutingTimeMs);
}

void TournamentClock::ScheduleReady(int64_t bracketId, int64_t earliestStart) {
  DoubleElimination& bracket = world_.brackets.at(bracketId);
  const TournamentState& tournament = world_.tournaments.at(bracket.bracket().tournamentId);
  const int64_t start = std::max(earliestStart, clock_.NowMs() + tournament.dto.scoutingTimeMs);
  const std::vector<int64_t> playable = bracket.Playable();
  for (int64_t matchId : playable) {
    bracket.Find(matchId)->roundStartTime = start;
    clock_.At(start, "Stand-in: match starts",
              [this, bracketId, matchId] { StartMatch(bracketId, matchId); });
    if (hooks_.playerMatch && MePlays(*bracket.Find(matchId))) {
      hooks_.playerMatch(MatchMoment::kQueued, tournament.dto.id, *bracket.Find(matchId));
    }
  }
  if (!playable.empty()) bracket.Touch();
}

bool TournamentClock::MePlays(const BracketMatch& match) {
  for (int64_t roster : {match.rosterId1, match.rosterId2}) {
    const std::vector<uint64_t> players = LineUp(roster);
    if (std::find(players.begin(), players.end(), world_.me) != players.end()) return true;
  }
  return false;
}

std::vector<uint64_t> TournamentClock::LineUp(int64_t rosterId) {
  LCDS::RosterDTO* roster = world_.FindRoster(rosterId);
  if (!roster) return {};
  std::vector<uint64_t> players;
  for (const auto& member : roster->members) {
    uint64_t player = member.playerId;
    for (const auto& sub : roster->dynamicState.phaseRosterSubs) {
      if (sub.replacedPlayerId == member.playerId && IsActiveSub(sub)) player = sub.playerId;
    }
    players.push_back(player);
  }
  return players;
}

std::vector<uint64_t> TournamentClock::BracketPlayers(const DoubleElimination& bracket) {
  std::vector<uint64_t> players;
  for (const LCDS::BracketRoster& entry : bracket.bracket().rosters) {
    for (uint64_t id : world_.PlayersOf(world_.rosters.at(entry.rosterId))) players.push_back(id);
  }
  return players;
}

void TournamentClock::StartMatch(int64_t bracketId, int64_t matchId) {
  DoubleElimination& bracket = world_.brackets.at(bracketId);
  BracketMatch* match = bracket.Find(matchId);
  if (!match || match->status != Status::kUpcoming) return;  // forfeited meanwhile
  const int64_t tournamentId = bracket.bracket().tournamentId;
  const TournamentState& tournament = world_.tournaments.at(tournamentId);
  const int64_t now = clock_.NowMs();
  const std::string title =
      RoundName(*match) + " " + RosterName(match->rosterId1) + " v " + RosterName(match->rosterId2);
  // Champion select: a bot may dodge once per match.
  if (!dodged_.count(matchId)) {
    for (int64_t roster : {match->rosterId1, match->rosterId2}) {
      for (uint64_t id : LineUp(roster)) {
        const PlayerState* player = world_.FindPlayer(id);
        if (player && player->bot && random_.Chance(player->bot->dodgeChance)) {
          dodged_.insert(matchId);
          match->roundStartTime = now + kRequeueMs;
          bracket.Touch();
          Log(title + ": " + player->name + " dodged champion select, requeued");
          for (int64_t side : {match->rosterId1, match->rosterId2}) {
            service_.push().Roster(world_.rosters.at(side), Reason::kQueueDodge, LineUp(side));
          }
          if (hooks_.playerMatch && MePlays(*match)) {
            hooks_.playerMatch(MatchMoment::kDodged, tournamentId, *match);
          }
          clock_.At(match->roundStartTime, "Stand-in: match starts",
                    [this, bracketId, matchId] { StartMatch(bracketId, matchId); });
          return;
        }
      }
    }
  }
  match->status = Status::kStarted;
  match->gameStartTime = now;
  match->gameId = world_.nextGameId++;
  bracket.Touch();
  // A member who fails to show up makes the roster forfeit after a grace time.
  int64_t absent = -1;
  for (int64_t roster : {match->rosterId1, match->rosterId2}) {
    for (uint64_t id : LineUp(roster)) {
      const PlayerState* player = world_.FindPlayer(id);
      if (absent < 0 && player && player->bot && random_.Chance(player->bot->noShowChance)) {
        absent = roster;
        Log(title + ": " + player->name + " does not show up");
      }
    }
  }
  for (int64_t side : {match->rosterId1, match->rosterId2}) {
    service_.push().Roster(world_.rosters.at(side), Reason::kGameStarted, LineUp(side));
  }
  if (hooks_.playerMatch && MePlays(*match)) {
    hooks_.playerMatch(MatchMoment::kStarted, tournamentId, *match);
  }
  if (absent >= 0) {
    noShows_.insert(matchId);
    const int64_t dodgeTime = now + kNoShowGraceMs;
    service_.push().NoShow(ZMS::NoShowPingDTO{tournamentId, matchId, dodgeTime}, LineUp(absent));
    clock_.At(dodgeTime, "Stand-in: no-show forfeit",
              [this, bracketId, matchId, absent] { Forfeit(bracketId, matchId, absent); });
    return;
  }
  Log(title + " starts");
  const int64_t length = random_.Between(tournament.gameMinMs, tournament.gameMaxMs);
  clock_.At(now + length, "Stand-in: match ends",
            [this, bracketId, matchId] { EndMatch(bracketId, matchId); });
}

void TournamentClock::EndMatch(int64_t bracketId, int64_t matchId) {
  DoubleElimination& bracket = world_.brackets.at(bracketId);
  const BracketMatch* match = bracket.Find(matchId);
  if (!match || match->status != Status::kStarted) return;
  const int32_t tier1 = world_.rosters.at(match->rosterId1).tier;
  const int32_t tier2 = world_.rosters.at(match->rosterId2).tier;
  const double firstWins = std::clamp(0.5 + 0.1 * (tier1 - tier2), 0.2, 0.8);
  const int64_t winner = random_.Chance(firstWins) ? match->rosterId1 : match->rosterId2;
  Log(RoundName(*match) + " " + RosterName(match->rosterId1) + " v " +
      RosterName(match->rosterId2) + ": " + RosterName(winner) + " wins after " +
      Duration(clock_.NowMs() - match->gameStartTime));
  AfterResult(bracketId, matchId, bracket.Finish(matchId, winner));
}

void TournamentClock::Forfeit(int64_t bracketId, int64_t matchId, int64_t loserId) {
  DoubleElimination& bracket = world_.brackets.at(bracketId);
  const BracketMatch* match = bracket.Find(matchId);
  if (!match || match->status == Status::kCompleted) return;
  const int64_t winner = match->rosterId1 == loserId ? match->rosterId2 : match->rosterId1;
  Log(RoundName(*match) + ": " + RosterName(loserId) + " forfeits, " + RosterName(winner) +
      " goes through");
  AfterResult(bracketId, matchId, bracket.Finish(matchId, winner));
}

void TournamentClock::AfterResult(int64_t bracketId, int64_t matchId, LossOutcome outcome) {
  DoubleElimination& bracket = world_.brackets.at(bracketId);
  const BracketMatch match = *bracket.Find(matchId);
  const int64_t tournamentId = bracket.bracket().tournamentId;
  TournamentState& tournament = world_.tournaments.at(tournamentId);
  const int64_t loserId = match.winnerId == match.rosterId1 ? match.rosterId2 : match.rosterId1;
  const int64_t length = match.gameStartTime > 0 ? clock_.NowMs() - match.gameStartTime : 0;
  for (int64_t side : {match.rosterId1, match.rosterId2}) {
    LCDS::RosterDTO* roster = world_.FindRoster(side);
    if (!roster) continue;
    const bool won = side == match.winnerId;
    (won ? roster->wins : roster->losses) += 1;
    if (!won && outcome == LossOutcome::kEliminated) roster->eliminated = true;
    BumpRoster(*roster);
    const int64_t opponent = won ? loserId : match.winnerId;
    const LCDS::RosterDTO* other = world_.FindRoster(opponent);
    LCDS::RosterStatsDTO& stats = world_.stats[side];
    const int32_t period = world_.FindPhase(tournamentId, bracket.bracket().phaseId)->period;
    if (stats.stats.periodStats.empty() || stats.stats.periodStats.back().period != period) {
      stats.stats.periodStats.push_back(
          LCDS::RosterPeriodAggregatedStatsDTO{period, bracket.bracket().size, clock_.NowMs(), {}});
    }
    LCDS::RosterMatchAggregatedStatsDTO played;
    played.round = match.round;
    played.duration = length;
    played.opponentShortName = other ? other->shortName : "";
    played.opponentLogo = other ? other->logo : 0;
    played.opponentLogoColor = other ? other->logoColor : 0;
    played.win = won;
    played.loserBracket = match.loserBracket;
    played.gameId = match.gameId;
    stats.stats.periodStats.back().matchStats.push_back(played);
    for (uint64_t id : LineUp(side)) {
      PlayerState* player = world_.FindPlayer(id);
      if (!player) continue;
      const int32_t vp = won ? kGameWinVp : kGameLossVp;
      player->seasonVp += vp;
      player->themeVp[tournament.dto.themeId] += vp;
      service_.push().EogPlayer(
          ZMS::EogPlayerUpdateDTO{tournamentId, match.gameId, won, vp, vp, {}, {}}, id);
    }
    service_.push().Roster(*roster, Reason::kGameCompleted, LineUp(side));
  }
  if (hooks_.playerMatch && MePlays(match)) {
    hooks_.playerMatch(MatchMoment::kEnded, tournamentId, match);
  }
  ScheduleReady(bracketId, clock_.NowMs());
  service_.push().GameEnd(
      tournamentId, bracketId, matchId,
      match.loserBracket ? Reason::kLoserRoundComplete : Reason::kWinnerRoundComplete,
      BracketPlayers(bracket));
  if (!bracket.Complete()) return;
  Log(tournament.dto.nameLocKey + ": bracket " + std::to_string(bracketId) + " complete, " +
      RosterName(bracket.Placements().front()) + " first");
  int64_t lastStart = 0;
  for (const auto& phase : tournament.dto.phases) lastStart = std::max(lastStart, phase.startTime);
  if (world_.FindPhase(tournamentId, bracket.bracket().phaseId)->startTime == lastStart) {
    FinishTournament(tournamentId);
  }
}

void TournamentClock::FinishTournament(int64_t tournamentId) {
  TournamentState& tournament = world_.tournaments.at(tournamentId);
  if (tournament.finished) return;
  tournament.finished = true;
  tournament.winners = Api::TournamentWinnerHistory{tournamentId, {}};
  // The last bracket decides the places.
  const DoubleElimination* last = nullptr;
  int64_t lastStart = -1;
  for (const auto& [phaseId, bracketId] : tournament.bracketOfPhase) {
    const int64_t start = world_.FindPhase(tournamentId, phaseId)->startTime;
    if (start > lastStart) {
      lastStart = start;
      last = &world_.brackets.at(bracketId);
    }
  }
  if (!last) {
    Log(tournament.dto.nameLocKey + " ends without a bracket");
    if (hooks_.tournamentFinished) hooks_.tournamentFinished(tournamentId);
    return;
  }
  const std::vector<int64_t> places = last->Placements();
  for (size_t place = 0; place < places.size(); ++place) {
    LCDS::RosterDTO& roster = world_.rosters.at(places[place]);
    const int32_t vp = place < 3 ? kPlacementVp[place] : kTakingPartVp;
    LCDS::JoustRewardDefinition reward;
    reward.rewardType = place == 0 ? LCDS::JoustRewardType::kTrophy : LCDS::JoustRewardType::kVp;
    reward.rewardSpec.tier = std::to_string(roster.tier);
    reward.rewardSpec.theme = std::to_string(tournament.dto.themeId);
    reward.rewardSpec.cup = place == 0 ? "gold" : "";
    reward.rewardSpec.quantity = std::to_string(vp);
    reward.rewardSpec.name = tournament.dto.nameLocKey;
    for (uint64_t id : LineUp(roster.id)) {
      PlayerState* player = world_.FindPlayer(id);
      if (!player) continue;
      player->seasonVp += vp;
      player->themeVp[tournament.dto.themeId] += vp;
      const std::string eventId = "evt-" + std::to_string(tournamentId) + "-" +
                                  std::to_string(roster.id) + "-" + std::to_string(id);
      LCDS::JoustEventData event;
      event.earnedDate = FormatUtcTime(clock_.NowMs());
      event.rewardType = place == 0 ? "TROPHY" : "VP";
      event.tournamentId = tournamentId;
      event.tournamentName = tournament.dto.nameLocKey;
      event.tier = std::to_string(roster.tier);
      event.bracket = static_cast<int32_t>(place + 1);
      event.theme = std::to_string(tournament.dto.themeId);
      event.teamName = roster.name;
      event.teamLogoName = std::to_string(roster.logo);
      event.teamLogoChromaId = std::to_string(roster.logoColor);
      for (uint64_t member : LineUp(roster.id)) event.playerUUIDs.push_back(std::to_string(member));
      event.rewardSpec = reward.rewardSpec;
      world_.events[eventId] = event;
      player->eventIds.push_back(eventId);
      service_.push().EogPlayer(
          ZMS::EogPlayerUpdateDTO{tournamentId, -1, place == 0, vp, vp, {reward}, {}}, id);
    }
    if (place == 0) {
      Api::TournamentWinnerInfo winner;
      winner.rosterId = roster.id;
      winner.tier = roster.tier;
      winner.shortName = roster.shortName;
      winner.name = roster.name;
      winner.logo = roster.logo;
      winner.logoColor = roster.logoColor;
      winner.createTime = clock_.NowMs();
      int64_t total = 0;
      int32_t wins = 0;
      for (const auto& period : world_.stats[roster.id].stats.periodStats) {
        for (const auto& played : period.matchStats) {
          if (played.win && played.duration > 0) {
            total += played.duration;
            ++wins;
          }
        }
      }
      winner.averageWinDuration = wins ? total / wins : 0;
      for (uint64_t id : LineUp(roster.id)) winner.playerIds.push_back(id);
      tournament.winners.winners.push_back(winner);
    }
  }
  Log(tournament.dto.nameLocKey + " ends: " + RosterName(places.front()) + " wins");
  if (hooks_.tournamentFinished) hooks_.tournamentFinished(tournamentId);
}

}  // namespace kiv::standin
