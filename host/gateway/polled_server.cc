#include "host/gateway/polled_server.h"

#include <errno.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
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
// Whether the thread serves the request inline (on an InlineLane's thread).
thread_local bool gInline = false;

// A request read whole already, answered into memory: what an InlineLane
// serves. Reading past the request's bytes fails (a lane takes only
// requests whose head came whole and that have no body), and so nothing
// ever waits for the client.
class HeldExchange : public httplib::Stream {
 public:
  HeldExchange(int fd, std::string_view request) : fd_(fd), request_(request) {
    answer_.reserve(1024);
  }

  bool is_readable() const override { return taken_ < request_.size(); }
  bool is_writable() const override { return true; }
  ssize_t read(char* data, size_t size) override {
    if (taken_ == request_.size()) return -1;
    const size_t count = std::min(size, request_.size() - taken_);
    std::memcpy(data, request_.data() + taken_, count);
    taken_ += count;
    return static_cast<ssize_t>(count);
  }
  ssize_t write(const char* data, size_t size) override {
    answer_.append(data, size);
    return static_cast<ssize_t>(size);
  }
  void get_remote_ip_and_port(std::string& ip, int& port) const override {
    SocketAddress(fd_, true, ip, port);
  }
  void get_local_ip_and_port(std::string& ip, int& port) const override {
    SocketAddress(fd_, false, ip, port);
  }
  int socket() const override { return fd_; }

  /// What came after the request.
  std::string_view Rest() const { return request_.substr(taken_); }
  std::string_view Answer() const { return answer_; }

 private:
  const int fd_;
  const std::string_view request_;
  size_t taken_ = 0;
  std::string answer_;
};

// Sends what the socket takes of `bytes` without waiting: how many bytes
// went, or -1 when the connection failed.
ssize_t SendWithoutWaiting(int fd, std::string_view bytes) {
  size_t sent = 0;
  while (sent < bytes.size()) {
    const ssize_t wrote =
        send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (wrote >= 0) {
      sent += static_cast<size_t>(wrote);
      continue;
    }
    if (errno == EINTR) continue;
    if (errno == EAGAIN || errno == EWOULDBLOCK) break;
    return -1;
  }
  return static_cast<ssize_t>(sent);
}

// Runs what the library's accepting thread hands over at once on that
// thread: adopting a connection only registers it with the poller.
class InlineQueue : public httplib::TaskQueue {
 public:
  void enqueue(std::function<void()> task) override { task(); }
  void shutdown() override {}
};

// What became of the wait for a keep-alive client's next request.
enum class NextHead { kHead, kPause, kClosed };

// Waits a moment for the client's next request and reads what came of it
// into `stream`: kHead once its head is whole, kPause when nothing or only
// part of a head came (the part stays buffered), kClosed when the client
// closed or the connection failed. Returns at the first bytes, so a client
// that sends half a head holds the worker no longer than a silent one.
NextHead AwaitNextHead(int fd, SocketStream& stream) {
  pollfd entry{fd, POLLIN, 0};
  if (poll(&entry, 1, kNextRequestMilliseconds) <= 0 || !(entry.revents & (POLLIN | POLLHUP))) {
    return NextHead::kPause;
  }
  switch (stream.ReadAvailable()) {
    case SocketStream::Arrival::kClosed:
      return NextHead::kClosed;
    case SocketStream::Arrival::kNone:
      return NextHead::kPause;
    case SocketStream::Arrival::kBytes:
      break;
  }
  return HeadComplete(stream.Buffered()) ? NextHead::kHead : NextHead::kPause;
}

}  // namespace

void CloseAfterAnswer() { gCloseAfterAnswer = true; }

bool ServingInline() { return gInline; }

void LimitSendBuffer(int bytes) {
  if (gConnection >= 0) setsockopt(gConnection, SOL_SOCKET, SO_SNDBUF, &bytes, sizeof bytes);
}

PolledServer::PolledServer(ConnectionLimits limits, std::chrono::milliseconds ioTimeout)
    : limits_(limits), ioTimeout_(ioTimeout) {
  new_task_queue = [] { return std::make_unique<InlineQueue>().release(); };
}

PolledServer::~PolledServer() { StopPolling(); }

bool PolledServer::StartPolling(std::string* error, InlineLane lane) {
  lane_ = std::move(lane);
  ConnectionPoller::Divert divert;
  if (lane_.takes && lane_.post) {
    divert = [this](int fd, std::string& carried) {
      if (!lane_.takes(carried)) return false;
      lane_.post([this, fd, bytes = std::move(carried)](bool run) mutable {
        if (run) return ServeInline(fd, std::move(bytes));
        poller_->RunOnWorker([this, fd, bytes = std::move(bytes)]() mutable {
          ServeConnection(fd, std::move(bytes));
        });
      });
      return true;
    };
  }
  poller_ = ConnectionPoller::Start(
      limits_, [this](int fd, std::string carried) { ServeConnection(fd, std::move(carried)); },
      error, std::move(divert));
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
  ServeFrom(fd, stream);
}

void PolledServer::ServeFrom(int fd, SocketStream& stream) {
  gConnection = fd;
  for (;;) {
    gCloseAfterAnswer = false;
    bool clientCloses = false;
    const bool answered = process_request(stream, poller_->stopping(), clientCloses, nullptr);
    // The answer's last bytes may still be held (socket_stream.h); they go
    // out even when the library then gives up on the connection.
    const bool flushed = stream.Flush();
    End end = End::kKeep;
    if (!answered || !flushed) {
      end = End::kDrop;
    } else if (clientCloses || gCloseAfterAnswer || poller_->stopping()) {
      end = End::kClose;
    }
    if (!AfterAnswer(fd, stream, end)) return;
  }
}

bool PolledServer::AfterAnswer(int fd, SocketStream& stream, End end) {
  if (end == End::kDrop) {
    poller_->Drop(fd);
    return false;
  }
  if (end == End::kClose) {
    poller_->Close(fd);
    return false;
  }
  // Bytes of a pipelined request are already in the stream's buffer.
  if (stream.HasBuffered()) return true;
  switch (AwaitNextHead(fd, stream)) {
    case NextHead::kHead:
      return true;
    case NextHead::kPause:
      // The poller takes the start of a head that came, if any.
      poller_->Park(fd, stream.Buffered());
      return false;
    case NextHead::kClosed:
      poller_->Drop(fd);
      return false;
  }
  return false;
}

void PolledServer::ServeInline(int fd, std::string bytes) {
  // A handler that waits pumps the dispatch thread, which may serve another
  // request inline meanwhile: the thread's marks are put back afterwards.
  const int outerConnection = gConnection;
  const bool outerClose = gCloseAfterAnswer;
  const bool outerInline = gInline;
  gConnection = fd;
  gCloseAfterAnswer = false;
  gInline = true;
  HeldExchange exchange(fd, bytes);
  bool clientCloses = false;
  const bool answered = process_request(exchange, poller_->stopping(), clientCloses, nullptr);
  End end = End::kKeep;
  if (!answered) {
    end = End::kDrop;
  } else if (clientCloses || gCloseAfterAnswer || poller_->stopping()) {
    end = End::kClose;
  }
  gConnection = outerConnection;
  gCloseAfterAnswer = outerClose;
  gInline = outerInline;

  const std::string_view answer = exchange.Answer();
  const ssize_t sent = SendWithoutWaiting(fd, answer);
  if (sent < 0 || end == End::kDrop) return poller_->Drop(fd);
  if (static_cast<size_t>(sent) < answer.size() || !exchange.Rest().empty()) {
    // The socket is full, or a next request came along: a worker, which may
    // wait, goes on.
    return poller_->RunOnWorker([this, fd, unsent = std::string(answer.substr(sent)),
                                 carried = std::string(exchange.Rest()), end]() mutable {
      FinishOnWorker(fd, std::move(unsent), std::move(carried), end);
    });
  }
  if (end == End::kClose) return poller_->Close(fd);
  poller_->Park(fd);
}

void PolledServer::FinishOnWorker(int fd, std::string unsent, std::string carried, End end) {
  SocketStream stream(fd, ioTimeout_, carried);
  if (!unsent.empty() && stream.write(unsent.data(), unsent.size()) < 0) return poller_->Drop(fd);
  if (!stream.Flush()) return poller_->Drop(fd);
  if (AfterAnswer(fd, stream, end)) ServeFrom(fd, stream);
}

}  // namespace kiv::host::gateway
