#include "standin/service/push_channel.h"

#include <algorithm>

#include "sdk/codec/json_writer.h"
#include "sdk/value/native/convert.h"

namespace kiv::standin {
namespace {

template <typename Enum>
std::string NameOf(Enum value) {
  const char* name = EnumDescriptionOf<Enum>().NameOf(static_cast<int32_t>(value));
  return name ? name : std::to_string(static_cast<int32_t>(value));
}

}  // namespace

template <typename Record>
void PushChannel::Send(const char* topic, std::string reason, const Record& record,
                       const std::vector<uint64_t>& targets) {
  BindingProperty status;
  const BindingProperty value = ToValue(record, status);
  SentPush push{topic, std::move(reason), targets, WriteJson(value)};
  if (std::find(targets.begin(), targets.end(), world_.me) != targets.end()) {
    if (delivery_) {
      delivery_(topic, push.payload);
    } else if (messaging_) {
      messaging_->Push(topic, push.payload);
    }
  }
  if (observer_) observer_(push);
  sent_.push_back(std::move(push));
}

void PushChannel::Pending(const LCDS::PendingRosterDTO& roster, ZMS::NotifyReason reason,
                          uint64_t source, uint64_t target, const std::vector<uint64_t>& targets) {
  Send("pending-roster", NameOf(reason),
       ZMS::PendingRosterNotification{roster, reason, source, target}, targets);
}

void PushChannel::Roster(const LCDS::RosterDTO& roster, ZMS::RosterNotifyReason reason,
                         const std::vector<uint64_t>& targets) {
  Send("roster", NameOf(reason),
       ZMS::RegisteredRosterNotification{world_.RosterView(roster), reason}, targets);
}

void PushChannel::RosterPlayer(const LCDS::RosterDTO& roster, ZMS::RosterNotifyReason reason,
                               uint64_t source, const std::vector<uint64_t>& targets) {
  const LCDS::RosterDTO view = world_.RosterView(roster);
  for (uint64_t target : targets) {
    const PlayerState* player = world_.FindPlayer(target);
    Send("roster-player", NameOf(reason),
         ZMS::RosterPlayerNotification{view, reason, LCDS::PlayerDTO{player ? player->tickets : 0},
                                       source},
         {target});
  }
}

void PushChannel::Dynamic(const LCDS::RosterDynamicStateDTO& state, ZMS::RosterNotifyReason reason,
                          uint64_t source, const std::vector<uint64_t>& targets) {
  Send("roster-dynamic", NameOf(reason), ZMS::RosterDynamicStateNotification{state, reason, source},
       targets);
}

void PushChannel::Withdraw(const LCDS::RosterDTO& roster, ZMS::RosterNotifyReason reason,
                           uint64_t source, const std::vector<uint64_t>& targets) {
  Send("roster-withdraw", NameOf(reason),
       ZMS::RosterWithdrawNotification{roster.dynamicState.version, roster.tournamentId, roster.id,
                                       roster.dynamicState.withdraw, reason, source},
       targets);
}

void PushChannel::BracketReady(int64_t tournamentId, int64_t bracketId,
                               const std::vector<uint64_t>& targets) {
  Send("bracket-ready", "", ZMS::BracketReadyNotification{tournamentId, bracketId}, targets);
}

void PushChannel::GameEnd(int64_t tournamentId, int64_t bracketId, int64_t matchId,
                          ZMS::RosterNotifyReason reason, const std::vector<uint64_t>& targets) {
  Send("eog-bracket-update", NameOf(reason),
       ZMS::TournamentGameEndNotification{tournamentId, bracketId, matchId, reason}, targets);
}

void PushChannel::EogPlayer(const ZMS::EogPlayerUpdateDTO& update, uint64_t target) {
  Send("eog-player-update", "", update, {target});
}

void PushChannel::NoShow(const ZMS::NoShowPingDTO& ping, const std::vector<uint64_t>& targets) {
  Send("no-show-ping", "", ping, targets);
}

}  // namespace kiv::standin
