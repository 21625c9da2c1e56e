// substitute_commands.h: the handlers of the substitute commands of a
// registered roster: inviting a substitute for a member, revoking it,
// reclaiming the position, and the invited player's answers, which name the
// inviting roster. An accepted substitute invitation reloads the player's
// tournament data, so the roster the player now plays for is cached.
//
// Not for: the roster's other commands (roster_commands.h).
#pragma once

#include <cstdint>
#include <string>

#include "joust/api/command_result.h"
#include "joust/logic/joust_plugin.h"
#include "joust/model/api/roster_requests.h"

namespace kiv::joust {

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
