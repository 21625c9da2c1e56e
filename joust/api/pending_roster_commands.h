// pending_roster_commands.h: the handlers of the commands on a pending roster
// (the roster a captain builds before registering it) and on invitations to
// one: creation and disbanding, names and icon, invitations, membership,
// captaincy. Most hand one backend method to the pending-roster runner
// (command_runners.h). Accepting an invitation first leaves the pending roster
// the player already has; creating refuses a second pending roster.
//
// Choices where the rules leave room:
// - a kick of a player who is neither member nor invitee answers 404
//   "NOT_MEMBER" without calling the backend;
// - a declined invitation is dropped from the cache at once.
//
// Not for: a registered roster's commands (roster_commands.h) or substitutes
// (substitute_commands.h).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "joust/api/command_result.h"
#include "joust/logic/joust_plugin.h"
#include "joust/model/api/roster_requests.h"

namespace kiv::joust {

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

}  // namespace kiv::joust
