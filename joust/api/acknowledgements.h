// acknowledgements.h: the POST handlers that need no roster: reloading the
// player's tournament data, and the acknowledgements that clear the stored
// game end, end-of-game update and notification prompt. Each clear marks its
// resource, so the user interface sees the cleared record.
#pragma once

#include "joust/logic/joust_plugin.h"
#include "sdk/value/maybe_type.h"

namespace kiv::joust {

MaybeType<Failure, void> PostRefresh(JoustPlugin& plugin);
/// The stored game end becomes tournament -1, bracket -1.
MaybeType<Failure, void> AcknowledgeGameEnd(JoustPlugin& plugin);
/// The stored end-of-game update becomes an empty record.
MaybeType<Failure, void> AcknowledgeEogPlayerUpdate(JoustPlugin& plugin);
/// The prompt becomes a record without reasons (27 and 29, one past each
/// reason enum's last value).
MaybeType<Failure, void> AcknowledgeNotification(JoustPlugin& plugin);

}  // namespace kiv::joust
