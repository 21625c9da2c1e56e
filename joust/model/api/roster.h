// roster.h: the user interface's view of rosters: a pending or registered
// Roster with its members, bids, suggested invitations and phases, and the
// PlayerChatRoster that chat and presence need. A roster's chat key is
// computed by chat_key.h.
//
// Not for: the backend's roster records (lcds/roster.h, lcds/pending_roster.h).
//
//   Api::Roster roster{.tournamentId = 7, .id = "42", .isRegistered = true};
//   roster.members.push_back({.summonerId = 9, .state = Api::RosterMemberState::kReady});
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "joust/model/api/enums.h"
#include "joust/model/describe.h"
#include "joust/model/lcds/enums.h"
#include "joust/model/lcds/rewards.h"
#include "joust/model/lcds/roster.h"

namespace Api {

struct PlayerChatRoster {
  int64_t tournamentId = -1;
  int64_t startTimeMs = -1;
  int64_t endTimeMs = -1;
  TournamentState tournamentState = TournamentState::kIdle;
  PlayerState playerState = PlayerState::kNoRoster;
  bool isRegistered = false;
  std::string name;
  std::string shortName;
  int32_t iconId = 0;
  int32_t iconColorId = 0;
  std::string key;
};
constexpr auto DescribeRecord(const PlayerChatRoster*) {
  using T = PlayerChatRoster;
  return Record<T>(
             "PlayerChatRoster", Field("tournamentId", &T::tournamentId),
             Field("startTimeMs", &T::startTimeMs, "Tournament start"),
             Field("endTimeMs", &T::endTimeMs, "Tournament end"),
             Field("tournamentState", &T::tournamentState),
             Field("playerState", &T::playerState, "Player's standing"),
             Field("isRegistered", &T::isRegistered, "The roster is registered (not pending)"),
             Field("name", &T::name), Field("shortName", &T::shortName, "Roster tag"),
             Field("iconId", &T::iconId),
             Field("iconColorId", &T::iconColorId, "Roster icon colour"),
             Field("key", &T::key, "The roster's chat key"))
      .Described("One roster of the player as chat and presence need it.");
}

struct TicketOffer {
  uint64_t summonerId = 0;
  int32_t amount = 0;
  bool isAccepted = false;
};
constexpr auto DescribeRecord(const TicketOffer*) {
  using T = TicketOffer;
  return Record<T>("TicketOffer",
                   Field("summonerId", &T::summonerId, "The other member of the offer"),
                   Field("amount", &T::amount, "Tickets offered"),
                   Field("isAccepted", &T::isAccepted, "The offer has been accepted"))
      .Described("An offer of tickets between roster members.");
}

struct BiddingData {
  int32_t currentBid = 0;
  std::vector<TicketOffer> incomingOffers;
};
constexpr auto DescribeRecord(const BiddingData*) {
  using T = BiddingData;
  return Record<T>("BiddingData", Field("currentBid", &T::currentBid, "Tickets the member bids"),
                   Field("incomingOffers", &T::incomingOffers, "Offers made to the member"))
      .Described("A member's bid.");
}

struct RosterMember {
  uint64_t summonerId = 0;
  BiddingData biddingData;
  RosterMemberState state = RosterMemberState::kPending;
  LCDS::Position position = LCDS::Position::kTop;
  uint64_t replacedSummonerId = 0;
  bool isSubstitute = false;
  bool isSubbedOut = false;
};
constexpr auto DescribeRecord(const RosterMember*) {
  using T = RosterMember;
  return Record<T>(
             "RosterMember", Field("summonerId", &T::summonerId),
             Field("biddingData", &T::biddingData, "Bid and offers"), Field("state", &T::state),
             Field("position", &T::position, "Chosen position"),
             Field("replacedSummonerId", &T::replacedSummonerId,
                   "For a substitute, the member replaced"),
             Field("isSubstitute", &T::isSubstitute, "Member plays as substitute"),
             Field("isSubbedOut", &T::isSubbedOut, "Member has been replaced by a substitute"))
      .Described("A member of a roster.");
}

struct SuggestedInvite {
  uint64_t summonerId = 0;
  uint64_t suggesterSummonerId = 0;
};
constexpr auto DescribeRecord(const SuggestedInvite*) {
  using T = SuggestedInvite;
  return Record<T>("SuggestedInvite", Field("summonerId", &T::summonerId, "Suggested invitee"),
                   Field("suggesterSummonerId", &T::suggesterSummonerId, "Member who suggested"))
      .Described("An invitation suggested by a member.");
}

struct RosterPhaseInfo {
  int64_t phaseId = -1;
  int32_t period = 0;
  bool isBracketComplete = false;
};
constexpr auto DescribeRecord(const RosterPhaseInfo*) {
  using T = RosterPhaseInfo;
  return Record<T>("RosterPhaseInfo", Field("phaseId", &T::phaseId),
                   Field("period", &T::period, "Period of the phase"),
                   Field("isBracketComplete", &T::isBracketComplete,
                         "The roster's bracket of that phase is finished"))
      .Described("The roster's registration in one phase.");
}

struct Roster {
  int64_t tournamentId = -1;
  std::string id;
  std::string name;
  std::string shortName;
  int32_t iconId = 0;
  int32_t iconColorId = 0;
  std::vector<LCDS::RewardIcon> availableIcons;
  uint64_t captainSummonerId = 0;
  std::vector<RosterMember> members;
  std::vector<SuggestedInvite> suggestedInvites;
  std::vector<RosterPhaseInfo> phaseInfos;
  int32_t tier = 0;
  int32_t wins = 0;
  int32_t losses = 0;
  int32_t currentBracketWins = 0;
  int32_t numCompletedPeriods = 0;
  bool eliminated = false;
  bool isRegistered = false;
  bool isActiveInCurrentPhase = false;
  bool isCurrentBracketComplete = false;
  LCDS::RosterWithdraw withdraw;
};
constexpr auto DescribeRecord(const Roster*) {
  using T = Roster;
  return Record<T>(
             "Roster", Field("tournamentId", &T::tournamentId),
             Field("id", &T::id, "Roster identifier"), Field("name", &T::name),
             Field("shortName", &T::shortName, "Roster tag"), Field("iconId", &T::iconId),
             Field("iconColorId", &T::iconColorId, "Icon colour"),
             Field("availableIcons", &T::availableIcons, "Icons the roster may use"),
             Field("captainSummonerId", &T::captainSummonerId), Field("members", &T::members),
             Field("suggestedInvites", &T::suggestedInvites, "Invitations suggested by members"),
             Field("phaseInfos", &T::phaseInfos), Field("tier", &T::tier), Field("wins", &T::wins),
             Field("losses", &T::losses), Field("currentBracketWins", &T::currentBracketWins),
             Field("numCompletedPeriods", &T::numCompletedPeriods, "Periods already played"),
             Field("eliminated", &T::eliminated),
             Field("isRegistered", &T::isRegistered,
                   "Roster is registered (false for a pending roster)"),
             Field("isActiveInCurrentPhase", &T::isActiveInCurrentPhase,
                   "Roster plays in the current phase"),
             Field("isCurrentBracketComplete", &T::isCurrentBracketComplete,
                   "The current bracket is finished"),
             Field("withdraw", &T::withdraw, "State of a withdrawal vote"))
      .Described("A pending or registered roster.");
}

}  // namespace Api
