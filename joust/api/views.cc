#include "joust/api/views.h"

#include "joust/logic/cache.h"
#include "joust/logic/configuration.h"
#include "joust/logic/gameflow_presence.h"
#include "joust/logic/player_notifications.h"

namespace kiv::joust {

MaybeType<Failure, int64_t> GetServerTime(JoustPlugin& plugin) { return plugin.ServerNow(); }

MaybeType<Failure, bool> GetVisible(JoustPlugin& plugin) { return Visible(plugin.state()); }

MaybeType<Failure, bool> GetEnabled(JoustPlugin& plugin) { return Enabled(plugin.state()); }

MaybeType<Failure, bool> GetReady(JoustPlugin& plugin) { return Ready(plugin.state()); }

MaybeType<Failure, bool> GetCheckinAllowed(JoustPlugin& plugin) {
  return plugin.state().checkinAllowed;
}

MaybeType<Failure, bool> GetPlaymodeRestricted(JoustPlugin& plugin) {
  return ComputeRestriction(plugin).isRestricted;
}

MaybeType<Failure, Api::PlaymodeRestrictedInfo> GetPlaymodeRestriction(JoustPlugin& plugin) {
  return ComputeRestriction(plugin);
}

MaybeType<Failure, BindingProperty> GetIconConfig(JoustPlugin& plugin) {
  return BindingProperty(plugin.state().iconConfig);
}

MaybeType<Failure, std::vector<int64_t>> GetTournamentIds(JoustPlugin& plugin) {
  return ReadTournamentIds(plugin.state());
}

MaybeType<Failure, std::vector<Api::TournamentSummary>> GetTournamentSummaries(
    JoustPlugin& plugin) {
  return ReadTournamentSummaries(plugin.state());
}

MaybeType<Failure, Api::Tournament> GetTournament(JoustPlugin& plugin, int64_t tournamentId) {
  return ReadTournament(plugin, tournamentId);
}

MaybeType<Failure, Api::TournamentStateInfo> GetStateInfo(JoustPlugin& plugin,
                                                          int64_t tournamentId) {
  return ReadStateInfo(plugin, tournamentId);
}

MaybeType<Failure, std::vector<Api::TournamentStateInfo>> GetAllStateInfos(JoustPlugin& plugin) {
  return ReadAllStateInfos(plugin.state());
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

MaybeType<Failure, std::vector<Api::PlayerChatRoster>> GetChatRosters(JoustPlugin& plugin) {
  return ChatRosters(plugin);
}

MaybeType<Failure, std::vector<Api::Roster>> GetAllInvitations(JoustPlugin& plugin) {
  return ReadAllInvitations(plugin.state());
}

MaybeType<Failure, std::vector<Api::Roster>> GetInvitations(JoustPlugin& plugin,
                                                            int64_t tournamentId) {
  return ReadInvitations(plugin.state(), tournamentId);
}

MaybeType<Failure, Api::Bracket> GetBracket(JoustPlugin& plugin, int64_t tournamentId,
                                            int64_t bracketId) {
  return ReadBracket(plugin, tournamentId, bracketId);
}

MaybeType<Failure, Api::TournamentGameEnd> GetGameEnd(JoustPlugin& plugin) {
  return plugin.state().gameEnd;
}

MaybeType<Failure, ZMS::EogPlayerUpdateDTO> GetEogPlayerUpdate(JoustPlugin& plugin) {
  return plugin.state().eogPlayerUpdate;
}

MaybeType<Failure, Api::PlayerNotificationData> GetNotification(JoustPlugin& plugin) {
  return NotificationPrompt(plugin);
}

}  // namespace kiv::joust
