#include "joust/api/views.h"

#include "joust/logic/cache.h"
#include "joust/logic/configuration.h"
#include "joust/logic/gameflow_presence.h"
#include "joust/logic/player_notifications.h"

namespace kiv::joust {

MaybeType<Failure, int64_t> GetServerTime(JoustPlugin& plugin) { return plugin.ServerNow(); }

MaybeType<Failure, bool> GetCheckinAllowed(JoustPlugin& plugin) {
  return plugin.state().checkinAllowed;
}

MaybeType<Failure, bool> GetPlaymodeRestricted(JoustPlugin& plugin) {
  return ComputeRestriction(plugin).isRestricted;
}

MaybeType<Failure, BindingProperty> GetIconConfig(JoustPlugin& plugin) {
  return BindingProperty(plugin.state().iconConfig);
}

MaybeType<Failure, Api::PlayerData> GetPlayerWallet(JoustPlugin& plugin) {
  return plugin.state().tickets;
}

MaybeType<Failure, std::vector<Api::RosterStats>> GetPlayerHistory(JoustPlugin& plugin) {
  return plugin.state().history;
}

MaybeType<Failure, Api::PlayerRewards> GetRewards(JoustPlugin& plugin) {
  return plugin.state().rewards;
}

MaybeType<Failure, Api::PlayerTournamentData> GetPlayerTournamentData(JoustPlugin& plugin,
                                                                      int64_t tournamentId) {
  const auto& standings = plugin.state().playerTournamentData;
  if (standings.find(tournamentId) == standings.end()) {
    // The endpoint answers an all-zero record for a tournament it does not
    // know; the cache's own "no standing" carries bracket -1.
    return Api::PlayerTournamentData{.bracketId = 0};
  }
  return ReadPlayerTournamentData(plugin.state(), tournamentId);
}

MaybeType<Failure, Api::TournamentGameEnd> GetGameEnd(JoustPlugin& plugin) {
  return plugin.state().gameEnd;
}

MaybeType<Failure, ZMS::EogPlayerUpdateDTO> GetEogPlayerUpdate(JoustPlugin& plugin) {
  return plugin.state().eogPlayerUpdate;
}

}  // namespace kiv::joust
