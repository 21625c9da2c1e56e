// dispatch_handoff.h: lets HTTP threads send requests to the plugin, which
// runs only on the host's dispatch thread.
//
// Request() posts the request to the host (PluginHost::PostFromAnyThread) and
// blocks the calling thread until the dispatch thread has answered it. The
// dispatch thread answers one request at a time, but a handler that waits
// (for a backend answer, a timer) pumps the host, and the pump runs the next
// requests meanwhile; so a waiting handler holds up only its own caller.
//
// Close() refuses new requests with 503, and so are those that have not
// started within a tenth of a second after it, so HTTP threads finish even
// when the dispatch thread has stopped. Requests already running finish.
//
// Not for: calls from the dispatch thread itself (they would wait forever).
//
//   DispatchHandoff handoff(host);
//   HostResponse response = handoff.Request(HostRequest::Make(KIV_METHOD_GET, "/x"));
//   handoff.Close();
#pragma once

#include <atomic>
#include <memory>

#include "host/host_request.h"
#include "host/host_response.h"
#include "host/plugin_host.h"

namespace kiv::host::gateway {

class DispatchHandoff {
 public:
  /// `host` must outlive this object.
  explicit DispatchHandoff(PluginHost& host) : host_(host) {}
  DispatchHandoff(const DispatchHandoff&) = delete;
  DispatchHandoff& operator=(const DispatchHandoff&) = delete;

  /// Any thread but the dispatch thread. The plugin's answer, or 503 "The
  /// gateway is stopping" when Close came before the request started.
  HostResponse Request(HostRequest request);
  /// Any thread; idempotent.
  void Close();

 private:
  struct Pending;

  PluginHost& host_;
  std::atomic<bool> closed_{false};
};

}  // namespace kiv::host::gateway
