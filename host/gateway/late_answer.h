// late_answer.h: an answer that the thread serving a connection leaves to
// another thread (the host's dispatch thread) to write, so that the serving
// thread neither waits for it nor is woken to send it.
//
// A handler gets one from AnswerLater (polled_server.h) and hands it on;
// whoever holds it then calls Send once, from any thread. Send writes the
// whole answer (status line, headers, Content-Length, body; no body for
// HEAD) in one send that does not wait; what the socket does not take at
// once goes out from a worker (`onWorker`), which waits up to the connection's
// I/O timeout.
//
// Meanwhile the serving thread goes on with the connection, waiting for the
// client's next request. It must not write, park or close the connection
// before the answer is out: Then hands it what is to happen next, run at
// once when the answer is out already, else by the thread that finishes
// it. Each step runs exactly once.
//
// Not for: answers with a streamed body.
//
//   auto late = std::make_shared<LateAnswer>(fd, false, false, timeout, runOnWorker);
//   ... (another thread) late->Send(response);
//   late->Then([](bool sent) { sent ? Park() : Drop(); });
#pragma once

#include <httplib.h>

#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

namespace kiv::host::gateway {

class LateAnswer : public std::enable_shared_from_this<LateAnswer> {
 public:
  /// Runs work on a worker thread (one that may wait).
  using OnWorker = std::function<void(std::function<void()> work)>;
  /// `head`: the request was a HEAD (no body is sent). `close`: the answer
  /// says the connection closes after it.
  LateAnswer(int fd, bool head, bool close, std::chrono::milliseconds timeout, OnWorker onWorker)
      : fd_(fd), head_(head), close_(close), timeout_(timeout), onWorker_(std::move(onWorker)) {}
  LateAnswer(const LateAnswer&) = delete;
  LateAnswer& operator=(const LateAnswer&) = delete;

  /// Once, from any thread; must be held by a shared_ptr.
  void Send(const httplib::Response& response);
  /// The serving thread, once: `next(sent)` runs when the answer is out
  /// (`sent`) or failed, at once if that is so already.
  void Then(std::function<void(bool sent)> next);
  /// Whether the answer is out already (`sent` set) or failed; the serving
  /// thread may then go on at once instead of calling Then.
  bool Settled(bool* sent);
  bool closes() const { return close_; }

 private:
  void Finish(bool sent);

  const int fd_;
  const bool head_;
  const bool close_;
  const std::chrono::milliseconds timeout_;
  const OnWorker onWorker_;
  std::mutex mutex_;
  bool settled_ = false;                 // guarded by mutex_
  bool sent_ = false;                    // guarded by mutex_
  std::function<void(bool sent)> next_;  // guarded by mutex_
};

/// The HTTP/1.1 bytes of `response`: status line, its headers, "Connection:
/// close" when `close`, Content-Length, then the body unless `head`.
std::string AnswerBytes(const httplib::Response& response, bool head, bool close);

}  // namespace kiv::host::gateway
