// dispatch_handoff.h: lets HTTP threads send requests to the plugin, which
// runs only on the host's dispatch thread.
//
// Request() posts the request to the host (PluginHost::PostFromAnyThread) and
// blocks the calling thread until the dispatch thread has answered it. The
// dispatch thread answers one request at a time, but a handler that waits
// (for a backend answer, a timer) pumps the host, and the pump runs the next
// requests meanwhile; so a waiting handler holds up only its own caller.
//
// Post(work) hands over work that answers on the dispatch thread itself
// (work(true) runs there) without any thread waiting for it.
//
// Close() refuses new requests with 503, and so are those that have not
// started within a tenth of a second after it, so HTTP threads finish even
// when the dispatch thread has stopped. Posted work that has not started by
// then runs as work(false) on the closing thread; Close returns once posted
// work that did start has finished. Requests already running finish.
//
// Not for: Request or Close from the dispatch thread inside posted work or a
// request (they would wait forever).
//
//   DispatchHandoff handoff(host);
//   HostResponse response = handoff.Request(HostRequest::Make(KIV_METHOD_GET, "/x"));
//   handoff.Close();
#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <list>
#include <memory>
#include <mutex>

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
  /// Any thread but the dispatch thread: runs `work(true)` on the dispatch
  /// thread, or `work(false)` when it will not run there: at once when
  /// closed already, else on the thread that closes the handoff.
  void Post(std::function<void(bool run)> work);
  /// Any thread; idempotent.
  void Close();

 private:
  struct Pending;
  struct Posted;

  void RunPosted(const std::shared_ptr<Posted>& posted);

  PluginHost& host_;
  std::atomic<bool> closed_{false};
  std::mutex postedMutex_;
  std::condition_variable postedChanged_;
  std::list<std::shared_ptr<Posted>> queued_;  // posted, not started; guarded by postedMutex_
  size_t running_ = 0;                         // posted work running; guarded by postedMutex_
};

}  // namespace kiv::host::gateway
