// connection_poller.h: holds the gateway's connections while no request is
// in progress, so an idle or half-sent connection costs a file descriptor
// but no thread.
//
// A connection waits in an epoll set until the head of a request (request
// line and headers, up to the blank line) has arrived whole; only then is it
// handed to a worker thread (`serve`), which answers and gives it back with
// Park when the client pauses, or ends it with Close. So a worker never waits
// for a client to finish its headers. A worker that already read the start
// of the next head parks the connection with those bytes; they count toward
// the head and are handed back with it.
//
// Limits (ConnectionLimits):
//  - a new connection must send a whole request head within `headerTimeout`;
//    a parked one may stay silent `idleTimeout`, and once the next head has
//    begun it too must be whole within `headerTimeout`. Past the limit the
//    connection is closed, with a 408 unless it was a parked idle one;
//  - a head larger than kMaxHeadBytes gets 431 and is closed;
//  - at most `maxConnections` are open (parked, waiting or being served);
//    a new one past that gets a short 503 and is closed at once.
// Close shuts the sending side and reads what the client still sends for a
// moment before closing, so the client reads the answer rather than a reset.
//
// Time limits are on the real clock: a virtual run's clock (host_clock.h)
// may stand still or leap hours ahead while the clients' time goes on.
//
// Threads: Adopt from the accepting thread; Park, Close and Drop from the
// worker serving the connection; one epoll thread; `workers` threads run
// `serve`. Stop closes parked connections, then waits for the workers.
//
//   auto poller = ConnectionPoller::Start(limits, [&](int fd) { ...; poller->Park(fd); }, &error);
//   poller->Adopt(accepted);
#pragma once

#include <httplib.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <unordered_map>

namespace kiv::host::gateway {

struct ConnectionLimits {
  size_t maxConnections = 1024;
  size_t workers = 64;
  std::chrono::milliseconds headerTimeout{2000};
  std::chrono::milliseconds idleTimeout{30000};
};

/// The largest request head (request line and headers) accepted.
inline constexpr size_t kMaxHeadBytes = 16 * 1024;

/// True when `bytes`, the start of what a client sent, hold a whole request
/// head (they contain the blank line that ends it).
bool HeadComplete(std::string_view bytes);

class ConnectionPoller {
 public:
  /// Serves the connection `fd` on a worker, `carried` being the start of
  /// its request that was read already; must end with Park, Close or Drop.
  using Serve = std::function<void(int fd, std::string carried)>;

  /// Null with `error` set when epoll cannot be set up. `maxConnections` is
  /// lowered to what the process's file-descriptor limit allows (the soft
  /// limit is raised toward the hard one first).
  static std::unique_ptr<ConnectionPoller> Start(ConnectionLimits limits, Serve serve,
                                                 std::string* error);
  ~ConnectionPoller();
  ConnectionPoller(const ConnectionPoller&) = delete;
  ConnectionPoller& operator=(const ConnectionPoller&) = delete;

  /// Takes a freshly accepted connection (or refuses it past the limit).
  void Adopt(int fd);
  /// The connection waits for its next request; `carried`, when not empty,
  /// is the start of its head, read already (then the head's time limit
  /// applies, not the idle one); kMaxHeadBytes or more get 431.
  void Park(int fd, std::string_view carried = {});
  /// The connection ends after its last answer (lingering close).
  void Close(int fd);
  /// The connection failed: closed at once.
  void Drop(int fd);
  /// Idempotent. Serving workers finish; parked connections are closed.
  void Stop();

  bool stopping() const { return stopping_.load(); }
  size_t OpenCount() const { return open_.load(); }
  /// Waits up to `timeout` until exactly `count` connections are open.
  bool WaitForOpenCount(size_t count, std::chrono::milliseconds timeout) const;
  size_t maxConnections() const { return limits_.maxConnections; }

  /// Use Start; the key keeps construction to it.
  class Key {
    friend class ConnectionPoller;
    Key() = default;
  };
  ConnectionPoller(Key, ConnectionLimits limits, Serve serve, int epoll, int wake);

 private:
  enum class State { kNew, kParked, kHead, kDraining };
  struct Waiting {
    State state;
    int64_t deadline;     // RealMonotonicNow() nanoseconds
    std::string carried;  // the start of the head, already read
  };

  void Run();
  void OnReadable(int fd);
  void ExpireOverdue();
  void Watch(int fd, State state, int64_t deadline, std::string_view carried = {});
  // Removes `fd` from the set; false when it was not there. Holds mutex_.
  bool Unwatch(int fd);
  void CloseNow(int fd);
  void CountOpen(bool opened);

  const ConnectionLimits limits_;
  const Serve serve_;
  const int epoll_;
  const int wake_;
  std::atomic<bool> stopping_{false};
  std::atomic<size_t> open_{0};
  mutable std::mutex countMutex_;
  mutable std::condition_variable countChanged_;
  std::mutex mutex_;
  std::unordered_map<int, Waiting> waiting_;  // guarded by mutex_
  httplib::ThreadPool workers_;
  std::thread thread_;
  bool stopped_ = false;  // guarded by mutex_
};

}  // namespace kiv::host::gateway
