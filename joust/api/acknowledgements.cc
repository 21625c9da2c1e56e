#include "joust/api/acknowledgements.h"

#include "joust/logic/cache.h"

namespace kiv::joust {

MaybeType<Failure, void> PostRefresh(JoustPlugin& plugin) { return RefreshPlayerInfo(plugin); }

MaybeType<Failure, void> AcknowledgeGameEnd(JoustPlugin& plugin) {
  JoustPluginState& state = plugin.state();
  state.gameEnd = Api::TournamentGameEnd{.tournamentId = -1, .bracketId = -1};
  state.changes->gameEndChanged = true;
  return Ok();
}

MaybeType<Failure, void> AcknowledgeEogPlayerUpdate(JoustPlugin& plugin) {
  JoustPluginState& state = plugin.state();
  state.eogPlayerUpdate = ZMS::EogPlayerUpdateDTO{};
  state.changes->eogPlayerUpdateChanged = true;
  return Ok();
}

MaybeType<Failure, void> AcknowledgeNotification(JoustPlugin& plugin) {
  JoustPluginState& state = plugin.state();
  state.notificationPrompt = Api::PlayerNotificationData{};
  state.changes->notificationsChanged = true;
  return Ok();
}

}  // namespace kiv::joust
