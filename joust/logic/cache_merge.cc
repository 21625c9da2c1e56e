// The load of the player's information from the backend, merged into the cache.
#include "joust/logic/cache.h"

#include "joust/backend/backend_methods.h"
#include "joust/logic/joust_plugin.h"
#include "joust/logic/rest_builders.h"
#include "joust/logic/state_writes.h"

namespace kiv::joust {

void MergeMinimalInfo(JoustPlugin& plugin, const std::vector<LCDS::TournamentInfoDTO>& infos,
                      int64_t serverTime) {
  JoustPluginState& state = plugin.state();
  plugin.SyncServerClock(serverTime);
  state.cache.Replace(infos, plugin.ServerNow(), state.session.summonerId);
  state.session.minimalInfoLoaded = true;
}

MaybeType<Failure, void> RefreshPlayerInfo(JoustPlugin& plugin) {
  auto info = plugin.backend().Call<kGetTournamentPlayerInfo>();
  if (!info.ok()) return Fail(std::move(info).takeFailure());
  Api::PlayerRewards rewards{.seasonVp = info->seasonVp, .themeVp = {}};
  for (const LCDS::ThemeVp& vp : info->themeVps)
    rewards.themeVp.push_back({vp.themeId, vp.themeVp});
  std::vector<Api::RosterStats> history;
  for (const LCDS::RosterStatsDTO& stats : info->rosterStats) {
    history.push_back(BuildRosterStats(stats));
  }
  SetPlayerRecords(plugin.state(), info->player.tickets, std::move(rewards), std::move(history));
  MergeMinimalInfo(plugin, info->tournamentInfo, info->time);
  return Ok();
}

}  // namespace kiv::joust
