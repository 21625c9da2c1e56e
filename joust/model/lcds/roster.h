// roster.h: a registered roster as the backend sends it: members, phases
// with substitutes and brackets, its changing state (bids, offers, check-ins,
// withdrawal vote), and the public and history views of rosters.
//
// Not for: pending rosters (pending_roster.h) or the user interface's roster
// view (api/roster.h).
//
//   LCDS::RosterDTO roster{.id = 42, .tournamentId = 7, .name = "Tiber"};
//   roster.phases.push_back({.phaseId = 3, .period = 1});  // no bracket drawn yet
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "joust/model/describe.h"
#include "joust/model/lcds/bracket.h"
#include "joust/model/lcds/pending_roster.h"

namespace LCDS {

struct RosterWithdraw {
  int64_t initVoteTime = -1;
  uint64_t initVoteMember = 0;
  int64_t voteTimeoutMs = 0;
  int64_t lockoutTimeMs = 0;
  int64_t gameStartBufferMs = 0;
  std::vector<int64_t> voteWithdrawMembers;
  std::vector<int64_t> declineWithdrawMembers;
};
constexpr auto DescribeRecord(const RosterWithdraw*) {
  using T = RosterWithdraw;
  return Record<T>("RosterWithdraw", Field("initVoteTime", &T::initVoteTime),
                   Field("initVoteMember", &T::initVoteMember),
                   Field("voteTimeoutMs", &T::voteTimeoutMs),
                   Field("lockoutTimeMs", &T::lockoutTimeMs),
                   Field("gameStartBufferMs", &T::gameStartBufferMs),
                   Field("voteWithdrawMembers", &T::voteWithdrawMembers),
                   Field("declineWithdrawMembers", &T::declineWithdrawMembers))
      .Described("A withdrawal vote.");
}

struct RosterMemberDTO {
  int64_t rosterId = -1;
  uint64_t playerId = 0;
  int64_t tournamentId = -1;
  int32_t currentBid = 0;
  Position position = Position::kTop;
  int64_t joinTime = -1;
};
constexpr auto DescribeRecord(const RosterMemberDTO*) {
  using T = RosterMemberDTO;
  return Record<T>("RosterMemberDTO", Field("rosterId", &T::rosterId),
                   Field("playerId", &T::playerId), Field("tournamentId", &T::tournamentId),
                   Field("currentBid", &T::currentBid), Field("position", &T::position),
                   Field("joinTime", &T::joinTime))
      .Described("A member of a registered roster.");
}

struct PhaseInMember {
  uint64_t playerId = 0;
  int32_t bet = 0;
  int32_t pendingPay = 0;
  int32_t selfBet = 0;
};
constexpr auto DescribeRecord(const PhaseInMember*) {
  using T = PhaseInMember;
  return Record<T>("PhaseInMember", Field("playerId", &T::playerId), Field("bet", &T::bet),
                   Field("pendingPay", &T::pendingPay), Field("selfBet", &T::selfBet))
      .Described("A member's bid in the current phase.");
}

struct PhaseRosterSubDTO {
  uint64_t playerId = 0;
  uint64_t replacedPlayerId = 0;
  SubState subState = SubState::kSuggested;
  int32_t bet = 0;
  int32_t pay = 0;
  Position position = Position::kTop;
  int32_t pendingPay = 0;
  int32_t selfBet = 0;
};
constexpr auto DescribeRecord(const PhaseRosterSubDTO*) {
  using T = PhaseRosterSubDTO;
  return Record<T>("PhaseRosterSubDTO", Field("playerId", &T::playerId),
                   Field("replacedPlayerId", &T::replacedPlayerId), Field("subState", &T::subState),
                   Field("bet", &T::bet), Field("pay", &T::pay), Field("position", &T::position),
                   Field("pendingPay", &T::pendingPay), Field("selfBet", &T::selfBet))
      .Described("A substitute of a roster in one phase.");
}

struct PhaseRosterDTO {
  int64_t phaseId = -1;
  int32_t period = 0;
  std::vector<PhaseRosterSubDTO> phaseRosterSubs;
  std::optional<Bracket> bracketDTO;
};
constexpr auto DescribeRecord(const PhaseRosterDTO*) {
  using T = PhaseRosterDTO;
  return Record<T>("PhaseRosterDTO", Field("phaseId", &T::phaseId), Field("period", &T::period),
                   Field("phaseRosterSubs", &T::phaseRosterSubs),
                   Field("bracketDTO", &T::bracketDTO))
      .Described("A roster's registration in one phase, with its bracket once drawn.");
}

struct RosterDynamicStateDTO {
  int32_t version = 0;
  int64_t tournamentId = -1;
  int64_t rosterId = -1;
  std::vector<uint64_t> phaseCheckinStates;
  std::vector<PhaseInMember> members;
  std::vector<TicketOfferDTO> ticketOffers;
  std::vector<PhaseRosterSubDTO> phaseRosterSubs;
  RosterWithdraw withdraw;
};
constexpr auto DescribeRecord(const RosterDynamicStateDTO*) {
  using T = RosterDynamicStateDTO;
  return Record<T>("RosterDynamicStateDTO", Field("version", &T::version),
                   Field("tournamentId", &T::tournamentId), Field("rosterId", &T::rosterId),
                   Field("phaseCheckinStates", &T::phaseCheckinStates),
                   Field("members", &T::members), Field("ticketOffers", &T::ticketOffers),
                   Field("phaseRosterSubs", &T::phaseRosterSubs), Field("withdraw", &T::withdraw))
      .Described("The changing part of a registered roster.");
}

struct RosterDTO {
  int32_t version = 0;
  int64_t id = -1;
  int64_t tournamentId = -1;
  std::string name;
  std::string shortName;
  int32_t logo = 0;
  int32_t logoColor = 0;
  int32_t tier = 0;
  int32_t wins = 0;
  int32_t losses = 0;
  bool eliminated = false;
  uint64_t captainId = 0;
  std::vector<RosterMemberDTO> members;
  std::vector<PhaseRosterDTO> phases;
  RosterDynamicStateDTO dynamicState;
};
constexpr auto DescribeRecord(const RosterDTO*) {
  using T = RosterDTO;
  return Record<T>("RosterDTO", Field("version", &T::version), Field("id", &T::id),
                   Field("tournamentId", &T::tournamentId), Field("name", &T::name),
                   Field("shortName", &T::shortName), Field("logo", &T::logo),
                   Field("logoColor", &T::logoColor), Field("tier", &T::tier),
                   Field("wins", &T::wins), Field("losses", &T::losses),
                   Field("eliminated", &T::eliminated), Field("captainId", &T::captainId),
                   Field("members", &T::members), Field("phases", &T::phases),
                   Field("dynamicState", &T::dynamicState))
      .Described("A registered roster.");
}

struct PublicRosterDTO {
  int64_t id = -1;
  std::string name;
  std::string shortName;
  int32_t logo = 0;
  int32_t logoColor = 0;
  std::vector<uint64_t> memberIds;
};
constexpr auto DescribeRecord(const PublicRosterDTO*) {
  using T = PublicRosterDTO;
  return Record<T>("PublicRosterDTO", Field("id", &T::id), Field("name", &T::name),
                   Field("shortName", &T::shortName), Field("logo", &T::logo),
                   Field("logoColor", &T::logoColor), Field("memberIds", &T::memberIds))
      .Described("A registered roster as other players see it.");
}

struct PlayerRosterHistoryDTO {
  std::vector<RosterMemberDTO> rosters;
};
constexpr auto DescribeRecord(const PlayerRosterHistoryDTO*) {
  using T = PlayerRosterHistoryDTO;
  return Record<T>("PlayerRosterHistoryDTO", Field("rosters", &T::rosters))
      .Described("The rosters the player has been a member of.");
}

}  // namespace LCDS
