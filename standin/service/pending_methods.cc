// The rules of pending rosters: creation, invitations and suggestions,
// membership, names and logos, readiness (all members ready registers the
// roster for the phase), tickets and ticket offers.
#include <algorithm>

#include "standin/service/internal/service_call.h"

namespace kiv::standin {
namespace {

using LCDS::PendingRosterInviteeState;
using LCDS::PendingRosterMemberState;
using LCDS::TicketOfferState;
using Reason = ZMS::NotifyReason;

bool ValidName(const std::string& name) { return name.size() >= 3 && name.size() <= 24; }
bool ValidShortName(const std::string& name) { return name.size() >= 2 && name.size() <= 5; }

// The caller's pending roster named by "invitationId", or a refusal.
MaybeType<Failure, LCDS::PendingRosterDTO*> Find(CallContext& call) {
  LCDS::PendingRosterDTO* roster = call.world.FindPending(call.Text("invitationId"));
  if (!roster) return Refuse("INVALID_ROSTER");
  return roster;
}
MaybeType<Failure, LCDS::PendingRosterDTO*> FindAsMember(CallContext& call) {
  KIV_TRY_ASSIGN(LCDS::PendingRosterDTO * roster, Find(call));
  if (!MemberOf(*roster, call.caller)) return Refuse("NOT_MEMBER");
  return roster;
}
MaybeType<Failure, LCDS::PendingRosterDTO*> FindAsCaptain(CallContext& call) {
  KIV_TRY_ASSIGN(LCDS::PendingRosterDTO * roster, FindAsMember(call));
  if (roster->captainId != call.caller) return Refuse("NOT_CAPTAIN");
  return roster;
}

// Bumps, tells everyone concerned and answers the roster.
MethodResult Changed(CallContext& call, LCDS::PendingRosterDTO& roster, Reason reason,
                     uint64_t target = 0, std::vector<uint64_t> extra = {}) {
  BumpPending(roster);
  std::vector<uint64_t> targets = Audience(roster);
  for (uint64_t id : extra) {
    if (std::find(targets.begin(), targets.end(), id) == targets.end()) targets.push_back(id);
  }
  call.push.Pending(roster, reason, call.caller, target, targets);
  return Answer(roster);
}

// Every member is ready and the roster is full: it becomes a registered
// roster of `phase`, the members pay their bets, the pending roster ends.
void Register(CallContext& call, const LCDS::PendingRosterDTO& pending,
              const LCDS::TournamentPhaseDTO& phase) {
  std::vector<World::Entrant> members;
  for (const auto* member : ActiveMembers(pending)) {
    members.push_back({member->playerId, member->bet, member->position, member->joinTime});
  }
  // The captain comes first.
  std::stable_partition(members.begin(), members.end(),
                        [&](const auto& member) { return member.player == pending.captainId; });
  LCDS::RosterDTO& roster =
      call.world.AddRoster(pending.tournamentId, phase.id, pending.name, pending.shortName,
                           pending.logo, pending.logoColor, members);
  call.world.pending.erase(pending.invitationId);
  call.push.RosterPlayer(roster, ZMS::RosterNotifyReason::kRegistered, call.caller,
                         call.world.PlayersOf(roster));
  if (call.service.hooks().registered) call.service.hooks().registered(roster.id);
}

}  // namespace

MethodResult CreatePendingRoster(CallContext& call) {
  TournamentState* tournament = call.world.FindTournament(call.Signed("tournamentId"));
  if (!tournament) return Refuse("INVALID_TOURNAMENT");
  if (call.now >= tournament->dto.rosterCreateDeadline) return Refuse("INACTIVE_REGISTRATION");
  if (call.world.RosterOf(tournament->dto.id, call.caller)) return Refuse("IN_OTHER_ROSTER");
  if (call.world.PendingOf(tournament->dto.id, call.caller))
    return Refuse("IN_OTHER_PENDINGROSTER");
  const std::string name = call.Text("rosterName");
  const std::string shortName = call.Text("shortName");
  if (!ValidName(name)) return Refuse("INVALID_NAME");
  if (!ValidShortName(shortName)) return Refuse("INVALID_SHORTNAME");
  LCDS::PendingRosterDTO roster;
  roster.version = 1;
  roster.tournamentId = tournament->dto.id;
  roster.invitationId = "inv-" + std::to_string(call.world.nextInvitation++);
  roster.name = name;
  roster.shortName = shortName;
  roster.tier = 1;
  roster.captainId = call.caller;
  roster.members.push_back(
      LCDS::PendingRosterMemberDTO{call.caller, PendingRosterMemberState::kNotReady, 0,
                                   LCDS::Position::kUnselected, call.now, 0, 0});
  const std::string id = roster.invitationId;
  call.world.pending[id] = std::move(roster);
  return Answer(call.world.pending[id]);
}

MethodResult AcceptInvitation(CallContext& call) {
  KIV_TRY_ASSIGN(LCDS::PendingRosterDTO * roster, Find(call));
  LCDS::PendingRosterInviteeDTO* invitee = PendingInvitee(*roster, call.caller);
  if (!invitee) return Refuse("NOT_INVITEE");
  if (call.world.RosterOf(roster->tournamentId, call.caller)) return Refuse("IN_OTHER_ROSTER");
  if (call.world.PendingOf(roster->tournamentId, call.caller)) {
    return Refuse("IN_OTHER_PENDINGROSTER");
  }
  const TournamentState& tournament = *call.world.FindTournament(roster->tournamentId);
  if (static_cast<int32_t>(ActiveMembers(*roster).size()) >= tournament.dto.rosterSize) {
    return Refuse("PENDING_ROSTER_FULL");
  }
  roster->invitees.erase(roster->invitees.begin() + (invitee - roster->invitees.data()));
  roster->members.push_back(
      LCDS::PendingRosterMemberDTO{call.caller, PendingRosterMemberState::kNotReady, 0,
                                   LCDS::Position::kUnselected, call.now, 0, 0});
  return Changed(call, *roster, Reason::kAcceptInvite, call.caller);
}

MethodResult DeclineInvitation(CallContext& call) {
  KIV_TRY_ASSIGN(LCDS::PendingRosterDTO * roster, Find(call));
  LCDS::PendingRosterInviteeDTO* invitee = PendingInvitee(*roster, call.caller);
  if (!invitee) return Refuse("NOT_INVITEE");
  invitee->inviteeState = PendingRosterInviteeState::kDeclined;
  KIV_TRY(Changed(call, *roster, Reason::kDeclineInvite, call.caller, {call.caller}));
  return NoAnswer();
}

MethodResult ClosePendingRoster(CallContext& call) {
  KIV_TRY_ASSIGN(LCDS::PendingRosterDTO * roster, FindAsCaptain(call));
  BumpPending(*roster);
  call.push.Pending(*roster, Reason::kOwnerClose, call.caller, 0, Audience(*roster));
  call.world.pending.erase(roster->invitationId);
  return NoAnswer();
}

MethodResult LeavePendingRoster(CallContext& call) {
  KIV_TRY_ASSIGN(LCDS::PendingRosterDTO * roster, FindAsMember(call));
  MemberOf(*roster, call.caller)->memberState = PendingRosterMemberState::kLeft;
  const bool captain = roster->captainId == call.caller;
  const auto remaining = ActiveMembers(*roster);
  if (remaining.empty()) {
    BumpPending(*roster);
    call.push.Pending(*roster, Reason::kOwnerClose, call.caller, 0, Audience(*roster));
    call.world.pending.erase(roster->invitationId);
    return NoAnswer();
  }
  if (captain) {
    // The longest-standing member takes over.
    const auto* next =
        *std::min_element(remaining.begin(), remaining.end(),
                          [](const auto* a, const auto* b) { return a->joinTime < b->joinTime; });
    roster->captainId = next->playerId;
  }
  KIV_TRY(Changed(call, *roster, captain ? Reason::kCaptainLeave : Reason::kLeave, call.caller,
                  {call.caller}));
  return NoAnswer();
}

MethodResult ChangeName(CallContext& call) {
  KIV_TRY_ASSIGN(LCDS::PendingRosterDTO * roster, FindAsCaptain(call));
  const std::string name = call.Text("rosterName");
  if (!ValidName(name)) return Refuse("INVALID_NAME");
  roster->name = name;
  return Changed(call, *roster, Reason::kChangeName);
}

MethodResult ChangeShortName(CallContext& call) {
  KIV_TRY_ASSIGN(LCDS::PendingRosterDTO * roster, FindAsCaptain(call));
  const std::string name = call.Text("shortName");
  if (!ValidShortName(name)) return Refuse("INVALID_SHORTNAME");
  roster->shortName = name;
  return Changed(call, *roster, Reason::kChangeShortname);
}

namespace {
MaybeType<Failure, void> CheckLogo(CallContext& call) {
  const int64_t logo = call.Signed("logo");
  const int64_t color = call.Signed("logoColor");
  if (logo < 0 || logo > 99) return Refuse("INVALID_LOGO");
  if (color < 0 || color > 9) return Refuse("INVALID_LOGOCOLOR");
  return Ok();
}
}  // namespace

MethodResult ChangeLogo(CallContext& call) {
  KIV_TRY_ASSIGN(LCDS::PendingRosterDTO * roster, FindAsCaptain(call));
  KIV_TRY(CheckLogo(call));
  roster->logo = static_cast<int32_t>(call.Signed("logo"));
  roster->logoColor = static_cast<int32_t>(call.Signed("logoColor"));
  return Changed(call, *roster, Reason::kChangeLogo);
}

MethodResult ChangeNameTagAndLogo(CallContext& call) {
  KIV_TRY_ASSIGN(LCDS::PendingRosterDTO * roster, FindAsCaptain(call));
  KIV_TRY(CheckLogo(call));
  const std::string name = call.Text("rosterName");
  const std::string shortName = call.Text("shortName");
  if (!ValidName(name)) return Refuse("INVALID_NAME");
  if (!ValidShortName(shortName)) return Refuse("INVALID_SHORTNAME");
  roster->name = name;
  roster->shortName = shortName;
  roster->logo = static_cast<int32_t>(call.Signed("logo"));
  roster->logoColor = static_cast<int32_t>(call.Signed("logoColor"));
  return Changed(call, *roster, Reason::kChangeNametaglogo);
}

MethodResult Invite(CallContext& call) {
  KIV_TRY_ASSIGN(LCDS::PendingRosterDTO * roster, FindAsMember(call));
  const bool captain = roster->captainId == call.caller;
  const TournamentState& tournament = *call.world.FindTournament(roster->tournamentId);
  roster->inviteFaileds.clear();
  std::vector<uint64_t> invited;
  for (uint64_t id : call.Players("inviteePlayers")) {
    auto fail = [&](LCDS::ClientRequestError error) {
      roster->inviteFaileds.push_back(LCDS::FailedInvite{id, error});
    };
    size_t open = ActiveMembers(*roster).size();
    for (const auto& invitee : roster->invitees) {
      open += invitee.inviteeState == PendingRosterInviteeState::kPending;
    }
    if (!call.world.FindPlayer(id)) {
      fail(LCDS::ClientRequestError::kInvalidPlayer);
    } else if (MemberOf(*roster, id)) {
      fail(LCDS::ClientRequestError::kAlreadyMember);
    } else if (call.world.RosterOf(roster->tournamentId, id)) {
      fail(LCDS::ClientRequestError::kInOtherRoster);
    } else if (PendingInvitee(*roster, id)) {
      fail(LCDS::ClientRequestError::kAlreadyInvited);
    } else if (captain && static_cast<int32_t>(open) >= 2 * tournament.dto.rosterSize) {
      fail(LCDS::ClientRequestError::kMaxInvited);
    } else {
      // Earlier declined or revoked entries are replaced by the new one.
      std::erase_if(roster->invitees,
                    [id](const auto& invitee) { return invitee.inviteeId == id; });
      roster->invitees.push_back(LCDS::PendingRosterInviteeDTO{
          id, captain ? PendingRosterInviteeState::kPending : PendingRosterInviteeState::kSuggested,
          call.caller, call.now});
      invited.push_back(id);
    }
  }
  BumpPending(*roster);
  for (uint64_t id : invited) {
    std::vector<uint64_t> targets = call.world.PlayersOf(*roster);
    if (captain) targets.push_back(id);
    call.push.Pending(*roster, captain ? Reason::kInvite : Reason::kSuggestion, call.caller, id,
                      targets);
    if (captain && call.service.hooks().invited)
      call.service.hooks().invited(roster->invitationId, id);
  }
  return Answer(*roster);
}

MethodResult KickMember(CallContext& call) {
  KIV_TRY_ASSIGN(LCDS::PendingRosterDTO * roster, FindAsCaptain(call));
  const uint64_t id = call.Unsigned("memberId");
  LCDS::PendingRosterMemberDTO* member = MemberOf(*roster, id);
  if (!member) return Refuse("NOT_MEMBER");
  if (id == call.caller) return Refuse("CAPTAIN_NOT_ALLOWED");
  member->memberState = PendingRosterMemberState::kKick;
  return Changed(call, *roster, Reason::kKick, id, {id});
}

MethodResult RevokeInvite(CallContext& call) {
  KIV_TRY_ASSIGN(LCDS::PendingRosterDTO * roster, FindAsCaptain(call));
  const uint64_t id = call.Unsigned("inviteeId");
  LCDS::PendingRosterInviteeDTO* invitee = PendingInvitee(*roster, id);
  if (!invitee) {
    for (auto& each : roster->invitees) {
      if (each.inviteeId == id && each.inviteeState == PendingRosterInviteeState::kSuggested) {
        invitee = &each;
      }
    }
  }
  if (!invitee) return Refuse("NOT_INVITEE");
  const bool suggested = invitee->inviteeState == PendingRosterInviteeState::kSuggested;
  invitee->inviteeState = PendingRosterInviteeState::kRevoked;
  return Changed(call, *roster, suggested ? Reason::kRevokeSuggestion : Reason::kRevokeInvite, id,
                 {id});
}

MethodResult TransferOwnership(CallContext& call) {
  KIV_TRY_ASSIGN(LCDS::PendingRosterDTO * roster, FindAsCaptain(call));
  const uint64_t id = call.Unsigned("newCaptainId");
  if (!MemberOf(*roster, id)) return Refuse("NOT_MEMBER");
  if (id == call.caller) return Refuse("NO_SAME_PLAYER");
  roster->captainId = id;
  return Changed(call, *roster, Reason::kOwnerTransfer, id);
}

MethodResult SetMemberPhaseReady(CallContext& call) {
  KIV_TRY_ASSIGN(LCDS::PendingRosterDTO * roster, FindAsMember(call));
  const LCDS::TournamentPhaseDTO* phase =
      call.world.FindPhase(roster->tournamentId, call.Signed("phaseId"));
  if (!phase) return Refuse("INVALID_PHASE");
  if (call.now < phase->registrationTime || call.now >= phase->startTime) {
    return Refuse("INACTIVE_PHASE");
  }
  MemberOf(*roster, call.caller)->memberState = PendingRosterMemberState::kReady;
  KIV_TRY_ASSIGN(BindingProperty answer, Changed(call, *roster, Reason::kReady, call.caller));
  const TournamentState& tournament = *call.world.FindTournament(roster->tournamentId);
  const auto members = ActiveMembers(*roster);
  const bool allReady = std::all_of(members.begin(), members.end(), [](const auto* member) {
    return member->memberState == PendingRosterMemberState::kReady;
  });
  if (allReady && static_cast<int32_t>(members.size()) == tournament.dto.rosterSize) {
    Register(call, LCDS::PendingRosterDTO(*roster), *phase);
  }
  return answer;
}

MethodResult SetMemberStateNotReady(CallContext& call) {
  KIV_TRY_ASSIGN(LCDS::PendingRosterDTO * roster, FindAsMember(call));
  MemberOf(*roster, call.caller)->memberState = PendingRosterMemberState::kNotReady;
  return Changed(call, *roster, Reason::kUnready, call.caller);
}

MethodResult SetTicket(CallContext& call) {
  KIV_TRY_ASSIGN(LCDS::PendingRosterDTO * roster, FindAsMember(call));
  const int64_t count = call.Signed("ticketCount");
  if (count < 0 || count > call.world.FindPlayer(call.caller)->tickets) {
    return Refuse("NOT_ENOUGH_TICKETS");
  }
  LCDS::PendingRosterMemberDTO& member = *MemberOf(*roster, call.caller);
  member.bet = static_cast<int32_t>(count);
  member.selfBet = member.bet;
  int32_t total = 0;
  for (const auto* each : ActiveMembers(*roster)) total += each->bet;
  roster->tier = TierOf(total, call.world.FindTournament(roster->tournamentId)->dto.rosterSize);
  return Changed(call, *roster, Reason::kSetTicket, call.caller);
}

MethodResult SetPosition(CallContext& call) {
  KIV_TRY_ASSIGN(LCDS::PendingRosterDTO * roster, FindAsMember(call));
  MemberOf(*roster, call.caller)->position = call.Position("position");
  return Changed(call, *roster, Reason::kChangePosition, call.caller);
}

namespace {
LCDS::TicketOfferDTO* FindOffer(std::vector<LCDS::TicketOfferDTO>& offers, uint64_t from,
                                uint64_t to) {
  for (auto& offer : offers) {
    if (offer.offerPlayerId == from && offer.receivePlayerId == to &&
        offer.ticketOfferState == TicketOfferState::kActive) {
      return &offer;
    }
  }
  return nullptr;
}
}  // namespace

MethodResult OfferTicket(CallContext& call) {
  KIV_TRY_ASSIGN(LCDS::PendingRosterDTO * roster, FindAsMember(call));
  const uint64_t to = call.Unsigned("receiveMemberId");
  const int64_t count = call.Signed("ticketCount");
  if (!MemberOf(*roster, to)) return Refuse("NOT_MEMBER");
  if (to == call.caller) return Refuse("NO_SAME_PLAYER");
  if (count < 1 || count > call.world.FindPlayer(call.caller)->tickets) {
    return Refuse("NOT_ENOUGH_TICKETS");
  }
  if (FindOffer(roster->ticketOffers, call.caller, to)) return Refuse("TICKET_OFFER_OVER_LIMIT");
  roster->ticketOffers.push_back(LCDS::TicketOfferDTO{call.caller, to, static_cast<int32_t>(count),
                                                      TicketOfferState::kActive});
  return Changed(call, *roster, Reason::kOfferTicket, to);
}

MethodResult RevokeTicketOffer(CallContext& call) {
  KIV_TRY_ASSIGN(LCDS::PendingRosterDTO * roster, FindAsMember(call));
  const uint64_t to = call.Unsigned("receiveMemberId");
  LCDS::TicketOfferDTO* offer = FindOffer(roster->ticketOffers, call.caller, to);
  if (!offer) return Refuse("TICKET_OFFER_NOT_EXIST");
  offer->ticketOfferState = TicketOfferState::kRevoked;
  return Changed(call, *roster, Reason::kRevokedTicket, to);
}

MethodResult AcceptTicketOffer(CallContext& call) {
  KIV_TRY_ASSIGN(LCDS::PendingRosterDTO * roster, FindAsMember(call));
  const uint64_t from = call.Unsigned("offerMemberId");
  LCDS::TicketOfferDTO* offer = FindOffer(roster->ticketOffers, from, call.caller);
  if (!offer) return Refuse("TICKET_OFFER_NOT_EXIST");
  PlayerState* giver = call.world.FindPlayer(from);
  if (!giver || giver->tickets < offer->count) return Refuse("NOT_ENOUGH_TICKETS");
  giver->tickets -= offer->count;
  call.world.FindPlayer(call.caller)->tickets += offer->count;
  offer->ticketOfferState = TicketOfferState::kAccepted;
  return Changed(call, *roster, Reason::kAcceptTicket, from);
}

MethodResult DeclineTicketOffer(CallContext& call) {
  KIV_TRY_ASSIGN(LCDS::PendingRosterDTO * roster, FindAsMember(call));
  const uint64_t from = call.Unsigned("offerMemberId");
  LCDS::TicketOfferDTO* offer = FindOffer(roster->ticketOffers, from, call.caller);
  if (!offer) return Refuse("TICKET_OFFER_NOT_EXIST");
  offer->ticketOfferState = TicketOfferState::kRejected;
  return Changed(call, *roster, Reason::kDeclineTicket, from);
}

}  // namespace kiv::standin
