// player_notifications.h: the texts of player notifications and the stored
// notification prompt.
//
// A notification's texts are filled when it is published or posted: the
// reason (the pending-roster reason, else the registered-roster reason, each
// unless it is the "no reason" marker) gives data "reason" and the title and
// description keys; the players named by id get their display names, looked
// up at "/kiv-summoner/v1/summoners/%1" (empty when the lookup fails).
//
// Not for: deciding which events notify (push_notifications.h).
#pragma once

#include "joust/model/api/player_notification_data.h"

namespace kiv::joust {

class JoustPlugin;

void FillNotificationTexts(JoustPlugin& plugin, Api::PlayerNotificationData& data);
/// The stored notification prompt, its texts filled.
Api::PlayerNotificationData NotificationPrompt(JoustPlugin& plugin);

}  // namespace kiv::joust
