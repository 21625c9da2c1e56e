#include "host/gateway/polled_server.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <string_view>

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

// True when a whole next request head arrives within the wait.
bool NextHeadArrives(int fd) {
  pollfd entry{fd, POLLIN, 0};
  if (poll(&entry, 1, kNextRequestMilliseconds) <= 0 || !(entry.revents & POLLIN)) return false;
  std::array<char, kMaxHeadBytes> head;
  const ssize_t got = recv(fd, head.data(), head.size(), MSG_PEEK | MSG_DONTWAIT);
  return got > 0 && HeadComplete(std::string_view(head.data(), static_cast<size_t>(got)));
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
      limits_, [this](int fd) { ServeConnection(fd); }, error);
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

void PolledServer::ServeConnection(int fd) {
  SocketStream stream(fd, ioTimeout_);
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
    if (!stream.HasBuffered() && !NextHeadArrives(fd)) return poller_->Park(fd);
  }
}

}  // namespace kiv::host::gateway
