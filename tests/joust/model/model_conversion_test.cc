// Representative model records through JSON, MessagePack and YAML: absent
// optionals, enum names, numbers without a name, and wrong member types deep
// inside a nested record.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "joust/model/api/gameflow.h"
#include "joust/model/api/player_notification_data.h"
#include "joust/model/api/session.h"
#include "joust/model/api/tournament.h"
#include "joust/model/lcds/tournament.h"
#include "sdk/codec/json_reader.h"
#include "sdk/codec/json_writer.h"
#include "sdk/codec/msgpack_reader.h"
#include "sdk/codec/yaml_reader.h"
#include "sdk/value/conversion_status.h"
#include "sdk/value/native/convert.h"
#include "tests/sdk/value/maybe_matchers.h"

namespace kiv::joust {
namespace {

using kiv::testing::FailsWith;
using LCDS::ClientRequestError;
using ::testing::HasSubstr;

/// A player's view with a registered roster (one phase with a bracket, one
/// without), and a pending roster with a failed invitation whose reason has
/// no name.
LCDS::TournamentPlayerInfoDTO SamplePlayerInfo() {
  LCDS::TournamentPlayerInfoDTO info{.seasonVp = 10, .time = 1700000000000};
  LCDS::TournamentInfoDTO& registered = info.tournamentInfo.emplace_back();
  registered.tournament = {
      .id = 7, .themeId = 3, .nameLocKey = "joust_spring", .buyInOptions = {1}};
  registered.tournament.phases.push_back({.id = 70, .tournamentId = 7, .period = 1});
  registered.tournament.rewardConfig.push_back(
      {.name = "tier", .grantToSub = true, .keyDef = {LCDS::JoustRewardKeyType::kTier}});
  registered.tournament.rewardConfig[0].entries.push_back({.key = "1"});
  registered.tournament.rewardConfig[0].entries[0].vals.push_back(
      {.primary = {.rewardType = LCDS::JoustRewardType::kTrophy, .rewardSpec = {.cup = "gold"}},
       .grant = LCDS::JoustRewardTime::kEot});
  LCDS::RosterDTO& roster = registered.roster.emplace(LCDS::RosterDTO{.id = 42, .name = "Tiber"});
  roster.members.push_back({.rosterId = 42, .playerId = 9, .position = LCDS::Position::kJungle});
  LCDS::PhaseRosterDTO& drawn = roster.phases.emplace_back(LCDS::PhaseRosterDTO{.phaseId = 70});
  drawn.phaseRosterSubs.push_back({.playerId = 11, .subState = LCDS::SubState::kReady});
  drawn.bracketDTO.emplace(LCDS::Bracket{.id = 12, .size = 16});
  drawn.bracketDTO->matches.push_back(
      {.id = 1, .status = LCDS::ClientBracketMatchStatus::kCompleted, .winnerId = 42});
  roster.phases.push_back({.phaseId = 71, .period = 2});
  roster.dynamicState.withdraw.voteWithdrawMembers = {9};
  LCDS::TournamentInfoDTO& pending = info.tournamentInfo.emplace_back();
  pending.pendingRoster.emplace(LCDS::PendingRosterDTO{.invitationId = "a1b2", .captainId = 5});
  pending.pendingRoster->inviteFaileds = {{5, ClientRequestError::kMaxInvited},
                                          {6, ClientRequestError{8}}};
  info.rosterStats.push_back({.rosterId = 42});
  info.rosterStats[0].stats.playerStats["9"].rawStatsSum["kills"] = 12;
  info.themeVps.push_back({.themeId = 3, .themeVp = 5});
  return info;
}

template <typename T>
std::string JsonOf(const T& record) {
  ConversionStatus status;
  const BindingProperty value = ToValue(record, status);
  EXPECT_TRUE(status.IsValid()) << status.Error();
  return WriteJson(value);
}

/// The MessagePack bytes a sender would write for `value` (enums by name).
void AppendMessagePack(const BindingProperty& value, std::vector<uint8_t>& out) {
  const auto bigEndian = [&](uint64_t number, int bytes) {
    for (int i = bytes - 1; i >= 0; --i) out.push_back(static_cast<uint8_t>(number >> (8 * i)));
  };
  const auto text = [&](std::string_view s) {
    out.push_back(0xDB);
    bigEndian(s.size(), 4);
    out.insert(out.end(), s.begin(), s.end());
  };
  switch (value.Kind()) {
    case ValueKind::kEmpty:
      return out.push_back(0xC0);
    case ValueKind::kBool:
      return out.push_back(value.GetBool() ? 0xC3 : 0xC2);
    case ValueKind::kSigned:
      out.push_back(0xD3);
      return bigEndian(static_cast<uint64_t>(value.GetSigned()), 8);
    case ValueKind::kUnsigned:
      out.push_back(0xCF);
      return bigEndian(value.GetUnsigned(), 8);
    case ValueKind::kString:
      return text(value.GetString());
    case ValueKind::kEnum: {
      const EnumValue number = value.GetEnum();
      if (const char* name = number.type->NameOf(number.number)) return text(name);
      out.push_back(0xD3);
      return bigEndian(static_cast<uint64_t>(int64_t{number.number}), 8);
    }
    case ValueKind::kCollection:
      out.push_back(0xDD);
      bigEndian(value.Size(), 4);
      for (const BindingProperty& element : value.Elements()) AppendMessagePack(element, out);
      return;
    case ValueKind::kStructure:
      out.push_back(0xDF);
      bigEndian(value.Size(), 4);
      for (const BindingMember& member : value.Members()) {
        text(member.Name());
        AppendMessagePack(member.Value(), out);
      }
      return;
    default:
      ADD_FAILURE() << "the sample holds no " << KindName(value.Kind());
  }
}

TEST(ModelConversion, RecordsRoundTripThroughJsonMessagePackAndYaml) {
  const std::string json = JsonOf(SamplePlayerInfo());
  for (const char* expected :
       {R"("pendingRoster":null)", R"("bracketDTO":null)", R"("exception":"MAX_INVITED")",
        R"("exception":8)", R"("position":"JUNGLE")", R"("subState":"READY")",
        R"("keyDef":["TIER"])", R"("status":"COMPLETED")", R"("rawStatsSum":{"kills":12})"}) {
    EXPECT_THAT(json, HasSubstr(expected));
  }

  auto fromJson = ValueTo<LCDS::TournamentPlayerInfoDTO>(ReadJson(json), "<value>");
  ASSERT_TRUE(fromJson.ok()) << fromJson.failure().Message();
  EXPECT_FALSE(fromJson->tournamentInfo[0].pendingRoster.has_value());
  EXPECT_TRUE(fromJson->tournamentInfo[0].roster->phases[0].bracketDTO.has_value());
  EXPECT_FALSE(fromJson->tournamentInfo[0].roster->phases[1].bracketDTO.has_value());
  EXPECT_FALSE(fromJson->tournamentInfo[1].roster.has_value());
  EXPECT_EQ(fromJson->tournamentInfo[1].pendingRoster->inviteFaileds[1].exception,
            ClientRequestError{8});
  EXPECT_EQ(JsonOf(*fromJson), json);

  std::vector<uint8_t> bytes;
  AppendMessagePack(ReadJson(json), bytes);
  const MessagePackResult packed = ReadMessagePack(bytes.data(), bytes.size());
  auto fromMessagePack = ValueTo<LCDS::TournamentPlayerInfoDTO>(packed.value, "<value>");
  ASSERT_TRUE(fromMessagePack.ok()) << fromMessagePack.failure().Message();
  EXPECT_EQ(JsonOf(*fromMessagePack), json);

  // JSON text is a YAML document too.
  auto fromYaml = ValueTo<LCDS::TournamentPlayerInfoDTO>(ReadYaml(json), "<value>");
  ASSERT_TRUE(fromYaml.ok()) << fromYaml.failure().Message();
  EXPECT_EQ(JsonOf(*fromYaml), json);
}

TEST(ModelConversion, NeighbourRecordsReadFromYaml) {
  auto check = ValueTo<Api::MatchmakingReadyCheckResource>(
      ReadYaml("state: InProgress\nplayerResponse: Accepted\n"), "<value>");
  ASSERT_TRUE(check.ok()) << check.failure().Message();
  EXPECT_EQ(static_cast<int>(check->playerResponse), 49);
  EXPECT_EQ(check->state, Api::MatchmakingReadyCheckState::kInProgress);

  auto anonymous = ValueTo<Api::LoginSession>(ReadYaml("state: SUCCEEDED\n"), "<value>");
  ASSERT_TRUE(anonymous.ok());
  EXPECT_FALSE(anonymous->summonerId.has_value());
  EXPECT_EQ(JsonOf(*anonymous), R"({"state":"SUCCEEDED","summonerId":null})");
  auto known = ValueTo<Api::LoginSession>(ReadYaml("state: ERROR\nsummonerId: 9\n"), "<value>");
  ASSERT_TRUE(known.ok());
  EXPECT_EQ(known->state, Api::LoginSessionState::kError);
  EXPECT_EQ(known->summonerId, 9u);
}

TEST(ModelConversion, NumbersWithoutANameAreWrittenAndReadAsNumbers) {
  const std::string json = JsonOf(Api::PlayerNotificationData{});
  EXPECT_THAT(json, HasSubstr(R"("notifyReason":27,"rosterNotifyReason":29)"));
  // A roster reason reads its marker back; a pending-roster reason refuses
  // it, so that such a notification is dropped at decoding.
  auto read = ValueTo<Api::PlayerNotificationData>(ReadJson(R"({"rosterNotifyReason":29})"), "v");
  ASSERT_TRUE(read.ok()) << read.failure().Message();
  EXPECT_EQ(read->rosterNotifyReason, ZMS::RosterNotifyReason::kNoReason);
  EXPECT_FALSE(ValueTo<Api::PlayerNotificationData>(ReadJson(json), "<value>").ok());

  // Enums whose numbering has no unnamed markers refuse unknown numbers and names.
  EXPECT_THAT(ValueTo<Api::TournamentStateInfo>(ReadJson(R"({"state":7})"), "<value>"),
              FailsWith(0, "7 is not a valid TournamentState enumeration value for 'state'."));
  EXPECT_THAT(
      ValueTo<Api::TournamentStateInfo>(ReadJson(R"({"state":"lock_in"})"), "<value>"),
      FailsWith(0, "lock_in is not a valid TournamentState enumeration value for 'state'."));
  // As text, a number without a name has nothing to show.
  auto unnamed = ValueFrom(ClientRequestError{8});
  ASSERT_TRUE(unnamed.ok());
  EXPECT_THAT(ValueTo<std::string>(*unnamed, "message"),
              FailsWith(0, "8 is not a valid enumeration value for 'message'."));
}

TEST(ModelConversion, AWrongMemberTypeDeepInsideFailsWithTheMembersMessage) {
  struct Case {
    const char* json;
    const char* message;
  } cases[] = {
      {R"({"tournamentInfo":[{"roster":{"phases":[{"bracketDTO":{"matches":[{"id":1},)"
       R"({"status":true}]}}]}}]})",
       "Couldn't assign value to 'status' of enum type because the input is of an invalid type "
       "bool."},
      {R"({"tournamentInfo":[{},{"pendingRoster":{"members":[{"playerId":-4}]}}]})",
       "Value -4 for 'playerId' of type uint64 is out of range"},
      {R"({"rosterStats":[{"stats":{"playerStats":{"9":{"rawStatsSum":[1]}}}}]})",
       "Couldn't assign value to 'rawStatsSum' of type map because the input not a structure."},
      {R"({"tournamentInfo":[{"tournament":{"phases":[{"startTime":"12abc"}]}}]})",
       "Value 12abc for 'startTime' of type int64 is in an incorrect format"},
  };
  for (const Case& c : cases) {
    EXPECT_THAT(ValueTo<LCDS::TournamentPlayerInfoDTO>(ReadJson(c.json), "<value>"),
                FailsWith(0, c.message))
        << c.json;
  }
}

}  // namespace
}  // namespace kiv::joust
