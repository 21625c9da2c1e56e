// The push-notification types, in registration order: enums and records. Each list is one row per
// type.
#include "joust/model/internal/registered.h"
#include "joust/model/zms/notifications.h"
#include "joust/model/zms/reasons.h"

namespace ZMS {
namespace {

using kiv::joust::model_internal::ModelType;

constexpr std::string_view kNameSpace[] = {"ZMS"};

template <typename T>
constexpr ModelType Row() {
  return kiv::joust::model_internal::Registered<T, kNameSpace>();
}

constexpr ModelType kEnums[] = {
    Row<NotifyReason>(),
    Row<RosterNotifyReason>(),
};

constexpr ModelType kRecords[] = {
    Row<ZMSMessage>(),
    Row<PendingRosterNotification>(),
    Row<RegisteredRosterNotification>(),
    Row<RosterPlayerNotification>(),
    Row<RosterDynamicStateNotification>(),
    Row<RosterWithdrawNotification>(),
    Row<TournamentGameEndNotification>(),
    Row<EogPlayerUpdateDTO>(),
    Row<BracketReadyNotification>(),
    Row<NoShowPingDTO>(),
};

}  // namespace
}  // namespace ZMS

namespace kiv::joust::model_internal {

ModelTypeLists ZmsTypes() { return {{}, ZMS::kEnums, ZMS::kRecords}; }

}  // namespace kiv::joust::model_internal
