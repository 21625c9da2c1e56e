// Every roster command through its endpoint, from one table, each row in a
// fresh world: the backend methods called with their arguments, the cache
// updated from the answer, the resources published; and every refusal, logged
// as "Error %i: %s" and answered with its code and name, the cache untouched.
#include <gmock/gmock.h>

#include <map>

#include "tests/plugin/joust_flow.h"

namespace kiv::testing {
namespace {

using namespace samples;
using ::testing::Contains;
using ::testing::ElementsAreArray;
using ::testing::HasSubstr;

constexpr char kT7[] = "/kiv-joust/v1/tournament/7/";
constexpr char kT8[] = "/kiv-joust/v1/tournament/8/";
constexpr char kT9[] = "/kiv-joust/v1/tournament/9/";

// Resources published together: the restriction; the player's pending
// roster inv-8 written, or left; the registered roster 500 written. Only what a command changes is
// published: a roster written with the standing, wallet and state unchanged publishes the roster
// alone.
const std::map<std::string, std::string> kGroups = {
    {"PENDING_8", "/kiv-joust/v1/tournament/8/roster/inv-8 /kiv-joust/v1/player/roster"},
    {"RESTRICTION", "/kiv-joust/v1/playmode-restricted /kiv-joust/v2/playmode-restricted"},
    {"LEFT_8",
     "-/kiv-joust/v1/tournament/8/roster/inv-8 -/kiv-joust/v1/player/roster "
     "/kiv-joust/v1/tournament-summary /kiv-joust/v1/tournament/8/player"},
    {"ROSTER_500",
     "RESTRICTION /kiv-joust/v1/tournament/7/roster/500 /kiv-joust/v1/player/roster"}};

Uris Expand(const std::string& text) {
  Uris uris;
  std::istringstream words(text);
  for (std::string word; words >> word;) {
    const auto group = kGroups.find(word);
    group == kGroups.end() ? (void)uris.insert(word) : uris.merge(Expand(group->second));
  }
  return uris;
}

struct CommandCase {
  const char* name;
  std::string url;                 // POSTed
  std::string body;                // JSON, or "" for none
  std::vector<std::string> calls;  // "method arguments" of each backend call
  uint32_t status = 200;
  std::string published;   // URIs and groups; "*" when a reload publishes everything
  std::string shows;       // "URL|text": the answer's change in the cache
  const char* error = "";  // the refusal's name, answered and logged
  std::string refusal;     // "method ERROR": the service refuses that method
  std::string before;      // "URI JSON": a resource set before the command
};

void PrintTo(const CommandCase& row, std::ostream* out) { *out << row.name; }

std::string Pending(const std::string& invitationId = "inv-8") {
  return R"({"invitationId":")" + invitationId + "\"";
}

// clang-format off
const CommandCase kCommands[] = {
    // The pending roster inv-8 of tournament 8 (the player is its captain).
    {"Accept", std::string(kT8) + "roster/inv-9/accept", "", {"leave " + Pending() + "}", "accept " + Pending("inv-9") + "}"}, 200,
     // Left and joined in one command: the player's roster is published once, the joined one
     // (inv-9 itself reads as it did when it was an invitation).
     "-/kiv-joust/v1/tournament/8/roster/inv-8 /kiv-joust/v1/tournament/8/player /kiv-joust/v1/player/roster "
     "/kiv-joust/v1/tournament-summary /kiv-joust/v1/tournament/8/invitations /kiv-joust/v1/invitations",
     std::string(kT8) + "player|\"rosterId\":\"inv-9\""},
    {"AcceptAfterFailedLeave", std::string(kT8) + "roster/inv-9/accept", "", {"leave " + Pending() + "}", "accept " + Pending("inv-9") + "}"}, 200,
     "-/kiv-joust/v1/tournament/8/roster/inv-8 /kiv-joust/v1/tournament/8/invitations /kiv-joust/v1/invitations "
     "/kiv-joust/v1/tournament/8/player /kiv-joust/v1/player/roster /kiv-joust/v1/tournament-summary",
     std::string(kT8) + "player|\"rosterId\":\"inv-9\"", "", "leave NOT_MEMBER"},
    {"Decline", std::string(kT8) + "roster/inv-9/decline", "", {"decline " + Pending("inv-9") + "}"}, 200,
     "-/kiv-joust/v1/tournament/8/roster/inv-9 /kiv-joust/v1/tournament/8/invitations /kiv-joust/v1/invitations",
     "/kiv-joust/v1/invitations|[]"},
    {"Create", std::string(kT9) + "create-roster", R"({"name":"Nova","shortName":"NOV","iconId":3,"iconColorId":4})",
     {R"(createPendingRoster {"rosterName":"Nova","shortName":"NOV","tournamentId":9})"}, 200,
     "/kiv-joust/v1/tournament/9/roster/inv-new /kiv-joust/v1/tournament/9/player /kiv-joust/v1/player/roster /kiv-joust/v1/tournament-summary",
     std::string(kT9) + "player|\"rosterId\":\"inv-new\""},
    {"Disband", std::string(kT8) + "roster/disband", "", {"closePendingRoster " + Pending() + "}"}, 200, "LEFT_8",
     std::string(kT8) + "player|\"state\":\"NO_ROSTER\""},
    {"ChangeName", std::string(kT8) + "roster/change-name", R"({"name":"Nova"})", {"changeName " + Pending() + R"(,"rosterName":"Nova"})"}, 200, "PENDING_8",
     std::string(kT8) + "roster/inv-8|\"name\":\"Renamed\""},
    {"ChangeShortName", std::string(kT8) + "roster/change-short-name", R"({"name":"NOV"})", {"changeShortName " + Pending() + R"(,"shortName":"NOV"})"}, 200, "PENDING_8",
     std::string(kT8) + "roster/inv-8|\"name\":\"Renamed\""},
    {"ChangeIcon", std::string(kT8) + "roster/change-icon", R"({"iconId":3,"iconColorId":4})", {"changeLogo " + Pending() + R"(,"logo":3,"logoColor":4})"}, 200, "PENDING_8",
     std::string(kT8) + "roster/inv-8|\"name\":\"Renamed\""},
    {"ChangeAllDetails", std::string(kT8) + "roster/change-all-details", R"({"name":"Nova","shortName":"NOV","iconId":3,"iconColorId":4})",
     {"changeNameTagAndLogo " + Pending() + R"(,"logo":3,"logoColor":4,"rosterName":"Nova","shortName":"NOV"})"}, 200, "PENDING_8",
     std::string(kT8) + "roster/inv-8|\"name\":\"Renamed\""},
    {"Invite", std::string(kT8) + "roster/invite", "[44,46]", {"invite " + Pending() + R"(,"inviteePlayers":[44,46]})"}, 200, "PENDING_8",
     std::string(kT8) + "roster/inv-8|\"name\":\"Renamed\""},
    {"KickMember", std::string(kT8) + "roster/kick", R"({"summonerId":43})", {"kickMember " + Pending() + R"(,"memberId":43})"}, 200, "PENDING_8",
     std::string(kT8) + "roster/inv-8|\"name\":\"Renamed\""},
    {"KickInvitee", std::string(kT8) + "roster/kick", R"({"summonerId":44})", {"revokeInvite " + Pending() + R"(,"inviteeId":44})"}, 200, "PENDING_8",
     std::string(kT8) + "roster/inv-8|\"name\":\"Renamed\""},
    {"Leave", std::string(kT8) + "roster/leave", "", {"leave " + Pending() + "}"}, 200, "LEFT_8",
     std::string(kT8) + "player|\"state\":\"NO_ROSTER\""},
    {"TransferCaptain", std::string(kT8) + "roster/transfer-captain", "43", {"transferOwnership " + Pending() + R"(,"newCaptainId":43})"}, 200, "PENDING_8",
     std::string(kT8) + "roster/inv-8|\"name\":\"Renamed\""},
    {"LockInPending", std::string(kT8) + "roster/lockin", "", {"setMemberPhaseReady " + Pending() + R"(,"phaseId":81})"}, 200, "PENDING_8 RESTRICTION",
     std::string(kT8) + "roster/inv-8|\"name\":\"Renamed\""},
    {"UnlockInPending", std::string(kT8) + "roster/unlockin", "", {"setMemberStateNotReady " + Pending() + "}"}, 200, "PENDING_8",
     std::string(kT8) + "roster/inv-8|\"name\":\"Renamed\""},
    {"SetBidPending", std::string(kT8) + "roster/set-bid", R"({"ticketAmount":2})", {"setTicket " + Pending() + R"(,"ticketCount":2})"}, 200, "PENDING_8",
     std::string(kT8) + "roster/inv-8|\"name\":\"Renamed\""},
    {"SetPositionPending", std::string(kT8) + "roster/set-position", R"({"position":"TOP"})", {"setPosition " + Pending() + R"(,"position":"TOP"})"}, 200, "PENDING_8",
     std::string(kT8) + "roster/inv-8|\"name\":\"Renamed\""},
    {"AcceptOfferPending", std::string(kT8) + "bid-offer/43/accept", "", {"acceptTicketOffer " + Pending() + R"(,"offerMemberId":43})"}, 200, "PENDING_8",
     std::string(kT8) + "roster/inv-8|\"name\":\"Renamed\""},
    {"DeclineOfferPending", std::string(kT8) + "bid-offer/43/decline", "", {"declineTicketOffer " + Pending() + R"(,"offerMemberId":43})"}, 200, "PENDING_8",
     std::string(kT8) + "roster/inv-8|\"name\":\"Renamed\""},
    {"OfferPending", std::string(kT8) + "bid-offer/43/offer", "", {"offerTicket " + Pending() + R"(,"receiveMemberId":43,"ticketCount":1})"}, 200, "PENDING_8",
     std::string(kT8) + "roster/inv-8|\"name\":\"Renamed\""},
    {"RevokeOfferPending", std::string(kT8) + "bid-offer/43/revoke", "", {"revokeTicketOffer " + Pending() + R"(,"receiveMemberId":43})"}, 200, "PENDING_8",
     std::string(kT8) + "roster/inv-8|\"name\":\"Renamed\""},

    // The registered roster 500 of tournament 7, phase 71, bracket 900.
    {"LockInRegistered", std::string(kT7) + "roster/lockin", "", {R"(memberPhaseCheckin {"phaseId":71,"rosterId":500})"}, 200, "ROSTER_500",
     std::string(kT7) + "roster/500|\"isActiveInCurrentPhase\":true"},
    {"UnlockInRegistered", std::string(kT7) + "roster/unlockin", "", {R"(memberPhaseCheckout {"phaseId":71,"rosterId":500})"}, 200, "ROSTER_500",
     std::string(kT7) + "roster/500|\"isActiveInCurrentPhase\":true"},
    {"SetBidRegistered", std::string(kT7) + "roster/set-bid", R"({"ticketAmount":2})", {R"(setRosterPhaseTicket {"phaseId":71,"rosterId":500,"ticketCount":2})"}, 200, "ROSTER_500",
     std::string(kT7) + "roster/500|\"isActiveInCurrentPhase\":true"},
    {"SetPositionRegistered", std::string(kT7) + "roster/set-position", R"({"position":"TOP"})", {R"(setRosterPosition {"phaseId":71,"position":"TOP","rosterId":500})"}, 200, "ROSTER_500",
     std::string(kT7) + "roster/500|\"name\":\"Renamed\""},
    {"AcceptOfferRegistered", std::string(kT7) + "bid-offer/43/accept", "", {R"(acceptRosterTicketOffer {"offerMemberId":43,"phaseId":71,"rosterId":500})"}, 200, "ROSTER_500",
     std::string(kT7) + "roster/500|\"isActiveInCurrentPhase\":true"},
    {"DeclineOfferRegistered", std::string(kT7) + "bid-offer/43/decline", "", {R"(declineRosterTicketOffer {"offerMemberId":43,"phaseId":71,"rosterId":500})"}, 200, "ROSTER_500",
     std::string(kT7) + "roster/500|\"isActiveInCurrentPhase\":true"},
    {"OfferRegistered", std::string(kT7) + "bid-offer/43/offer", "", {R"(offerRosterTicket {"phaseId":71,"receiveMemberId":43,"rosterId":500,"ticketCount":1})"}, 200, "ROSTER_500",
     std::string(kT7) + "roster/500|\"isActiveInCurrentPhase\":true"},
    {"RevokeOfferRegistered", std::string(kT7) + "bid-offer/43/revoke", "", {R"(revokeRosterTicketOffer {"phaseId":71,"receiveMemberId":43,"rosterId":500})"}, 200, "ROSTER_500",
     std::string(kT7) + "roster/500|\"isActiveInCurrentPhase\":true"},
    {"Withdraw", std::string(kT7) + "roster/withdraw", "", {R"(voteMemberWithdraw {"bracketId":900,"rosterId":500})"}, 200, "ROSTER_500",
     std::string(kT7) + "roster/500|\"isActiveInCurrentPhase\":true"},
    {"Unwithdraw", std::string(kT7) + "roster/unwithdraw", "", {R"(voteMemberUnWithdraw {"bracketId":900,"rosterId":500})"}, 200, "ROSTER_500",
     std::string(kT7) + "roster/500|\"isActiveInCurrentPhase\":true"},
    {"CancelWithdraw", std::string(kT7) + "roster/cancel-withdraw", "", {R"(cancelRosterWithdraw {"bracketId":900,"rosterId":500})"}, 200, "ROSTER_500",
     std::string(kT7) + "roster/500|\"isActiveInCurrentPhase\":true"},
    {"InviteSubstitute", std::string(kT7) + "roster/substitute/invite", R"({"substituteSummonerId":46,"replacedSummonerId":43})",
     {R"(inviteSub {"phaseId":71,"replacedPlayerId":43,"rosterId":500,"subPlayerId":46})"}, 200, "ROSTER_500",
     std::string(kT7) + "roster/500|\"isActiveInCurrentPhase\":true"},
    {"RevokeSubstitute", std::string(kT7) + "roster/substitute/46/revoke", "", {R"(revokeSub {"phaseId":71,"rosterId":500,"subPlayerId":46})"}, 200, "ROSTER_500",
     std::string(kT7) + "roster/500|\"isActiveInCurrentPhase\":true"},
    {"ReclaimPosition", std::string(kT7) + "roster/substitute/reclaim", "", {R"(reclaimSubbedPosition {"phaseId":71,"rosterId":500})"}, 200, "ROSTER_500",
     std::string(kT7) + "roster/500|\"isActiveInCurrentPhase\":true"},
    // Roster 600 invited the player as substitute.
    {"AcceptSubstitute", std::string(kT7) + "roster/600/substitute/accept", "", {R"(acceptSub {"phaseId":71,"rosterId":600})", "getTournamentPlayerInfo {}"}, 200, "*", ""},
    {"DeclineSubstitute", std::string(kT7) + "roster/600/substitute/decline", "", {R"(declineSub {"phaseId":71,"rosterId":600})"}, 200, "", ""},

    // Refusals: the plugin's own, then the service's.
    {"NoPendingRoster", std::string(kT9) + "roster/change-name", R"({"name":"Nova"})", {}, 404, "", "", "INVALID_ROSTER"},
    {"NoInvitation", std::string(kT8) + "roster/inv-7/decline", "", {}, 404, "", "", "INVALID_ROSTER"},
    {"NoRegisteredRoster", std::string(kT8) + "roster/substitute/invite", R"({"substituteSummonerId":46,"replacedSummonerId":43})", {}, 404, "", "", "INVALID_ROSTER"},
    {"SubstituteForNoRoster", std::string(kT7) + "roster/six/substitute/accept", "", {}, 400, "", "", "INVALID_ROSTER"},
    {"NoCurrentPhase", std::string(kT9) + "roster/600/substitute/decline", "", {}, 404, "", "", "INVALID_PHASE"},
    {"NoCurrentBracket", std::string(kT8) + "roster/withdraw", "", {}, 404, "", "", "INVALID_BRACKET"},
    {"SecondPendingRoster", std::string(kT8) + "create-roster", R"({"name":"Nova","shortName":"NOV"})", {}, 400, "", "", "IN_OTHER_PENDINGROSTER"},
    {"GameflowUnavailable", std::string(kT7) + "roster/lockin", "", {}, 400, "", "", "GAMEFLOW_UNAVAILABLE", "",
     R"(/kiv-gameflow/v1/availability {"isAvailable":false})"},
    {"ServiceRefusesPending", std::string(kT8) + "roster/change-name", R"({"name":"Nova"})", {"changeName " + Pending() + R"(,"rosterName":"Nova"})"}, 502, "", "", "NOT_CAPTAIN", "changeName NOT_CAPTAIN"},
    {"ServiceRefusesRegistered", std::string(kT7) + "roster/withdraw", "", {R"(voteMemberWithdraw {"bracketId":900,"rosterId":500})"}, 502, "", "", "ROSTER_ELIMINATED", "voteMemberWithdraw ROSTER_ELIMINATED"},
};
// clang-format on

class JoustCommands : public JoustFlow, public ::testing::WithParamInterface<CommandCase> {
 protected:
  void SetUp() override {
    JoustFlow::SetUp();
    if (HasFatalFailure()) return;
    LCDS::PendingRosterDTO renamed = PendingRoster(8, "inv-8", 6);
    renamed.name = "Renamed";
    LCDS::PendingRosterDTO joined = PendingRoster(8, "inv-9", 6, 45);
    LCDS::PendingRosterDTO created = PendingRoster(9, "inv-new", 1);
    LCDS::RosterDynamicStateDTO dynamic = Roster(7, 500).dynamicState;
    dynamic.version = 6;
    dynamic.phaseCheckinStates = {kPlayer, kTeammate};
    LCDS::RosterDTO repositioned = Roster(7, 500, 6);
    repositioned.name = "Renamed";
    for (const char* method :
         {"changeName", "changeShortName", "changeLogo", "changeNameTagAndLogo", "invite",
          "kickMember", "revokeInvite", "transferOwnership", "setMemberPhaseReady",
          "setMemberStateNotReady", "setTicket", "setPosition", "offerTicket", "revokeTicketOffer",
          "acceptTicketOffer", "declineTicketOffer"}) {
      Answer(method, JsonOfRecord(renamed));
    }
    for (const char* method :
         {"memberPhaseCheckin", "memberPhaseCheckout", "setRosterPhaseTicket", "offerRosterTicket",
          "revokeRosterTicketOffer", "acceptRosterTicketOffer", "declineRosterTicketOffer",
          "voteMemberWithdraw", "voteMemberUnWithdraw", "cancelRosterWithdraw", "inviteSub",
          "acceptSub", "revokeSub", "reclaimSubbedPosition"}) {
      Answer(method, JsonOfRecord(dynamic));
    }
    for (const char* method : {"decline", "closePendingRoster", "leave", "declineSub"}) {
      Answer(method, "null");
    }
    Answer("accept", JsonOfRecord(joined));
    Answer("createPendingRoster", JsonOfRecord(created));
    Answer("setRosterPosition", JsonOfRecord(repositioned));
  }
  /// What the endpoints read from the cache the commands write.
  std::string CacheSeen() {
    return Get("/kiv-joust/v1/tournament-state-info") + Get("/kiv-joust/v1/invitations") +
           Get(std::string(kT7) + "roster/500") + Get(std::string(kT8) + "roster/inv-8") +
           Get(std::string(kT8) + "player");
  }
};

TEST_P(JoustCommands, CallTheServiceAndCacheItsAnswer) {
  const CommandCase& row = GetParam();
  if (!row.before.empty()) {
    const size_t space = row.before.find(' ');
    world_->Set(row.before.substr(0, space), row.before.substr(space + 1));
    host_->RunUntilIdle();
  }
  if (!row.refusal.empty()) {
    const size_t space = row.refusal.find(' ');
    service_.Set("joust", row.refusal.substr(0, space),
                 ServiceReply::Failed(row.refusal.substr(space + 1)));
  }
  const std::string before = CacheSeen();
  const Mark mark = Now();
  const HostResponse response = Call(KIV_METHOD_POST, row.url, row.body);
  EXPECT_EQ(response.FinalStatus(), row.status) << Text(response);
  EXPECT_THAT(CallsSince(mark), ElementsAreArray(row.calls));
  if (*row.error) {
    EXPECT_EQ(Text(response), row.error);
    EXPECT_THAT(LogsSince(mark),
                Contains("Error " + std::to_string(row.status) + ": " + row.error));
    EXPECT_EQ(CacheSeen(), before) << "a refused command leaves the cache as it was";
  }
  if (row.published != "*") {
    EXPECT_EQ(PublishedSince(mark), Expand(row.published));
  }
  if (!row.shows.empty()) {
    const size_t bar = row.shows.find('|');
    EXPECT_THAT(Get(row.shows.substr(0, bar)), HasSubstr(row.shows.substr(bar + 1)));
  }
}

// A roster out of the lock-in phase's bracket is refused without asking the
// service. (One eliminated in an earlier period locks in for the next, whose
// bracket the service draws anew: the two-day scenario plays that through.)
using LockInAfterElimination = JoustFlow;

TEST_F(LockInAfterElimination, IsRefusedInThePhaseTheRosterWasEliminatedIn) {
  const auto eliminatedIn = [&](int64_t phaseId, int32_t version) {
    LCDS::RosterDTO roster = Roster(7, 500, version);
    roster.eliminated = true;
    roster.phases = {{phaseId, 1, {}, std::nullopt}};
    Push("roster", "{\"roster\":" + JsonOfRecord(roster) + ",\"notifyReason\":\"REGISTERED\"}");
  };
  const std::string lockIn = std::string(kT7) + "roster/lockin";
  eliminatedIn(PhaseOf(7), 6);
  Mark mark = Now();
  const HostResponse refused = Call(KIV_METHOD_POST, lockIn);
  EXPECT_EQ(refused.FinalStatus(), 400u);
  EXPECT_EQ(Text(refused), "ROSTER_ELIMINATED");
  EXPECT_THAT(CallsSince(mark), ::testing::IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(EveryCommand, JoustCommands, ::testing::ValuesIn(kCommands),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kiv::testing
