// socket_stream.h: one HTTP connection as the stream cpp-httplib reads
// requests from and writes answers to, over a non-blocking socket.
//
// Reads are buffered; a read or a write that cannot progress waits at most
// `timeout` and then fails (-1), so a client that stops reading or sending
// ends its connection instead of holding the thread forever. HasBuffered
// tells whether bytes of a next request were read already (a pipelining
// client), in which case the connection must be served on from this stream.
// The peer and local addresses are looked up once per stream.
//
// Not for: owning the socket (the caller closes it).
//
//   SocketStream stream(fd, std::chrono::seconds(5));
//   server.process_request(stream, false, closed, nullptr);
#pragma once

#include <httplib.h>

#include <array>
#include <chrono>
#include <cstddef>
#include <string>

namespace kiv::host::gateway {

class SocketStream : public httplib::Stream {
 public:
  SocketStream(int fd, std::chrono::milliseconds timeout) : fd_(fd), timeout_(timeout) {}

  bool is_readable() const override;
  bool is_writable() const override;
  ssize_t read(char* data, size_t size) override;
  ssize_t write(const char* data, size_t size) override;
  void get_remote_ip_and_port(std::string& ip, int& port) const override;
  void get_local_ip_and_port(std::string& ip, int& port) const override;
  int socket() const override { return fd_; }

  bool HasBuffered() const { return begin_ < end_; }
  /// A read or write failed or timed out: the connection is unusable.
  bool failed() const { return failed_; }

 private:
  // Waits up to the timeout for `events` (POLLIN or POLLOUT).
  bool WaitFor(short events) const;

  const int fd_;
  const std::chrono::milliseconds timeout_;
  std::array<char, 16 * 1024> buffer_;
  size_t begin_ = 0;
  size_t end_ = 0;
  bool failed_ = false;
  // Looked up on first use.
  mutable std::string remoteIp_;
  mutable int remotePort_ = -1;
  mutable std::string localIp_;
  mutable int localPort_ = -1;
};

}  // namespace kiv::host::gateway
