// standard_neighbours.h: the one place that lists the stand-in neighbours
// every substitute host starts with: the login plugin (session and service
// proxy) and the client's other plugins the tournament plugin reads, listens
// to or posts to (client_neighbours.h).
//
// Not for: per-test resources; add those to the host's Neighbourhood.
//
//   Neighbourhood neighbours;
//   StandardNeighbours standard = InstallStandardNeighbours(neighbours, context);
//   standard.gameflow.SetPhase("ChampSelect");
//   SetNeighbourResource(standard, "/kiv-gameflow/v1/availability", R"({"isAvailable":false})");
#pragma once

#include <string>
#include <string_view>

#include "host/neighbour.h"
#include "host/neighbours/client_neighbours.h"
#include "host/neighbours/login_neighbour.h"

namespace kiv::host {

/// Borrowed references into the Neighbourhood that owns the stand-ins.
struct StandardNeighbours {
  LoginNeighbour& login;
  GameflowNeighbour& gameflow;
  ConfigNeighbour& config;
  EntitlementsNeighbour& entitlements;
  MessagingNeighbour& messaging;
  MatchmakingNeighbour& matchmaking;
  LobbyNeighbour& lobby;
  QueuesNeighbour& queues;
  EndOfGameNeighbour& endOfGame;
  ChatNeighbour& chat;
  SummonerNeighbour& summoners;
  PlayerNotificationsNeighbour& notifications;
};

/// Adds the standard stand-ins to `neighbours`. `context` must outlive
/// `neighbours`, and `neighbours` the returned references.
StandardNeighbours InstallStandardNeighbours(Neighbourhood& neighbours, NeighbourContext& context);

/// Sets (and announces) the state of a resource of the stand-ins by its URI,
/// a push topic's URI pushes a message whose payload is `json`, and the login
/// session's URI replaces the session. Returns an error text, empty on success:
/// no stand-in serves the URI, or the JSON is bad.
std::string SetNeighbourResource(StandardNeighbours& standard, std::string_view uri,
                                 std::string_view json);

}  // namespace kiv::host
