#include "standin/service/world.h"

#include <algorithm>
#include <climits>

namespace kiv::standin {

using LCDS::PendingRosterMemberState;
using LCDS::SubState;

PlayerState* World::FindPlayer(uint64_t id) {
  const auto found = players.find(id);
  return found == players.end() ? nullptr : &found->second;
}

TournamentState* World::FindTournament(int64_t id) {
  const auto found = tournaments.find(id);
  return found == tournaments.end() ? nullptr : &found->second;
}

LCDS::PendingRosterDTO* World::FindPending(const std::string& invitationId) {
  const auto found = pending.find(invitationId);
  return found == pending.end() ? nullptr : &found->second;
}

LCDS::RosterDTO* World::FindRoster(int64_t id) {
  const auto found = rosters.find(id);
  return found == rosters.end() ? nullptr : &found->second;
}

const LCDS::TournamentPhaseDTO* World::FindPhase(int64_t tournamentId, int64_t phaseId) const {
  const auto found = tournaments.find(tournamentId);
  if (found == tournaments.end()) return nullptr;
  for (const auto& phase : found->second.dto.phases) {
    if (phase.id == phaseId) return &phase;
  }
  return nullptr;
}

LCDS::PendingRosterDTO* World::PendingOf(int64_t tournamentId, uint64_t player) {
  for (auto& [id, roster] : pending) {
    if (roster.tournamentId != tournamentId) continue;
    for (const auto* member : ActiveMembers(roster)) {
      if (member->playerId == player) return &roster;
    }
  }
  return nullptr;
}

LCDS::RosterDTO* World::RosterOf(int64_t tournamentId, uint64_t player) {
  for (auto& [id, roster] : rosters) {
    if (roster.tournamentId != tournamentId) continue;
    for (const auto& member : roster.members) {
      if (member.playerId == player) return &roster;
    }
  }
  return nullptr;
}

DoubleElimination* World::BracketOfPhase(int64_t tournamentId, int64_t phaseId) {
  TournamentState* tournament = FindTournament(tournamentId);
  if (!tournament) return nullptr;
  const auto found = tournament->bracketOfPhase.find(phaseId);
  if (found == tournament->bracketOfPhase.end()) return nullptr;
  const auto bracket = brackets.find(found->second);
  return bracket == brackets.end() ? nullptr : &bracket->second;
}

LCDS::RosterDTO& World::AddRoster(int64_t tournamentId, int64_t phaseId, const std::string& name,
                                  const std::string& shortName, int32_t logo, int32_t logoColor,
                                  const std::vector<Entrant>& members) {
  constexpr int64_t kVoteTimeoutMs = 2 * 60'000;
  constexpr int64_t kWithdrawLockoutMs = 10 * 60'000;
  constexpr int64_t kGameStartBufferMs = 5 * 60'000;
  const TournamentState& tournament = tournaments.at(tournamentId);
  const LCDS::TournamentPhaseDTO& phase = *FindPhase(tournamentId, phaseId);
  LCDS::RosterDTO roster;
  roster.version = 1;
  roster.id = nextRosterId++;
  roster.tournamentId = tournamentId;
  roster.name = name;
  roster.shortName = shortName;
  roster.logo = logo;
  roster.logoColor = logoColor;
  roster.captainId = members.empty() ? 0 : members.front().player;
  LCDS::RosterDynamicStateDTO& state = roster.dynamicState;
  state.version = 1;
  state.tournamentId = tournamentId;
  state.rosterId = roster.id;
  state.withdraw =
      LCDS::RosterWithdraw{-1, 0, kVoteTimeoutMs, kWithdrawLockoutMs, kGameStartBufferMs, {}, {}};
  int32_t total = 0;
  for (const Entrant& member : members) {
    PlayerState* player = FindPlayer(member.player);
    const int32_t paid = std::min(member.bet, player ? player->tickets : 0);
    if (player) player->tickets -= paid;
    total += paid;
    roster.members.push_back(LCDS::RosterMemberDTO{roster.id, member.player, tournamentId, paid,
                                                   member.position, member.joinTime});
    state.members.push_back(LCDS::PhaseInMember{member.player, paid, 0, paid});
    state.phaseCheckinStates.push_back(member.player);
  }
  roster.tier = TierOf(total, tournament.dto.rosterSize);
  roster.phases.push_back(LCDS::PhaseRosterDTO{phase.id, phase.period, {}, std::nullopt});
  LCDS::RosterStatsDTO& record = stats[roster.id];
  record.rosterId = roster.id;
  record.tournamentThemeId = tournament.dto.themeId;
  record.tournamentNameLocKey = tournament.dto.nameLocKey;
  for (const auto& each : tournament.dto.phases) {
    record.tournamentPeriods = std::max(record.tournamentPeriods, each.period);
  }
  record.tier = roster.tier;
  record.rosterName = roster.name;
  record.rosterShortName = roster.shortName;
  record.rosterLogo = roster.logo;
  record.rosterLogoColor = roster.logoColor;
  const int64_t id = roster.id;
  return rosters[id] = std::move(roster);
}

int32_t TierOf(int32_t totalBet, int32_t rosterSize) {
  return std::clamp(1 + totalBet / std::max(rosterSize, 1), 1, 4);
}

LCDS::RosterDTO World::RosterView(const LCDS::RosterDTO& roster) {
  // Only the bracket the roster plays in now, its latest phase's: a client
  // takes the first phase entry that carries one as the roster's bracket.
  LCDS::RosterDTO view = roster;
  LCDS::PhaseRosterDTO* latest = nullptr;
  int64_t latestStart = INT64_MIN;
  for (auto& phase : view.phases) {
    const LCDS::TournamentPhaseDTO* schedule = FindPhase(roster.tournamentId, phase.phaseId);
    if (schedule && schedule->startTime > latestStart &&
        BracketOfPhase(roster.tournamentId, phase.phaseId)) {
      latestStart = schedule->startTime;
      latest = &phase;
    }
  }
  if (latest) latest->bracketDTO = BracketOfPhase(roster.tournamentId, latest->phaseId)->bracket();
  return view;
}

std::vector<uint64_t> World::PlayersOf(const LCDS::RosterDTO& roster) const {
  std::vector<uint64_t> ids;
  for (const auto& member : roster.members) ids.push_back(member.playerId);
  for (const auto& sub : roster.dynamicState.phaseRosterSubs) {
    if (IsActiveSub(sub) && std::find(ids.begin(), ids.end(), sub.playerId) == ids.end()) {
      ids.push_back(sub.playerId);
    }
  }
  return ids;
}

std::vector<uint64_t> World::PlayersOf(const LCDS::PendingRosterDTO& roster) const {
  std::vector<uint64_t> ids;
  for (const auto* member : ActiveMembers(roster)) ids.push_back(member->playerId);
  return ids;
}

std::vector<const LCDS::PendingRosterMemberDTO*> ActiveMembers(
    const LCDS::PendingRosterDTO& roster) {
  std::vector<const LCDS::PendingRosterMemberDTO*> members;
  for (const auto& member : roster.members) {
    if (member.memberState != PendingRosterMemberState::kLeft &&
        member.memberState != PendingRosterMemberState::kKick) {
      members.push_back(&member);
    }
  }
  return members;
}

bool IsActiveSub(const LCDS::PhaseRosterSubDTO& sub) {
  return sub.subState == SubState::kNotReady || sub.subState == SubState::kForcedNotReady ||
         sub.subState == SubState::kReady;
}

LCDS::PhaseRosterSubDTO* FindSub(LCDS::RosterDTO& roster, uint64_t player) {
  for (auto& sub : roster.dynamicState.phaseRosterSubs) {
    if (sub.playerId == player && (IsActiveSub(sub) || sub.subState == SubState::kPending)) {
      return &sub;
    }
  }
  return nullptr;
}

void BumpPending(LCDS::PendingRosterDTO& roster) { ++roster.version; }

void BumpRoster(LCDS::RosterDTO& roster) {
  ++roster.version;
  ++roster.dynamicState.version;
}

}  // namespace kiv::standin
