// push_notifications.h: the tournament service's pushes, nine topics under
// "/zanth-messaging-service/v1/message/joust/v1/notifications/": each message
// decoded, applied to the cache through its guarded writes, and turned into
// player notifications (a prompt at "/kiv-joust/v1/notifications", or a
// notification queued for the player-notifications plugin).
//
// Decoding: messages are taken only while logged in and only as Create
// events; a payload that is not JSON of the topic's record is logged once
// ("Error parsing ZMS message payload as notification", level 1) and
// dropped, so nothing of it reaches the cache. A roster notification for a
// tournament not cached reloads the player's information first; a message
// whose tournament is still not cached is logged and dropped.
//
// Not for: the ready check and no-show acknowledgement themselves
// (match_flow.h).
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "joust/model/lcds/bracket.h"
#include "joust/model/lcds/roster.h"
#include "joust/model/zms/notifications.h"
#include "sdk/runtime/resource_events.h"

namespace kiv::joust {

class JoustPlugin;

/// One push topic: its name under kPushTopicPrefix, and what a message of it
/// does (decodes the topic's record and applies it; false when it did not
/// decode, and then nothing changed). A new topic is one row of PushTopics.
struct PushTopic {
  std::string_view name;
  bool (*apply)(JoustPlugin& plugin, const ZMS::ZMSMessage& message);
};

/// Every topic, in the order of the plugin's subscriptions.
std::span<const PushTopic> PushTopics();
inline constexpr char kPushTopicPrefix[] =
    "/zanth-messaging-service/v1/message/joust/v1/notifications/";

/// One message of `topic`, applied when the player is logged in and the
/// message is new.
void OnPushMessage(JoustPlugin& plugin, const PushTopic& topic,
                   const TypedResourceEvent<ZMS::ZMSMessage>& event);

/// True when the cache holds the tournament a notification names; otherwise
/// logs "Notification for unknown tournament %lli ignored" (level 1) and the
/// caller drops the notification, so that nothing is cached for a tournament
/// the cache does not hold.
bool IsTournamentCached(const JoustPlugin& plugin, int64_t tournamentId);

/// The game-end cache update of an end-of-game bracket update with its
/// fetched bracket: stores the bracket, marks the player's roster, builds the
/// roster notification when the player's roster played or the round result
/// concerns it, records the game end. True when the player's game ended.
bool ApplyGameEnd(JoustPlugin& plugin, const ZMS::TournamentGameEndNotification& notification,
                  const LCDS::Bracket& bracket);

}  // namespace kiv::joust
