#include "host/work_queue.h"

#include <vector>

namespace kiv::host {

void WorkQueue::Post(std::string label, Work work) {
  ready_.push_back(Item{std::move(label), std::move(work)});
}

void WorkQueue::PostAt(std::string label, int64_t dueNanoseconds, Work work) {
  scheduled_.emplace(std::make_pair(dueNanoseconds, sequence_++),
                     Item{std::move(label), std::move(work)});
}

bool WorkQueue::RunOne(int64_t now) {
  while (!scheduled_.empty() && scheduled_.begin()->first.first <= now) {
    ready_.push_back(std::move(scheduled_.begin()->second));
    scheduled_.erase(scheduled_.begin());
  }
  if (ready_.empty()) return false;
  Item item = std::move(ready_.front());
  ready_.pop_front();
  item.work();  // may post more work
  return true;
}

std::optional<int64_t> WorkQueue::NextDue() const {
  if (scheduled_.empty()) return std::nullopt;
  return scheduled_.begin()->first.first;
}

std::vector<std::string> WorkQueue::ScheduledLabels() const {
  std::vector<std::string> labels;
  for (const auto& [key, item] : scheduled_) labels.push_back(item.label);
  return labels;
}

}  // namespace kiv::host
