// roster_commands.h: the handlers of the roster endpoints. Most hand one
// backend method to a runner (command_runners.h): the pending-roster form,
// the registered-roster form, or whichever fits the player's roster in the
// tournament. The others do more: accepting an invitation leaves the pending
// roster the player already has; creating refuses a second pending roster;
// lock-in and unlock-in drive the game flow; withdrawal votes name the
// current bracket; substitute answers name the inviting roster.
//
// Choices where the rules leave room:
// - a kick of a player who is neither member nor invitee answers 404
//   "NOT_MEMBER" without calling the backend;
// - lock-in and unlock-in of an eliminated roster answer 400
//   "ROSTER_ELIMINATED" before any request;
// - a declined invitation is dropped from the cache at once;
// - an accepted substitute invitation reloads the player's tournament data,
//   so the roster the player now plays for is cached.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "joust/logic/joust_plugin.h"
#include "joust/model/api/roster_requests.h"
#include "sdk/value/maybe_type.h"

namespace kiv::joust {

using CommandResult = MaybeType<Failure, void>;

CommandResult AcceptInvitation(JoustPlugin& plugin, int64_t tournamentId,
                               const std::string& invitationId);
CommandResult DeclineInvitation(JoustPlugin& plugin, int64_t tournamentId,
                                const std::string& invitationId);
CommandResult CreateRoster(JoustPlugin& plugin, int64_t tournamentId,
                           const Api::RosterDetails& details);
CommandResult DisbandRoster(JoustPlugin& plugin, int64_t tournamentId);
CommandResult ChangeRosterName(JoustPlugin& plugin, int64_t tournamentId,
                               const Api::ChangeNameRequest& request);
CommandResult ChangeRosterShortName(JoustPlugin& plugin, int64_t tournamentId,
                                    const Api::ChangeNameRequest& request);
CommandResult ChangeRosterIcon(JoustPlugin& plugin, int64_t tournamentId,
                               const Api::ChangeIconRequest& request);
CommandResult ChangeAllRosterDetails(JoustPlugin& plugin, int64_t tournamentId,
                                     const Api::RosterDetails& details);
CommandResult InviteToRoster(JoustPlugin& plugin, int64_t tournamentId,
                             const std::vector<uint64_t>& summonerIds);
CommandResult KickFromRoster(JoustPlugin& plugin, int64_t tournamentId,
                             const Api::KickRequest& request);
CommandResult LeaveRoster(JoustPlugin& plugin, int64_t tournamentId);
CommandResult TransferCaptain(JoustPlugin& plugin, int64_t tournamentId,
                              uint64_t newCaptainSummonerId);
CommandResult LockIn(JoustPlugin& plugin, int64_t tournamentId);
CommandResult UnlockIn(JoustPlugin& plugin, int64_t tournamentId);
CommandResult SetBid(JoustPlugin& plugin, int64_t tournamentId,
                     const Api::SetTicketRequest& request);
CommandResult SetPosition(JoustPlugin& plugin, int64_t tournamentId,
                          const Api::SetPositionRequest& request);
CommandResult AcceptBidOffer(JoustPlugin& plugin, int64_t tournamentId, uint64_t summonerId);
CommandResult DeclineBidOffer(JoustPlugin& plugin, int64_t tournamentId, uint64_t summonerId);
CommandResult OfferBid(JoustPlugin& plugin, int64_t tournamentId, uint64_t summonerId);
CommandResult RevokeBidOffer(JoustPlugin& plugin, int64_t tournamentId, uint64_t summonerId);
CommandResult VoteWithdraw(JoustPlugin& plugin, int64_t tournamentId);
CommandResult VoteUnwithdraw(JoustPlugin& plugin, int64_t tournamentId);
CommandResult CancelWithdraw(JoustPlugin& plugin, int64_t tournamentId);
CommandResult InviteSubstitute(JoustPlugin& plugin, int64_t tournamentId,
                               const Api::InviteSubRequest& request);
/// `rosterId` is the roster that invited the player, as text: one that is
/// not a number answers 400 "INVALID_ROSTER".
CommandResult AcceptSubstitute(JoustPlugin& plugin, int64_t tournamentId,
                               const std::string& rosterId);
CommandResult DeclineSubstitute(JoustPlugin& plugin, int64_t tournamentId,
                                const std::string& rosterId);
CommandResult RevokeSubstitute(JoustPlugin& plugin, int64_t tournamentId, uint64_t summonerId);
CommandResult ReclaimPosition(JoustPlugin& plugin, int64_t tournamentId);

}  // namespace kiv::joust
