// session.h: the login session and the minimal-info refresh that fills the
// cache once the player is logged in and the feature configured.
//
// Login: loggedIn follows the session's state ("SUCCEEDED" only), summonerId
// its player; the ready flag and the restriction are marked, then the
// refresh runs. Logout keeps the cache. The refresh calls the backend's
// "getTournamentInfoMinimal" when the player is logged in, the feature is
// configured, a dark launch has its entitlements (or uses the individual
// check), and the cache has not been loaded yet; a new login loads it again
// (so a player who logs in anew sees fresh data).
//
// Not for: the merge of the answer (cache.h) or the publication (publication.h).
#pragma once

#include "joust/model/api/session.h"
#include "sdk/runtime/resource_events.h"

namespace kiv::joust {

class JoustPlugin;

/// Create, Update or Delete of "/kiv-login/v1/session".
void OnLoginEvent(JoustPlugin& plugin, const TypedResourceEvent<Api::LoginSession>& event);

/// Loads the minimal tournament information when due (see above) and merges
/// it into the cache; a failed call is logged at level 2 and changes
/// nothing. The handler's own marks are published afterwards either way.
void RefreshMinimalInfo(JoustPlugin& plugin);

}  // namespace kiv::joust
