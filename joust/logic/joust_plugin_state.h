// joust_plugin_state.h: JoustPluginState, everything the tournament logic
// knows, in parts that each have their writers: the session facts and the
// feature's settings and the player's records (state_writes.h), the cache of
// the player's tournament data (tournament_cache.h), what the publication
// pass keeps between passes (publication.cc), and the change set the writers
// mark for the next pass. Owned by JoustPlugin; handlers change it, and the
// pass runs when each ends (handler_run.h). Nothing here locks: every handler
// runs on the host's dispatch thread, and re-reads the state after any wait.
//
// Not for: logic. The cache's reads are in cache.h, the derived state in
// state_machine.h, the pass in publication.h.
#pragma once

#include <memory>

#include "joust/logic/change_set.h"
#include "joust/logic/feature_settings.h"
#include "joust/logic/pass_records.h"
#include "joust/logic/player_records.h"
#include "joust/logic/session_facts.h"
#include "joust/logic/tournament_cache.h"

namespace kiv::joust {

class JoustPluginState {
 public:
  virtual ~JoustPluginState() = default;

  std::unique_ptr<JoustChangeSet> changes = std::make_unique<JoustChangeSet>();
  SessionFacts session;
  FeatureSettings feature;
  PlayerRecords player;
  /// The player's tournament data as the backend sent it; marks its own
  /// changes in `changes`.
  TournamentCache cache{*changes};
  PassRecords pass;
};

}  // namespace kiv::joust
