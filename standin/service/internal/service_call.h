// service_call.h: what a method of the stand-in service sees of one call,
// and the helpers its rules share. Arguments have been checked against the
// method's row before the handler runs, so the accessors cannot fail.
//
// Not for: callers of the service (joust_service.h).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "sdk/value/native/convert.h"
#include "standin/service/joust_service.h"

namespace kiv::standin {

struct CallContext {
  JoustService& service;
  World& world;
  PushChannel& push;
  uint64_t caller;
  const BindingProperty& args;
  int64_t now;

  std::string Text(std::string_view key) const;
  int64_t Signed(std::string_view key) const;
  uint64_t Unsigned(std::string_view key) const;
  LCDS::Position Position(std::string_view key) const;
  std::vector<uint64_t> Players(std::string_view key) const;
  std::vector<int64_t> Ids(std::string_view key) const;
  std::vector<std::string> Texts(std::string_view key) const;
};

/// A failure answered with a `ClientRequestError` name.
inline FailedResult<Failure> Refuse(const char* error) { return Fail(Failure(400, error)); }

template <typename Record>
MethodResult Answer(const Record& record) {
  BindingProperty status;
  BindingProperty value = ToValue(record, status);
  if (!status.IsValid()) return Fail(Failure(500, "INTERNAL_ERROR"));
  return value;
}
inline MethodResult NoAnswer() { return BindingProperty(); }

// Pending rosters.
LCDS::PendingRosterMemberDTO* MemberOf(LCDS::PendingRosterDTO& roster, uint64_t player);
LCDS::PendingRosterInviteeDTO* PendingInvitee(LCDS::PendingRosterDTO& roster, uint64_t player);
/// Active members and pending invitees: who hears of a pending roster's changes.
std::vector<uint64_t> Audience(const LCDS::PendingRosterDTO& roster);

// Registered rosters.
LCDS::RosterMemberDTO* MemberOf(LCDS::RosterDTO& roster, uint64_t player);
/// Member or active substitute.
bool Plays(LCDS::RosterDTO& roster, uint64_t player);

// The method handlers, one per row of the table.
MethodResult CreatePendingRoster(CallContext& call);
MethodResult AcceptInvitation(CallContext& call);
MethodResult DeclineInvitation(CallContext& call);
MethodResult ClosePendingRoster(CallContext& call);
MethodResult LeavePendingRoster(CallContext& call);
MethodResult ChangeName(CallContext& call);
MethodResult ChangeShortName(CallContext& call);
MethodResult ChangeLogo(CallContext& call);
MethodResult ChangeNameTagAndLogo(CallContext& call);
MethodResult Invite(CallContext& call);
MethodResult KickMember(CallContext& call);
MethodResult RevokeInvite(CallContext& call);
MethodResult TransferOwnership(CallContext& call);
MethodResult SetMemberPhaseReady(CallContext& call);
MethodResult SetMemberStateNotReady(CallContext& call);
MethodResult SetTicket(CallContext& call);
MethodResult SetPosition(CallContext& call);
MethodResult OfferTicket(CallContext& call);
MethodResult RevokeTicketOffer(CallContext& call);
MethodResult AcceptTicketOffer(CallContext& call);
MethodResult DeclineTicketOffer(CallContext& call);
MethodResult MemberPhaseCheckin(CallContext& call);
MethodResult MemberPhaseCheckout(CallContext& call);
MethodResult SetRosterPhaseTicket(CallContext& call);
MethodResult SetRosterPosition(CallContext& call);
MethodResult OfferRosterTicket(CallContext& call);
MethodResult RevokeRosterTicketOffer(CallContext& call);
MethodResult AcceptRosterTicketOffer(CallContext& call);
MethodResult DeclineRosterTicketOffer(CallContext& call);
MethodResult VoteMemberWithdraw(CallContext& call);
MethodResult VoteMemberUnWithdraw(CallContext& call);
MethodResult CancelRosterWithdraw(CallContext& call);
MethodResult InviteSub(CallContext& call);
MethodResult AcceptSub(CallContext& call);
MethodResult DeclineSub(CallContext& call);
MethodResult RevokeSub(CallContext& call);
MethodResult ReclaimSubbedPosition(CallContext& call);
MethodResult GetTournamentPlayerInfo(CallContext& call);
MethodResult GetTournamentInfoMinimal(CallContext& call);
MethodResult GetRosterBracket(CallContext& call);
MethodResult GetPublicRosters(CallContext& call);
MethodResult GetRosterStats(CallContext& call);
MethodResult GetRankedScoutingData(CallContext& call);
MethodResult GetJoustEvent(CallContext& call);
MethodResult GetJoustEvents(CallContext& call);
MethodResult GetTournamentHistoryAndWinners(CallContext& call);
MethodResult GetTournamentWinnersCompressed(CallContext& call);
MethodResult IsEnabledForMe(CallContext& call);
MethodResult Ping(CallContext& call);
MethodResult CustomAck(CallContext& call);

}  // namespace kiv::standin
