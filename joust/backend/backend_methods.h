// backend_methods.h: the fifty methods of the tournament service "joust",
// one row each, in the order of the service's documentation: the method's
// name, its argument keys and kinds, and its result record.
//
// Not for: calling (backend_client.h) or the service's own rules.
//
//   auto roster = client.Call<kKickMember>(invitationId, memberId);
#pragma once

#include <array>
#include <vector>

#include "joust/backend/backend_method.h"
#include "joust/model/lcds/bracket.h"
#include "joust/model/lcds/pending_roster.h"
#include "joust/model/lcds/rewards.h"
#include "joust/model/lcds/roster.h"
#include "joust/model/lcds/stats.h"
#include "joust/model/lcds/tournament.h"
#include "sdk/value/binding_property.h"

namespace kiv::joust {

using LCDS::Bracket;
using LCDS::JoustEventData;
using LCDS::PendingRosterDTO;
using LCDS::PublicRosterDTO;
using LCDS::RankedScoutingMemberDTO;
using LCDS::RosterDTO;
using LCDS::RosterDynamicStateDTO;
using LCDS::RosterStatsDTO;
using LCDS::TournamentHistoryAndWinnersDTO;
using LCDS::TournamentInfoMinimalDTO;
using LCDS::TournamentPlayerInfoDTO;

template <typename R, size_t N>
using M = BackendMethod<R, N>;
using Pending = PendingRosterDTO;
using Dynamic = RosterDynamicStateDTO;

// clang-format off
// Pending-roster methods.
inline constexpr M<Pending, 3>   kCreatePendingRoster     {"createPendingRoster",      {{{"tournamentId", kSigned}, {"rosterName", kText}, {"shortName", kText}}}};
inline constexpr M<Pending, 1>   kAccept                  {"accept",                   {{{"invitationId", kText}}}};
inline constexpr M<NoResult, 1>  kDecline                 {"decline",                  {{{"invitationId", kText}}}};
inline constexpr M<NoResult, 1>  kClosePendingRoster      {"closePendingRoster",       {{{"invitationId", kText}}}};
inline constexpr M<NoResult, 1>  kLeave                   {"leave",                    {{{"invitationId", kText}}}};
inline constexpr M<Pending, 2>   kChangeName              {"changeName",               {{{"invitationId", kText}, {"rosterName", kText}}}};
inline constexpr M<Pending, 2>   kChangeShortName         {"changeShortName",          {{{"invitationId", kText}, {"shortName", kText}}}};
inline constexpr M<Pending, 3>   kChangeLogo              {"changeLogo",               {{{"invitationId", kText}, {"logo", kSigned}, {"logoColor", kSigned}}}};
inline constexpr M<Pending, 5>   kChangeNameTagAndLogo    {"changeNameTagAndLogo",     {{{"invitationId", kText}, {"logo", kSigned}, {"logoColor", kSigned}, {"rosterName", kText}, {"shortName", kText}}}};
inline constexpr M<Pending, 2>   kInvite                  {"invite",                   {{{"invitationId", kText}, {"inviteePlayers", kUnsignedList}}}};
inline constexpr M<Pending, 2>   kKickMember              {"kickMember",               {{{"invitationId", kText}, {"memberId", kUnsigned}}}};
inline constexpr M<Pending, 2>   kRevokeInvite            {"revokeInvite",             {{{"invitationId", kText}, {"inviteeId", kUnsigned}}}};
inline constexpr M<Pending, 2>   kTransferOwnership       {"transferOwnership",        {{{"invitationId", kText}, {"newCaptainId", kUnsigned}}}};
inline constexpr M<Pending, 2>   kSetMemberPhaseReady     {"setMemberPhaseReady",      {{{"invitationId", kText}, {"phaseId", kSigned}}}};
inline constexpr M<Pending, 1>   kSetMemberStateNotReady  {"setMemberStateNotReady",   {{{"invitationId", kText}}}};
inline constexpr M<Pending, 2>   kSetTicket               {"setTicket",                {{{"invitationId", kText}, {"ticketCount", kSigned}}}};
inline constexpr M<Pending, 2>   kSetPosition             {"setPosition",              {{{"invitationId", kText}, {"position", kPosition}}}};
inline constexpr M<Pending, 3>   kOfferTicket             {"offerTicket",              {{{"invitationId", kText}, {"receiveMemberId", kUnsigned}, {"ticketCount", kSigned}}}};
inline constexpr M<Pending, 2>   kRevokeTicketOffer       {"revokeTicketOffer",        {{{"invitationId", kText}, {"receiveMemberId", kUnsigned}}}};
inline constexpr M<Pending, 2>   kAcceptTicketOffer       {"acceptTicketOffer",        {{{"invitationId", kText}, {"offerMemberId", kUnsigned}}}};
inline constexpr M<Pending, 2>   kDeclineTicketOffer      {"declineTicketOffer",       {{{"invitationId", kText}, {"offerMemberId", kUnsigned}}}};
// Registered-roster methods.
inline constexpr M<Dynamic, 2>   kMemberPhaseCheckin      {"memberPhaseCheckin",       {{{"rosterId", kSigned}, {"phaseId", kSigned}}}};
inline constexpr M<Dynamic, 2>   kMemberPhaseCheckout     {"memberPhaseCheckout",      {{{"rosterId", kSigned}, {"phaseId", kSigned}}}};
inline constexpr M<Dynamic, 3>   kSetRosterPhaseTicket    {"setRosterPhaseTicket",     {{{"rosterId", kSigned}, {"phaseId", kSigned}, {"ticketCount", kSigned}}}};
inline constexpr M<RosterDTO, 3> kSetRosterPosition       {"setRosterPosition",        {{{"rosterId", kSigned}, {"phaseId", kSigned}, {"position", kPosition}}}};
inline constexpr M<Dynamic, 4>   kOfferRosterTicket       {"offerRosterTicket",        {{{"rosterId", kSigned}, {"phaseId", kSigned}, {"receiveMemberId", kUnsigned}, {"ticketCount", kSigned}}}};
inline constexpr M<Dynamic, 3>   kRevokeRosterTicketOffer {"revokeRosterTicketOffer",  {{{"rosterId", kSigned}, {"phaseId", kSigned}, {"receiveMemberId", kUnsigned}}}};
inline constexpr M<Dynamic, 3>   kAcceptRosterTicketOffer {"acceptRosterTicketOffer",  {{{"rosterId", kSigned}, {"phaseId", kSigned}, {"offerMemberId", kUnsigned}}}};
inline constexpr M<Dynamic, 3>   kDeclineRosterTicketOffer{"declineRosterTicketOffer", {{{"rosterId", kSigned}, {"phaseId", kSigned}, {"offerMemberId", kUnsigned}}}};
inline constexpr M<Dynamic, 2>   kVoteMemberWithdraw      {"voteMemberWithdraw",       {{{"rosterId", kSigned}, {"bracketId", kSigned}}}};
inline constexpr M<Dynamic, 2>   kVoteMemberUnWithdraw    {"voteMemberUnWithdraw",     {{{"rosterId", kSigned}, {"bracketId", kSigned}}}};
inline constexpr M<Dynamic, 2>   kCancelRosterWithdraw    {"cancelRosterWithdraw",     {{{"rosterId", kSigned}, {"bracketId", kSigned}}}};
inline constexpr M<Dynamic, 4>   kInviteSub               {"inviteSub",                {{{"rosterId", kSigned}, {"phaseId", kSigned}, {"subPlayerId", kUnsigned}, {"replacedPlayerId", kUnsigned}}}};
inline constexpr M<Dynamic, 2>   kAcceptSub               {"acceptSub",                {{{"rosterId", kSigned}, {"phaseId", kSigned}}}};
inline constexpr M<NoResult, 2>  kDeclineSub              {"declineSub",               {{{"rosterId", kSigned}, {"phaseId", kSigned}}}};
inline constexpr M<Dynamic, 3>   kRevokeSub               {"revokeSub",                {{{"rosterId", kSigned}, {"phaseId", kSigned}, {"subPlayerId", kUnsigned}}}};
inline constexpr M<Dynamic, 2>   kReclaimSubbedPosition   {"reclaimSubbedPosition",    {{{"rosterId", kSigned}, {"phaseId", kSigned}}}};
// Queries.
inline constexpr M<TournamentPlayerInfoDTO, 0>              kGetTournamentPlayerInfo       {"getTournamentPlayerInfo",        {}};
inline constexpr M<TournamentInfoMinimalDTO, 0>             kGetTournamentInfoMinimal      {"getTournamentInfoMinimal",       {}};
inline constexpr M<Bracket, 1>                              kGetRosterBracket              {"getRosterBracket",               {{{"bracketId", kSigned}}}};
inline constexpr M<std::vector<PublicRosterDTO>, 1>         kGetPublicRosters              {"getPublicRosters",               {{{"rosterIds", kSignedList}}}};
inline constexpr M<RosterStatsDTO, 1>                       kGetRosterStats                {"getRosterStats",                 {{{"rosterId", kSigned}}}};
inline constexpr M<std::vector<RankedScoutingMemberDTO>, 1> kGetRankedScoutingData         {"getRankedScoutingData",          {{{"playerIds", kUnsignedList}}}};
inline constexpr M<JoustEventData, 1>                       kGetJoustEvent                 {"getJoustEvent",                  {{{"eventId", kText}}}};
inline constexpr M<std::vector<JoustEventData>, 1>          kGetJoustEvents                {"getJoustEvents",                 {{{"eventIds", kTextList}}}};
inline constexpr M<TournamentHistoryAndWinnersDTO, 0>       kGetTournamentHistoryAndWinners{"getTournamentHistoryAndWinners", {}};
inline constexpr M<BindingProperty, 1>                      kGetTournamentWinnersCompressed{"getTournamentWinnersCompressed", {{{"tournamentId", kSigned}}}};
inline constexpr M<bool, 0>                                 kIsEnabledForMe                {"isEnabledForMe",                 {}};
inline constexpr M<BindingProperty, 0>                      kPing                          {"ping",                           {}};
inline constexpr M<NoResult, 2>                             kCustomAck                     {"customAck",                      {{{"ackType", kText}, {"ackPayload", kText}}}};
// clang-format on

/// A compile-time list of methods: each one's typed row is visited, so a
/// walk can call every method with arguments of its kinds.
template <const auto&... kMethods>
struct BackendMethodList {
  /// Calls `visit.template operator()<kMethod>()` for each method, in order.
  template <typename Visitor>
  static void ForEach(Visitor&& visit) {
    (visit.template operator()<kMethods>(), ...);
  }
};

/// Every method, in the order above.
using AllBackendMethodList = BackendMethodList<
    kCreatePendingRoster, kAccept, kDecline, kClosePendingRoster, kLeave, kChangeName,
    kChangeShortName, kChangeLogo, kChangeNameTagAndLogo, kInvite, kKickMember, kRevokeInvite,
    kTransferOwnership, kSetMemberPhaseReady, kSetMemberStateNotReady, kSetTicket, kSetPosition,
    kOfferTicket, kRevokeTicketOffer, kAcceptTicketOffer, kDeclineTicketOffer, kMemberPhaseCheckin,
    kMemberPhaseCheckout, kSetRosterPhaseTicket, kSetRosterPosition, kOfferRosterTicket,
    kRevokeRosterTicketOffer, kAcceptRosterTicketOffer, kDeclineRosterTicketOffer,
    kVoteMemberWithdraw, kVoteMemberUnWithdraw, kCancelRosterWithdraw, kInviteSub, kAcceptSub,
    kDeclineSub, kRevokeSub, kReclaimSubbedPosition, kGetTournamentPlayerInfo,
    kGetTournamentInfoMinimal, kGetRosterBracket, kGetPublicRosters, kGetRosterStats,
    kGetRankedScoutingData, kGetJoustEvent, kGetJoustEvents, kGetTournamentHistoryAndWinners,
    kGetTournamentWinnersCompressed, kIsEnabledForMe, kPing, kCustomAck>;

/// Every method's row, in the order above, for walking them all.
inline std::vector<BackendMethodRow> AllBackendMethods() {
  std::vector<BackendMethodRow> rows;
  AllBackendMethodList::ForEach(
      [&rows]<const auto & kMethod>() { rows.push_back(RowOf(kMethod)); });
  return rows;
}

inline constexpr size_t kBackendMethodCount = 50;

}  // namespace kiv::joust
