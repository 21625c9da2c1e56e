// event_hub.h: fans the events the plugin publishes out to the gateway's
// event-stream clients, each as a Server-Sent Events frame.
//
// The plugin announces each resource change twice: under the URI's own event
// name and under "OnJsonApiEvent" with a body of "uri", "eventType" and
// "data". The hub streams the second form once per change:
//
//   id: 12
//   event: Update
//   data: {"data":{...},"eventType":"Update","uri":"/kiv-probe/v1/x"}
//
// The per-URI copies are skipped. Any other event the plugin dispatches is
// streamed under its own name with its body as data (and only to clients that
// gave no path prefix). Frames are formatted once, on the dispatch thread,
// and shared by every subscriber.
//
// Ids grow by one per streamed event and start from the wall clock in
// milliseconds when the hub is made, so an id from an earlier run of the
// gateway is older than any of this run's.
//
// A subscription holds the frames not yet sent, at most `maxQueued`; a client
// that falls further behind gets its queue replaced by one last frame saying
// so, and then its stream ends:
//
//   event: overflow
//   data: {"reason":"...","maxQueued":4096}
//
// The hub keeps the last `history` frames. A subscriber that gives the id of
// the last event it received (a reconnecting client's Last-Event-ID) first
// gets the kept frames after it that match its prefix; when events after
// that id are no longer kept (or the id is from an earlier run), a frame
//
//   event: gap
//   data: {"reason":"...","firstKeptId":"57"}
//
// comes first. Neither of these two frames has an id, so a browser's
// Last-Event-ID stays that of the last event it received.
//
// Destroying a subscription unsubscribes it; Close ends every stream.
//
// Not for: HTTP itself (the server writes the frames; gateway.h).
//
//   EventHub hub({.maxSubscribers = 16, .maxQueued = 4096, .history = 1024});
//   host.SetEventObserver([&](const PublishedEvent& event) { hub.Publish(event); });
//   std::unique_ptr<EventSubscription> subscription = hub.Subscribe("/kiv-probe/", lastId);
//   std::string frames;
//   subscription->Next(frames, std::chrono::seconds(15));
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>

#include "host/plugin_host.h"

namespace kiv::host::gateway {

/// One event as a ready-to-send frame, and the path it concerns ("" for
/// events that are not resource changes).
struct EventFrame {
  std::string path;
  std::string text;
};

/// The frame of `event` without its "id:" line; nullopt for the per-URI
/// copies of resource events.
std::optional<EventFrame> FrameOfEvent(const PublishedEvent& event);

class EventHub;

class EventSubscription {
 public:
  enum class Wait { kFrames, kIdle, kEnded };

  /// Only EventHub::Subscribe makes subscriptions; the key keeps it so.
  class Key {
    friend class EventHub;
    Key() = default;
  };
  EventSubscription(Key, EventHub& hub, std::string prefix)
      : hub_(hub), prefix_(std::move(prefix)) {}
  ~EventSubscription();
  EventSubscription(const EventSubscription&) = delete;
  EventSubscription& operator=(const EventSubscription&) = delete;

  /// Waits up to `timeout` for frames and appends pending ones to `out`
  /// (kFrames), about 64 KB at most at a time. kIdle: nothing came. kEnded:
  /// the hub closed, or this client fell too far behind and has taken its
  /// last frame; the stream should end.
  Wait Next(std::string& out, std::chrono::milliseconds timeout);

 private:
  friend class EventHub;

  EventHub& hub_;
  const std::string prefix_;
  // Guarded by the hub's mutex.
  std::deque<std::shared_ptr<const std::string>> queued_;
  bool overflowed_ = false;  // ends once the queue (its last frame) is taken
  bool ended_ = false;
};

struct EventHubLimits {
  size_t maxSubscribers = 256;
  size_t maxQueued = 4096;
  /// Frames kept for reconnecting clients (at most maxQueued).
  size_t history = 1024;
};

class EventHub {
 public:
  explicit EventHub(EventHubLimits limits);
  /// Every subscription must be destroyed first.
  ~EventHub() = default;

  /// Dispatch thread: formats `event`, keeps it in the history and queues
  /// it for every subscriber whose path prefix it matches.
  void Publish(const PublishedEvent& event);
  /// Any thread. Null when the hub is closed or already has maxSubscribers.
  /// `pathPrefix` empty: every event. `lastEventId`: replay the kept events
  /// after it. The subscription must not outlive the hub.
  std::unique_ptr<EventSubscription> Subscribe(std::string pathPrefix,
                                               std::optional<uint64_t> lastEventId = {});
  /// Ends every stream and refuses new subscribers.
  void Close();

  size_t SubscriberCount() const;
  /// Streams ended so far because their client fell too far behind.
  size_t OverflowCount() const;
  /// Waits up to `timeout` until exactly `count` clients are subscribed.
  bool WaitForSubscriberCount(size_t count, std::chrono::milliseconds timeout) const;

 private:
  friend class EventSubscription;
  struct Kept {
    uint64_t id;
    std::string path;
    std::shared_ptr<const std::string> text;
  };
  void Remove(EventSubscription* subscription);
  // Queues the kept frames after `lastEventId` for `subscription`. Holds mutex_.
  void Replay(EventSubscription& subscription, uint64_t lastEventId);

  EventHubLimits limits_;
  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;
  std::set<EventSubscription*> subscribers_;
  std::deque<Kept> history_;
  size_t overflows_ = 0;
  uint64_t nextId_;
  bool closed_ = false;
};

}  // namespace kiv::host::gateway
