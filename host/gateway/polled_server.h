// polled_server.h: cpp-httplib's server with its connections held by a
// ConnectionPoller instead of a thread each.
//
// The library still accepts, parses requests, routes them and writes the
// answers; this class only changes who holds a connection between requests:
// the library's accepting thread hands each connection to the poller, and a
// worker serves it once a whole request head has arrived. After an answer
// the worker keeps the connection for a moment (a keep-alive client's next
// request usually follows at once) and otherwise parks it in the poller,
// with the start of a head that came meanwhile but not whole.
//
// A handler that answers without reading the request's body (such as a 413
// for a declared length over the limit) calls CloseAfterAnswer, so the
// unread body is never taken for the next request. Both handler-side calls
// act on the connection the calling thread serves.
//
// Not for: TLS.
//
//   PolledServer server(limits, std::chrono::seconds(5));
//   server.Get("/x", handler);
//   server.StartPolling(&error);
//   server.bind_to_any_port("127.0.0.1");
//   server.WidenBacklog();
//   server.listen_after_bind();   // until stop()
//   server.StopPolling();
#pragma once

#include <httplib.h>

#include <chrono>
#include <cstddef>
#include <memory>
#include <string>

#include "host/gateway/connection_poller.h"

namespace kiv::host::gateway {

/// Handler side: the connection closes once the current answer is written.
void CloseAfterAnswer();
/// Handler side: the kernel buffers at most about `bytes` of what this
/// connection has not yet taken (its own sizing would let a slow reader sit
/// on megabytes, and hide from the sender that it fell behind).
void LimitSendBuffer(int bytes);

class PolledServer : public httplib::Server {
 public:
  /// `ioTimeout` bounds each read and write once a request is being served.
  PolledServer(ConnectionLimits limits, std::chrono::milliseconds ioTimeout);
  ~PolledServer() override;

  /// Before listening. False with `error` set when the poller cannot start.
  bool StartPolling(std::string* error);
  /// After the listener ended: closes parked connections and waits for the
  /// ones being served. Idempotent.
  void StopPolling();
  /// After binding: lets the kernel queue as many new connections as it
  /// allows (the library listens with a backlog of 5, so a burst of clients
  /// would see their connection attempts dropped and retried seconds later).
  void WidenBacklog();

  size_t OpenConnections() const { return poller_ ? poller_->OpenCount() : 0; }
  bool WaitForOpenConnections(size_t count, std::chrono::milliseconds timeout) const {
    return poller_ && poller_->WaitForOpenCount(count, timeout);
  }

 private:
  bool process_and_close_socket(int fd) override;
  void ServeConnection(int fd, std::string carried);

  const ConnectionLimits limits_;
  const std::chrono::milliseconds ioTimeout_;
  std::unique_ptr<ConnectionPoller> poller_;
};

}  // namespace kiv::host::gateway
