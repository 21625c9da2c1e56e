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
// What AnswerLater needs: the serving stream and server (null outside a
// worker's serving), and the late answer it made for the current request.
thread_local SocketStream* gStream = nullptr;
thread_local ConnectionPoller* gPoller = nullptr;
thread_local std::chrono::milliseconds gIoTimeout{0};
thread_local std::shared_ptr<LateAnswer> gLate;

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

std::shared_ptr<LateAnswer> AnswerLater(const httplib::Request& request) {
  if (!gStream || !gPoller || gLate) return nullptr;
  // As the library decides it, and as the worker then ends the connection.
  const std::string connection = request.get_header_value("Connection");
  const bool close = connection == "close" ||
                     (request.version == "HTTP/1.0" && connection != "Keep-Alive") ||
                     gCloseAfterAnswer || gPoller->stopping();
  ConnectionPoller* poller = gPoller;
  gLate = std::make_shared<LateAnswer>(
      gConnection, request.method == "HEAD", close, gIoTimeout,
      [poller](std::function<void()> work) { poller->RunOnWorker(std::move(work)); });
  gStream->DropAnswer();
  return gLate;
}

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
  gStream = &stream;
  gPoller = poller_.get();
  gIoTimeout = ioTimeout_;
  for (;;) {
    gCloseAfterAnswer = false;
    gLate.reset();
    bool clientCloses = false;
    const bool answered = process_request(stream, poller_->stopping(), clientCloses, nullptr);
    // The answer's last bytes may still be held (socket_stream.h); they go
    // out even when the library then gives up on the connection.
    const bool flushed = stream.Flush();
    const std::shared_ptr<LateAnswer> late = std::move(gLate);
    End end = End::kKeep;
    if (!answered || !flushed) {
      end = End::kDrop;
    } else if (clientCloses || gCloseAfterAnswer || poller_->stopping() ||
               (late && late->closes())) {
      end = End::kClose;
    }
    if (!AfterAnswer(fd, stream, end, late)) break;
  }
  gStream = nullptr;
  gPoller = nullptr;
}

bool PolledServer::AfterAnswer(int fd, SocketStream& stream, End end,
                               const std::shared_ptr<LateAnswer>& late) {
  ConnectionPoller& poller = *poller_;
  // Once the late answer, if any, is out: `next` runs then, on whichever
  // thread finishes it (a failed one drops the connection).
  const auto once = [&](std::function<void()> next) {
    if (!late) return next();
    late->Then([&poller, fd, next = std::move(next)](bool sent) {
      if (sent) return next();
      poller.Drop(fd);
    });
  };
  if (end == End::kDrop) {
    once([&poller, fd] { poller.Drop(fd); });
    return false;
  }
  if (end == End::kClose) {
    once([&poller, fd] { poller.Close(fd); });
    return false;
  }
  // Bytes of a pipelined request are already in the stream's buffer; else
  // the worker waits a moment for the next one (the late answer usually
  // goes out meanwhile).
  if (!stream.HasBuffered()) {
    switch (AwaitNextHead(fd, stream)) {
      case Next::kHead:
        break;
      case Next::kPause:
        // The poller takes the start of a head that came, if any.
        once([&poller, fd, carried = std::string(stream.Buffered())] { poller.Park(fd, carried); });
        return false;
      case Next::kClosed:
        once([&poller, fd] { poller.Drop(fd); });
        return false;
    }
  }
  bool sent = true;
  if (!late || (late->Settled(&sent) && sent)) return true;
  if (!sent) {
    poller.Drop(fd);
    return false;
  }
  // The next request came before the late answer was out (a pipelining
  // client): a worker serves it once the answer is out.
  once([this, fd, carried = std::string(stream.Buffered())] {
    poller_->RunOnWorker(
        [this, fd, carried]() mutable { ServeConnection(fd, std::move(carried)); });
  });
  return false;
}

}  // namespace kiv::host::gateway
