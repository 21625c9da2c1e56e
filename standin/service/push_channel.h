// push_channel.h: the push side of the stand-in tournament service: each
// notification a real service sends after a change, on its topic, with its
// reason and the players it goes to.
//
// Every notification is recorded (topic, reason name, targets, payload) so
// tests can check what was sent to whom. Only the player behind the plugin
// has a client here: notifications that target that player are delivered
// through the messaging stand-in as a message on the topic; the others are
// only recorded.
//
// Not for: deciding when to notify (the service's rules do that).
//
//   PushChannel push(world, &host.standard().messaging);
//   push.Pending(roster, ZMS::NotifyReason::kInvite, captain, invitee, {invitee});
//   push.sent().back().topic;  // "pending-roster"
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "host/neighbours/client_neighbours.h"
#include "joust/model/zms/notifications.h"
#include "standin/service/world.h"

namespace kiv::standin {

struct SentPush {
  std::string topic;
  std::string reason;  // the reason's name; empty for topics without one
  std::vector<uint64_t> targets;
  std::string payload;  // JSON text of the notification
};

class PushChannel {
 public:
  /// `world` must outlive the channel; `messaging` may be null (record only).
  PushChannel(World& world, host::MessagingNeighbour* messaging)
      : world_(world), messaging_(messaging) {}

  void Pending(const LCDS::PendingRosterDTO& roster, ZMS::NotifyReason reason, uint64_t source,
               uint64_t target, const std::vector<uint64_t>& targets);
  void Roster(const LCDS::RosterDTO& roster, ZMS::RosterNotifyReason reason,
              const std::vector<uint64_t>& targets);
  /// One message per target, each with that player's wallet.
  void RosterPlayer(const LCDS::RosterDTO& roster, ZMS::RosterNotifyReason reason, uint64_t source,
                    const std::vector<uint64_t>& targets);
  void Dynamic(const LCDS::RosterDynamicStateDTO& state, ZMS::RosterNotifyReason reason,
               uint64_t source, const std::vector<uint64_t>& targets);
  void Withdraw(const LCDS::RosterDTO& roster, ZMS::RosterNotifyReason reason, uint64_t source,
                const std::vector<uint64_t>& targets);
  void BracketReady(int64_t tournamentId, int64_t bracketId, const std::vector<uint64_t>& targets);
  void GameEnd(int64_t tournamentId, int64_t bracketId, int64_t matchId,
               ZMS::RosterNotifyReason reason, const std::vector<uint64_t>& targets);
  void EogPlayer(const ZMS::EogPlayerUpdateDTO& update, uint64_t target);
  void NoShow(const ZMS::NoShowPingDTO& ping, const std::vector<uint64_t>& targets);

  const std::vector<SentPush>& sent() const { return sent_; }
  /// Replaces the delivery of the player's notifications through the
  /// messaging stand-in (for delivering them with faults).
  void SetDelivery(
      std::function<void(const std::string& topic, const std::string& payload)> deliver) {
    delivery_ = std::move(deliver);
  }
  /// Called for every notification sent (for the run's log).
  void SetObserver(std::function<void(const SentPush&)> observer) {
    observer_ = std::move(observer);
  }

 private:
  template <typename Record>
  void Send(const char* topic, std::string reason, const Record& record,
            const std::vector<uint64_t>& targets);

  World& world_;
  host::MessagingNeighbour* messaging_;
  std::vector<SentPush> sent_;
  std::function<void(const SentPush&)> observer_;
  std::function<void(const std::string&, const std::string&)> delivery_;
};

}  // namespace kiv::standin
