#include "host/gateway/polled_server.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>
#include <utility>

#include "host/gateway/socket_stream.h"

namespace kiv::host::gateway {
namespace {

// How long a worker waits for a keep-alive client's next request before
// parking the connection: long enough for a client that sends at once,
// short enough that a pausing one hardly holds the thread.
constexpr int kNextRequestMilliseconds = 50;

// Set by a handler on the serving thread; read after the answer is written.
thread_local bool gCloseAfterAnswer = false;
// The connection the thread serves, for handlers.
thread_local int gConnection = -1;

// Runs what the library's accepting thread hands over at once on that
// thread: adopting a connection only registers it with the poller.
class InlineQueue : public httplib::TaskQueue {
 public:
  void enqueue(std::function<void()> task) override { task(); }
  void shutdown() override {}
};

// What became of the wait for a keep-alive client's next request.
enum class Next { kHead, kPause, kClosed };

// Waits a moment for the client's next request and reads what came of it
// into `stream`: kHead once its head is whole, kPause when nothing or only
// part of a head came (the part stays buffered), kClosed when the client
// closed or the connection failed. Returns at the first bytes, so a client
// that sends half a head holds the worker no longer than a silent one.
Next AwaitNextHead(int fd, SocketStream& stream) {
  pollfd entry{fd, POLLIN, 0};
  if (poll(&entry, 1, kNextRequestMilliseconds) <= 0 || !(entry.revents & (POLLIN | POLLHUP))) {
    return Next::kPause;
  }
  switch (stream.ReadAvailable()) {
    case SocketStream::Arrival::kClosed:
      return Next::kClosed;
    case SocketStream::Arrival::kNone:
      return Next::kPause;
    case SocketStream::Arrival::kBytes:
      break;
  }
  return HeadComplete(stream.Buffered()) ? Next::kHead : Next::kPause;
}

}  // namespace

void CloseAfterAnswer() { gCloseAfterAnswer = true; }

void LimitSendBuffer(int bytes) {
  if (gConnection >= 0) setsockopt(gConnection, SOL_SOCKET, SO_SNDBUF, &bytes, sizeof bytes);
}

PolledServer::PolledServer(ConnectionLimits limits, std::chrono::milliseconds ioTimeout)
    : limits_(limits), ioTimeout_(ioTimeout) {
  new_task_queue = [] { return std::make_unique<InlineQueue>().release(); };
}

PolledServer::~PolledServer() { StopPolling(); }

bool PolledServer::StartPolling(std::string* error) {
  poller_ = ConnectionPoller::Start(
      limits_, [this](int fd, std::string carried) { ServeConnection(fd, std::move(carried)); },
      error);
  return poller_ != nullptr;
}

void PolledServer::StopPolling() {
  if (poller_) poller_->Stop();
}

void PolledServer::WidenBacklog() {
  // Listening again on a listening socket only changes its backlog.
  if (svr_sock_ != INVALID_SOCKET) ::listen(svr_sock_, SOMAXCONN);
}

bool PolledServer::process_and_close_socket(int fd) {
  if (!poller_) {
    ::close(fd);
    return false;
  }
  poller_->Adopt(fd);
  return true;
}

void PolledServer::ServeConnection(int fd, std::string carried) {
  SocketStream stream(fd, ioTimeout_, carried);
  gConnection = fd;
  for (;;) {
    gCloseAfterAnswer = false;
    bool clientCloses = false;
    const bool answered = process_request(stream, poller_->stopping(), clientCloses, nullptr);
    // The answer's last bytes may still be held (socket_stream.h); they go
    // out even when the library then gives up on the connection.
    const bool flushed = stream.Flush();
    if (!answered || !flushed) return poller_->Drop(fd);
    if (clientCloses || gCloseAfterAnswer || poller_->stopping()) return poller_->Close(fd);
    // Bytes of a pipelined request are already in the stream's buffer.
    if (stream.HasBuffered()) continue;
    switch (AwaitNextHead(fd, stream)) {
      case Next::kHead:
        continue;
      case Next::kPause:
        // The poller takes the start of a head that came, if any.
        return poller_->Park(fd, stream.Buffered());
      case Next::kClosed:
        return poller_->Drop(fd);
    }
  }
}

}  // namespace kiv::host::gateway
