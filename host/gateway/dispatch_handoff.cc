#include "host/gateway/dispatch_handoff.h"

#include <condition_variable>
#include <utility>

namespace kiv::host::gateway {
namespace {

// How often a waiting caller looks whether the handoff was closed meanwhile.
constexpr auto kClosedCheckInterval = std::chrono::milliseconds(100);

}  // namespace

// One handed-over piece of work. Whoever claims it first (the dispatch thread
// to run it, or its caller after Close to refuse it) decides its outcome.
struct DispatchHandoff::Pending {
  std::function<void()> work;
  std::mutex mutex;
  std::condition_variable done;
  bool claimed = false;
  bool finished = false;

  bool Claim() {
    const std::lock_guard<std::mutex> lock(mutex);
    if (claimed) return false;
    claimed = true;
    return true;
  }
  void Finish() {
    {
      const std::lock_guard<std::mutex> lock(mutex);
      finished = true;
    }
    done.notify_one();
  }
};

bool DispatchHandoff::Hand(std::function<void()> work) {
  if (closed_.load()) return false;
  auto pending = std::make_shared<Pending>();
  pending->work = std::move(work);
  host_.PostFromAnyThread("Gateway request", [pending] {
    if (!pending->Claim()) return;  // refused after Close meanwhile
    pending->work();
    pending->Finish();
  });
  std::unique_lock<std::mutex> lock(pending->mutex);
  while (!pending->done.wait_for(lock, kClosedCheckInterval, [&] { return pending->finished; })) {
    if (!closed_.load() || pending->claimed) continue;  // open, or already running
    pending->claimed = true;  // never to run: the dispatch thread may have stopped
    return false;
  }
  return true;
}

HostResponse DispatchHandoff::Request(HostRequest request) {
  HostResponse response;
  if (!Hand([this, &request, &response] {
        response = host_.Answer(request);
        // The answer is read on the HTTP thread, maybe while the plugin
        // shuts down: it takes its own copy here, on the dispatch thread.
        response.body = response.body.Clone();
      })) {
    HostResponse refused;
    refused.status = 503;
    refused.error = "The gateway is stopping";
    return refused;
  }
  return response;
}

void DispatchHandoff::Close() { closed_.store(true); }

}  // namespace kiv::host::gateway
