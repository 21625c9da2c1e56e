// The stand-in service's rules on their own: every method's refusals from one
// table, a pending roster growing into a registered one with the versions and
// notifications that go with it, withdrawal votes, substitutes, winners.
#include "standin/service/joust_service.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <zlib.h>

#include <set>

#include "host/host_clock.h"
#include "host/plugin_host.h"
#include "sdk/codec/json_reader.h"
#include "sdk/codec/json_writer.h"

namespace kiv::standin {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;

constexpr int64_t kEpoch = 1'780'000'000'000;
constexpr int64_t kMinute = 60'000;

class JoustServiceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host::UseVirtualClock(0);
    host_ = host::PluginHost::Detached();
    clock_ = std::make_unique<ServerClock>(*host_, kEpoch);
    world_.epochMs = kEpoch;
    world_.me = 1;
    for (uint64_t id = 1; id <= 20; ++id) {
      world_.players[id] = PlayerState{.id = id, .name = "P" + std::to_string(id), .tickets = 5};
    }
    TournamentState& t = world_.tournaments[7];
    t.dto.id = 7;
    t.dto.nameLocKey = "cup";
    t.dto.rosterSize = 5;
    t.dto.entryFee = 1;
    t.dto.themeId = 3;
    t.dto.maxSub = 1;
    t.dto.scheduleTime = kEpoch;
    t.dto.scheduleEndTime = kEpoch + 24 * 60 * kMinute;
    t.dto.rosterCreateDeadline = kEpoch + 60 * kMinute;
    t.dto.phases = {{71, 7, kEpoch - kMinute, kEpoch + 30 * kMinute, 1},
                    {72, 7, kEpoch + 120 * kMinute, kEpoch + 180 * kMinute, 2}};
    LCDS::PendingRosterDTO& pending = world_.pending["inv-p"];
    pending.version = 1;
    pending.tournamentId = 7;
    pending.invitationId = "inv-p";
    pending.name = "Pending";
    pending.captainId = 1;
    pending.members = {{1, {}, 0, LCDS::Position::kTop, 1, 0, 0},
                       {2, {}, 0, LCDS::Position::kJungle, 2, 0, 0}};
    pending.invitees = {{3, LCDS::PendingRosterInviteeState::kPending, 1, 3}};
    for (int64_t id : {101, 102}) {
      LCDS::RosterDTO& roster = world_.rosters[id];
      roster.version = 1;
      roster.id = id;
      roster.tournamentId = 7;
      roster.name = "Roster" + std::to_string(id);
      const uint64_t first = id == 101 ? 11 : 16;
      roster.captainId = first;
      for (uint64_t p = first; p < first + 5; ++p) roster.members.push_back({id, p, 7, 0, {}, 0});
      roster.phases.push_back({71, 1, {}, std::nullopt});
      roster.dynamicState.rosterId = id;
      roster.dynamicState.tournamentId = 7;
      roster.dynamicState.withdraw.voteTimeoutMs = 2 * kMinute;
    }
    world_.brackets.emplace(
        1, DoubleElimination::Draw({1, 7, 71}, {101, 102},
                                   {{101, "A", "A", 0, 0}, {102, "B", "B", 0, 0}}));
    world_.tournaments[7].bracketOfPhase[71] = 1;
    push_ = std::make_unique<PushChannel>(world_, &host_->standard().messaging);
    service_ = std::make_unique<JoustService>(world_, *push_, *clock_);
  }
  void TearDown() override { host::UseRealClock(); }

  // "ok" or the failure's message.
  std::string Outcome(uint64_t caller, const std::string& method, const std::string& args) {
    const MethodResult result = service_->Invoke(caller, method, ReadJson(args));
    return result.ok() ? "ok" : std::string(result.failure().Message());
  }
  BindingProperty Value(uint64_t caller, const std::string& method, const std::string& args) {
    MethodResult result = service_->Invoke(caller, method, ReadJson(args));
    EXPECT_TRUE(result.ok()) << method << ": " << result.failure().Message();
    return result.ok() ? std::move(result).take() : BindingProperty();
  }

  std::unique_ptr<host::PluginHost> host_;
  std::unique_ptr<ServerClock> clock_;
  World world_;
  std::unique_ptr<PushChannel> push_;
  std::unique_ptr<JoustService> service_;
};

TEST_F(JoustServiceTest, EveryMethodRefusesBadArgumentsUnknownThingsWrongPlayersAndWrongPhases) {
  struct Row {
    uint64_t caller;
    const char* method;
    const char* args;
    const char* error;
  };
  const Row rows[] = {
      {4, "createPendingRoster", R"({"tournamentId":99,"rosterName":"Abc","shortName":"AB"})",
       "INVALID_TOURNAMENT"},
      {1, "createPendingRoster", R"({"tournamentId":7,"rosterName":"Abc","shortName":"AB"})",
       "IN_OTHER_PENDINGROSTER"},
      {11, "createPendingRoster", R"({"tournamentId":7,"rosterName":"Abc","shortName":"AB"})",
       "IN_OTHER_ROSTER"},
      {4, "createPendingRoster", R"({"tournamentId":7,"rosterName":"Abc","shortName":"ABCDEFG"})",
       "INVALID_SHORTNAME"},
      {4, "createPendingRoster", R"({"tournamentId":7,"shortName":"AB"})", "INVALID_NAME"},
      {3, "accept", R"({"invitationId":"nope"})", "INVALID_ROSTER"},
      {4, "accept", R"({"invitationId":"inv-p"})", "NOT_INVITEE"},
      {4, "decline", R"({"invitationId":"inv-p"})", "NOT_INVITEE"},
      {2, "closePendingRoster", R"({"invitationId":"inv-p"})", "NOT_CAPTAIN"},
      {4, "leave", R"({"invitationId":"inv-p"})", "NOT_MEMBER"},
      {2, "changeName", R"({"invitationId":"inv-p","rosterName":"Abcd"})", "NOT_CAPTAIN"},
      {1, "changeName", R"({"invitationId":"inv-p","rosterName":"A"})", "INVALID_NAME"},
      {1, "changeShortName", R"({"invitationId":"inv-p","shortName":"X"})", "INVALID_SHORTNAME"},
      {1, "changeLogo", R"({"invitationId":"inv-p","logo":500,"logoColor":1})", "INVALID_LOGO"},
      {1, "changeNameTagAndLogo",
       R"({"invitationId":"inv-p","logo":1,"logoColor":20,"rosterName":"Abc","shortName":"AB"})",
       "INVALID_LOGOCOLOR"},
      {1, "invite", R"({"invitationId":"inv-p","inviteePlayers":4})", "INVALID_INVITEE"},
      {1, "kickMember", R"({"invitationId":"inv-p","memberId":1})", "CAPTAIN_NOT_ALLOWED"},
      {1, "kickMember", R"({"invitationId":"inv-p","memberId":4})", "NOT_MEMBER"},
      {1, "revokeInvite", R"({"invitationId":"inv-p","inviteeId":4})", "NOT_INVITEE"},
      {1, "transferOwnership", R"({"invitationId":"inv-p","newCaptainId":4})", "NOT_MEMBER"},
      {1, "setMemberPhaseReady", R"({"invitationId":"inv-p","phaseId":99})", "INVALID_PHASE"},
      {1, "setMemberPhaseReady", R"({"invitationId":"inv-p","phaseId":72})", "INACTIVE_PHASE"},
      {4, "setMemberStateNotReady", R"({"invitationId":"inv-p"})", "NOT_MEMBER"},
      {1, "setTicket", R"({"invitationId":"inv-p","ticketCount":1000})", "NOT_ENOUGH_TICKETS"},
      {1, "setPosition", R"({"invitationId":"inv-p","position":"GOALIE"})", "INVALID_POSITION"},
      {1, "offerTicket", R"({"invitationId":"inv-p","receiveMemberId":1,"ticketCount":1})",
       "NO_SAME_PLAYER"},
      {1, "revokeTicketOffer", R"({"invitationId":"inv-p","receiveMemberId":2})",
       "TICKET_OFFER_NOT_EXIST"},
      {1, "acceptTicketOffer", R"({"invitationId":"inv-p","offerMemberId":2})",
       "TICKET_OFFER_NOT_EXIST"},
      {1, "declineTicketOffer", R"({"invitationId":"inv-p","offerMemberId":2})",
       "TICKET_OFFER_NOT_EXIST"},
      {11, "memberPhaseCheckin", R"({"rosterId":99,"phaseId":71})", "INVALID_ROSTER"},
      {1, "memberPhaseCheckin", R"({"rosterId":101,"phaseId":71})", "NOT_MEMBER"},
      {11, "memberPhaseCheckin", R"({"rosterId":101,"phaseId":72})", "INACTIVE_PHASE"},
      {11, "memberPhaseCheckout", R"({"rosterId":101,"phaseId":99})", "INVALID_PHASE"},
      {11, "setRosterPhaseTicket", R"({"rosterId":101,"phaseId":71,"ticketCount":-1})",
       "NOT_ENOUGH_TICKETS"},
      {11, "setRosterPosition", R"({"rosterId":101,"phaseId":71,"position":7})",
       "INVALID_POSITION"},
      {11, "offerRosterTicket",
       R"({"rosterId":101,"phaseId":71,"receiveMemberId":1,"ticketCount":1})", "NOT_MEMBER"},
      {11, "revokeRosterTicketOffer", R"({"rosterId":101,"phaseId":71,"receiveMemberId":12})",
       "TICKET_OFFER_NOT_EXIST"},
      {11, "acceptRosterTicketOffer", R"({"rosterId":101,"phaseId":71,"offerMemberId":12})",
       "TICKET_OFFER_NOT_EXIST"},
      {11, "declineRosterTicketOffer", R"({"rosterId":101,"phaseId":71,"offerMemberId":12})",
       "TICKET_OFFER_NOT_EXIST"},
      {11, "voteMemberWithdraw", R"({"rosterId":101,"bracketId":99})", "INVALID_BRACKET"},
      {11, "voteMemberUnWithdraw", R"({"rosterId":101,"bracketId":1})", "INVALID_WITHDRAW"},
      {11, "cancelRosterWithdraw", R"({"rosterId":101,"bracketId":1})", "INVALID_WITHDRAW"},
      {12, "inviteSub", R"({"rosterId":101,"phaseId":71,"subPlayerId":8,"replacedPlayerId":13})",
       "NOT_CAPTAIN"},
      {11, "inviteSub", R"({"rosterId":101,"phaseId":71,"subPlayerId":16,"replacedPlayerId":13})",
       "IN_OTHER_ROSTER"},
      {4, "acceptSub", R"({"rosterId":101,"phaseId":71})", "INVALID_SUB"},
      {4, "declineSub", R"({"rosterId":101,"phaseId":71})", "INVALID_SUB"},
      {11, "revokeSub", R"({"rosterId":101,"phaseId":71,"subPlayerId":4})", "INVALID_SUB"},
      {12, "reclaimSubbedPosition", R"({"rosterId":101,"phaseId":71})", "CANNOT_SUB"},
      {99, "getTournamentPlayerInfo", "{}", "INVALID_PLAYER"},
      {99, "getTournamentInfoMinimal", "{}", "INVALID_PLAYER"},
      {1, "getRosterBracket", R"({"bracketId":99})", "INVALID_BRACKET"},
      {1, "getPublicRosters", R"({"rosterIds":"x"})", "INVALID_ROSTER"},
      {1, "getRosterStats", R"({"rosterId":99})", "INVALID_ROSTER"},
      {1, "getRankedScoutingData", R"({"playerIds":[-1]})", "INVALID_PLAYER"},
      {1, "getJoustEvent", R"({"eventId":"evt-none"})", "NO_PERMISSION"},
      {1, "getJoustEvents", R"({"eventIds":[1]})", "NO_PERMISSION"},
      {99, "getTournamentHistoryAndWinners", "{}", "INVALID_PLAYER"},
      {1, "getTournamentWinnersCompressed", R"({"tournamentId":99})", "INVALID_TOURNAMENT"},
      {99, "isEnabledForMe", "{}", "INVALID_PLAYER"},
      {99, "ping", "{}", "INVALID_PLAYER"},
      {1, "customAck", R"({"ackType":"X","ackPayload":"{}"})", "INTERNAL_ERROR"},
      {1, "nope", "{}", "Unknown method nope"},
  };
  std::set<std::string> covered;
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.method) + " " + row.args);
    EXPECT_EQ(Outcome(row.caller, row.method, row.args), row.error);
    covered.insert(row.method);
  }
  for (const MethodRow& method : JoustMethods())
    EXPECT_TRUE(covered.count(method.name)) << method.name;
  EXPECT_EQ(JoustMethods().size(), 50u);
  EXPECT_EQ(world_.pending.at("inv-p").version, 1) << "a refused call changes nothing";
}

TEST_F(JoustServiceTest, APendingRosterFillsReadiesAndRegistersWithRisingVersionsAndNotifications) {
  std::vector<int64_t> versions{1};
  auto track = [&](const BindingProperty& answer) {
    versions.push_back(answer.Member("version").GetSigned());
  };
  track(Value(1, "invite", R"({"invitationId":"inv-p","inviteePlayers":[4,5,99]})"));
  EXPECT_EQ(WriteJson(Value(1, "getTournamentInfoMinimal", "{}")
                          .Member("tournamentInfo")
                          .Element(0)
                          .Member("pendingRoster")
                          .Member("inviteFaileds")),
            R"([{"exception":"INVALID_PLAYER","playerId":99}])");
  for (uint64_t id : {3, 4, 5}) track(Value(id, "accept", R"({"invitationId":"inv-p"})"));
  EXPECT_EQ(Outcome(6, "accept", R"({"invitationId":"inv-p"})"), "NOT_INVITEE");
  for (uint64_t id : {1, 2, 3, 4, 5}) {
    track(Value(id, "setTicket", R"({"invitationId":"inv-p","ticketCount":2})"));
    track(Value(id, "setMemberPhaseReady", R"({"invitationId":"inv-p","phaseId":71})"));
  }
  for (size_t i = 1; i < versions.size(); ++i) EXPECT_GT(versions[i], versions[i - 1]);
  EXPECT_FALSE(world_.pending.count("inv-p")) << "registered: the pending roster is gone";
  const LCDS::RosterDTO* roster = world_.RosterOf(7, 1);
  ASSERT_NE(roster, nullptr);
  EXPECT_EQ(roster->members.size(), 5u);
  EXPECT_EQ(roster->phases.size(), 1u);
  EXPECT_EQ(world_.players.at(3).tickets, 3) << "each member paid the bet";

  std::vector<std::string> registered;
  for (const SentPush& push : push_->sent()) {
    if (push.reason == "REGISTERED") registered.push_back(std::to_string(push.targets.at(0)));
  }
  EXPECT_THAT(registered, ElementsAre("1", "2", "3", "4", "5")) << "one wallet each";
  const SentPush& invite = push_->sent().at(0);
  EXPECT_EQ(invite.topic, "pending-roster");
  EXPECT_EQ(invite.reason, "INVITE");
  EXPECT_THAT(invite.targets, Contains(4u));
  EXPECT_THAT(host_->standard().messaging.pushed(),
              Contains(::testing::StartsWith("roster-player ")))
      << "delivered to the player";
  for (const std::string& delivered : host_->standard().messaging.pushed()) {
    EXPECT_EQ(delivered.find("\"targetPlayerId\":4,"), std::string::npos)
        << "notifications for others are not delivered here";
  }
}

TEST_F(JoustServiceTest, AMajorityOfWithdrawalVotesTakesTheRosterOutOfItsBracket) {
  int64_t forfeited = 0;
  service_->hooks().withdrew = [&](int64_t, int64_t match) { forfeited = match; };
  EXPECT_EQ(Outcome(11, "voteMemberWithdraw", R"({"rosterId":101,"bracketId":1})"), "ok");
  EXPECT_EQ(Outcome(11, "voteMemberWithdraw", R"({"rosterId":101,"bracketId":1})"),
            "ALREADY_VOTE_WITHDRAW");
  EXPECT_EQ(Outcome(12, "cancelRosterWithdraw", R"({"rosterId":101,"bracketId":1})"),
            "WITHDRAW_CANCEL_NOT_ALLOWED");
  EXPECT_EQ(Outcome(12, "voteMemberWithdraw", R"({"rosterId":101,"bracketId":1})"), "ok");
  EXPECT_FALSE(world_.withdrawn.count(101));
  EXPECT_EQ(Outcome(13, "voteMemberWithdraw", R"({"rosterId":101,"bracketId":1})"), "ok");
  EXPECT_TRUE(world_.withdrawn.count(101));
  EXPECT_TRUE(world_.rosters.at(101).eliminated);
  EXPECT_EQ(forfeited, 1003) << "its open match, the winners' final, is forfeited";
  EXPECT_EQ(world_.brackets.at(1).Find(1003)->winnerId, 102);
  EXPECT_EQ(push_->sent().back().reason, "WITHDRAW");
  EXPECT_EQ(Outcome(14, "voteMemberWithdraw", R"({"rosterId":101,"bracketId":1})"),
            "ROSTER_ELIMINATED");
}

TEST_F(JoustServiceTest, SubstitutesAreInvitedAcceptedAndReclaimed) {
  EXPECT_EQ(Outcome(11, "inviteSub",
                    R"({"rosterId":101,"phaseId":71,"subPlayerId":8,"replacedPlayerId":13})"),
            "ok");
  EXPECT_EQ(Outcome(11, "inviteSub",
                    R"({"rosterId":101,"phaseId":71,"subPlayerId":9,"replacedPlayerId":14})"),
            "MAX_SUBED");
  EXPECT_EQ(push_->sent().at(0).reason, "SUB_INVITE");
  EXPECT_THAT(push_->sent().at(0).targets, ElementsAre(8u));
  EXPECT_EQ(Outcome(8, "acceptSub", R"({"rosterId":101,"phaseId":71})"), "ok");
  EXPECT_THAT(world_.PlayersOf(world_.rosters.at(101)), Contains(8u));
  EXPECT_EQ(WriteJson(Value(8, "getTournamentInfoMinimal", "{}")
                          .Member("tournamentInfo")
                          .Element(0)
                          .Member("subRosters")
                          .Element(0)
                          .Member("id")),
            "101");
  EXPECT_EQ(Outcome(13, "reclaimSubbedPosition", R"({"rosterId":101,"phaseId":71})"), "ok");
  EXPECT_EQ(world_.rosters.at(101).dynamicState.phaseRosterSubs.at(0).subState,
            LCDS::SubState::kRevoked);
  EXPECT_EQ(push_->sent().back().reason, "SUB_RECLAIM");
}

TEST_F(JoustServiceTest, CompressedWinnersAreBase64OfGzipOfTheirJson) {
  world_.tournaments.at(7).winners = Api::TournamentWinnerHistory{7, {{101, 2, "A", "Alpha"}}};
  const BindingProperty answer =
      Value(1, "getTournamentWinnersCompressed", R"({"tournamentId":7})");
  const std::string text(answer.GetString());
  static const std::string kAlphabet =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string bytes;
  uint32_t bits = 0;
  int count = 0;
  for (char c : text) {
    if (c == '=') break;
    bits = (bits << 6) | static_cast<uint32_t>(kAlphabet.find(c));
    if ((count += 6) >= 8) bytes.push_back(static_cast<char>((bits >> (count -= 8)) & 0xFF));
  }
  z_stream stream{};
  ASSERT_EQ(inflateInit2(&stream, 31), Z_OK);
  std::string json(4096, '\0');
  stream.next_in = reinterpret_cast<Bytef*>(bytes.data());
  stream.avail_in = static_cast<uInt>(bytes.size());
  stream.next_out = reinterpret_cast<Bytef*>(json.data());
  stream.avail_out = static_cast<uInt>(json.size());
  EXPECT_EQ(inflate(&stream, Z_FINISH), Z_STREAM_END);
  json.resize(stream.total_out);
  inflateEnd(&stream);
  EXPECT_EQ(
      json,
      R"({"tournamentId":7,"winners":[{"averageWinDuration":0,"createTime":-1,"logo":0,)"
      R"("logoColor":0,"name":"Alpha","playerIds":[],"rosterId":101,"shortName":"A","tier":2}]})");
}

}  // namespace
}  // namespace kiv::standin
