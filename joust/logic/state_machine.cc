#include "joust/logic/state_machine.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

namespace kiv::joust {
namespace {

using LCDS::SubState;

const LCDS::PhaseRosterDTO* PhaseEntry(const LCDS::RosterDTO& roster, int64_t phaseId) {
  for (const LCDS::PhaseRosterDTO& phase : roster.phases) {
    if (phase.phaseId == phaseId) return &phase;
  }
  return nullptr;
}

const LCDS::TournamentPhaseDTO* PhaseById(const LCDS::TournamentDTO& tournament, int64_t id) {
  if (id == -1) return nullptr;
  for (const LCDS::TournamentPhaseDTO& phase : tournament.phases) {
    if (phase.id == id) return &phase;
  }
  return nullptr;
}

struct PhaseSelection {
  int64_t current = -1;
  int64_t next = -1;
  int32_t remainingPeriods = 0;
};

// The latest phase whose registration has opened is current, except that a
// phase whose roster still has an unfinished match keeps its place and the
// following phase is reported as next.
PhaseSelection SelectPhases(const LCDS::TournamentDTO& tournament, const LCDS::RosterDTO* roster,
                            const LCDS::Bracket* bracket, int64_t now) {
  std::vector<const LCDS::TournamentPhaseDTO*> phases;
  for (const LCDS::TournamentPhaseDTO& phase : tournament.phases) phases.push_back(&phase);
  std::stable_sort(phases.begin(), phases.end(), [](const auto* left, const auto* right) {
    return left->startTime < right->startTime;
  });
  std::set<int32_t> remaining;
  for (const auto* phase : phases) remaining.insert(phase->period);
  bool advance = false;
  const LCDS::TournamentPhaseDTO* current = nullptr;
  const LCDS::TournamentPhaseDTO* next = nullptr;
  for (const auto* phase : phases) {
    if (roster) {
      // The roster plays another phase of this period.
      const bool otherOfPeriod =
          std::any_of(roster->phases.begin(), roster->phases.end(), [&](const auto& entry) {
            return entry.phaseId != phase->id && entry.period == phase->period;
          });
      if (otherOfPeriod) continue;
    }
    if (now < phase->registrationTime || advance) {
      next = phase;
      break;
    }
    current = phase;
    remaining.erase(phase->period);
    if (roster && !roster->eliminated && bracket && bracket->phaseId == phase->id &&
        OpenMatch(*bracket, roster->id)) {
      advance = true;
    }
  }
  PhaseSelection selection;
  selection.current = current ? current->id : -1;
  selection.next = next ? next->id : -1;
  selection.remainingPeriods =
      static_cast<int32_t>(remaining.size()) + (current && now < current->startTime ? 1 : 0);
  return selection;
}

}  // namespace

bool ParseRosterId(std::string_view text, int64_t& id) {
  if (text.empty()) return false;
  const std::string copy(text);
  char* end = nullptr;
  errno = 0;
  const long long value = std::strtoll(copy.c_str(), &end, 10);
  if (end == copy.c_str() || *end != '\0' || errno == ERANGE) return false;
  id = value;
  return true;
}

bool SubstitutionStands(const LCDS::PhaseRosterSubDTO& sub) {
  return sub.subState != SubState::kSuggested && sub.subState != SubState::kDeclined &&
         sub.subState != SubState::kRevoked;
}

const LCDS::PhaseRosterSubDTO* ActiveSubstitutionReplacing(const LCDS::RosterDTO& roster,
                                                           int64_t phaseId, uint64_t playerId) {
  return FindSubstitution(roster, phaseId, [playerId](const LCDS::PhaseRosterSubDTO& sub) {
    return sub.replacedPlayerId == playerId && SubstitutionStands(sub);
  });
}

const LCDS::BracketMatch* OpenMatch(const LCDS::Bracket& bracket, int64_t rosterId) {
  for (const auto* list : {&bracket.matches, &bracket.loserBracketMatches}) {
    for (const LCDS::BracketMatch& match : *list) {
      if ((match.rosterId1 == rosterId || match.rosterId2 == rosterId) &&
          match.status != LCDS::ClientBracketMatchStatus::kCompleted) {
        return &match;
      }
    }
  }
  return nullptr;
}

bool BracketComplete(const LCDS::Bracket& bracket) {
  for (const auto* list : {&bracket.matches, &bracket.loserBracketMatches}) {
    for (const LCDS::BracketMatch& match : *list) {
      if (match.status != LCDS::ClientBracketMatchStatus::kCompleted) return false;
    }
  }
  return true;
}

Api::TournamentStateInfo ComputeStateInfo(const LCDS::TournamentDTO& tournament,
                                          const LCDS::RosterDTO* roster,
                                          const LCDS::Bracket* bracket, int64_t now,
                                          uint64_t summonerId) {
  const PhaseSelection phases = SelectPhases(tournament, roster, bracket, now);
  const LCDS::TournamentPhaseDTO* current = PhaseById(tournament, phases.current);
  const LCDS::TournamentPhaseDTO* next = PhaseById(tournament, phases.next);
  if (bracket && current && bracket->phaseId != current->id) bracket = nullptr;
  const LCDS::BracketMatch* match = roster && bracket ? OpenMatch(*bracket, roster->id) : nullptr;

  const bool active = now >= tournament.scheduleTime && !(now >= tournament.scheduleEndTime);
  const bool phaseStarted = current && now >= current->startTime;
  const bool registered =
      roster && current && current->id != -1 && PhaseEntry(*roster, current->id);
  const bool missedPhase = phaseStarted && !registered;
  const bool bracketDone = bracket && !match;
  const bool eliminatedHere = roster && registered && roster->eliminated;
  const bool subbedOut =
      roster && registered &&
      ActiveSubstitutionReplacing(*roster, current ? current->id : -1, summonerId) != nullptr;
  const bool outOfPhase = !current || missedPhase || eliminatedHere || bracketDone || subbedOut;
  const bool roundStarted = match && match->roundStartTime > 0 && now >= match->roundStartTime;

  Api::TournamentStateInfo info;
  info.tournamentId = tournament.id;
  info.currentPhaseId = current ? current->id : -1;
  info.nextPhaseId = next ? next->id : -1;
  info.numRemainingPeriods = phases.remainingPeriods;
  using Api::TournamentState;
  if (!active) {
    info.state = TournamentState::kResults;
    info.nextStateChangeTime = -1;
  } else if (outOfPhase && next) {
    info.state = TournamentState::kIdle;
    info.nextStateChangeTime = next->registrationTime;
  } else if (outOfPhase) {
    info.state = TournamentState::kResults;
    info.nextStateChangeTime = -1;
  } else if (!phaseStarted) {
    info.state = TournamentState::kLockIn;
    info.nextStateChangeTime = current->startTime;
  } else if (!roundStarted) {
    info.state = TournamentState::kScouting;
    info.nextStateChangeTime = match ? match->roundStartTime : -1;
  } else {
    info.state = TournamentState::kInGame;
    info.nextStateChangeTime = -1;
  }
  return info;
}

}  // namespace kiv::joust
