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
  hub_.changed_.wait_for(lock, timeout, [this] { return ended_ || !queued_.empty(); });
  if (ended_) return Wait::kEnded;
  if (queued_.empty()) return Wait::kIdle;
  for (const auto& frame : queued_) out += *frame;
  queued_.clear();
  return Wait::kFrames;
}

void EventHub::Publish(const PublishedEvent& event) {
  if (SubscriberCount() == 0) return;
  auto frame = FrameOfEvent(event);  // formatted outside the lock
  if (!frame) return;
  std::unique_lock<std::mutex> lock(mutex_);
  const auto text =
      std::make_shared<const std::string>("id: " + std::to_string(nextId_++) + "\n" + frame->text);
  for (EventSubscription* subscriber : subscribers_) {
    if (subscriber->ended_) continue;
    const std::string& prefix = subscriber->prefix_;
    if (!prefix.empty() &&
        (frame->path.empty() || frame->path.compare(0, prefix.size(), prefix) != 0)) {
      continue;
    }
    if (subscriber->queued_.size() >= limits_.maxQueued) {
      subscriber->ended_ = true;  // too far behind: its stream ends
      subscriber->queued_.clear();
      continue;
    }
    subscriber->queued_.push_back(text);
  }
  lock.unlock();
  changed_.notify_all();
}

std::unique_ptr<EventSubscription> EventHub::Subscribe(std::string pathPrefix) {
  std::unique_ptr<EventSubscription> subscription;
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (closed_ || subscribers_.size() >= limits_.maxSubscribers) return nullptr;
    subscription =
        std::make_unique<EventSubscription>(EventSubscription::Key(), *this, std::move(pathPrefix));
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

bool EventHub::WaitForSubscriberCount(size_t count, std::chrono::milliseconds timeout) const {
  std::unique_lock<std::mutex> lock(mutex_);
  return changed_.wait_for(lock, timeout, [&] { return subscribers_.size() == count; });
}

}  // namespace kiv::host::gateway
