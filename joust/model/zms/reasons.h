// reasons.h: the reasons that push notifications give for a change of a
// pending roster (NotifyReason) and of a registered roster
// (RosterNotifyReason).
//
// Not for: the notification records (notifications.h). The number one past
// the last named value (kNoReason) marks "no reason" in a stored notification;
// it has no name, so it is written as a number. A roster reason reads such
// numbers back; a pending-roster reason does not, so a pending-roster
// notification without a named reason is refused when it is decoded.
//
//   ZMS::NotifyReason reason = ZMS::NotifyReason::kKick;  // written as "KICK"
#pragma once

#include <cstdint>

#include "joust/model/describe.h"

namespace ZMS {

enum class NotifyReason : int32_t {
  kSuggestion,
  kDeclineSuggestion,
  kAcceptSuggestion,
  kRevokeSuggestion,
  kReady,
  kUnready,
  kOwnerClose,
  kDismiss,
  kOwnerTransfer,
  kChangeLogo,
  kChangeName,
  kChangeShortname,
  kChangePosition,
  kChangeNametaglogo,
  kInvite,
  kResentInvite,
  kDeclineInvite,
  kAcceptInvite,
  kRevokeInvite,
  kLeave,
  kCaptainLeave,
  kKick,
  kSetTicket,
  kOfferTicket,
  kRevokedTicket,
  kDeclineTicket,
  kAcceptTicket,
  kNoReason  ///< 27, no name: a stored notification without a pending-roster reason.
};
constexpr auto DescribeEnum(const NotifyReason*) {
  return Enum<NotifyReason>("NotifyReason", {{"SUGGESTION", 0},
                                             {"DECLINE_SUGGESTION", 1},
                                             {"ACCEPT_SUGGESTION", 2},
                                             {"REVOKE_SUGGESTION", 3},
                                             {"READY", 4},
                                             {"UNREADY", 5},
                                             {"OWNER_CLOSE", 6},
                                             {"DISMISS", 7},
                                             {"OWNER_TRANSFER", 8},
                                             {"CHANGE_LOGO", 9},
                                             {"CHANGE_NAME", 10},
                                             {"CHANGE_SHORTNAME", 11},
                                             {"CHANGE_POSITION", 12},
                                             {"CHANGE_NAMETAGLOGO", 13},
                                             {"INVITE", 14},
                                             {"RESENT_INVITE", 15},
                                             {"DECLINE_INVITE", 16},
                                             {"ACCEPT_INVITE", 17},
                                             {"REVOKE_INVITE", 18},
                                             {"LEAVE", 19},
                                             {"CAPTAIN_LEAVE", 20},
                                             {"KICK", 21},
                                             {"SET_TICKET", 22},
                                             {"OFFER_TICKET", 23},
                                             {"REVOKED_TICKET", 24},
                                             {"DECLINE_TICKET", 25},
                                             {"ACCEPT_TICKET", 26}})
      .Described("Why a pending roster changed.");
}

enum class RosterNotifyReason : int32_t {
  kRosterSetTicket,
  kRosterOfferTicket,
  kRosterAcceptTicket,
  kRosterDeclineTicket,
  kRosterRevokedTicket,
  kByeAutoWin,
  kChangePosition,
  kRegistered,
  kRestrictionAutoWin,
  kPhaseUnready,
  kPhaseReady,
  kPhaseCheckin,
  kGameCompleted,
  kGameStarted,
  kGameStartedError,
  kQueueDodge,
  kLoserRoundComplete,
  kSubInvite,
  kSubAccept,
  kSubDecline,
  kSubRevoke,
  kSubSuggest,
  kSubAcceptsuggest,
  kSubDeclinesuggest,
  kSubReclaim,
  kVoteWithdrawUpdate,
  kVoteWithdrawDismiss,
  kWithdraw,
  kWinnerRoundComplete,
  kNoReason  ///< 29, no name: a stored notification without a roster reason.
};
constexpr auto DescribeEnum(const RosterNotifyReason*) {
  return Enum<RosterNotifyReason>("RosterNotifyReason", {{"ROSTER_SET_TICKET", 0},
                                                         {"ROSTER_OFFER_TICKET", 1},
                                                         {"ROSTER_ACCEPT_TICKET", 2},
                                                         {"ROSTER_DECLINE_TICKET", 3},
                                                         {"ROSTER_REVOKED_TICKET", 4},
                                                         {"BYE_AUTO_WIN", 5},
                                                         {"CHANGE_POSITION", 6},
                                                         {"REGISTERED", 7},
                                                         {"RESTRICTION_AUTO_WIN", 8},
                                                         {"PHASE_UNREADY", 9},
                                                         {"PHASE_READY", 10},
                                                         {"PHASE_CHECKIN", 11},
                                                         {"GAME_COMPLETED", 12},
                                                         {"GAME_STARTED", 13},
                                                         {"GAME_STARTED_ERROR", 14},
                                                         {"QUEUE_DODGE", 15},
                                                         {"LOSER_ROUND_COMPLETE", 16},
                                                         {"SUB_INVITE", 17},
                                                         {"SUB_ACCEPT", 18},
                                                         {"SUB_DECLINE", 19},
                                                         {"SUB_REVOKE", 20},
                                                         {"SUB_SUGGEST", 21},
                                                         {"SUB_ACCEPTSUGGEST", 22},
                                                         {"SUB_DECLINESUGGEST", 23},
                                                         {"SUB_RECLAIM", 24},
                                                         {"VOTE_WITHDRAW_UPDATE", 25},
                                                         {"VOTE_WITHDRAW_DISMISS", 26},
                                                         {"WITHDRAW", 27},
                                                         {"WINNER_ROUND_COMPLETE", 28}})
      .Described("Why a registered roster changed.")
      .ReadingUnnamedNumbers();
}

}  // namespace ZMS
