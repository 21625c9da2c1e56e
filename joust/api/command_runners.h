// command_runners.h: the two runners every roster command goes through, one
// for the player's pending roster in a tournament and one for the player's
// registered roster, and the failure answer they share.
//
// A runner looks the roster up in the cache, calls the backend method with
// the roster's identifier (and, for a registered roster, a phase or bracket)
// followed by the command's own arguments, writes the answer into the cache
// through its guarded writes and answers an empty value (what changed is
// published before the answer). A failed command leaves the cache as it was; the endpoint table
// logs the failure as it is answered.
//
// Not for: the handlers that do more than one call (pending_roster_commands.h,
// roster_commands.h, substitute_commands.h).
//
//   return RunOnPendingRoster<kChangeName>(plugin, tournamentId, request.name);
//   return RunOnRegisteredRoster<kVoteMemberWithdraw>(plugin, tournamentId, bracketId);
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <type_traits>
#include <utility>

#include "joust/backend/backend_methods.h"
#include "joust/logic/cache.h"
#include "joust/logic/joust_plugin.h"
#include "joust/logic/state_machine.h"
#include "sdk/value/maybe_type.h"

namespace kiv::joust {

/// The result record of a backend method's row.
template <const auto& kMethod>
using MethodResult = typename std::remove_cvref_t<decltype(kMethod)>::ResultType;

/// A failure whose message is an error name ("INVALID_ROSTER",
/// "INVALID_PHASE", ...) with its status code.
MaybeType<Failure, void> AnswerError(uint32_t code, const char* name);

/// 404 "INVALID_ROSTER" without a pending roster. A method that answers a
/// pending roster stores it; one without an answer (leave, disband) drops
/// the roster from the cache.
template <const auto& kMethod, typename... Args>
MaybeType<Failure, void> RunOnPendingRoster(JoustPlugin& plugin, int64_t tournamentId,
                                            const Args&... arguments) {
  const LCDS::PendingRosterDTO* roster = plugin.state().cache.OwnPendingRoster(tournamentId);
  if (!roster) return AnswerError(404, "INVALID_ROSTER");
  // A copy: the call waits, and the cache may change meanwhile.
  const std::string invitationId = roster->invitationId;
  auto answer = plugin.backend().Call<kMethod>(invitationId, arguments...);
  if (!answer.ok()) return Fail(std::move(answer).takeFailure());
  if constexpr (std::is_same_v<MethodResult<kMethod>, NoResult>) {
    plugin.state().cache.RemovePendingRoster(tournamentId, invitationId);
  } else {
    plugin.state().cache.SetPendingRoster(tournamentId, *answer);
  }
  return Ok();
}

/// 404 "INVALID_ROSTER" without a registered roster of the player in a cached
/// tournament; 404 "INVALID_PHASE" when `phaseOrBracketId` is not given and
/// the tournament has no current phase. A dynamic state answered replaces the
/// cached roster's when newer; a whole roster answered replaces the cached
/// one when newer.
template <const auto& kMethod, typename... Args>
MaybeType<Failure, void> RunOnRegisteredRoster(JoustPlugin& plugin, int64_t tournamentId,
                                               std::optional<int64_t> phaseOrBracketId,
                                               const Args&... arguments) {
  JoustPluginState& state = plugin.state();
  const LCDS::RosterDTO* roster = state.cache.PlayerRoster(tournamentId);
  if (!roster || state.cache.tournaments().count(tournamentId) == 0) {
    return AnswerError(404, "INVALID_ROSTER");
  }
  const int64_t rosterId = roster->id;
  const int64_t phaseId =
      phaseOrBracketId ? *phaseOrBracketId : CurrentPhaseId(plugin, tournamentId);
  if (phaseId == -1) return AnswerError(404, "INVALID_PHASE");
  auto answer = plugin.backend().Call<kMethod>(rosterId, phaseId, arguments...);
  if (!answer.ok()) return Fail(std::move(answer).takeFailure());
  if constexpr (std::is_same_v<MethodResult<kMethod>, LCDS::RosterDynamicStateDTO>) {
    plugin.state().cache.SetRosterDynamicState(*answer);
  } else if constexpr (std::is_same_v<MethodResult<kMethod>, LCDS::RosterDTO>) {
    plugin.state().cache.SetRoster(tournamentId, answer->id, *answer);
  }
  return Ok();
}

/// A command that exists in both forms: the registered form (at the current
/// phase) when the player has a registered roster in the tournament, the
/// pending form otherwise.
template <const auto& kPending, const auto& kRegistered, typename... Args>
MaybeType<Failure, void> RunOnPlayersRoster(JoustPlugin& plugin, int64_t tournamentId,
                                            const Args&... arguments) {
  if (plugin.state().cache.PlayerRoster(tournamentId)) {
    return RunOnRegisteredRoster<kRegistered>(plugin, tournamentId, std::nullopt, arguments...);
  }
  return RunOnPendingRoster<kPending>(plugin, tournamentId, arguments...);
}

}  // namespace kiv::joust
