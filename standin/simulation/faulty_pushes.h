// faulty_pushes.h: the delivery of push notifications to the player behind
// the plugin, misbehaving by a FaultPlan's chances: a message is dropped,
// delivered twice, held back behind later ones, followed by an older one
// delivered again, or cut short.
//
// Every message delivered carries its rosters' versions as their icon
// colours (version_stamp.h).
//
// Held messages go out with the next message delivered, or within a minute
// of host time at the latest, so none is held forever.
//
// Not for: what the service sends (push_channel.h decides that).
//
//   FaultyPushes faulty(host, host.standard().messaging, plan);
//   push.SetDelivery([&](const std::string& topic, const std::string& payload) {
//     faulty.Deliver(topic, payload);
//   });
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "host/neighbours/client_neighbours.h"
#include "host/plugin_host.h"
#include "standin/scenario/seeded_random.h"
#include "standin/simulation/fault_plan.h"

namespace kiv::standin {

class FaultyPushes {
 public:
  /// `host` and `messaging` must outlive this object.
  FaultyPushes(host::PluginHost& host, host::MessagingNeighbour& messaging, const FaultPlan& plan)
      : host_(host), messaging_(messaging), plan_(plan), random_(plan.seed * 2) {}

  /// Delivers (or not) one message of `topic`.
  void Deliver(const std::string& topic, const std::string& payload);

  /// From now on nothing misbehaves (what was held back still comes).
  void Calm() { plan_ = FaultPlan{.seed = plan_.seed}; }

  /// Delivers every push held back so far, in order.
  void ReleaseHeld();

  uint64_t faults() const { return faults_; }

 private:
  void Send(const std::string& topic, const std::string& payload);

  host::PluginHost& host_;
  host::MessagingNeighbour& messaging_;
  FaultPlan plan_;
  SeededRandom random_;
  std::deque<std::pair<std::string, std::string>> held_;
  std::vector<std::pair<std::string, std::string>> delivered_;  // the last few, for stale replays
  uint64_t faults_ = 0;
};

}  // namespace kiv::standin
