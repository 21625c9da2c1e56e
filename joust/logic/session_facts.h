// session_facts.h: SessionFacts, what the plugin knows of the player's
// session: the login, the game flow, and the server clock's last reading.
// Written through state_writes.h (and the clock by JoustPlugin::SyncServerClock).
#pragma once

#include <cstdint>

#include "joust/model/api/gameflow.h"

namespace kiv::joust {

struct SessionFacts {
  uint64_t summonerId = 0;
  bool loggedIn = false;
  /// The player's tournament information was loaded since the last login.
  bool minimalInfoLoaded = false;
  bool checkinAllowed = false;
  Api::GameflowPhase gameflowPhase = Api::GameflowPhase::kNone;
  uint64_t clockSyncSteady = 0;  ///< Monotonic nanoseconds at the last server-time sync.
  int64_t clockSyncServer = 0;   ///< Server milliseconds at that reading.
};

}  // namespace kiv::joust
