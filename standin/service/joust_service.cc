#include "standin/service/joust_service.h"

#include <zlib.h>

#include <array>

#include "sdk/codec/base64.h"
#include "sdk/codec/json_reader.h"
#include "sdk/codec/json_writer.h"
#include "standin/service/internal/service_call.h"

namespace kiv::standin {
namespace {

using K = ArgKind;

// Argument rows reused by many methods.
constexpr ArgSpec kInvitation{"invitationId", K::kString, "INVALID_ROSTER"};
constexpr ArgSpec kRoster{"rosterId", K::kSigned, "INVALID_ROSTER"};
constexpr ArgSpec kPhase{"phaseId", K::kSigned, "INVALID_PHASE"};
constexpr ArgSpec kBracket{"bracketId", K::kSigned, "INVALID_BRACKET"};
constexpr ArgSpec kTickets{"ticketCount", K::kSigned, "NOT_ENOUGH_TICKETS"};
constexpr ArgSpec kReceiver{"receiveMemberId", K::kUnsigned, "INVALID_PLAYER"};
constexpr ArgSpec kOfferer{"offerMemberId", K::kUnsigned, "INVALID_PLAYER"};
constexpr ArgSpec kRosterName{"rosterName", K::kString, "INVALID_NAME"};
constexpr ArgSpec kShortName{"shortName", K::kString, "INVALID_SHORTNAME"};
constexpr ArgSpec kLogo{"logo", K::kSigned, "INVALID_LOGO"};
constexpr ArgSpec kLogoColor{"logoColor", K::kSigned, "INVALID_LOGOCOLOR"};
constexpr ArgSpec kPositionArg{"position", K::kPosition, "INVALID_POSITION"};

constexpr ArgSpec kTournament{"tournamentId", K::kSigned, "INVALID_TOURNAMENT"};
constexpr ArgSpec kInvitees{"inviteePlayers", K::kUnsignedList, "INVALID_INVITEE"};
constexpr ArgSpec kMember{"memberId", K::kUnsigned, "INVALID_PLAYER"};
constexpr ArgSpec kInvitee{"inviteeId", K::kUnsigned, "INVALID_INVITEE"};
constexpr ArgSpec kNewCaptain{"newCaptainId", K::kUnsigned, "INVALID_PLAYER"};
constexpr ArgSpec kSubPlayer{"subPlayerId", K::kUnsigned, "INVALID_SUB"};
constexpr ArgSpec kReplaced{"replacedPlayerId", K::kUnsigned, "INVALID_SUB"};
constexpr ArgSpec kRosterIds{"rosterIds", K::kIdList, "INVALID_ROSTER"};
constexpr ArgSpec kPlayerIds{"playerIds", K::kUnsignedList, "INVALID_PLAYER"};
constexpr ArgSpec kEventId{"eventId", K::kString, "NO_PERMISSION"};
constexpr ArgSpec kEventIds{"eventIds", K::kStringList, "NO_PERMISSION"};
constexpr ArgSpec kAckType{"ackType", K::kString, "INTERNAL_ERROR"};
constexpr ArgSpec kAckPayload{"ackPayload", K::kString, "INTERNAL_ERROR"};

// One row per method: name, arguments (key, kind, refusal), handler.
// clang-format off
constexpr std::array<MethodRow, 50> kMethods = {{
    // Pending rosters.
    {"createPendingRoster",            {kTournament, kRosterName, kShortName},                 &CreatePendingRoster},
    {"accept",                         {kInvitation},                                          &AcceptInvitation},
    {"decline",                        {kInvitation},                                          &DeclineInvitation},
    {"closePendingRoster",             {kInvitation},                                          &ClosePendingRoster},
    {"leave",                          {kInvitation},                                          &LeavePendingRoster},
    {"changeName",                     {kInvitation, kRosterName},                             &ChangeName},
    {"changeShortName",                {kInvitation, kShortName},                              &ChangeShortName},
    {"changeLogo",                     {kInvitation, kLogo, kLogoColor},                       &ChangeLogo},
    {"changeNameTagAndLogo",           {kInvitation, kLogo, kLogoColor, kRosterName, kShortName}, &ChangeNameTagAndLogo},
    {"invite",                         {kInvitation, kInvitees},                               &Invite},
    {"kickMember",                     {kInvitation, kMember},                                 &KickMember},
    {"revokeInvite",                   {kInvitation, kInvitee},                                &RevokeInvite},
    {"transferOwnership",              {kInvitation, kNewCaptain},                             &TransferOwnership},
    {"setMemberPhaseReady",            {kInvitation, kPhase},                                  &SetMemberPhaseReady},
    {"setMemberStateNotReady",         {kInvitation},                                          &SetMemberStateNotReady},
    {"setTicket",                      {kInvitation, kTickets},                                &SetTicket},
    {"setPosition",                    {kInvitation, kPositionArg},                            &SetPosition},
    {"offerTicket",                    {kInvitation, kReceiver, kTickets},                     &OfferTicket},
    {"revokeTicketOffer",              {kInvitation, kReceiver},                               &RevokeTicketOffer},
    {"acceptTicketOffer",              {kInvitation, kOfferer},                                &AcceptTicketOffer},
    {"declineTicketOffer",             {kInvitation, kOfferer},                                &DeclineTicketOffer},
    // Registered rosters.
    {"memberPhaseCheckin",             {kRoster, kPhase},                                      &MemberPhaseCheckin},
    {"memberPhaseCheckout",            {kRoster, kPhase},                                      &MemberPhaseCheckout},
    {"setRosterPhaseTicket",           {kRoster, kPhase, kTickets},                            &SetRosterPhaseTicket},
    {"setRosterPosition",              {kRoster, kPhase, kPositionArg},                        &SetRosterPosition},
    {"offerRosterTicket",              {kRoster, kPhase, kReceiver, kTickets},                 &OfferRosterTicket},
    {"revokeRosterTicketOffer",        {kRoster, kPhase, kReceiver},                           &RevokeRosterTicketOffer},
    {"acceptRosterTicketOffer",        {kRoster, kPhase, kOfferer},                            &AcceptRosterTicketOffer},
    {"declineRosterTicketOffer",       {kRoster, kPhase, kOfferer},                            &DeclineRosterTicketOffer},
    {"voteMemberWithdraw",             {kRoster, kBracket},                                    &VoteMemberWithdraw},
    {"voteMemberUnWithdraw",           {kRoster, kBracket},                                    &VoteMemberUnWithdraw},
    {"cancelRosterWithdraw",           {kRoster, kBracket},                                    &CancelRosterWithdraw},
    {"inviteSub",                      {kRoster, kPhase, kSubPlayer, kReplaced},               &InviteSub},
    {"acceptSub",                      {kRoster, kPhase},                                      &AcceptSub},
    {"declineSub",                     {kRoster, kPhase},                                      &DeclineSub},
    {"revokeSub",                      {kRoster, kPhase, kSubPlayer},                          &RevokeSub},
    {"reclaimSubbedPosition",          {kRoster, kPhase},                                      &ReclaimSubbedPosition},
    // Queries.
    {"getTournamentPlayerInfo",        {},                                                     &GetTournamentPlayerInfo},
    {"getTournamentInfoMinimal",       {},                                                     &GetTournamentInfoMinimal},
    {"getRosterBracket",               {kBracket},                                             &GetRosterBracket},
    {"getPublicRosters",               {kRosterIds},                                           &GetPublicRosters},
    {"getRosterStats",                 {kRoster},                                              &GetRosterStats},
    {"getRankedScoutingData",          {kPlayerIds},                                           &GetRankedScoutingData},
    {"getJoustEvent",                  {kEventId},                                             &GetJoustEvent},
    {"getJoustEvents",                 {kEventIds},                                            &GetJoustEvents},
    {"getTournamentHistoryAndWinners", {},                                                     &GetTournamentHistoryAndWinners},
    {"getTournamentWinnersCompressed", {kTournament},                                          &GetTournamentWinnersCompressed},
    {"isEnabledForMe",                 {},                                                     &IsEnabledForMe},
    {"ping",                           {},                                                     &Ping},
    {"customAck",                      {kAckType, kAckPayload},                                &CustomAck},
}};
// clang-format on

bool IsSigned(const BindingProperty& value) {
  return value.Kind() == ValueKind::kSigned ||
         (value.Kind() == ValueKind::kUnsigned && value.GetUnsigned() <= INT64_MAX);
}

bool Fits(const BindingProperty& value, ArgKind kind) {
  switch (kind) {
    case K::kString:
      return value.IsString();
    case K::kSigned:
      return IsSigned(value);
    case K::kUnsigned:
      return value.Kind() == ValueKind::kUnsigned;
    case K::kPosition: {
      if (!value.IsString()) return false;
      BindingProperty status;
      LCDS::Position position;
      FromValue(value, "position", position, status);
      return status.IsValid();
    }
    case K::kUnsignedList:
    case K::kIdList:
    case K::kStringList:
      if (!value.IsCollection()) return false;
      for (const BindingProperty& element : value.Elements()) {
        const bool ok = kind == K::kStringList ? element.IsString()
                        : kind == K::kIdList   ? IsSigned(element)
                                               : element.Kind() == ValueKind::kUnsigned;
        if (!ok) return false;
      }
      return true;
  }
  return false;
}

}  // namespace

std::span<const MethodRow> JoustMethods() { return kMethods; }

JoustService::JoustService(World& world, PushChannel& push, ServerClock& clock)
    : world_(world), push_(push), clock_(clock) {}

MethodResult JoustService::Invoke(uint64_t caller, std::string_view method,
                                  const BindingProperty& args) {
  for (const MethodRow& row : kMethods) {
    if (method != row.name) continue;
    for (const ArgSpec& arg : row.args) {
      if (!arg.key) break;
      const BindingProperty* value = args.FindMember(arg.key);
      if (!value || !Fits(*value, arg.kind)) return Refuse(arg.error);
    }
    if (!world_.FindPlayer(caller)) return Refuse("INVALID_PLAYER");
    CallContext call{*this, world_, push_, caller, args, clock_.NowMs()};
    return row.handler(call);
  }
  return Fail(Failure(404, "Unknown method " + std::string(method)));
}

host::ServiceReply JoustService::Call(const host::ServiceCall& call) {
  if (call.serviceName != "joust") {
    return host::ServiceReply::Failed("Unknown service " + call.serviceName);
  }
  const BindingProperty args = ReadJson(call.payload);
  MethodResult result = args.IsStructure() ? Invoke(world_.me, call.methodName, args)
                                           : MethodResult(Refuse("INTERNAL_ERROR"));
  host::ServiceReply reply =
      result.ok() ? host::ServiceReply::Ok(result->IsEmpty() ? "null" : WriteJson(*result))
                  : host::ServiceReply::Failed(std::string(result.failure().Message()));
  return std::move(reply).After(latency_);
}

std::string CallContext::Text(std::string_view key) const {
  return std::string(args.Member(key).GetString());
}
int64_t CallContext::Signed(std::string_view key) const {
  const BindingProperty& value = args.Member(key);
  return value.Kind() == ValueKind::kSigned ? value.GetSigned()
                                            : static_cast<int64_t>(value.GetUnsigned());
}
uint64_t CallContext::Unsigned(std::string_view key) const {
  return args.Member(key).GetUnsigned();
}
LCDS::Position CallContext::Position(std::string_view key) const {
  BindingProperty status;
  LCDS::Position position = LCDS::Position::kUnselected;
  FromValue(args.Member(key), key, position, status);
  return position;
}
std::vector<uint64_t> CallContext::Players(std::string_view key) const {
  std::vector<uint64_t> ids;
  for (const BindingProperty& element : args.Member(key).Elements()) {
    ids.push_back(element.GetUnsigned());
  }
  return ids;
}
std::vector<int64_t> CallContext::Ids(std::string_view key) const {
  std::vector<int64_t> ids;
  for (const BindingProperty& element : args.Member(key).Elements()) {
    ids.push_back(element.Kind() == ValueKind::kSigned
                      ? element.GetSigned()
                      : static_cast<int64_t>(element.GetUnsigned()));
  }
  return ids;
}
std::vector<std::string> CallContext::Texts(std::string_view key) const {
  std::vector<std::string> texts;
  for (const BindingProperty& element : args.Member(key).Elements()) {
    texts.emplace_back(element.GetString());
  }
  return texts;
}

LCDS::PendingRosterMemberDTO* MemberOf(LCDS::PendingRosterDTO& roster, uint64_t player) {
  for (auto& member : roster.members) {
    if (member.playerId == player && member.memberState != LCDS::PendingRosterMemberState::kLeft &&
        member.memberState != LCDS::PendingRosterMemberState::kKick) {
      return &member;
    }
  }
  return nullptr;
}

LCDS::PendingRosterInviteeDTO* PendingInvitee(LCDS::PendingRosterDTO& roster, uint64_t player) {
  for (auto& invitee : roster.invitees) {
    if (invitee.inviteeId == player &&
        invitee.inviteeState == LCDS::PendingRosterInviteeState::kPending) {
      return &invitee;
    }
  }
  return nullptr;
}

std::vector<uint64_t> Audience(const LCDS::PendingRosterDTO& roster) {
  std::vector<uint64_t> ids;
  for (const auto* member : ActiveMembers(roster)) ids.push_back(member->playerId);
  for (const auto& invitee : roster.invitees) {
    if (invitee.inviteeState == LCDS::PendingRosterInviteeState::kPending) {
      ids.push_back(invitee.inviteeId);
    }
  }
  return ids;
}

LCDS::RosterMemberDTO* MemberOf(LCDS::RosterDTO& roster, uint64_t player) {
  for (auto& member : roster.members) {
    if (member.playerId == player) return &member;
  }
  return nullptr;
}

bool Plays(LCDS::RosterDTO& roster, uint64_t player) {
  if (MemberOf(roster, player)) return true;
  const LCDS::PhaseRosterSubDTO* sub = FindSub(roster, player);
  return sub && IsActiveSub(*sub);
}

std::string CompressWinners(const Api::TournamentWinnerHistory& winners) {
  BindingProperty status;
  const std::string json = WriteJson(ToValue(winners, status));
  z_stream stream{};
  deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, 31, 8, Z_DEFAULT_STRATEGY);
  std::string gzip(deflateBound(&stream, json.size()) + 32, '\0');
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(json.data()));
  stream.avail_in = static_cast<uInt>(json.size());
  stream.next_out = reinterpret_cast<Bytef*>(gzip.data());
  stream.avail_out = static_cast<uInt>(gzip.size());
  deflate(&stream, Z_FINISH);
  gzip.resize(stream.total_out);
  deflateEnd(&stream);
  std::string text;
  AppendBase64({reinterpret_cast<const uint8_t*>(gzip.data()), gzip.size()}, text);
  return text;
}

}  // namespace kiv::standin
