// joust_plugin_state.h: JoustPluginState, the one object that holds
// everything the tournament logic knows: the session facts (login, game flow,
// configuration, entitlements, server clock), the cache of the player's
// tournament data, the derived state of each tournament, and the change set
// of the next publication pass. Owned by JoustPlugin; handlers change it, and
// the pass runs when each ends (handler_run.h). Nothing here locks: every handler runs on the
// host's dispatch thread, and re-reads the state after any wait.
//
// Not for: logic. The cache's writes live in tournament_cache.h, its reads in
// cache.h, the derived state in state_machine.h, the pass in publication.h.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "joust/logic/change_set.h"
#include "joust/logic/state_map.h"
#include "joust/logic/tournament_cache.h"
#include "joust/model/api/enums.h"
#include "joust/model/api/gameflow.h"
#include "joust/model/api/history.h"
#include "joust/model/api/player_notification_data.h"
#include "joust/model/api/session.h"
#include "joust/model/api/stats.h"
#include "joust/model/api/tournament.h"
#include "joust/model/zms/notifications.h"
#include "sdk/value/binding_property.h"

namespace kiv::joust {

class JoustPluginState {
 public:
  virtual ~JoustPluginState() = default;

  std::unique_ptr<JoustChangeSet> changes = std::make_unique<JoustChangeSet>();
  /// Notifications waiting to be posted, each with the reasons and players
  /// its texts are filled from when it is posted.
  std::deque<Api::PlayerNotificationData> notificationQueue;
  uint64_t summonerId = 0;
  bool loggedIn = false;
  bool checkinAllowed = false;
  bool configReceived = false;
  bool entitlementsReceived = false;
  bool minimalInfoLoaded = false;
  Api::GameflowPhase gameflowPhase = Api::GameflowPhase::kNone;
  uint64_t clockSyncSteady = 0;  ///< Monotonic nanoseconds at the last server-time sync.
  int64_t clockSyncServer = 0;   ///< Server milliseconds at that reading.
  Api::JoustVisibility visibility = Api::JoustVisibility::kHidden;
  Api::JoustState enabledState = Api::JoustState::kDarkDisabled;
  std::string token;        ///< Never logged or published.
  std::string accessToken;  ///< Never logged or published.
  std::vector<std::string> entitlements;
  std::string darkModeEntitlement;
  bool playmodeRestrictionEnabled = true;
  bool useIndividualEntitlement = false;
  bool individualEntitled = false;
  BindingProperty iconConfig;
  /// The player's tournament data as the backend sent it; marks its own
  /// changes in `changes`.
  TournamentCache cache{*changes};
  StateMap<int64_t, Api::TournamentStateInfo> stateInfos;
  /// The server time each tournament's state-change timer is armed for.
  StateMap<int64_t, int64_t> armedStateChanges;
  /// The server time each tournament's roster-creation deadline timer is
  /// armed for.
  StateMap<int64_t, int64_t> armedCreationDeadlines;
  /// The server time each tournament's record-deadline timer is armed for.
  StateMap<int64_t, int64_t> armedRecordDeadlines;
  /// The roster and bracket ids last published per tournament, so that the
  /// pass announces the removal of one the cache no longer holds.
  StateMap<int64_t, std::vector<std::string>> publishedRosterIds;
  StateMap<int64_t, std::vector<int64_t>> publishedBracketIds;
  Api::TournamentGameEnd gameEnd;
  /// The last notification prompt ("no reason" in both reason fields until
  /// the first one).
  Api::PlayerNotificationData notificationPrompt;
  ZMS::EogPlayerUpdateDTO eogPlayerUpdate;
  Api::PlayerData tickets;
  std::vector<Api::RosterStats> history;
  Api::PlayerRewards rewards{.seasonVp = -1, .themeVp = {}};
  /// The individual entitlement check was switched on and has not run yet
  /// (it waits until the plugin's data is ready).
  bool individualCheckDue = false;
};

}  // namespace kiv::joust
