#include "host/gateway/event_hub.h"

#include <string_view>

#include "host/host_value_json.h"
#include "host/host_value_reader.h"
#include "host/resource_event.h"

namespace kiv::host::gateway {
namespace {

// An event name is one line of text with no CR or LF.
std::string OneLine(std::string_view text) {
  std::string line(text);
  for (char& c : line) {
    if (c == '\n' || c == '\r') c = ' ';
  }
  return line;
}

constexpr size_t kBatchBytes = 64 * 1024;

bool Matches(const std::string& prefix, const std::string& path) {
  return prefix.empty() || (!path.empty() && path.compare(0, prefix.size(), prefix) == 0);
}

// The last frame of a stream that fell behind; no id, so the client's last
// id stays that of the last event it received.
std::shared_ptr<const std::string> OverflowFrame(size_t maxQueued) {
  const std::string limit = std::to_string(maxQueued);
  return std::make_shared<const std::string>(
      "event: overflow\ndata: {\"reason\":\"This client fell more than " + limit +
      " events behind; reconnect with Last-Event-ID to resume\",\"maxQueued\":" + limit + "}\n\n");
}

std::shared_ptr<const std::string> GapFrame(uint64_t firstKeptId) {
  const std::string first = std::to_string(firstKeptId);
  return std::make_shared<const std::string>(
      "event: gap\ndata: {\"reason\":\"Some events after the given id are no longer kept; the "
      "kept ones follow from id " +
      first + "\",\"firstKeptId\":\"" + first + "\"}\n\n");
}

// Ids of a later run are larger than those of an earlier one.
uint64_t FirstId() {
  const auto now = std::chrono::system_clock::now().time_since_epoch();
  return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

}  // namespace

std::optional<EventFrame> FrameOfEvent(const PublishedEvent& event) {
  const std::string_view base = kResourceEventBase;
  std::string_view name = event.name;
  EventFrame frame;
  if (name == base) {
    const HostValue& body = event.body.root();
    if (const auto uri = TextIf(FindMember(body, "uri"))) {
      frame.path = std::string(*uri);
      name = TextIf(FindMember(body, "eventType")).value_or("Update");
    }
  } else if (name.size() > base.size() && name.substr(0, base.size()) == base &&
             name[base.size()] == '_') {
    return std::nullopt;  // the same change follows under the base name
  }
  // Compact JSON has no line breaks, so the body is one "data:" line.
  frame.text = "event: " + OneLine(name) + "\ndata: " + HostValueToJson(event.body.root()) + "\n\n";
  return frame;
}

EventSubscription::~EventSubscription() { hub_.Remove(this); }

EventSubscription::Wait EventSubscription::Next(std::string& out,
                                                std::chrono::milliseconds timeout) {
  std::unique_lock<std::mutex> lock(hub_.mutex_);
  hub_.changed_.wait_for(lock, timeout,
                         [this] { return ended_ || overflowed_ || !queued_.empty(); });
  if (ended_ || (overflowed_ && queued_.empty())) return Wait::kEnded;
  if (queued_.empty()) return Wait::kIdle;
  // Taken in batches of about kBatchBytes: what stays queued counts against
  // maxQueued while the client is slow to take the batch.
  do {
    out += *queued_.front();
    queued_.pop_front();
  } while (!queued_.empty() && out.size() < kBatchBytes);
  return Wait::kFrames;
}

EventHub::EventHub(EventHubLimits limits) : limits_(limits), nextId_(FirstId()) {
  // A replay never starts a subscriber beyond its queue's bound.
  if (limits_.history > limits_.maxQueued) limits_.history = limits_.maxQueued;
}

void EventHub::Publish(const PublishedEvent& event) {
  if (limits_.history == 0 && SubscriberCount() == 0) return;
  auto frame = FrameOfEvent(event);  // formatted outside the lock
  if (!frame) return;
  std::unique_lock<std::mutex> lock(mutex_);
  const uint64_t id = nextId_++;
  const auto text =
      std::make_shared<const std::string>("id: " + std::to_string(id) + "\n" + frame->text);
  for (EventSubscription* subscriber : subscribers_) {
    if (subscriber->ended_ || subscriber->overflowed_) continue;
    if (!Matches(subscriber->prefix_, frame->path)) continue;
    if (subscriber->queued_.size() >= limits_.maxQueued) {
      // Too far behind: what it has not taken is replaced by the reason.
      subscriber->overflowed_ = true;
      ++overflows_;
      subscriber->queued_.clear();
      subscriber->queued_.push_back(OverflowFrame(limits_.maxQueued));
      continue;
    }
    subscriber->queued_.push_back(text);
  }
  if (limits_.history > 0) {
    history_.push_back(Kept{id, std::move(frame->path), text});
    if (history_.size() > limits_.history) history_.pop_front();
  }
  lock.unlock();
  changed_.notify_all();
}

void EventHub::Replay(EventSubscription& subscription, uint64_t lastEventId) {
  if (lastEventId >= nextId_) return;  // not an id this hub gave
  const uint64_t firstKept = history_.empty() ? nextId_ : history_.front().id;
  if (lastEventId + 1 < firstKept) subscription.queued_.push_back(GapFrame(firstKept));
  for (const Kept& kept : history_) {
    if (kept.id > lastEventId && Matches(subscription.prefix_, kept.path)) {
      subscription.queued_.push_back(kept.text);
    }
  }
}

std::unique_ptr<EventSubscription> EventHub::Subscribe(std::string pathPrefix,
                                                       std::optional<uint64_t> lastEventId) {
  std::unique_ptr<EventSubscription> subscription;
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (closed_ || subscribers_.size() >= limits_.maxSubscribers) return nullptr;
    subscription =
        std::make_unique<EventSubscription>(EventSubscription::Key(), *this, std::move(pathPrefix));
    if (lastEventId) Replay(*subscription, *lastEventId);
    subscribers_.insert(subscription.get());
  }
  changed_.notify_all();
  return subscription;
}

void EventHub::Close() {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    closed_ = true;
    for (EventSubscription* subscriber : subscribers_) subscriber->ended_ = true;
  }
  changed_.notify_all();
}

void EventHub::Remove(EventSubscription* subscription) {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    subscribers_.erase(subscription);
  }
  changed_.notify_all();
}

size_t EventHub::SubscriberCount() const {
  const std::lock_guard<std::mutex> lock(mutex_);
  return subscribers_.size();
}

size_t EventHub::OverflowCount() const {
  const std::lock_guard<std::mutex> lock(mutex_);
  return overflows_;
}

bool EventHub::WaitForSubscriberCount(size_t count, std::chrono::milliseconds timeout) const {
  std::unique_lock<std::mutex> lock(mutex_);
  return changed_.wait_for(lock, timeout, [&] { return subscribers_.size() == count; });
}

}  // namespace kiv::host::gateway
