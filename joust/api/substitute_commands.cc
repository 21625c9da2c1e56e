// The substitute commands of a registered roster and the invited player's
// answers.
#include "joust/api/substitute_commands.h"

#include <optional>

#include "joust/api/command_runners.h"

namespace kiv::joust {
namespace {

/// The roster id of a substitute answer; false for one that names no roster.
bool InvitingRoster(const std::string& text, int64_t& rosterId) {
  return ParseRosterId(text, rosterId) && rosterId >= 0;
}

}  // namespace

CommandResult InviteSubstitute(JoustPlugin& plugin, int64_t tournamentId,
                               const Api::InviteSubRequest& request) {
  return RunOnRegisteredRoster<kInviteSub>(
      plugin, tournamentId, std::nullopt, request.substituteSummonerId, request.replacedSummonerId);
}

CommandResult AcceptSubstitute(JoustPlugin& plugin, int64_t tournamentId,
                               const std::string& rosterId) {
  int64_t roster = 0;
  if (!InvitingRoster(rosterId, roster)) return AnswerError(400, "INVALID_ROSTER");
  const int64_t phaseId = CurrentPhaseId(plugin, tournamentId);
  if (phaseId == -1) return AnswerError(404, "INVALID_PHASE");
  auto dynamic = plugin.backend().Call<kAcceptSub>(roster, phaseId);
  if (!dynamic.ok()) return Fail(std::move(dynamic).takeFailure());
  (void)plugin.state().cache.SetRosterDynamicState(*dynamic);
  // The player now plays for that roster: reload so that it is cached as the
  // player's (the reload publishes what changed).
  (void)RefreshPlayerInfo(plugin);
  return Ok();
}

CommandResult DeclineSubstitute(JoustPlugin& plugin, int64_t tournamentId,
                                const std::string& rosterId) {
  int64_t roster = 0;
  if (!InvitingRoster(rosterId, roster)) return AnswerError(400, "INVALID_ROSTER");
  const int64_t phaseId = CurrentPhaseId(plugin, tournamentId);
  if (phaseId == -1) return AnswerError(404, "INVALID_PHASE");
  auto declined = plugin.backend().Call<kDeclineSub>(roster, phaseId);
  if (!declined.ok()) return Fail(std::move(declined).takeFailure());
  return Ok();
}

CommandResult RevokeSubstitute(JoustPlugin& plugin, int64_t tournamentId, uint64_t summonerId) {
  return RunOnRegisteredRoster<kRevokeSub>(plugin, tournamentId, std::nullopt, summonerId);
}

CommandResult ReclaimPosition(JoustPlugin& plugin, int64_t tournamentId) {
  return RunOnRegisteredRoster<kReclaimSubbedPosition>(plugin, tournamentId, std::nullopt);
}

}  // namespace kiv::joust
