// pending_roster.h: a roster being formed (PendingRosterDTO) as the backend sends
// it: members, invitees, ticket offers and failed invitations. A pending
// roster is identified by its text "invitationId".
//
// Not for: registered rosters (roster.h) or the user interface's roster view
// (api/roster.h).
//
//   LCDS::PendingRosterDTO pending{.invitationId = "a1b2", .captainId = 7};
//   pending.members.push_back({.playerId = 7, .position = LCDS::Position::kJungle});
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "joust/model/describe.h"
#include "joust/model/lcds/client_request_error.h"
#include "joust/model/lcds/enums.h"
#include "joust/model/lcds/rewards.h"

namespace LCDS {

struct PendingRosterMemberDTO {
  uint64_t playerId = 0;
  PendingRosterMemberState memberState = PendingRosterMemberState::kNotReady;
  int32_t bet = 0;
  Position position = Position::kTop;
  int64_t joinTime = -1;
  int32_t pendingPay = 0;
  int32_t selfBet = 0;
};
constexpr auto DescribeRecord(const PendingRosterMemberDTO*) {
  using T = PendingRosterMemberDTO;
  return Record<T>("PendingRosterMemberDTO", Field("playerId", &T::playerId),
                   Field("memberState", &T::memberState), Field("bet", &T::bet),
                   Field("position", &T::position), Field("joinTime", &T::joinTime),
                   Field("pendingPay", &T::pendingPay), Field("selfBet", &T::selfBet))
      .Described("A member of a pending roster.");
}

struct PendingRosterInviteeDTO {
  uint64_t inviteeId = 0;
  PendingRosterInviteeState inviteeState = PendingRosterInviteeState::kSuggested;
  uint64_t inviter = 0;
  int64_t inviteTime = -1;
};
constexpr auto DescribeRecord(const PendingRosterInviteeDTO*) {
  using T = PendingRosterInviteeDTO;
  return Record<T>("PendingRosterInviteeDTO", Field("inviteeId", &T::inviteeId),
                   Field("inviteeState", &T::inviteeState), Field("inviter", &T::inviter),
                   Field("inviteTime", &T::inviteTime))
      .Described("An invitee of a pending roster.");
}

struct TicketOfferDTO {
  uint64_t offerPlayerId = 0;
  uint64_t receivePlayerId = 0;
  int32_t count = 0;
  TicketOfferState ticketOfferState = TicketOfferState::kActive;
};
constexpr auto DescribeRecord(const TicketOfferDTO*) {
  using T = TicketOfferDTO;
  return Record<T>("TicketOfferDTO", Field("offerPlayerId", &T::offerPlayerId),
                   Field("receivePlayerId", &T::receivePlayerId), Field("count", &T::count),
                   Field("ticketOfferState", &T::ticketOfferState))
      .Described("An offer of tickets from one member to another.");
}

struct FailedInvite {
  uint64_t playerId = 0;
  ClientRequestError exception = ClientRequestError::kAlreadyMember;
};
constexpr auto DescribeRecord(const FailedInvite*) {
  using T = FailedInvite;
  return Record<T>("FailedInvite", Field("playerId", &T::playerId),
                   Field("exception", &T::exception, "Why the invitation of that player failed"))
      .Described("An invitation that failed, with the reason.");
}

struct PendingRosterDTO {
  int32_t version = 0;
  int64_t tournamentId = -1;
  std::string invitationId;
  std::string name;
  std::string shortName;
  int32_t logo = 0;
  int32_t logoColor = 0;
  std::vector<RewardLogo> rewardLogos;
  int32_t tier = 0;
  uint64_t captainId = 0;
  std::vector<PendingRosterMemberDTO> members;
  std::vector<PendingRosterInviteeDTO> invitees;
  std::vector<TicketOfferDTO> ticketOffers;
  std::vector<FailedInvite> inviteFaileds;
};
constexpr auto DescribeRecord(const PendingRosterDTO*) {
  using T = PendingRosterDTO;
  return Record<T>("PendingRosterDTO", Field("version", &T::version),
                   Field("tournamentId", &T::tournamentId), Field("invitationId", &T::invitationId),
                   Field("name", &T::name), Field("shortName", &T::shortName),
                   Field("logo", &T::logo), Field("logoColor", &T::logoColor),
                   Field("rewardLogos", &T::rewardLogos), Field("tier", &T::tier),
                   Field("captainId", &T::captainId), Field("members", &T::members),
                   Field("invitees", &T::invitees), Field("ticketOffers", &T::ticketOffers),
                   Field("inviteFaileds", &T::inviteFaileds))
      .Described("A roster being formed.");
}

}  // namespace LCDS
