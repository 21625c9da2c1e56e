// player_records.h: PlayerRecords, the player's feature-wide records: wallet,
// rewards, history, the last game end and end-of-game update, the
// notification prompt, and the notifications waiting to be posted. Written
// through state_writes.h.
#pragma once

#include <deque>
#include <vector>

#include "joust/model/api/history.h"
#include "joust/model/api/player_notification_data.h"
#include "joust/model/api/session.h"
#include "joust/model/api/stats.h"
#include "joust/model/api/tournament.h"
#include "joust/model/zms/notifications.h"

namespace kiv::joust {

struct PlayerRecords {
  Api::PlayerData tickets;
  std::vector<Api::RosterStats> history;
  Api::PlayerRewards rewards{.seasonVp = -1, .themeVp = {}};
  Api::TournamentGameEnd gameEnd;
  ZMS::EogPlayerUpdateDTO eogPlayerUpdate;
  /// The last notification prompt ("no reason" in both reason fields until
  /// the first one).
  Api::PlayerNotificationData notificationPrompt;
  /// Notifications waiting to be posted, each with the reasons and players
  /// its texts are filled from when it is posted.
  std::deque<Api::PlayerNotificationData> notificationQueue;
};

}  // namespace kiv::joust
