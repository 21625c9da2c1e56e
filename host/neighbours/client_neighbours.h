// client_neighbours.h: the stand-ins of the client's other plugins that the
// tournament plugin reads, listens to or posts to: game flow, platform
// configuration, entitlements, the messaging service's push topics, the
// ready check, the team-builder matchmaking search, game queues, end of game,
// chat, summoner lookup and player notifications.
//
// Each is a StateNeighbour with a small typed API for tests and scenario
// runs; every change is announced through the host's queue like any
// neighbour event. Start-up values let a plugin start as for a logged-in
// player with the feature visible and enabled.
//
// Resources (GET state, or action recorded):
//   gameflow      GET /kiv-gameflow/v1/availability, /kiv-gameflow/v1/session;
//                 POST /kiv-gameflow/v1/session/{request-tournament-checkin,
//                 tournament-ended, event, game-configuration, dodge}
//                 (check-in moves the phase to "CheckedIntoTournament",
//                 tournament-ended back to "None")
//   config        GET /kiv-platform-config/v1/namespaces/JoustConfig
//   entitlements  GET /entitlements/v1/token
//   messaging     the nine push topics (events only, no GET)
//   matchmaking   GET /kiv-matchmaking/v1/ready-check; POST .../ready-check/accept
//                 (sets "playerResponse" to "Accepted")
//   lobby         GET /kiv-lobby-team-builder/v1/matchmaking
//   queues        GET /kiv-game-queues/v1/queues/{id} (700 and 701 at start)
//   endOfGame     POST /kiv-end-of-game/v1/state/dismiss-stats
//   chat          GET and PUT /kiv-chat/v1/me (a PUT replaces and announces)
//   summoners     GET /kiv-summoner/v1/summoners/{id} (404 for unknown ids)
//   notifications POST /player-notifications/v1/notifications
//
// Not for: the login plugin (login_neighbour.h); the tournament service
// behind the proxy (backend_service.h).
//
//   host.standard().gameflow.SetPhase("InProgress");
//   host.standard().messaging.Push("bracket-ready", R"({"tournamentId":7,"bracketId":3})");
//   host.standard().chat.Presence();  // the last body the plugin PUT
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/neighbours/state_neighbour.h"

namespace kiv::host {

inline constexpr char kGameflowAvailabilityUri[] = "/kiv-gameflow/v1/availability";
inline constexpr char kGameflowSessionUri[] = "/kiv-gameflow/v1/session";
inline constexpr char kJoustConfigUri[] = "/kiv-platform-config/v1/namespaces/JoustConfig";
inline constexpr char kEntitlementsTokenUri[] = "/entitlements/v1/token";
inline constexpr char kReadyCheckUri[] = "/kiv-matchmaking/v1/ready-check";
inline constexpr char kMatchmakingSearchUri[] = "/kiv-lobby-team-builder/v1/matchmaking";
inline constexpr char kChatMeUri[] = "/kiv-chat/v1/me";
inline constexpr char kPushTopicPrefix[] =
    "/zanth-messaging-service/v1/message/joust/v1/notifications/";
/// The push topics, as the last segment of their resource.
inline constexpr const char* kPushTopics[] = {
    "pending-roster",  "roster",        "roster-dynamic",     "roster-player",
    "roster-withdraw", "bracket-ready", "eog-bracket-update", "eog-player-update",
    "no-show-ping"};

class GameflowNeighbour : public StateNeighbour {
 public:
  explicit GameflowNeighbour(NeighbourContext& context);
  void SetAvailable(bool available);
  /// A `GameflowPhase` name such as "ChampSelect"; announced.
  void SetPhase(std::string_view phase);
  std::string Phase() const { return phase_; }

 private:
  std::string phase_ = "None";
};

class ConfigNeighbour : public StateNeighbour {
 public:
  explicit ConfigNeighbour(NeighbourContext& context);
  /// Replaces the whole "JoustConfig" namespace; false for bad JSON.
  bool SetConfig(std::string_view json) { return Set(kJoustConfigUri, json); }
  void DeleteConfig() { Remove(kJoustConfigUri); }
};

class EntitlementsNeighbour : public StateNeighbour {
 public:
  explicit EntitlementsNeighbour(NeighbourContext& context);
  void SetToken(std::string_view token, std::string_view accessToken,
                const std::vector<std::string>& entitlements);
};

class MessagingNeighbour : public StateNeighbour {
 public:
  explicit MessagingNeighbour(NeighbourContext& context) : StateNeighbour("messaging", context) {}
  /// Announces a "Create" of `topic` (one of kPushTopics) whose data is a
  /// message with `payloadJson` as its "payload" text; false for an unknown topic.
  bool Push(std::string_view topic, std::string_view payloadJson);
  /// Every message pushed so far, as "topic payload".
  const std::vector<std::string>& pushed() const { return pushed_; }

 private:
  std::vector<std::string> pushed_;
};

class MatchmakingNeighbour : public StateNeighbour {
 public:
  explicit MatchmakingNeighbour(NeighbourContext& context);
  /// `state` a `MatchmakingReadyCheckState` name, `response` a
  /// `MatchmakingReadyCheckResponse` name; announced.
  void SetReadyCheck(std::string_view state, std::string_view response = "None");
  void ClearReadyCheck() { Remove(kReadyCheckUri); }
  size_t Accepts() const {
    return CountReceived(KIV_METHOD_POST, "/kiv-matchmaking/v1/ready-check/accept");
  }
};

class LobbyNeighbour : public StateNeighbour {
 public:
  explicit LobbyNeighbour(NeighbourContext& context);
  /// The matchmaking search in `queueId`, with a `MatchmakingDodgeState` name.
  void SetSearch(int32_t queueId, std::string_view dodgeState = "Invalid", uint64_t dodgerId = 0);
  void EndSearch() { Remove(kMatchmakingSearchUri); }
};

class QueuesNeighbour : public StateNeighbour {
 public:
  explicit QueuesNeighbour(NeighbourContext& context);
  /// Serves `json` (a `Queue`) for `queueId`.
  bool SetQueue(int32_t queueId, std::string_view json);
};

class EndOfGameNeighbour : public StateNeighbour {
 public:
  explicit EndOfGameNeighbour(NeighbourContext& context);
  size_t Dismissals() const {
    return CountReceived(KIV_METHOD_POST, "/kiv-end-of-game/v1/state/dismiss-stats");
  }
};

class ChatNeighbour : public StateNeighbour {
 public:
  explicit ChatNeighbour(NeighbourContext& context);
  /// The last body PUT to /kiv-chat/v1/me, or nullopt.
  std::optional<std::string> Presence() const;
};

class SummonerNeighbour : public StateNeighbour {
 public:
  explicit SummonerNeighbour(NeighbourContext& context) : StateNeighbour("summoner", context) {}
  void SetSummoner(uint64_t summonerId, std::string_view displayName, int32_t profileIconId = 0);
};

class PlayerNotificationsNeighbour : public StateNeighbour {
 public:
  explicit PlayerNotificationsNeighbour(NeighbourContext& context);
  /// The notifications posted, each as compact JSON.
  std::vector<std::string> Posted() const;
};

}  // namespace kiv::host
