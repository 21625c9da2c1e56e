#include "joust/logic/cache.h"

#include <algorithm>

#include "joust/backend/backend_methods.h"
#include "joust/logic/joust_plugin.h"
#include "joust/logic/rest_builders.h"
#include "joust/logic/state_machine.h"
#include "sdk/runtime/mutation_point.h"
#include "sdk/value/conversion_status.h"
#include "sdk/value/format_message.h"
#include "sdk/value/native/convert.h"

namespace kiv::joust {
namespace {

using Api::PlayerState;

Api::PlayerTournamentData& Standing(JoustPluginState& state, int64_t tournamentId) {
  return state.playerTournamentData[tournamentId];  // a new entry starts as "NO_ROSTER"
}

void MarkRosterWrite(JoustPluginState& state, int64_t tournamentId, int64_t rosterId) {
  JoustChangeSet& changes = *state.changes;
  changes.stateInfoDirty.Insert(tournamentId);
  changes.playerDataChanged.Insert(tournamentId);
  changes.rostersChanged.Insert({tournamentId, std::to_string(rosterId)});
  changes.restrictionChanged = true;
  changes.playerChanged = true;
}

Failure NoTournament(int64_t tournamentId) {
  return Failure(404, FormatMessage("No tournament with the id %1 exists", tournamentId));
}

Failure NoRoster(int64_t tournamentId, std::string_view rosterId) {
  return Failure(404, FormatMessage("No roster found with tournamentId %1 and rosterId %2",
                                    tournamentId, rosterId));
}

// Records have no equality of their own; their values do.
bool SameTournament(const LCDS::TournamentDTO& left, const LCDS::TournamentDTO& right) {
  ConversionStatus status;
  BindingProperty a;
  BindingProperty b;
  ToValue(left, a, status);
  ToValue(right, b, status);
  return status.IsValid() && a == b;
}

}  // namespace

bool IsNewer(int32_t offered, int32_t cached) {
  return offered > cached || MutationActive("stale-roster-applied");
}

bool IsOlder(int32_t offered, int32_t cached) {
  return offered < cached && !MutationActive("stale-roster-applied");
}

void SetRoster(JoustPluginState& state, int64_t tournamentId, int64_t rosterId,
               const std::optional<LCDS::RosterDTO>& roster) {
  Api::PlayerTournamentData& standing = Standing(state, tournamentId);
  if (!roster) {
    state.rosters.erase({tournamentId, rosterId});
    standing.rosterId.clear();
    standing.state = PlayerState::kNoRoster;
    MarkRosterWrite(state, tournamentId, rosterId);
    return;
  }
  const auto cached = state.rosters.find({tournamentId, rosterId});
  if (cached != state.rosters.end() && !IsNewer(roster->version, cached->second.version)) return;
  state.rosters[{tournamentId, rosterId}] = *roster;
  standing.rosterId = std::to_string(rosterId);
  const LCDS::Bracket* bracket = nullptr;
  for (const LCDS::PhaseRosterDTO& phase : roster->phases) {
    if (!phase.bracketDTO) continue;
    SetBracket(state, tournamentId, *phase.bracketDTO);
    bracket = &state.brackets[phase.bracketDTO->id];
    break;
  }
  // SetBracket may have added entries: look the standing up again.
  Api::PlayerTournamentData& after = Standing(state, tournamentId);
  if (!bracket) {
    const auto known = state.brackets.find(after.bracketId);
    if (known != state.brackets.end()) bracket = &known->second;
  }
  if (roster->eliminated) {
    after.state = PlayerState::kEliminated;
  } else if (!bracket) {
    after.state = PlayerState::kHasRoster;
  }
  MarkRosterWrite(state, tournamentId, rosterId);
}

void SetBracket(JoustPluginState& state, int64_t tournamentId, LCDS::Bracket bracket) {
  const auto cached = state.brackets.find(bracket.id);
  if (cached != state.brackets.end() && cached->second.version >= bracket.version) return;
  auto byRound = [](const LCDS::BracketMatch& a, const LCDS::BracketMatch& b) {
    return a.round != b.round ? a.round > b.round : a.order < b.order;
  };
  std::stable_sort(bracket.matches.begin(), bracket.matches.end(), byRound);
  std::stable_sort(bracket.loserBracketMatches.begin(), bracket.loserBracketMatches.end(), byRound);
  const int64_t bracketId = bracket.id;
  state.brackets[bracketId] = std::move(bracket);
  Api::PlayerTournamentData& standing = Standing(state, tournamentId);
  if (standing.state != PlayerState::kEliminated) standing.state = PlayerState::kBracketRoster;
  standing.bracketId = bracketId;
  JoustChangeSet& changes = *state.changes;
  changes.stateInfoDirty.Insert(tournamentId);
  changes.playerDataChanged.Insert(tournamentId);
  changes.bracketsChanged.Insert({tournamentId, bracketId});
  changes.restrictionChanged = true;
}

void SetPendingRoster(JoustPluginState& state, int64_t tournamentId,
                      const LCDS::PendingRosterDTO& roster) {
  JoustChangeSet& changes = *state.changes;
  const auto cached = state.pendingRosterByTournament.find(tournamentId);
  if (cached != state.pendingRosterByTournament.end()) {
    // Versions compare copies of one roster only: another roster (one the
    // player joined while still in this one) replaces it whatever its
    // version, and the one replaced is published as gone.
    if (cached->second.invitationId == roster.invitationId) {
      if (!IsNewer(roster.version, cached->second.version)) return;
    } else {
      changes.rostersChanged.Insert({tournamentId, cached->second.invitationId});
    }
  }
  // The invitation the player accepted is an invitation no more.
  DropInvitation(state, tournamentId, roster.invitationId);
  state.pendingRosterByTournament[tournamentId] = roster;
  Api::PlayerTournamentData& standing = Standing(state, tournamentId);
  standing.state = PlayerState::kHasRoster;
  standing.rosterId = roster.invitationId;
  changes.playerDataChanged.Insert(tournamentId);
  changes.rostersChanged.Insert({tournamentId, roster.invitationId});
  changes.playerChanged = true;
}

void RemovePendingRoster(JoustPluginState& state, int64_t tournamentId,
                         const std::string& invitationId) {
  JoustChangeSet& changes = *state.changes;
  if (const auto own = state.pendingRosterByTournament.find(tournamentId);
      own != state.pendingRosterByTournament.end() && own->second.invitationId == invitationId) {
    state.pendingRosterByTournament.erase(own);
    changes.rostersChanged.Insert({tournamentId, invitationId});
    state.playerTournamentData[tournamentId] = Api::PlayerTournamentData{};
    changes.playerDataChanged.Insert(tournamentId);
    changes.stateInfoDirty.Insert(tournamentId);
  }
  DropInvitation(state, tournamentId, invitationId);
}

void DropInvitation(JoustPluginState& state, int64_t tournamentId,
                    const std::string& invitationId) {
  const auto invitations = state.invitationsByTournament.find(tournamentId);
  if (invitations == state.invitationsByTournament.end()) return;
  if (std::erase_if(invitations->second, [&](const LCDS::PendingRosterDTO& invitation) {
        return invitation.invitationId == invitationId;
      }) != 0) {
    state.changes->invitationsChanged.Insert(tournamentId);
    // The invitation's roster was published at its own path: it goes too.
    state.changes->rostersChanged.Insert({tournamentId, invitationId});
  }
}

bool DropInvitations(JoustPluginState& state, int64_t tournamentId) {
  const auto invitations = state.invitationsByTournament.find(tournamentId);
  if (invitations == state.invitationsByTournament.end()) return false;
  // Each invitation's roster was published at its own path: it goes too.
  for (const LCDS::PendingRosterDTO& invitation : invitations->second) {
    state.changes->rostersChanged.Insert({tournamentId, invitation.invitationId});
  }
  if (!invitations->second.empty()) state.changes->invitationsChanged.Insert(tournamentId);
  invitations->second.clear();
  return true;
}

bool SetInvitation(JoustPluginState& state, const LCDS::PendingRosterDTO& roster) {
  const int64_t id = roster.tournamentId;
  std::vector<LCDS::PendingRosterDTO>& invitations = state.invitationsByTournament[id];
  const auto same = std::find_if(
      invitations.begin(), invitations.end(),
      [&](const auto& invitation) { return invitation.invitationId == roster.invitationId; });
  if (same == invitations.end()) {
    invitations.push_back(roster);
  } else if (IsNewer(roster.version, same->version)) {
    *same = roster;
  } else {
    return false;
  }
  state.changes->invitationsChanged.Insert(id);
  state.changes->rostersChanged.Insert({id, roster.invitationId});
  return true;
}

void SetSubstituteInvitation(JoustPluginState& state, const LCDS::RosterDTO& roster) {
  const int64_t id = roster.tournamentId;
  std::vector<LCDS::RosterDTO>& invitations = state.subInvitationsByTournament[id];
  const auto same =
      std::find_if(invitations.begin(), invitations.end(),
                   [&](const LCDS::RosterDTO& invitation) { return invitation.id == roster.id; });
  if (same == invitations.end()) {
    invitations.push_back(roster);
  } else if (IsNewer(roster.version, same->version)) {
    *same = roster;
  }
  state.changes->rostersChanged.Insert({id, std::to_string(roster.id)});
}

void SetHomeRoster(JoustPluginState& state, const LCDS::RosterDTO& roster) {
  const int64_t id = roster.tournamentId;
  const auto cached = state.rosters.find({id, roster.id});
  if (cached != state.rosters.end() && !IsNewer(roster.version, cached->second.version)) return;
  state.rosters[{id, roster.id}] = roster;
  state.changes->rostersChanged.Insert({id, std::to_string(roster.id)});
}

void DropOwnPendingRoster(JoustPluginState& state, int64_t tournamentId) {
  const auto pending = state.pendingRosterByTournament.find(tournamentId);
  if (pending == state.pendingRosterByTournament.end()) return;
  state.changes->rostersChanged.Insert({tournamentId, pending->second.invitationId});
  state.pendingRosterByTournament.erase(pending);
}

void DropBracket(JoustPluginState& state, int64_t tournamentId, int64_t bracketId) {
  if (bracketId != -1 && state.brackets.erase(bracketId) != 0) {
    state.changes->bracketsChanged.Insert({tournamentId, bracketId});
  }
}

bool SetRosterDynamicState(JoustPluginState& state, const LCDS::RosterDynamicStateDTO& dynamic) {
  if (const auto cached = state.rosters.find({dynamic.tournamentId, dynamic.rosterId});
      cached != state.rosters.end()) {
    if (cached->second.dynamicState.version >= dynamic.version) return false;
    // The roster's own version stays: the dynamic state carries its own.
    cached->second.dynamicState = dynamic;
    MarkRosterWrite(state, dynamic.tournamentId, dynamic.rosterId);
    return true;
  }
  const auto subs = state.subInvitationsByTournament.find(dynamic.tournamentId);
  if (subs == state.subInvitationsByTournament.end()) return false;
  bool replaced = false;
  for (LCDS::RosterDTO& sub : subs->second) {
    if (sub.id != dynamic.rosterId || sub.dynamicState.version >= dynamic.version) continue;
    sub.dynamicState = dynamic;
    state.changes->rostersChanged.Insert({dynamic.tournamentId, std::to_string(sub.id)});
    replaced = true;
  }
  return replaced;
}

void MergeMinimalInfo(JoustPlugin& plugin, const std::vector<LCDS::TournamentInfoDTO>& infos,
                      int64_t serverTime) {
  JoustPluginState& state = plugin.state();
  plugin.SyncServerClock(serverTime);
  JoustChangeSet& changes = *state.changes;
  // Everything cached now is marked, so that what the answer no longer holds
  // is published as removed.
  for (const auto& [id, tournament] : state.tournaments) {
    changes.tournamentsChanged.Insert(id);
    changes.stateInfoDirty.Insert(id);
    changes.playerDataChanged.Insert(id);
    changes.invitationsChanged.Insert(id);
  }
  for (const auto& [key, roster] : state.rosters) {
    changes.rostersChanged.Insert({key.first, std::to_string(key.second)});
  }
  for (const auto& [id, pending] : state.pendingRosterByTournament) {
    changes.rostersChanged.Insert({id, pending.invitationId});
  }
  for (const auto& [id, bracket] : state.brackets) {
    if (MutationActive("refresh-drops-brackets-unpublished")) break;
    changes.bracketsChanged.Insert({bracket.tournamentId, id});
  }
  for (const auto& [id, invitations] : state.invitationsByTournament) {
    for (const auto& invitation : invitations)
      changes.rostersChanged.Insert({id, invitation.invitationId});
  }
  for (const auto& [id, subs] : state.subInvitationsByTournament) {
    for (const LCDS::RosterDTO& sub : subs) {
      changes.rostersChanged.Insert({id, std::to_string(sub.id)});
    }
  }
  state.rosters.Reset();
  state.pendingRosterByTournament.Reset();
  state.invitationsByTournament.Reset();
  state.subInvitationsByTournament.Reset();
  state.playerTournamentData.Reset();
  state.brackets.Reset();

  for (const LCDS::TournamentInfoDTO& info : infos) {
    const int64_t id = info.tournament.id;
    const auto cached = state.tournaments.find(id);
    // A tournament seen for the first time is marked too: a first login has
    // nothing cached before, and must publish everything it learns.
    if (cached != state.tournaments.end() && SameTournament(cached->second, info.tournament)) {
      changes.tournamentsChanged.Erase(id);
    } else {
      changes.tournamentsChanged.Insert(id);
    }
    changes.stateInfoDirty.Insert(id);
    state.tournaments[id] = info.tournament;
    state.playerTournamentData[id] = Api::PlayerTournamentData{};
    changes.playerDataChanged.Insert(id);
    if (info.roster) {
      SetRoster(state, id, info.roster->id, *info.roster);
    } else if (info.pendingRoster) {
      SetPendingRoster(state, id, *info.pendingRoster);
    }
    std::vector<LCDS::PendingRosterDTO>& invitations = state.invitationsByTournament[id];
    for (const LCDS::PendingRosterDTO& invitation : info.inviteePendingRosters) {
      invitations.push_back(invitation);
      changes.rostersChanged.Insert({id, invitation.invitationId});
    }
    const int64_t phase = CurrentPhaseId(plugin, id);
    for (const LCDS::RosterDTO& sub : info.subRosters) {
      // The player's own entry, whatever its state: the state decides below.
      const LCDS::PhaseRosterSubDTO* entry =
          FindSubstitution(sub, phase, [&state](const LCDS::PhaseRosterSubDTO& candidate) {
            return candidate.playerId == state.summonerId;
          });
      if (!entry || entry->subState == LCDS::SubState::kDeclined ||
          entry->subState == LCDS::SubState::kRevoked) {
        continue;
      }
      if (entry->subState == LCDS::SubState::kPending) {
        state.subInvitationsByTournament[id].push_back(sub);
        changes.rostersChanged.Insert({id, std::to_string(sub.id)});
        continue;
      }
      int64_t home = 0;
      if (ParseRosterId(state.playerTournamentData[id].rosterId, home)) {
        state.homeRosterByTournament[id] = home;
      }
      SetRoster(state, id, sub.id, sub);
    }
    changes.invitationsChanged.Insert(id);
  }
  changes.restrictionChanged = true;
  state.minimalInfoLoaded = true;
}

MaybeType<Failure, void> RefreshPlayerInfo(JoustPlugin& plugin) {
  auto info = plugin.backend().Call<kGetTournamentPlayerInfo>();
  if (!info.ok()) return Fail(std::move(info).takeFailure());
  JoustPluginState& state = plugin.state();
  state.tickets.tickets = info->player.tickets;
  state.changes->playerChanged = true;
  state.rewards = Api::PlayerRewards{.seasonVp = info->seasonVp, .themeVp = {}};
  for (const LCDS::ThemeVp& vp : info->themeVps)
    state.rewards.themeVp.push_back({vp.themeId, vp.themeVp});
  state.changes->rewardsChanged = true;
  state.history.clear();
  for (const LCDS::RosterStatsDTO& stats : info->rosterStats) {
    state.history.push_back(BuildRosterStats(stats));
  }
  state.changes->historyChanged = true;
  MergeMinimalInfo(plugin, info->tournamentInfo, info->time);
  plugin.RunPublicationPass();
  return Ok();
}

int64_t CurrentPhaseId(const JoustPlugin& plugin, int64_t tournamentId) {
  const JoustPluginState& state = plugin.state();
  const auto tournament = state.tournaments.find(tournamentId);
  if (tournament == state.tournaments.end()) return -1;
  return ComputeStateInfo(tournament->second, PlayerRoster(state, tournamentId),
                          PlayerBracket(state, tournamentId), plugin.ServerNow(), state.summonerId)
      .currentPhaseId;
}

MaybeType<Failure, Api::Tournament> ReadTournament(const JoustPlugin& plugin,
                                                   int64_t tournamentId) {
  const auto found = plugin.state().tournaments.find(tournamentId);
  if (found == plugin.state().tournaments.end()) return Fail(NoTournament(tournamentId));
  return BuildTournament(found->second, plugin.ServerNow());
}

MaybeType<Failure, Api::TournamentStateInfo> ReadStateInfo(const JoustPlugin& plugin,
                                                           int64_t tournamentId) {
  const auto found = plugin.state().stateInfos.find(tournamentId);
  if (found == plugin.state().stateInfos.end()) return Fail(NoTournament(tournamentId));
  return found->second;
}

Api::PlayerTournamentData ReadPlayerTournamentData(const JoustPluginState& state,
                                                   int64_t tournamentId) {
  const auto found = state.playerTournamentData.find(tournamentId);
  return found == state.playerTournamentData.end() ? Api::PlayerTournamentData{} : found->second;
}

MaybeType<Failure, CachedRoster> FindCachedRoster(const JoustPluginState& state,
                                                  int64_t tournamentId, std::string_view rosterId) {
  if (rosterId.empty() || rosterId == "-1") {
    return Fail(Failure(
        400, FormatMessage("Invalid GetRoster request for tournament %1, rosterId is invalid",
                           tournamentId)));
  }
  CachedRoster found;
  int64_t number = 0;
  if (!ParseRosterId(rosterId, number)) {
    // Not a number: the invitation id of a pending roster.
    if (const auto own = state.pendingRosterByTournament.find(tournamentId);
        own != state.pendingRosterByTournament.end() && own->second.invitationId == rosterId) {
      found.pending = &own->second;
      return found;
    }
    if (const auto invitations = state.invitationsByTournament.find(tournamentId);
        invitations != state.invitationsByTournament.end()) {
      for (const LCDS::PendingRosterDTO& invitation : invitations->second) {
        if (invitation.invitationId == rosterId) {
          found.pending = &invitation;
          return found;
        }
      }
    }
    return Fail(NoRoster(tournamentId, rosterId));
  }
  if (const auto registered = state.rosters.find({tournamentId, number});
      registered != state.rosters.end()) {
    found.registered = &registered->second;
    return found;
  }
  if (const auto subs = state.subInvitationsByTournament.find(tournamentId);
      subs != state.subInvitationsByTournament.end()) {
    for (const LCDS::RosterDTO& sub : subs->second) {
      if (sub.id == number) {
        found.substitute = &sub;
        return found;
      }
    }
  }
  return Fail(NoRoster(tournamentId, rosterId));
}

MaybeType<Failure, Api::Roster> ReadRoster(const JoustPlugin& plugin, int64_t tournamentId,
                                           std::string_view rosterId) {
  const JoustPluginState& state = plugin.state();
  KIV_TRY_ASSIGN(const CachedRoster found, FindCachedRoster(state, tournamentId, rosterId));
  if (found.pending) return BuildPendingRoster(*found.pending);
  if (found.substitute) {
    return BuildRegisteredRoster(*found.substitute,
                                 RosterContext{nullptr, -1, false, state.summonerId});
  }
  const LCDS::RosterDTO& roster = *found.registered;
  RosterContext context;
  context.bracket = PlayerBracket(state, tournamentId);
  context.currentPhaseId = CurrentPhaseId(plugin, tournamentId);
  context.summonerId = state.summonerId;
  const bool registeredNow = std::any_of(
      roster.phases.begin(), roster.phases.end(),
      [&](const LCDS::PhaseRosterDTO& phase) { return phase.phaseId == context.currentPhaseId; });
  const bool stillPlaying = !context.bracket ||
                            context.bracket->phaseId != context.currentPhaseId ||
                            OpenMatch(*context.bracket, roster.id) != nullptr;
  context.active =
      !roster.eliminated && context.currentPhaseId != -1 && registeredNow && stillPlaying;
  return BuildRegisteredRoster(roster, context);
}

MaybeType<Failure, Api::Bracket> ReadBracket(const JoustPlugin& plugin, int64_t tournamentId,
                                             int64_t bracketId) {
  const JoustPluginState& state = plugin.state();
  const auto found = state.brackets.find(bracketId);
  if (found == state.brackets.end()) {
    return Fail(Failure(404, FormatMessage("No bracket with the id %1 exists for tournament %2",
                                           bracketId, tournamentId)));
  }
  int32_t period = 0;
  if (const auto tournament = state.tournaments.find(tournamentId);
      tournament != state.tournaments.end()) {
    for (const LCDS::TournamentPhaseDTO& phase : tournament->second.phases) {
      if (phase.id == found->second.phaseId) period = phase.period;
    }
  }
  return BuildBracket(found->second, period);
}

std::vector<int64_t> ReadTournamentIds(const JoustPluginState& state) {
  std::vector<int64_t> ids;
  for (const auto& [id, tournament] : state.tournaments) ids.push_back(id);
  return ids;
}

std::vector<Api::TournamentSummary> ReadTournamentSummaries(const JoustPluginState& state) {
  std::vector<Api::TournamentSummary> summaries;
  for (const auto& [id, tournament] : state.tournaments) {
    Api::TournamentSummary summary;
    const auto info = state.stateInfos.find(id);
    summary.state =
        info == state.stateInfos.end() ? Api::TournamentState::kResults : info->second.state;
    summary.tournamentId = id;
    const Api::PlayerTournamentData standing = ReadPlayerTournamentData(state, id);
    summary.rosterId = standing.rosterId;
    summary.bracketId = standing.bracketId;
    summaries.push_back(std::move(summary));
  }
  return summaries;
}

std::vector<Api::TournamentStateInfo> ReadAllStateInfos(const JoustPluginState& state) {
  std::vector<Api::TournamentStateInfo> infos;
  for (const auto& [id, info] : state.stateInfos) infos.push_back(info);
  return infos;
}

namespace {

// Adds the invitations of one tournament, in stored order, to `rosters`.
void AppendInvitations(const JoustPluginState& state, int64_t tournamentId,
                       std::vector<Api::Roster>& rosters) {
  const auto found = state.invitationsByTournament.find(tournamentId);
  if (found == state.invitationsByTournament.end()) return;
  for (const LCDS::PendingRosterDTO& invitation : found->second) {
    rosters.push_back(BuildPendingRoster(invitation));
  }
}

}  // namespace

std::vector<Api::Roster> ReadInvitations(const JoustPluginState& state, int64_t tournamentId) {
  std::vector<Api::Roster> rosters;
  AppendInvitations(state, tournamentId, rosters);
  return rosters;
}

std::vector<Api::Roster> ReadAllInvitations(const JoustPluginState& state) {
  size_t count = 0;
  for (const auto& [id, invitations] : state.invitationsByTournament) count += invitations.size();
  std::vector<Api::Roster> rosters;
  rosters.reserve(count);
  // In cache order, as the tournaments are listed.
  for (const auto& [id, tournament] : state.tournaments) AppendInvitations(state, id, rosters);
  return rosters;
}

}  // namespace kiv::joust
