// session.h: records of the session and of the player that neighbouring
// plugins provide: configuration, login session, entitlements, player
// notifications, summoner lookups, the chat user. Only the members the plugin
// uses are described; other members of those resources are ignored.
//
// Not for: the plugin's own records.
//
//   Api::LoginSession session{.state = Api::LoginSessionState::kSucceeded};
//   if (session.summonerId) Greet(*session.summonerId);  // optional member
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "joust/model/api/enums.h"
#include "joust/model/api/neighbour_enums.h"
#include "joust/model/describe.h"

namespace Api {

struct JoustConfig {
  JoustVisibility visibility = JoustVisibility::kHidden;
  JoustState enabledState = JoustState::kDarkDisabled;
  std::string darkModeEntitlement;
  std::string iconConfig;
  bool isPlaymodeRestrictionEnabled = false;
  bool useIndividualEntitlement = false;
};
constexpr auto DescribeRecord(const JoustConfig*) {
  using T = JoustConfig;
  return Record<T>("JoustConfig", Field("Visibility", &T::visibility),
                   Field("EnabledState", &T::enabledState),
                   Field("DarkModeEntitlement", &T::darkModeEntitlement),
                   Field("IconConfig", &T::iconConfig),
                   Field("IsPlaymodeRestrictionEnabled", &T::isPlaymodeRestrictionEnabled),
                   Field("UseIndividualEntitlement", &T::useIndividualEntitlement))
      .Described(
          "The feature's configuration, read from /kiv-platform-config/v1/namespaces/JoustConfig.");
}

struct LoginSession {
  LoginSessionState state = LoginSessionState::kInProgress;
  std::optional<uint64_t> summonerId;
};
constexpr auto DescribeRecord(const LoginSession*) {
  using T = LoginSession;
  return Record<T>("LoginSession", Field("state", &T::state), Field("summonerId", &T::summonerId))
      .Described("The login session, read from /kiv-login/v1/session.");
}

struct EntitlementsToken {
  std::string token;
  std::string accessToken;
  std::vector<std::string> entitlements;
};
constexpr auto DescribeRecord(const EntitlementsToken*) {
  using T = EntitlementsToken;
  return Record<T>("EntitlementsToken", Field("token", &T::token),
                   Field("accessToken", &T::accessToken), Field("entitlements", &T::entitlements))
      .Described("The player's entitlements, read from /entitlements/v1/token.");
}

struct PlayerNotification {
  std::string source;
  std::string type;
  uint64_t id = 0;
  std::string backgroundUrl;
  std::map<std::string, std::string> data;
  std::string state;
  std::string iconUrl;
  std::string titleKey;
  std::string detailKey;
  std::string created;
  std::string expires;
  bool critical = false;
  bool dismissible = false;
};
constexpr auto DescribeRecord(const PlayerNotification*) {
  using T = PlayerNotification;
  return Record<T>("PlayerNotification", Field("source", &T::source), Field("type", &T::type),
                   Field("id", &T::id), Field("backgroundUrl", &T::backgroundUrl),
                   Field("data", &T::data), Field("state", &T::state),
                   Field("iconUrl", &T::iconUrl), Field("titleKey", &T::titleKey),
                   Field("detailKey", &T::detailKey), Field("created", &T::created),
                   Field("expires", &T::expires), Field("critical", &T::critical),
                   Field("dismissible", &T::dismissible))
      .Described("A player notification, posted to /player-notifications/v1/notifications.");
}

struct ClubsSummoner {
  uint64_t summonerId = 0;
  std::string displayName;
  int32_t profileIconId = 0;
};
constexpr auto DescribeRecord(const ClubsSummoner*) {
  using T = ClubsSummoner;
  return Record<T>("ClubsSummoner", Field("summonerId", &T::summonerId),
                   Field("displayName", &T::displayName), Field("profileIconId", &T::profileIconId))
      .Described("A summoner found by a lookup.");
}

struct UserResource {
  uint64_t summonerId = 0;
  std::map<std::string, std::string> kiv;
};
constexpr auto DescribeRecord(const UserResource*) {
  using T = UserResource;
  return Record<T>("UserResource", Field("summonerId", &T::summonerId), Field("kiv", &T::kiv))
      .Described("The player's chat user, /kiv-chat/v1/me.");
}

}  // namespace Api
