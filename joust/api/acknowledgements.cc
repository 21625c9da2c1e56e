#include "joust/api/acknowledgements.h"

#include "joust/logic/cache.h"
#include "joust/logic/state_writes.h"

namespace kiv::joust {

MaybeType<Failure, void> PostRefresh(JoustPlugin& plugin) { return RefreshPlayerInfo(plugin); }

MaybeType<Failure, void> AcknowledgeGameEnd(JoustPlugin& plugin) {
  SetGameEnd(plugin.state(), Api::TournamentGameEnd{.tournamentId = -1, .bracketId = -1});
  return Ok();
}

MaybeType<Failure, void> AcknowledgeEogPlayerUpdate(JoustPlugin& plugin) {
  SetEogPlayerUpdate(plugin.state(), ZMS::EogPlayerUpdateDTO{});
  return Ok();
}

MaybeType<Failure, void> AcknowledgeNotification(JoustPlugin& plugin) {
  SetNotificationPrompt(plugin.state(), Api::PlayerNotificationData{});
  return Ok();
}

}  // namespace kiv::joust
