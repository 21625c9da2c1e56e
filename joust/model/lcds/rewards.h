// rewards.h: the backend's reward records: icons and logos a roster may use,
// reward tables and their entries, earned reward events, theme victory points.
//
// Not for: the player's reward summary as the user interface reads it
// (api/history.h, PlayerRewards).
//
//   LCDS::JoustRewardDefinition cup{.rewardType = LCDS::JoustRewardType::kTrophy};
//   cup.rewardSpec.cup = "gold";
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "joust/model/describe.h"
#include "joust/model/lcds/enums.h"

namespace LCDS {

struct RewardIcon {
  int32_t icon = 0;
  int32_t memberOwnedCount = 0;
};
constexpr auto DescribeRecord(const RewardIcon*) {
  using T = RewardIcon;
  return Record<T>("RewardIcon", Field("icon", &T::icon),
                   Field("memberOwnedCount", &T::memberOwnedCount))
      .Described("An icon a roster may use, with how many members own it.");
}

struct RewardLogo {
  int32_t logo = 0;
  int32_t memberOwnedCount = 0;
};
constexpr auto DescribeRecord(const RewardLogo*) {
  using T = RewardLogo;
  return Record<T>("RewardLogo", Field("logo", &T::logo),
                   Field("memberOwnedCount", &T::memberOwnedCount))
      .Described("A logo a roster may use, with how many members own it.");
}

struct JoustRewardSpec {
  std::string pedestal;
  std::string cup;
  std::string gem;
  std::string tier;
  std::string bracket;
  std::string theme;
  std::string level;
  std::string seasonId;
  std::string name;
  std::string quantity;
};
constexpr auto DescribeRecord(const JoustRewardSpec*) {
  using T = JoustRewardSpec;
  return Record<T>("JoustRewardSpec", Field("pedestal", &T::pedestal), Field("cup", &T::cup),
                   Field("gem", &T::gem), Field("tier", &T::tier), Field("bracket", &T::bracket),
                   Field("theme", &T::theme), Field("level", &T::level),
                   Field("seasonId", &T::seasonId), Field("name", &T::name),
                   Field("quantity", &T::quantity))
      .Described("The description of one reward.");
}

struct JoustRewardDefinition {
  JoustRewardType rewardType = JoustRewardType::kTrophy;
  JoustRewardSpec rewardSpec;
};
constexpr auto DescribeRecord(const JoustRewardDefinition*) {
  using T = JoustRewardDefinition;
  return Record<T>("JoustRewardDefinition", Field("rewardType", &T::rewardType),
                   Field("rewardSpec", &T::rewardSpec))
      .Described("A reward: its kind and description.");
}

struct JoustRewardOutput {
  JoustRewardDefinition primary;
  JoustRewardDefinition alternative;
  JoustRewardTime grant = JoustRewardTime::kNone;
  JoustRewardTime show = JoustRewardTime::kNone;
};
constexpr auto DescribeRecord(const JoustRewardOutput*) {
  using T = JoustRewardOutput;
  return Record<T>("JoustRewardOutput", Field("primary", &T::primary),
                   Field("alternative", &T::alternative), Field("grant", &T::grant),
                   Field("show", &T::show))
      .Described("A reward with its alternative and when it is granted and shown.");
}

struct JoustRewardConfigEntry {
  std::string key;
  std::vector<JoustRewardOutput> vals;
};
constexpr auto DescribeRecord(const JoustRewardConfigEntry*) {
  using T = JoustRewardConfigEntry;
  return Record<T>("JoustRewardConfigEntry", Field("key", &T::key), Field("vals", &T::vals))
      .Described("The rewards of one key of a reward table.");
}

struct JoustRewardConfigClient {
  std::string name;
  bool grantToSub = false;
  std::vector<JoustRewardKeyType> keyDef;
  std::vector<JoustRewardConfigEntry> entries;
};
constexpr auto DescribeRecord(const JoustRewardConfigClient*) {
  using T = JoustRewardConfigClient;
  return Record<T>("JoustRewardConfigClient", Field("name", &T::name),
                   Field("grantToSub", &T::grantToSub), Field("keyDef", &T::keyDef),
                   Field("entries", &T::entries))
      .Described("A reward table.");
}

struct JoustEventData {
  std::string earnedDate;
  std::string rewardType;
  int64_t tournamentId = -1;
  std::string tournamentName;
  std::string tier;
  int32_t bracket = 0;
  int32_t seasonId = 0;
  std::string theme;
  std::string teamName;
  std::string teamLogoName;
  std::string teamLogoChromaId;
  std::vector<std::string> playerUUIDs;
  JoustRewardSpec rewardSpec;
};
constexpr auto DescribeRecord(const JoustEventData*) {
  using T = JoustEventData;
  return Record<T>("JoustEventData", Field("earnedDate", &T::earnedDate),
                   Field("rewardType", &T::rewardType), Field("tournamentId", &T::tournamentId),
                   Field("tournamentName", &T::tournamentName), Field("tier", &T::tier),
                   Field("bracket", &T::bracket), Field("seasonId", &T::seasonId),
                   Field("theme", &T::theme), Field("teamName", &T::teamName),
                   Field("teamLogoName", &T::teamLogoName),
                   Field("teamLogoChromaId", &T::teamLogoChromaId),
                   Field("playerUUIDs", &T::playerUUIDs), Field("rewardSpec", &T::rewardSpec))
      .Described("A reward event earned by the player.");
}

struct RewardDetails {
  int64_t tournamentId = -1;
  int64_t rosterId = -1;
  std::vector<int64_t> teamMemberIds;
};
constexpr auto DescribeRecord(const RewardDetails*) {
  using T = RewardDetails;
  return Record<T>("RewardDetails", Field("tournamentId", &T::tournamentId),
                   Field("rosterId", &T::rosterId), Field("teamMemberIds", &T::teamMemberIds))
      .Described("The roster and team members a reward went to.");
}

struct ThemeVp {
  int32_t themeId = 0;
  int32_t themeVp = 0;
};
constexpr auto DescribeRecord(const ThemeVp*) {
  using T = ThemeVp;
  return Record<T>("ThemeVp", Field("themeId", &T::themeId), Field("themeVp", &T::themeVp))
      .Described("Victory points of one theme.");
}

}  // namespace LCDS
