// socket_stream.h: one HTTP connection as the stream cpp-httplib reads
// requests from and writes answers to, over a non-blocking socket.
//
// Reads are buffered; a read or a write that cannot progress waits at most
// `timeout` and then fails (-1), so a client that stops reading or sending
// ends its connection instead of holding the thread forever. HasBuffered
// tells whether bytes of a next request were read already (a pipelining
// client), in which case the connection must be served on from this stream.
// Between requests, ReadAvailable takes what has arrived without waiting,
// so the caller can look at the next head (Buffered) before serving it.
// The peer and local addresses are looked up once per stream.
//
// Writes are coalesced: the first write after a read (an answer's status
// line and headers, or a "100 Continue") is held, when it is small, and goes
// out in one send together with the next write (the body, or the first
// chunk). Held bytes are sent before any read that goes to the socket and
// before any wait for the client to send; the caller sends what is still
// held with Flush once an answer ends (an answer without a body has only
// its head). So one answer costs one send and reaches the client whole.
//
// Not for: owning the socket (the caller closes it).
//
//   SocketStream stream(fd, std::chrono::seconds(5));
//   server.process_request(stream, false, closed, nullptr);
//   if (!stream.Flush()) ...;  // the connection failed
#pragma once

#include <httplib.h>

#include <array>
#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>

namespace kiv::host::gateway {

class SocketStream : public httplib::Stream {
 public:
  /// `carried`: bytes of the connection read already, read first (at most
  /// the buffer's size, 16 KiB).
  SocketStream(int fd, std::chrono::milliseconds timeout, std::string_view carried = {});

  bool is_readable() const override;
  bool is_writable() const override;
  ssize_t read(char* data, size_t size) override;
  ssize_t write(const char* data, size_t size) override;
  void get_remote_ip_and_port(std::string& ip, int& port) const override;
  void get_local_ip_and_port(std::string& ip, int& port) const override;
  int socket() const override { return fd_; }

  bool HasBuffered() const { return begin_ < end_; }
  /// The bytes read and not yet taken.
  std::string_view Buffered() const { return {buffer_.data() + begin_, end_ - begin_}; }
  enum class Arrival { kBytes, kNone, kClosed };
  /// Appends what the client has sent to the buffered bytes, without
  /// waiting: kNone when nothing had come (or the buffer is full), kClosed
  /// when the client closed its side or the connection failed.
  Arrival ReadAvailable();
  /// Sends the held write, if any; false when the connection failed.
  bool Flush();
  /// A read or write failed or timed out: the connection is unusable.
  bool failed() const { return failed_; }

 private:
  // Waits up to the timeout for `events` (POLLIN or POLLOUT).
  bool WaitFor(short events) const;
  // Sends the held bytes followed by `size` bytes at `data`; false (and
  // failed_ set) when the connection failed.
  bool SendHeldAnd(const char* data, size_t size) const;

  // The largest write that is held back.
  static constexpr size_t kHeldBytes = 4 * 1024;

  const int fd_;
  const std::chrono::milliseconds timeout_;
  std::array<char, 16 * 1024> buffer_;
  size_t begin_ = 0;
  size_t end_ = 0;
  // Mutable like the held write: is_readable, although const, sends what is
  // held before it waits.
  mutable bool failed_ = false;
  mutable std::array<char, kHeldBytes> held_;
  mutable size_t heldSize_ = 0;
  // Whether the next write may be held: set by each read.
  bool holdNext_ = true;
  // Looked up on first use.
  mutable std::string remoteIp_;
  mutable int remotePort_ = -1;
  mutable std::string localIp_;
  mutable int localPort_ = -1;
};

}  // namespace kiv::host::gateway
