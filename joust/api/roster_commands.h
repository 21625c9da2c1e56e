// roster_commands.h: the handlers of the commands of the player's roster in
// the tournament's play: lock-in and unlock-in (which drive the game flow),
// bids, positions and ticket offers (in whichever form, pending or
// registered, the player's roster has), and the withdrawal votes (which name
// the current bracket). Most hand one backend method to a runner
// (command_runners.h).
//
// Choices where the rules leave room: lock-in and unlock-in of a roster
// eliminated in the current phase answer 400 "ROSTER_ELIMINATED" before any
// request; in a later period the service decides.
//
// Not for: pending rosters and invitations (pending_roster_commands.h) or
// substitutes (substitute_commands.h).
#pragma once

#include <cstdint>

#include "joust/api/command_result.h"
#include "joust/logic/joust_plugin.h"
#include "joust/model/api/roster_requests.h"

namespace kiv::joust {

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

}  // namespace kiv::joust
