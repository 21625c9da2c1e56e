#include "joust/logic/player_notifications.h"

#include "joust/logic/joust_plugin.h"
#include "joust/model/api/session.h"
#include "sdk/value/format_message.h"
#include "sdk/value/native/enum_descriptor.h"

namespace kiv::joust {
namespace {

std::string DisplayName(JoustPlugin& plugin, uint64_t summonerId) {
  auto summoner = plugin.requests().Send<Api::ClubsSummoner>(
      KIV_METHOD_GET, FormatMessage("/kiv-summoner/v1/summoners/%1", summonerId));
  return summoner.ok() ? summoner->displayName : std::string();
}

}  // namespace

void FillNotificationTexts(JoustPlugin& plugin, Api::PlayerNotificationData& data) {
  const char* reason = nullptr;
  if (data.notifyReason != ZMS::NotifyReason::kNoReason) {
    reason = EnumDescriptionOf<ZMS::NotifyReason>().NameOf(static_cast<int32_t>(data.notifyReason));
  } else if (data.rosterNotifyReason != ZMS::RosterNotifyReason::kNoReason) {
    reason = EnumDescriptionOf<ZMS::RosterNotifyReason>().NameOf(
        static_cast<int32_t>(data.rosterNotifyReason));
  }
  Api::PlayerNotification& notification = data.notification;
  if (reason) {
    notification.data["reason"] = reason;
    notification.titleKey = std::string("joust_notification_title_") + reason;
    notification.detailKey = std::string("joust_notification_description_") + reason;
  }
  if (data.sourceSummonerId != 0) {
    notification.data["sourcePlayer"] = DisplayName(plugin, data.sourceSummonerId);
  }
  if (data.targetSummonerId != 0) {
    notification.data["targetPlayer"] = DisplayName(plugin, data.targetSummonerId);
  }
}

Api::PlayerNotificationData NotificationPrompt(JoustPlugin& plugin) {
  Api::PlayerNotificationData prompt = plugin.state().player.notificationPrompt;
  FillNotificationTexts(plugin, prompt);
  return prompt;
}

}  // namespace kiv::joust
