#include "standin/simulation/faulty_pushes.h"

#include "standin/simulation/version_stamp.h"

namespace kiv::standin {
namespace {

constexpr size_t kRemembered = 16;
constexpr int64_t kLongestHoldNs = 60'000'000'000;

}  // namespace

void FaultyPushes::Send(const std::string& topic, const std::string& payload) {
  messaging_.Push(topic, payload);
  delivered_.emplace_back(topic, payload);
  if (delivered_.size() > kRemembered) delivered_.erase(delivered_.begin());
}

void FaultyPushes::ReleaseHeld() {
  while (!held_.empty()) {
    auto [topic, payload] = std::move(held_.front());
    held_.pop_front();
    Send(topic, payload);
  }
}

void FaultyPushes::Deliver(const std::string& topic, const std::string& stampless) {
  const std::string payload = StampRosterVersions(stampless);
  if (random_.Chance(plan_.pushDrop)) {
    ++faults_;
    return;
  }
  if (random_.Chance(plan_.pushDuplicate)) {
    ++faults_;
    Send(topic, payload);
    Send(topic, payload);
    ReleaseHeld();
    return;
  }
  if (random_.Chance(plan_.pushDelay)) {
    ++faults_;
    held_.emplace_back(topic, payload);
    host_.Later("Push held back", random_.Between(1, kLongestHoldNs), [this] { ReleaseHeld(); });
    return;
  }
  if (random_.Chance(plan_.pushStale) && !delivered_.empty()) {
    ++faults_;
    const auto stale = delivered_[static_cast<size_t>(
        random_.Between(0, static_cast<int64_t>(delivered_.size()) - 1))];
    Send(topic, payload);
    Send(stale.first, stale.second);
    ReleaseHeld();
    return;
  }
  if (random_.Chance(plan_.pushTruncate) && payload.size() > 1) {
    ++faults_;
    messaging_.Push(topic, payload.substr(0, static_cast<size_t>(random_.Between(
                                                 0, static_cast<int64_t>(payload.size()) - 1))));
    ReleaseHeld();
    return;
  }
  Send(topic, payload);
  ReleaseHeld();
}

}  // namespace kiv::standin
