// The cache's reads: the REST records the endpoints and the publication pass
// build from it.
#include "joust/logic/cache.h"

#include <algorithm>

#include "joust/backend/backend_methods.h"
#include "joust/logic/joust_plugin.h"
#include "joust/logic/rest_builders.h"
#include "joust/logic/state_machine.h"
#include "sdk/value/format_message.h"

namespace kiv::joust {
namespace {

Failure NoTournament(int64_t tournamentId) {
  return Failure(404, FormatMessage("No tournament with the id %1 exists", tournamentId));
}

Failure NoRoster(int64_t tournamentId, std::string_view rosterId) {
  return Failure(404, FormatMessage("No roster found with tournamentId %1 and rosterId %2",
                                    tournamentId, rosterId));
}
}  // namespace

int64_t CurrentPhaseId(const JoustPlugin& plugin, int64_t tournamentId) {
  const JoustPluginState& state = plugin.state();
  const auto info =
      state.cache.ComputeState(tournamentId, plugin.ServerNow(), state.session.summonerId);
  return info ? info->currentPhaseId : -1;
}

MaybeType<Failure, Api::Tournament> ReadTournament(const JoustPlugin& plugin,
                                                   int64_t tournamentId) {
  const LCDS::TournamentDTO* found = plugin.state().cache.FindTournament(tournamentId);
  if (!found) return Fail(NoTournament(tournamentId));
  return BuildTournament(*found, plugin.ServerNow());
}

MaybeType<Failure, Api::TournamentStateInfo> ReadStateInfo(const JoustPlugin& plugin,
                                                           int64_t tournamentId) {
  const auto found = plugin.state().pass.stateInfos.find(tournamentId);
  if (found == plugin.state().pass.stateInfos.end()) return Fail(NoTournament(tournamentId));
  return found->second;
}

Api::PlayerTournamentData AnswerPlayerTournamentData(const JoustPluginState& state,
                                                     int64_t tournamentId) {
  // The cache's own "no standing" carries bracket -1.
  if (!state.cache.standings().contains(tournamentId)) {
    return Api::PlayerTournamentData{.bracketId = 0};
  }
  return ReadPlayerTournamentData(state, tournamentId);
}

Api::PlayerTournamentData ReadPlayerTournamentData(const JoustPluginState& state,
                                                   int64_t tournamentId) {
  const auto found = state.cache.standings().find(tournamentId);
  return found == state.cache.standings().end() ? Api::PlayerTournamentData{} : found->second;
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
    found.pending = state.cache.OwnPendingRoster(tournamentId, rosterId);
    if (!found.pending) found.pending = state.cache.FindInvitation(tournamentId, rosterId);
    if (!found.pending) return Fail(NoRoster(tournamentId, rosterId));
    return found;
  }
  if (const auto registered = state.cache.rosters().find({tournamentId, number});
      registered != state.cache.rosters().end()) {
    found.registered = &registered->second;
    return found;
  }
  if (const auto subs = state.cache.substituteInvitations().find(tournamentId);
      subs != state.cache.substituteInvitations().end()) {
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
                                 RosterContext{nullptr, -1, false, state.session.summonerId});
  }
  const LCDS::RosterDTO& roster = *found.registered;
  RosterContext context;
  context.bracket = state.cache.PlayerBracket(tournamentId);
  context.currentPhaseId = CurrentPhaseId(plugin, tournamentId);
  context.summonerId = state.session.summonerId;
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
  const auto found = state.cache.brackets().find(bracketId);
  if (found == state.cache.brackets().end()) {
    return Fail(Failure(404, FormatMessage("No bracket with the id %1 exists for tournament %2",
                                           bracketId, tournamentId)));
  }
  int32_t period = 0;
  if (const LCDS::TournamentDTO* tournament = state.cache.FindTournament(tournamentId)) {
    for (const LCDS::TournamentPhaseDTO& phase : tournament->phases) {
      if (phase.id == found->second.phaseId) period = phase.period;
    }
  }
  return BuildBracket(found->second, period);
}

std::vector<int64_t> ReadTournamentIds(const JoustPluginState& state) {
  std::vector<int64_t> ids;
  for (const auto& [id, tournament] : state.cache.tournaments()) ids.push_back(id);
  return ids;
}

std::vector<Api::TournamentSummary> ReadTournamentSummaries(const JoustPluginState& state) {
  std::vector<Api::TournamentSummary> summaries;
  for (const auto& [id, tournament] : state.cache.tournaments()) {
    Api::TournamentSummary summary;
    const auto info = state.pass.stateInfos.find(id);
    summary.state =
        info == state.pass.stateInfos.end() ? Api::TournamentState::kResults : info->second.state;
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
  for (const auto& [id, info] : state.pass.stateInfos) infos.push_back(info);
  return infos;
}

namespace {

// Adds the invitations of one tournament, in stored order, to `rosters`.
void AppendInvitations(const JoustPluginState& state, int64_t tournamentId,
                       std::vector<Api::Roster>& rosters) {
  const auto found = state.cache.invitations().find(tournamentId);
  if (found == state.cache.invitations().end()) return;
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
  for (const auto& [id, invitations] : state.cache.invitations()) count += invitations.size();
  std::vector<Api::Roster> rosters;
  rosters.reserve(count);
  // In cache order, as the tournaments are listed.
  for (const auto& [id, tournament] : state.cache.tournaments())
    AppendInvitations(state, id, rosters);
  return rosters;
}

}  // namespace kiv::joust
