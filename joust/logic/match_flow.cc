#include "joust/logic/match_flow.h"

#include <chrono>

#include "joust/backend/backend_methods.h"
#include "joust/logic/cache.h"
#include "joust/logic/joust_plugin.h"
#include "joust/logic/push_notifications.h"
#include "joust/logic/state_machine.h"
#include "joust/model/api/queue.h"
#include "sdk/codec/ordered_json_object.h"
#include "sdk/log/log_groups.h"
#include "sdk/log/log_level.h"
#include "sdk/log/logger.h"
#include "sdk/value/native/enum_descriptor.h"

namespace kiv::joust {
namespace {

constexpr char kDismissStatsUri[] = "/kiv-end-of-game/v1/state/dismiss-stats";

template <typename E>
const char* NameOf(E value) {
  const char* name = EnumDescriptionOf<E>().NameOf(static_cast<int32_t>(value));
  return name ? name : "";
}

void PostQueueConfiguration(JoustPlugin& plugin, int64_t queueId) {
  auto queue = plugin.requests().Send<Api::Queue>(
      KIV_METHOD_GET, "/kiv-game-queues/v1/queues/" + std::to_string(queueId));
  if (!queue.ok()) {
    Log(kLogWarn, kGroupDbg, "Couldn't lookup queue: %s", queue.failure().ToString().c_str());
    return;
  }
  Log(kLogAlways, kGroupDbg, "posting joust queue configuration to gameflow for queueId %i",
      static_cast<int>(queueId));
  (void)plugin.requests().Send<void>(KIV_METHOD_POST, "/kiv-gameflow/v1/session/game-configuration",
                                     *queue);
}

}  // namespace

bool IsTournamentQueue(int64_t queueId) { return queueId == 700 || queueId == 701; }

int64_t DismissStatsDelayMs(int64_t scoutingTimeMs) {
  const float part = static_cast<float>(scoutingTimeMs) * 0.286f;
  int64_t buffer = static_cast<int64_t>(part);
  if (buffer > 5000) buffer = 5000;
  return scoutingTimeMs - buffer;
}

void OnReadyCheck(JoustPlugin& plugin,
                  const TypedResourceEvent<Api::MatchmakingReadyCheckResource>& event) {
  const Api::MatchmakingReadyCheckResource& check = event.data;
  if (!IsTournamentQueue(plugin.lastQueueId) ||
      event.eventType == PluginResourceEventType::kDelete ||
      check.state != Api::MatchmakingReadyCheckState::kInProgress ||
      check.playerResponse == Api::MatchmakingReadyCheckResponse::kAccepted) {
    return;
  }
  (void)plugin.requests().Send<void>(KIV_METHOD_POST, kDismissStatsUri);
  Log(kLogAlways, kGroupDbg,
      "Received Ready Check and we ARE in a joust queue (%i), auto-accepting... state %s, "
      "playerResponse %s",
      plugin.lastQueueId, NameOf(check.state), NameOf(check.playerResponse));
  auto accepted =
      plugin.requests().Send<void>(KIV_METHOD_POST, "/kiv-matchmaking/v1/ready-check/accept");
  if (!accepted.ok()) {
    Log(kLogError, kGroupDbg, "failed to auto-accept ready check: %s",
        accepted.failure().ToString().c_str());
    return;
  }
  Log(kLogAlways, kGroupDbg,
      "auto-accept ready check succeeded, enabling team builder champ select");
  PostQueueConfiguration(plugin, plugin.lastQueueId);
}

void OnMatchmakingSearch(JoustPlugin& plugin,
                         const TypedResourceEvent<Api::MatchmakingSearchResource>& event) {
  if (event.eventType == PluginResourceEventType::kDelete) return;
  const int32_t previous = plugin.lastQueueId;
  plugin.lastQueueId = event.data.queueId;
  if (event.data.dodgeData.state == Api::MatchmakingDodgeState::kTournamentDodged &&
      IsTournamentQueue(previous)) {
    Log(kLogAlways, kGroupDbg, "Detected TOURNAMENT dodge in team-builder champ select.");
    const Api::GameflowGameDodge dodge{Api::MatchmakingDodgeState::kTournamentDodged, {}};
    (void)plugin.requests().Send<void>(KIV_METHOD_POST, "/kiv-gameflow/v1/session/dodge", dodge);
  }
}

void ProcessGameEnd(JoustPlugin& plugin, const ZMS::TournamentGameEndNotification& notification) {
  using ZMS::RosterNotifyReason;
  const JoustPluginState& state = plugin.state();
  const auto standing = state.cache.standings().find(notification.tournamentId);
  int64_t rosterId = 0;
  const RosterNotifyReason reason = notification.notifyReason;
  if (standing == state.cache.standings().end() ||
      !ParseRosterId(standing->second.rosterId, rosterId) || notification.tournamentId == -1 ||
      reason == RosterNotifyReason::kByeAutoWin ||
      reason == RosterNotifyReason::kRestrictionAutoWin ||
      reason == RosterNotifyReason::kQueueDodge || reason == RosterNotifyReason::kWithdraw) {
    (void)RefreshPlayerInfo(plugin);
  }
  if (!IsTournamentCached(plugin, notification.tournamentId)) return;
  auto bracket = plugin.backend().Call<kGetRosterBracket>(notification.bracketId);
  if (!bracket.ok()) {
    Log(kLogWarn, kGroupDbg,
        "GameEndNotification -- failed to receive bracket tournamentId %lli, bracketId %lli",
        static_cast<long long>(notification.tournamentId),
        static_cast<long long>(notification.bracketId));
    return;
  }
  const bool gameEnded = ApplyGameEnd(plugin, notification, *bracket);
  const LCDS::TournamentDTO* tournament =
      plugin.state().cache.FindTournament(notification.tournamentId);
  if (!gameEnded || !tournament) return;
  const int64_t delay = DismissStatsDelayMs(tournament->scoutingTimeMs);
  Log(kLogAlways, kGroupDbg, "game ended, setting timer to dismiss stats in %lli seconds",
      static_cast<long long>(delay / 1000));
  plugin.timers().ScheduleAt(
      "kiv-joust.force-dismiss-stats",
      [&plugin] {
        Log(kLogAlways, kGroupDbg, "force dismissing stats so we're ready for next game");
        (void)plugin.requests().Send<void>(KIV_METHOD_POST, kDismissStatsUri);
      },
      std::chrono::steady_clock::now() + std::chrono::milliseconds(delay));
}

void AcknowledgeNoShow(JoustPlugin& plugin, const ZMS::NoShowPingDTO& ping) {
  BindingProperty data;
  data.MutableMember("dodgeTime") = std::to_string(ping.dodgeTime);
  data.MutableMember("gameflowState") = NameOf(plugin.state().session.gameflowPhase);
  OrderedJsonObject payload;
  payload.Add("tournamentId", BindingProperty(std::to_string(ping.tournamentId)))
      .Add("matchId", BindingProperty(std::to_string(ping.matchId)))
      .Add("dodgeTime", BindingProperty(std::to_string(ping.dodgeTime)))
      .Add("data", data);
  (void)plugin.backend().Call<kCustomAck>(std::string("NO_SHOW"), payload.Text());
}

}  // namespace kiv::joust
