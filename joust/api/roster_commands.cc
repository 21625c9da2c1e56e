// The commands of the player's roster in play: lock-in and unlock-in with
// their game flow side, bids, positions, offers and withdrawal votes.
#include "joust/api/roster_commands.h"

#include <algorithm>

#include "joust/api/command_runners.h"
#include "joust/logic/gameflow_presence.h"
#include "joust/logic/state_writes.h"

namespace kiv::joust {
namespace {

/// Offers carry one ticket each.
constexpr int32_t kTicketsPerOffer = 1;

bool Eliminated(const JoustPluginState& state, int64_t tournamentId) {
  const LCDS::RosterDTO* roster = state.cache.PlayerRoster(tournamentId);
  return roster && (roster->eliminated || ReadPlayerTournamentData(state, tournamentId).state ==
                                              Api::PlayerState::kEliminated);
}

/// The player's roster is out of the bracket of `phaseId`: eliminated while
/// registered in that phase. A roster eliminated in an earlier period may
/// still lock in for a later one, whose bracket is drawn anew; the service
/// has the last word there.
bool EliminatedInPhase(const JoustPluginState& state, int64_t tournamentId, int64_t phaseId) {
  if (!Eliminated(state, tournamentId)) return false;
  const std::vector<LCDS::PhaseRosterDTO>& phases = state.cache.PlayerRoster(tournamentId)->phases;
  return std::any_of(phases.begin(), phases.end(), [phaseId](const LCDS::PhaseRosterDTO& entry) {
    return entry.phaseId == phaseId;
  });
}

bool HasRoster(const JoustPluginState& state, int64_t tournamentId) {
  return state.cache.PlayerRoster(tournamentId) || state.cache.OwnPendingRoster(tournamentId);
}

/// The backend side of lock-in at `phaseId`, in the roster's form.
CommandResult CheckInRoster(JoustPlugin& plugin, int64_t tournamentId, int64_t phaseId) {
  if (plugin.state().cache.PlayerRoster(tournamentId)) {
    return RunOnRegisteredRoster<kMemberPhaseCheckin>(plugin, tournamentId, phaseId);
  }
  return RunOnPendingRoster<kSetMemberPhaseReady>(plugin, tournamentId, phaseId);
}

CommandResult CheckOutRoster(JoustPlugin& plugin, int64_t tournamentId, int64_t phaseId) {
  if (plugin.state().cache.PlayerRoster(tournamentId)) {
    return RunOnRegisteredRoster<kMemberPhaseCheckout>(plugin, tournamentId, phaseId);
  }
  return RunOnPendingRoster<kSetMemberStateNotReady>(plugin, tournamentId);
}

template <const auto& kMethod>
CommandResult RunOnCurrentBracket(JoustPlugin& plugin, int64_t tournamentId) {
  const LCDS::Bracket* bracket = plugin.state().cache.PlayerBracket(tournamentId);
  if (!bracket) return AnswerError(404, "INVALID_BRACKET");
  return RunOnRegisteredRoster<kMethod>(plugin, tournamentId, bracket->id);
}

}  // namespace

CommandResult LockIn(JoustPlugin& plugin, int64_t tournamentId) {
  if (!plugin.state().session.checkinAllowed) return AnswerError(400, "GAMEFLOW_UNAVAILABLE");
  auto phase = LockInPhase(plugin, tournamentId);
  if (!phase.ok()) return Fail(std::move(phase).takeFailure());
  if (EliminatedInPhase(plugin.state(), tournamentId, *phase)) {
    return AnswerError(400, "ROSTER_ELIMINATED");
  }
  // Without a roster the game flow is not asked to check in at all.
  if (!HasRoster(plugin.state(), tournamentId)) return AnswerError(404, "INVALID_ROSTER");
  if (auto checkedIn = CheckInWithGameflow(plugin); !checkedIn.ok()) {
    return Fail(std::move(checkedIn).takeFailure());
  }
  CommandResult outcome = CheckInRoster(plugin, tournamentId, *phase);
  if (outcome.ok()) {
    PostGameflowEvent(plugin, kCheckedInEvent);
    RestrictionMayHaveChanged(plugin.state());
  } else {
    PostGameflowEvent(plugin, kFailedCheckinEvent);
  }
  return outcome;
}

CommandResult UnlockIn(JoustPlugin& plugin, int64_t tournamentId) {
  auto phase = CurrentPhase(plugin, tournamentId);
  if (!phase.ok()) return Fail(std::move(phase).takeFailure());
  if (EliminatedInPhase(plugin.state(), tournamentId, *phase)) {
    return AnswerError(400, "ROSTER_ELIMINATED");
  }
  CommandResult outcome = CheckOutRoster(plugin, tournamentId, *phase);
  if (outcome.ok()) PostGameflowEvent(plugin, kCheckedOutEvent);
  return outcome;
}

CommandResult SetBid(JoustPlugin& plugin, int64_t tournamentId,
                     const Api::SetTicketRequest& request) {
  return RunOnPlayersRoster<kSetTicket, kSetRosterPhaseTicket>(plugin, tournamentId,
                                                               request.ticketAmount);
}

CommandResult SetPosition(JoustPlugin& plugin, int64_t tournamentId,
                          const Api::SetPositionRequest& request) {
  return RunOnPlayersRoster<kSetPosition, kSetRosterPosition>(plugin, tournamentId,
                                                              request.position);
}

CommandResult AcceptBidOffer(JoustPlugin& plugin, int64_t tournamentId, uint64_t summonerId) {
  return RunOnPlayersRoster<kAcceptTicketOffer, kAcceptRosterTicketOffer>(plugin, tournamentId,
                                                                          summonerId);
}

CommandResult DeclineBidOffer(JoustPlugin& plugin, int64_t tournamentId, uint64_t summonerId) {
  return RunOnPlayersRoster<kDeclineTicketOffer, kDeclineRosterTicketOffer>(plugin, tournamentId,
                                                                            summonerId);
}

CommandResult OfferBid(JoustPlugin& plugin, int64_t tournamentId, uint64_t summonerId) {
  return RunOnPlayersRoster<kOfferTicket, kOfferRosterTicket>(plugin, tournamentId, summonerId,
                                                              kTicketsPerOffer);
}

CommandResult RevokeBidOffer(JoustPlugin& plugin, int64_t tournamentId, uint64_t summonerId) {
  return RunOnPlayersRoster<kRevokeTicketOffer, kRevokeRosterTicketOffer>(plugin, tournamentId,
                                                                          summonerId);
}

CommandResult VoteWithdraw(JoustPlugin& plugin, int64_t tournamentId) {
  return RunOnCurrentBracket<kVoteMemberWithdraw>(plugin, tournamentId);
}

CommandResult VoteUnwithdraw(JoustPlugin& plugin, int64_t tournamentId) {
  return RunOnCurrentBracket<kVoteMemberUnWithdraw>(plugin, tournamentId);
}

CommandResult CancelWithdraw(JoustPlugin& plugin, int64_t tournamentId) {
  return RunOnCurrentBracket<kCancelRosterWithdraw>(plugin, tournamentId);
}

}  // namespace kiv::joust
