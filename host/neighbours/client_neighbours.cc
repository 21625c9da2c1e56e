#include "host/neighbours/client_neighbours.h"

#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <string>

#include "host/host_value_json.h"

namespace kiv::host {
namespace {

// `text` as a JSON string literal.
std::string Quote(std::string_view text) {
  rapidjson::StringBuffer buffer;
  rapidjson::Writer<rapidjson::StringBuffer> writer(buffer);
  writer.String(text.data(), static_cast<rapidjson::SizeType>(text.size()));
  return std::string(buffer.GetString(), buffer.GetSize());
}

// A tournament queue as the game-queues plugin describes it.
std::string TournamentQueue(int32_t id, const char* name) {
  return R"({"id":)" + std::to_string(id) + R"(,"mapId":11,"name":")" + name +
         R"(","shortName":"Joust","description":"Joust tournament match","detailedDescription":"",)"
         R"("type":"JOUST","gameMode":"CLASSIC","gameMutator":"","category":"PvP",)"
         R"("gameTypeConfig":{"id":1,"name":"TOURNAMENT_DRAFT","maxAllowableBans":10,)"
         R"("allowTrades":true,"exclusivePick":true,"duplicatePick":false,"teamChampionPool":false,)"
         R"("crossTeamChampionPool":false,"advancedLearningQuests":false,"battleBoost":false,)"
         R"("deathMatch":false,"doNotRemove":false,"learningQuests":false,"onboardCoopBeginner":false,)"
         R"("reroll":false,"mainPickTimerDuration":30,"postPickTimerDuration":30,)"
         R"("banTimerDuration":30,"pickMode":"TournamentPickStrategy","banMode":"StandardBanStrategy"},)"
         R"("numPlayersPerTeam":5,"minimumParticipantListSize":5,"maximumParticipantListSize":5,)"
         R"("minLevel":30,"maxLevel":0,"maxSummonerLevelForFirstWinOfTheDay":0,"isRanked":false,)"
         R"("isTeamOnly":true,"areFreeChampionsAllowed":false,"isTeamBuilderManaged":true,)"
         R"("queueAvailability":"Available","queueRewards":{"isIpEnabled":false,"isXpEnabled":true,)"
         R"("isChampionPointsEnabled":true,"partySizeIpRewards":[]},"spectatorEnabled":true})";
}

}  // namespace

GameflowNeighbour::GameflowNeighbour(NeighbourContext& context)
    : StateNeighbour("gameflow", context) {
  Serve(kGameflowAvailabilityUri, R"({"isAvailable":true})");
  Serve(kGameflowSessionUri, R"({"phase":"None"})");
  Accept(KIV_METHOD_POST, "/kiv-gameflow/v1/session/request-tournament-checkin",
         [this](const ReceivedRequest&) { SetPhase("CheckedIntoTournament"); });
  Accept(KIV_METHOD_POST, "/kiv-gameflow/v1/session/tournament-ended",
         [this](const ReceivedRequest&) { SetPhase("None"); });
  for (const char* action : {"event", "game-configuration", "dodge"}) {
    Accept(KIV_METHOD_POST, std::string("/kiv-gameflow/v1/session/") + action);
  }
}

void GameflowNeighbour::SetAvailable(bool available) {
  Set(kGameflowAvailabilityUri, available ? R"({"isAvailable":true})" : R"({"isAvailable":false})");
}

void GameflowNeighbour::SetPhase(std::string_view phase) {
  phase_ = std::string(phase);
  Set(kGameflowSessionUri, R"({"phase":)" + Quote(phase) + "}");
}

ConfigNeighbour::ConfigNeighbour(NeighbourContext& context) : StateNeighbour("config", context) {
  Serve(
      kJoustConfigUri,
      R"({"Visibility":"Visible","EnabledState":"Enabled","DarkModeEntitlement":"",)"
      R"("IconConfig":"{}","IsPlaymodeRestrictionEnabled":true,"UseIndividualEntitlement":false})");
}

EntitlementsNeighbour::EntitlementsNeighbour(NeighbourContext& context)
    : StateNeighbour("entitlements", context) {
  Serve(kEntitlementsTokenUri,
        R"({"token":"stand-in-entitlements-token","accessToken":"stand-in-access-token",)"
        R"("entitlements":[]})");
}

void EntitlementsNeighbour::SetToken(std::string_view token, std::string_view accessToken,
                                     const std::vector<std::string>& entitlements) {
  std::string json = R"({"token":)" + Quote(token) + R"(,"accessToken":)" + Quote(accessToken) +
                     R"(,"entitlements":[)";
  for (size_t i = 0; i < entitlements.size(); ++i) json += (i ? "," : "") + Quote(entitlements[i]);
  Set(kEntitlementsTokenUri, json + "]}");
}

bool MessagingNeighbour::Push(std::string_view topic, std::string_view payloadJson) {
  bool known = false;
  for (const char* name : kPushTopics) known = known || topic == name;
  if (!known) return false;
  pushed_.push_back(std::string(topic) + " " + std::string(payloadJson));
  const OwnedHostValue message = MakeTextStructure({{"payload", std::string(payloadJson)}});
  context().PublishResource(std::string(kPushTopicPrefix) + std::string(topic), "Create",
                            message.root());
  return true;
}

MatchmakingNeighbour::MatchmakingNeighbour(NeighbourContext& context)
    : StateNeighbour("matchmaking", context) {
  Serve(kReadyCheckUri, R"({"state":"Invalid","playerResponse":"None"})");
  Accept(KIV_METHOD_POST, "/kiv-matchmaking/v1/ready-check/accept",
         [this](const ReceivedRequest&) { SetReadyCheck("InProgress", "Accepted"); });
}

void MatchmakingNeighbour::SetReadyCheck(std::string_view state, std::string_view response) {
  Set(kReadyCheckUri,
      R"({"state":)" + Quote(state) + R"(,"playerResponse":)" + Quote(response) + "}");
}

LobbyNeighbour::LobbyNeighbour(NeighbourContext& context) : StateNeighbour("lobby", context) {
  Serve(kMatchmakingSearchUri, R"({"queueId":-1,"dodgeData":{"state":"Invalid","dodgerId":0}})");
}

void LobbyNeighbour::SetSearch(int32_t queueId, std::string_view dodgeState, uint64_t dodgerId) {
  Set(kMatchmakingSearchUri, R"({"queueId":)" + std::to_string(queueId) +
                                 R"(,"dodgeData":{"state":)" + Quote(dodgeState) +
                                 R"(,"dodgerId":)" + std::to_string(dodgerId) + "}}");
}

QueuesNeighbour::QueuesNeighbour(NeighbourContext& context) : StateNeighbour("queues", context) {
  SetQueue(700, TournamentQueue(700, "Joust"));
  SetQueue(701, TournamentQueue(701, "Joust Finals"));
}

bool QueuesNeighbour::SetQueue(int32_t queueId, std::string_view json) {
  return Serve("/kiv-game-queues/v1/queues/" + std::to_string(queueId), json);
}

EndOfGameNeighbour::EndOfGameNeighbour(NeighbourContext& context)
    : StateNeighbour("end-of-game", context) {
  Accept(KIV_METHOD_POST, "/kiv-end-of-game/v1/state/dismiss-stats");
}

ChatNeighbour::ChatNeighbour(NeighbourContext& context) : StateNeighbour("chat", context) {
  Serve(kChatMeUri, R"({"summonerId":0,"kiv":{}})");
  Accept(KIV_METHOD_PUT, kChatMeUri,
         [this](const ReceivedRequest& request) { Set(kChatMeUri, request.BodyJson()); });
}

std::optional<std::string> ChatNeighbour::Presence() const {
  for (auto it = received().rbegin(); it != received().rend(); ++it) {
    if (it->method == KIV_METHOD_PUT) return it->BodyJson();
  }
  return std::nullopt;
}

void SummonerNeighbour::SetSummoner(uint64_t summonerId, std::string_view displayName,
                                    int32_t profileIconId) {
  Serve("/kiv-summoner/v1/summoners/" + std::to_string(summonerId),
        R"({"summonerId":)" + std::to_string(summonerId) + R"(,"displayName":)" +
            Quote(displayName) + R"(,"profileIconId":)" + std::to_string(profileIconId) + "}");
}

PlayerNotificationsNeighbour::PlayerNotificationsNeighbour(NeighbourContext& context)
    : StateNeighbour("player-notifications", context) {
  Accept(KIV_METHOD_POST, "/player-notifications/v1/notifications");
}

std::vector<std::string> PlayerNotificationsNeighbour::Posted() const {
  std::vector<std::string> bodies;
  for (const ReceivedRequest& request : received()) bodies.push_back(request.BodyJson());
  return bodies;
}

}  // namespace kiv::host
