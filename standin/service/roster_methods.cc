// The rules of registered rosters: phase check-in and check-out, bids and
// ticket offers, positions, withdrawal votes and substitutes.
#include <algorithm>

#include "standin/service/internal/service_call.h"

namespace kiv::standin {
namespace {

using LCDS::SubState;
using LCDS::TicketOfferState;
using Reason = ZMS::RosterNotifyReason;

struct Found {
  LCDS::RosterDTO* roster;
  const LCDS::TournamentPhaseDTO* phase;  // null for bracket-based methods
};

MaybeType<Failure, LCDS::RosterDTO*> FindRoster(CallContext& call) {
  LCDS::RosterDTO* roster = call.world.FindRoster(call.Signed("rosterId"));
  if (!roster) return Refuse("INVALID_ROSTER");
  return roster;
}

// The roster, the caller playing in it, and the phase named by "phaseId".
MaybeType<Failure, Found> FindInPhase(CallContext& call) {
  KIV_TRY_ASSIGN(LCDS::RosterDTO * roster, FindRoster(call));
  if (!Plays(*roster, call.caller)) return Refuse("NOT_MEMBER");
  const LCDS::TournamentPhaseDTO* phase =
      call.world.FindPhase(roster->tournamentId, call.Signed("phaseId"));
  if (!phase) return Refuse("INVALID_PHASE");
  return Found{roster, phase};
}

MaybeType<Failure, Found> FindAsCaptain(CallContext& call) {
  KIV_TRY_ASSIGN(Found found, FindInPhase(call));
  if (found.roster->captainId != call.caller) return Refuse("NOT_CAPTAIN");
  return found;
}

bool InWindow(const CallContext& call, const LCDS::TournamentPhaseDTO& phase) {
  return call.now >= phase.registrationTime && call.now < phase.startTime;
}

bool Registered(const LCDS::RosterDTO& roster, int64_t phaseId) {
  return std::any_of(roster.phases.begin(), roster.phases.end(),
                     [&](const auto& entry) { return entry.phaseId == phaseId; });
}

MethodResult DynamicChanged(CallContext& call, LCDS::RosterDTO& roster, Reason reason) {
  BumpRoster(roster);
  call.push.Dynamic(roster.dynamicState, reason, call.caller, call.world.PlayersOf(roster));
  return Answer(roster.dynamicState);
}

MethodResult RosterChanged(CallContext& call, LCDS::RosterDTO& roster, Reason reason,
                           std::vector<uint64_t> extra = {}) {
  BumpRoster(roster);
  std::vector<uint64_t> targets = call.world.PlayersOf(roster);
  for (uint64_t id : extra) {
    if (std::find(targets.begin(), targets.end(), id) == targets.end()) targets.push_back(id);
  }
  call.push.Roster(roster, reason, targets);
  return Answer(roster.dynamicState);
}

LCDS::PhaseInMember& BidOf(LCDS::RosterDTO& roster, uint64_t player) {
  for (auto& member : roster.dynamicState.members) {
    if (member.playerId == player) return member;
  }
  return roster.dynamicState.members.emplace_back(LCDS::PhaseInMember{player, 0, 0, 0});
}

LCDS::TicketOfferDTO* FindOffer(LCDS::RosterDTO& roster, uint64_t from, uint64_t to) {
  for (auto& offer : roster.dynamicState.ticketOffers) {
    if (offer.offerPlayerId == from && offer.receivePlayerId == to &&
        offer.ticketOfferState == TicketOfferState::kActive) {
      return &offer;
    }
  }
  return nullptr;
}

bool VoteOpen(const CallContext& call, const LCDS::RosterWithdraw& withdraw) {
  return withdraw.initVoteTime >= 0 && call.now < withdraw.initVoteTime + withdraw.voteTimeoutMs;
}

void ResetVote(LCDS::RosterWithdraw& withdraw) {
  withdraw.initVoteTime = -1;
  withdraw.initVoteMember = 0;
  withdraw.voteWithdrawMembers.clear();
  withdraw.declineWithdrawMembers.clear();
}

// The roster named by "rosterId" and in the bracket named by "bracketId",
// with the caller playing in it.
MaybeType<Failure, std::pair<LCDS::RosterDTO*, DoubleElimination*>> FindInBracket(
    CallContext& call) {
  KIV_TRY_ASSIGN(LCDS::RosterDTO * roster, FindRoster(call));
  if (!Plays(*roster, call.caller)) return Refuse("NOT_MEMBER");
  const auto bracket = call.world.brackets.find(call.Signed("bracketId"));
  if (bracket == call.world.brackets.end()) return Refuse("INVALID_BRACKET");
  const auto& rosters = bracket->second.bracket().rosters;
  if (std::none_of(rosters.begin(), rosters.end(),
                   [&](const auto& entry) { return entry.rosterId == roster->id; })) {
    return Refuse("INVALID_BRACKET");
  }
  if (roster->eliminated || call.world.withdrawn.count(roster->id)) {
    return Refuse("ROSTER_ELIMINATED");
  }
  return std::pair{roster, &bracket->second};
}

}  // namespace

MethodResult MemberPhaseCheckin(CallContext& call) {
  KIV_TRY_ASSIGN(Found found, FindInPhase(call));
  LCDS::RosterDTO& roster = *found.roster;
  if (!InWindow(call, *found.phase)) return Refuse("INACTIVE_PHASE");
  if (call.world.withdrawn.count(roster.id)) return Refuse("ROSTER_ELIMINATED");
  for (const auto& entry : roster.phases) {
    if (entry.period == found.phase->period && entry.phaseId != found.phase->id) {
      return Refuse("IN_OTHER_PHASE_OF_PERIOD");
    }
  }
  auto& checkins = roster.dynamicState.phaseCheckinStates;
  if (std::find(checkins.begin(), checkins.end(), call.caller) != checkins.end()) {
    return Refuse("ALREADY_IN_PHASE");
  }
  checkins.push_back(call.caller);
  const int32_t needed = call.world.FindTournament(roster.tournamentId)->dto.rosterSize;
  if (!Registered(roster, found.phase->id) && static_cast<int32_t>(checkins.size()) >= needed) {
    roster.phases.push_back(
        LCDS::PhaseRosterDTO{found.phase->id, found.phase->period, {}, std::nullopt});
    roster.eliminated = false;  // a new phase, a new bracket
    return RosterChanged(call, roster, Reason::kPhaseCheckin);
  }
  return DynamicChanged(call, roster, Reason::kPhaseReady);
}

MethodResult MemberPhaseCheckout(CallContext& call) {
  KIV_TRY_ASSIGN(Found found, FindInPhase(call));
  LCDS::RosterDTO& roster = *found.roster;
  if (!InWindow(call, *found.phase)) return Refuse("INACTIVE_PHASE");
  auto& checkins = roster.dynamicState.phaseCheckinStates;
  const auto at = std::find(checkins.begin(), checkins.end(), call.caller);
  if (at == checkins.end()) return Refuse("INVALID_PHASE");
  checkins.erase(at);
  const int32_t needed = call.world.FindTournament(roster.tournamentId)->dto.rosterSize;
  if (Registered(roster, found.phase->id) && static_cast<int32_t>(checkins.size()) < needed) {
    std::erase_if(roster.phases,
                  [&](const auto& entry) { return entry.phaseId == found.phase->id; });
    return RosterChanged(call, roster, Reason::kPhaseUnready);
  }
  return DynamicChanged(call, roster, Reason::kPhaseUnready);
}

MethodResult SetRosterPhaseTicket(CallContext& call) {
  KIV_TRY_ASSIGN(Found found, FindInPhase(call));
  const int64_t count = call.Signed("ticketCount");
  if (count < 0 || count > call.world.FindPlayer(call.caller)->tickets) {
    return Refuse("NOT_ENOUGH_TICKETS");
  }
  LCDS::PhaseInMember& bid = BidOf(*found.roster, call.caller);
  bid.bet = static_cast<int32_t>(count);
  bid.selfBet = bid.bet;
  return DynamicChanged(call, *found.roster, Reason::kRosterSetTicket);
}

MethodResult SetRosterPosition(CallContext& call) {
  KIV_TRY_ASSIGN(Found found, FindInPhase(call));
  LCDS::RosterDTO& roster = *found.roster;
  const LCDS::Position position = call.Position("position");
  if (LCDS::RosterMemberDTO* member = MemberOf(roster, call.caller)) {
    member->position = position;
  } else {
    FindSub(roster, call.caller)->position = position;
  }
  BumpRoster(roster);
  call.push.Roster(roster, Reason::kChangePosition, call.world.PlayersOf(roster));
  return Answer(call.world.RosterView(roster));
}

MethodResult OfferRosterTicket(CallContext& call) {
  KIV_TRY_ASSIGN(Found found, FindInPhase(call));
  LCDS::RosterDTO& roster = *found.roster;
  const uint64_t to = call.Unsigned("receiveMemberId");
  const int64_t count = call.Signed("ticketCount");
  if (!Plays(roster, to)) return Refuse("NOT_MEMBER");
  if (to == call.caller) return Refuse("NO_SAME_PLAYER");
  if (count < 1 || count > call.world.FindPlayer(call.caller)->tickets) {
    return Refuse("NOT_ENOUGH_TICKETS");
  }
  if (FindOffer(roster, call.caller, to)) return Refuse("TICKET_OFFER_OVER_LIMIT");
  roster.dynamicState.ticketOffers.push_back(LCDS::TicketOfferDTO{
      call.caller, to, static_cast<int32_t>(count), TicketOfferState::kActive});
  return DynamicChanged(call, roster, Reason::kRosterOfferTicket);
}

MethodResult RevokeRosterTicketOffer(CallContext& call) {
  KIV_TRY_ASSIGN(Found found, FindInPhase(call));
  LCDS::TicketOfferDTO* offer =
      FindOffer(*found.roster, call.caller, call.Unsigned("receiveMemberId"));
  if (!offer) return Refuse("TICKET_OFFER_NOT_EXIST");
  offer->ticketOfferState = TicketOfferState::kRevoked;
  return DynamicChanged(call, *found.roster, Reason::kRosterRevokedTicket);
}

MethodResult AcceptRosterTicketOffer(CallContext& call) {
  KIV_TRY_ASSIGN(Found found, FindInPhase(call));
  const uint64_t from = call.Unsigned("offerMemberId");
  LCDS::TicketOfferDTO* offer = FindOffer(*found.roster, from, call.caller);
  if (!offer) return Refuse("TICKET_OFFER_NOT_EXIST");
  PlayerState* giver = call.world.FindPlayer(from);
  if (!giver || giver->tickets < offer->count) return Refuse("NOT_ENOUGH_TICKETS");
  giver->tickets -= offer->count;
  call.world.FindPlayer(call.caller)->tickets += offer->count;
  offer->ticketOfferState = TicketOfferState::kAccepted;
  return RosterChanged(call, *found.roster, Reason::kRosterAcceptTicket);
}

MethodResult DeclineRosterTicketOffer(CallContext& call) {
  KIV_TRY_ASSIGN(Found found, FindInPhase(call));
  LCDS::TicketOfferDTO* offer =
      FindOffer(*found.roster, call.Unsigned("offerMemberId"), call.caller);
  if (!offer) return Refuse("TICKET_OFFER_NOT_EXIST");
  offer->ticketOfferState = TicketOfferState::kRejected;
  return RosterChanged(call, *found.roster, Reason::kRosterDeclineTicket);
}

namespace {

// Adds the caller to `cast` and takes them off `opposite`; false, with
// nothing changed, when the caller is in `cast` already.
bool CastVote(std::vector<int64_t>& cast, std::vector<int64_t>& opposite, uint64_t voter) {
  const auto caller = static_cast<int64_t>(voter);
  if (std::find(cast.begin(), cast.end(), caller) != cast.end()) return false;
  cast.push_back(caller);
  std::erase(opposite, caller);
  return true;
}

}  // namespace

MethodResult VoteMemberWithdraw(CallContext& call) {
  KIV_TRY_ASSIGN(auto found, FindInBracket(call));
  auto [roster, bracket] = found;
  LCDS::RosterWithdraw& withdraw = roster->dynamicState.withdraw;
  if (!VoteOpen(call, withdraw)) {
    ResetVote(withdraw);
    withdraw.initVoteTime = call.now;
    withdraw.initVoteMember = call.caller;
  }
  const auto& votes = withdraw.voteWithdrawMembers;
  if (!CastVote(withdraw.voteWithdrawMembers, withdraw.declineWithdrawMembers, call.caller)) {
    return Refuse("ALREADY_VOTE_WITHDRAW");
  }
  const int32_t size = call.world.FindTournament(roster->tournamentId)->dto.rosterSize;
  BumpRoster(*roster);
  if (static_cast<int32_t>(votes.size()) * 2 > size) {
    // The majority wants out: the roster forfeits and leaves the tournament.
    call.world.withdrawn.insert(roster->id);
    roster->eliminated = true;
    const std::optional<int64_t> forfeited = bracket->Withdraw(roster->id);
    call.push.Withdraw(*roster, Reason::kWithdraw, call.caller, call.world.PlayersOf(*roster));
    if (call.service.hooks().withdrew) {
      call.service.hooks().withdrew(bracket->bracket().id, forfeited.value_or(-1));
    }
  } else {
    call.push.Withdraw(*roster, Reason::kVoteWithdrawUpdate, call.caller,
                       call.world.PlayersOf(*roster));
  }
  return Answer(roster->dynamicState);
}

MethodResult VoteMemberUnWithdraw(CallContext& call) {
  KIV_TRY_ASSIGN(auto found, FindInBracket(call));
  LCDS::RosterDTO* roster = found.first;
  LCDS::RosterWithdraw& withdraw = roster->dynamicState.withdraw;
  if (!VoteOpen(call, withdraw)) return Refuse("INVALID_WITHDRAW");
  const auto& declines = withdraw.declineWithdrawMembers;
  if (!CastVote(withdraw.declineWithdrawMembers, withdraw.voteWithdrawMembers, call.caller)) {
    return Refuse("ALREADY_DECLINE_WITHDRAW");
  }
  const int32_t size = call.world.FindTournament(roster->tournamentId)->dto.rosterSize;
  Reason reason = Reason::kVoteWithdrawUpdate;
  if (static_cast<int32_t>(declines.size()) * 2 >= size) {
    ResetVote(withdraw);
    reason = Reason::kVoteWithdrawDismiss;
  }
  BumpRoster(*roster);
  call.push.Withdraw(*roster, reason, call.caller, call.world.PlayersOf(*roster));
  return Answer(roster->dynamicState);
}

MethodResult CancelRosterWithdraw(CallContext& call) {
  KIV_TRY_ASSIGN(auto found, FindInBracket(call));
  LCDS::RosterDTO* roster = found.first;
  LCDS::RosterWithdraw& withdraw = roster->dynamicState.withdraw;
  if (!VoteOpen(call, withdraw)) return Refuse("INVALID_WITHDRAW");
  if (withdraw.initVoteMember != call.caller) return Refuse("WITHDRAW_CANCEL_NOT_ALLOWED");
  ResetVote(withdraw);
  BumpRoster(*roster);
  call.push.Withdraw(*roster, Reason::kVoteWithdrawDismiss, call.caller,
                     call.world.PlayersOf(*roster));
  return Answer(roster->dynamicState);
}

MethodResult InviteSub(CallContext& call) {
  KIV_TRY_ASSIGN(Found found, FindAsCaptain(call));
  LCDS::RosterDTO& roster = *found.roster;
  const uint64_t sub = call.Unsigned("subPlayerId");
  const uint64_t replaced = call.Unsigned("replacedPlayerId");
  if (!MemberOf(roster, replaced)) return Refuse("NOT_MEMBER");
  if (!call.world.FindPlayer(sub)) return Refuse("INVALID_PLAYER");
  if (MemberOf(roster, sub)) return Refuse("ALREADY_MEMBER");
  if (FindSub(roster, sub)) return Refuse("ALREADY_INVITED");
  if (call.world.RosterOf(roster.tournamentId, sub)) return Refuse("IN_OTHER_ROSTER");
  int32_t taken = 0;
  for (const auto& entry : roster.dynamicState.phaseRosterSubs) {
    const bool open = IsActiveSub(entry) || entry.subState == SubState::kPending;
    if (open && entry.replacedPlayerId == replaced) return Refuse("CANNOT_SUB");
    taken += open;
  }
  if (taken >= call.world.FindTournament(roster.tournamentId)->dto.maxSub) {
    return Refuse("MAX_SUBED");
  }
  LCDS::PhaseRosterSubDTO entry;
  entry.playerId = sub;
  entry.replacedPlayerId = replaced;
  entry.subState = SubState::kPending;
  entry.position = MemberOf(roster, replaced)->position;
  roster.dynamicState.phaseRosterSubs.push_back(entry);
  BumpRoster(roster);
  call.push.Roster(roster, Reason::kSubInvite, {sub});
  call.push.Dynamic(roster.dynamicState, Reason::kSubInvite, call.caller,
                    call.world.PlayersOf(roster));
  if (call.service.hooks().subInvited)
    call.service.hooks().subInvited(roster.id, found.phase->id, sub);
  return Answer(roster.dynamicState);
}

namespace {
// The caller's pending substitution in the roster named by "rosterId".
MaybeType<Failure, std::pair<LCDS::RosterDTO*, LCDS::PhaseRosterSubDTO*>> PendingSubOfCaller(
    CallContext& call) {
  KIV_TRY_ASSIGN(LCDS::RosterDTO * roster, FindRoster(call));
  if (!call.world.FindPhase(roster->tournamentId, call.Signed("phaseId"))) {
    return Refuse("INVALID_PHASE");
  }
  LCDS::PhaseRosterSubDTO* sub = FindSub(*roster, call.caller);
  if (!sub || sub->subState != SubState::kPending) return Refuse("INVALID_SUB");
  return std::pair{roster, sub};
}
}  // namespace

MethodResult AcceptSub(CallContext& call) {
  KIV_TRY_ASSIGN(auto found, PendingSubOfCaller(call));
  if (call.world.RosterOf(found.first->tournamentId, call.caller)) return Refuse("IN_OTHER_ROSTER");
  found.second->subState = SubState::kNotReady;
  return RosterChanged(call, *found.first, Reason::kSubAccept);
}

MethodResult DeclineSub(CallContext& call) {
  KIV_TRY_ASSIGN(auto found, PendingSubOfCaller(call));
  found.second->subState = SubState::kDeclined;
  KIV_TRY(RosterChanged(call, *found.first, Reason::kSubDecline, {call.caller}));
  return NoAnswer();
}

MethodResult RevokeSub(CallContext& call) {
  KIV_TRY_ASSIGN(Found found, FindAsCaptain(call));
  const uint64_t id = call.Unsigned("subPlayerId");
  LCDS::PhaseRosterSubDTO* sub = FindSub(*found.roster, id);
  if (!sub) return Refuse("INVALID_SUB");
  sub->subState = SubState::kRevoked;
  return RosterChanged(call, *found.roster, Reason::kSubRevoke, {id});
}

MethodResult ReclaimSubbedPosition(CallContext& call) {
  KIV_TRY_ASSIGN(LCDS::RosterDTO * roster, FindRoster(call));
  if (!call.world.FindPhase(roster->tournamentId, call.Signed("phaseId"))) {
    return Refuse("INVALID_PHASE");
  }
  if (!MemberOf(*roster, call.caller)) return Refuse("NOT_MEMBER");
  for (auto& sub : roster->dynamicState.phaseRosterSubs) {
    if (sub.replacedPlayerId == call.caller && IsActiveSub(sub)) {
      sub.subState = SubState::kRevoked;
      return RosterChanged(call, *roster, Reason::kSubReclaim, {sub.playerId});
    }
  }
  return Refuse("CANNOT_SUB");
}

}  // namespace kiv::standin
