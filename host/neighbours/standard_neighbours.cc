#include "host/neighbours/standard_neighbours.h"

#include <memory>

#include "host/host_value_json.h"

namespace kiv::host {
namespace {

template <typename T>
T& Install(Neighbourhood& neighbours, NeighbourContext& context) {
  return static_cast<T&>(neighbours.Add(std::make_unique<T>(context)));
}

}  // namespace

StandardNeighbours InstallStandardNeighbours(Neighbourhood& neighbours, NeighbourContext& context) {
  return StandardNeighbours{
      Install<LoginNeighbour>(neighbours, context),
      Install<GameflowNeighbour>(neighbours, context),
      Install<ConfigNeighbour>(neighbours, context),
      Install<EntitlementsNeighbour>(neighbours, context),
      Install<MessagingNeighbour>(neighbours, context),
      Install<MatchmakingNeighbour>(neighbours, context),
      Install<LobbyNeighbour>(neighbours, context),
      Install<QueuesNeighbour>(neighbours, context),
      Install<EndOfGameNeighbour>(neighbours, context),
      Install<ChatNeighbour>(neighbours, context),
      Install<SummonerNeighbour>(neighbours, context),
      Install<PlayerNotificationsNeighbour>(neighbours, context),
  };
}

std::string SetNeighbourResource(StandardNeighbours& standard, std::string_view uri,
                                 std::string_view json) {
  std::string error;
  if (!JsonToHostValue(json, &error)) return "bad JSON for " + std::string(uri) + ": " + error;
  if (uri == kLoginSessionUri) {
    standard.login.SetSession(json);
    return "";
  }
  if (uri.starts_with(kPushTopicPrefix)) {
    if (standard.messaging.Push(uri.substr(sizeof kPushTopicPrefix - 1), json)) return "";
    return "no push topic " + std::string(uri);
  }
  StateNeighbour* const all[] = {&standard.gameflow,    &standard.config,   &standard.entitlements,
                                 &standard.matchmaking, &standard.lobby,    &standard.queues,
                                 &standard.chat,        &standard.summoners};
  for (StateNeighbour* neighbour : all) {
    if (neighbour->Serves(uri)) {
      neighbour->Set(uri, json);
      return "";
    }
  }
  return "no stand-in serves " + std::string(uri);
}

}  // namespace kiv::host
