// queue.h: a game queue as the game-queues plugin describes it, with its
// game type and rewards (the members the plugin uses).
//
// Not for: matchmaking state (gameflow.h).
//
//   Api::Queue queue{.id = 1130, .name = "Joust", .isTeamOnly = true};
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "joust/model/api/neighbour_enums.h"
#include "joust/model/describe.h"

namespace Api {

struct QueueReward {
  bool isIpEnabled = false;
  bool isXpEnabled = false;
  bool isChampionPointsEnabled = false;
  std::vector<int32_t> partySizeIpRewards;
};
constexpr auto DescribeRecord(const QueueReward*) {
  using T = QueueReward;
  return Record<T>("QueueReward", Field("isIpEnabled", &T::isIpEnabled),
                   Field("isXpEnabled", &T::isXpEnabled),
                   Field("isChampionPointsEnabled", &T::isChampionPointsEnabled),
                   Field("partySizeIpRewards", &T::partySizeIpRewards))
      .Described("What a queue's games reward.");
}

struct QueueGameTypeConfig {
  int64_t id = -1;
  std::string name;
  int32_t maxAllowableBans = 0;
  bool allowTrades = false;
  bool exclusivePick = false;
  bool duplicatePick = false;
  bool teamChampionPool = false;
  bool crossTeamChampionPool = false;
  bool advancedLearningQuests = false;
  bool battleBoost = false;
  bool deathMatch = false;
  bool doNotRemove = false;
  bool learningQuests = false;
  bool onboardCoopBeginner = false;
  bool reroll = false;
  int32_t mainPickTimerDuration = 0;
  int32_t postPickTimerDuration = 0;
  int32_t banTimerDuration = 0;
  std::string pickMode;
  std::string banMode;
};
constexpr auto DescribeRecord(const QueueGameTypeConfig*) {
  using T = QueueGameTypeConfig;
  return Record<T>(
             "QueueGameTypeConfig", Field("id", &T::id), Field("name", &T::name),
             Field("maxAllowableBans", &T::maxAllowableBans), Field("allowTrades", &T::allowTrades),
             Field("exclusivePick", &T::exclusivePick), Field("duplicatePick", &T::duplicatePick),
             Field("teamChampionPool", &T::teamChampionPool),
             Field("crossTeamChampionPool", &T::crossTeamChampionPool),
             Field("advancedLearningQuests", &T::advancedLearningQuests),
             Field("battleBoost", &T::battleBoost), Field("deathMatch", &T::deathMatch),
             Field("doNotRemove", &T::doNotRemove), Field("learningQuests", &T::learningQuests),
             Field("onboardCoopBeginner", &T::onboardCoopBeginner), Field("reroll", &T::reroll),
             Field("mainPickTimerDuration", &T::mainPickTimerDuration),
             Field("postPickTimerDuration", &T::postPickTimerDuration),
             Field("banTimerDuration", &T::banTimerDuration), Field("pickMode", &T::pickMode),
             Field("banMode", &T::banMode))
      .Described("The game type of a queue.");
}

struct Queue {
  int32_t id = 0;
  int32_t mapId = 0;
  std::string name;
  std::string shortName;
  std::string description;
  std::string detailedDescription;
  std::string type;
  std::string gameMode;
  std::string gameMutator;
  QueueGameCategory category = QueueGameCategory::kNone;
  QueueGameTypeConfig gameTypeConfig;
  int32_t numPlayersPerTeam = 0;
  int32_t minimumParticipantListSize = 0;
  int32_t maximumParticipantListSize = 0;
  uint32_t minLevel = 0;
  uint32_t maxLevel = 0;
  uint32_t maxSummonerLevelForFirstWinOfTheDay = 0;
  bool isRanked = false;
  bool isTeamOnly = false;
  bool areFreeChampionsAllowed = false;
  bool isTeamBuilderManaged = false;
  QueueAvailability queueAvailability = QueueAvailability::kAvailable;
  QueueReward queueRewards;
  bool spectatorEnabled = false;
};
constexpr auto DescribeRecord(const Queue*) {
  using T = Queue;
  return Record<T>(
             "Queue", Field("id", &T::id), Field("mapId", &T::mapId), Field("name", &T::name),
             Field("shortName", &T::shortName), Field("description", &T::description),
             Field("detailedDescription", &T::detailedDescription), Field("type", &T::type),
             Field("gameMode", &T::gameMode), Field("gameMutator", &T::gameMutator),
             Field("category", &T::category), Field("gameTypeConfig", &T::gameTypeConfig),
             Field("numPlayersPerTeam", &T::numPlayersPerTeam),
             Field("minimumParticipantListSize", &T::minimumParticipantListSize),
             Field("maximumParticipantListSize", &T::maximumParticipantListSize),
             Field("minLevel", &T::minLevel), Field("maxLevel", &T::maxLevel),
             Field("maxSummonerLevelForFirstWinOfTheDay", &T::maxSummonerLevelForFirstWinOfTheDay),
             Field("isRanked", &T::isRanked), Field("isTeamOnly", &T::isTeamOnly),
             Field("areFreeChampionsAllowed", &T::areFreeChampionsAllowed),
             Field("isTeamBuilderManaged", &T::isTeamBuilderManaged),
             Field("queueAvailability", &T::queueAvailability),
             Field("queueRewards", &T::queueRewards),
             Field("spectatorEnabled", &T::spectatorEnabled))
      .Described("A game queue, read from /kiv-game-queues/v1/queues/{id}.");
}

}  // namespace Api
