// The roster commands that exist only for a pending roster (the roster a
// captain builds before registering it): invitations, creation, names and
// icon, membership, captaincy.
#include "joust/api/pending_roster_commands.h"

#include <algorithm>

#include "joust/api/command_runners.h"
#include "sdk/log/log_groups.h"
#include "sdk/log/log_level.h"
#include "sdk/log/logger.h"

namespace kiv::joust {
CommandResult AcceptInvitation(JoustPlugin& plugin, int64_t tournamentId,
                               const std::string& invitationId) {
  if (plugin.state().cache.OwnPendingRoster(tournamentId) &&
      !RunOnPendingRoster<kLeave>(plugin, tournamentId).ok()) {
    Log(kLogError, kGroupDbg,
        "Unable to leave existing roster while trying to accept invite from %s",
        invitationId.c_str());
  }
  if (!plugin.state().cache.FindInvitation(tournamentId, invitationId)) {
    return AnswerError(404, "INVALID_ROSTER");
  }
  auto roster = plugin.backend().Call<kAccept>(invitationId);
  if (!roster.ok()) return Fail(std::move(roster).takeFailure());
  plugin.state().cache.SetPendingRoster(tournamentId, *roster);
  return Ok();
}

CommandResult DeclineInvitation(JoustPlugin& plugin, int64_t tournamentId,
                                const std::string& invitationId) {
  if (!plugin.state().cache.FindInvitation(tournamentId, invitationId)) {
    return AnswerError(404, "INVALID_ROSTER");
  }
  auto declined = plugin.backend().Call<kDecline>(invitationId);
  if (!declined.ok()) return Fail(std::move(declined).takeFailure());
  plugin.state().cache.DropInvitation(tournamentId, invitationId);
  return Ok();
}

CommandResult CreateRoster(JoustPlugin& plugin, int64_t tournamentId,
                           const Api::RosterDetails& details) {
  if (plugin.state().cache.OwnPendingRoster(tournamentId)) {
    return AnswerError(400, "IN_OTHER_PENDINGROSTER");
  }
  // The icon is chosen after creation: creation takes the names only.
  auto roster =
      plugin.backend().Call<kCreatePendingRoster>(tournamentId, details.name, details.shortName);
  if (!roster.ok()) return Fail(std::move(roster).takeFailure());
  plugin.state().cache.SetPendingRoster(tournamentId, *roster);
  return Ok();
}

CommandResult DisbandRoster(JoustPlugin& plugin, int64_t tournamentId) {
  return RunOnPendingRoster<kClosePendingRoster>(plugin, tournamentId);
}

CommandResult ChangeRosterName(JoustPlugin& plugin, int64_t tournamentId,
                               const Api::ChangeNameRequest& request) {
  return RunOnPendingRoster<kChangeName>(plugin, tournamentId, request.name);
}

CommandResult ChangeRosterShortName(JoustPlugin& plugin, int64_t tournamentId,
                                    const Api::ChangeNameRequest& request) {
  return RunOnPendingRoster<kChangeShortName>(plugin, tournamentId, request.name);
}

CommandResult ChangeRosterIcon(JoustPlugin& plugin, int64_t tournamentId,
                               const Api::ChangeIconRequest& request) {
  return RunOnPendingRoster<kChangeLogo>(plugin, tournamentId, request.iconId, request.iconColorId);
}

CommandResult ChangeAllRosterDetails(JoustPlugin& plugin, int64_t tournamentId,
                                     const Api::RosterDetails& details) {
  return RunOnPendingRoster<kChangeNameTagAndLogo>(
      plugin, tournamentId, details.iconId, details.iconColorId, details.name, details.shortName);
}

CommandResult InviteToRoster(JoustPlugin& plugin, int64_t tournamentId,
                             const std::vector<uint64_t>& summonerIds) {
  return RunOnPendingRoster<kInvite>(plugin, tournamentId, summonerIds);
}

CommandResult KickFromRoster(JoustPlugin& plugin, int64_t tournamentId,
                             const Api::KickRequest& request) {
  const LCDS::PendingRosterDTO* roster = plugin.state().cache.OwnPendingRoster(tournamentId);
  if (!roster) return AnswerError(404, "INVALID_ROSTER");
  const uint64_t player = request.summonerId;
  if (std::any_of(roster->members.begin(), roster->members.end(),
                  [&](const auto& member) { return member.playerId == player; })) {
    return RunOnPendingRoster<kKickMember>(plugin, tournamentId, player);
  }
  if (std::any_of(roster->invitees.begin(), roster->invitees.end(),
                  [&](const auto& invitee) { return invitee.inviteeId == player; })) {
    return RunOnPendingRoster<kRevokeInvite>(plugin, tournamentId, player);
  }
  return AnswerError(404, "NOT_MEMBER");
}

CommandResult LeaveRoster(JoustPlugin& plugin, int64_t tournamentId) {
  return RunOnPendingRoster<kLeave>(plugin, tournamentId);
}

CommandResult TransferCaptain(JoustPlugin& plugin, int64_t tournamentId,
                              uint64_t newCaptainSummonerId) {
  return RunOnPendingRoster<kTransferOwnership>(plugin, tournamentId, newCaptainSummonerId);
}

}  // namespace kiv::joust
