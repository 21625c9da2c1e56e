// player_notification_data.h: PlayerNotificationData, the tournament notification kept for
// the player: the reason (of a pending or of a registered roster), who caused
// it, whom it concerns, and the notification record. A reason that is not set
// holds kNoReason, which is written as a number (27 or 29).
//
// Not for: posting notifications (session.h, PlayerNotification).
//
//   Api::PlayerNotificationData data{.notifyReason = ZMS::NotifyReason::kInvite};
//   data.rosterNotifyReason;  // ZMS::RosterNotifyReason::kNoReason, written as 29
#pragma once

#include <cstdint>

#include "joust/model/api/session.h"
#include "joust/model/describe.h"
#include "joust/model/zms/reasons.h"

namespace Api {

struct PlayerNotificationData {
  ZMS::NotifyReason notifyReason = ZMS::NotifyReason::kNoReason;
  ZMS::RosterNotifyReason rosterNotifyReason = ZMS::RosterNotifyReason::kNoReason;
  uint64_t sourceSummonerId = 0;
  uint64_t targetSummonerId = 0;
  PlayerNotification notification;
};
constexpr auto DescribeRecord(const PlayerNotificationData*) {
  using T = PlayerNotificationData;
  return Record<T>("PlayerNotificationData",
                   Field("notifyReason", &T::notifyReason, "Pending-roster reason"),
                   Field("rosterNotifyReason", &T::rosterNotifyReason, "Roster reason"),
                   Field("sourceSummonerId", &T::sourceSummonerId, "Player who caused it"),
                   Field("targetSummonerId", &T::targetSummonerId, "Player it concerns"),
                   Field("notification", &T::notification, "The notification record"))
      .Described("A tournament notification kept for the player.");
}

}  // namespace Api
