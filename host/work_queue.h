// work_queue.h: the host's pending work: queued items and labelled one-shot
// callbacks that fall due on the host clock.
//
// `RunOne` runs at most one item: due callbacks join the ready queue in order
// of due time (then of scheduling), behind what was queued before them. Items
// may post further items while they run (the plugin calls back into the host).
//
//   WorkQueue queue;
//   queue.PostAt("Timer: x", MonotonicNow() + 1'000'000, [] { ... });
//   while (queue.RunOne(MonotonicNow())) {}
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>

namespace kiv::host {

class WorkQueue {
 public:
  using Work = std::function<void()>;

  /// Queues `work` to run as soon as it is its turn.
  void Post(std::string label, Work work);
  /// Schedules `work` for `dueNanoseconds` on the host clock.
  void PostAt(std::string label, int64_t dueNanoseconds, Work work);
  /// Runs at most one ready item; false when nothing was ready at `now`.
  bool RunOne(int64_t now);
  /// The earliest due time of a scheduled callback, if any.
  std::optional<int64_t> NextDue() const;
  /// Labels of the scheduled callbacks, earliest first.
  std::vector<std::string> ScheduledLabels() const;
  size_t ReadyCount() const { return ready_.size(); }
  size_t ScheduledCount() const { return scheduled_.size(); }

 private:
  struct Item {
    std::string label;
    Work work;
  };
  std::deque<Item> ready_;
  // Keyed by (due time, scheduling order) so equal times keep their order.
  std::map<std::pair<int64_t, uint64_t>, Item> scheduled_;
  uint64_t sequence_ = 0;
};

}  // namespace kiv::host
