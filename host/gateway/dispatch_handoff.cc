#include "host/gateway/dispatch_handoff.h"

#include <linux/futex.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <utility>

namespace kiv::host::gateway {
namespace {

// How often a waiting caller looks whether the handoff was closed meanwhile.
constexpr auto kClosedCheckInterval = std::chrono::milliseconds(100);

// Sleeps while `*word` holds `expected`, at most `timeout`; returns early on
// a wake-up, a signal, or at once when the word already changed.
void FutexWait(std::atomic<uint32_t>& word, uint32_t expected, std::chrono::nanoseconds timeout) {
  // The timeout as the futex call takes it: two longs on x86-64 and i386
  // alike, whatever width the C library gives time_t.
  struct {
    long seconds;
    long nanoseconds;
  } const relative{static_cast<long>(timeout.count() / 1'000'000'000),
                   static_cast<long>(timeout.count() % 1'000'000'000)};
  static_assert(sizeof(std::atomic<uint32_t>) == sizeof(uint32_t));
  syscall(SYS_futex, reinterpret_cast<uint32_t*>(&word), FUTEX_WAIT_PRIVATE, expected, &relative,
          nullptr, 0);
}

void FutexWakeOne(std::atomic<uint32_t>& word) {
  syscall(SYS_futex, reinterpret_cast<uint32_t*>(&word), FUTEX_WAKE_PRIVATE, 1, nullptr, nullptr,
          0);
}

}  // namespace

// One handed-over request, shared by its caller and the work posted to the
// dispatch thread. Whoever moves it out of kQueued first (the dispatch
// thread to run it, or its caller after Close to refuse it) decides its
// outcome. The caller sleeps on `state` itself, and the dispatch thread wakes
// it only when it does sleep: no lock is taken on either side.
struct DispatchHandoff::Pending {
  enum : uint32_t { kQueued, kRunning, kFinished, kRefused };

  Pending(PluginHost& host, HostRequest request) : host(host), request(std::move(request)) {}

  PluginHost& host;
  const HostRequest request;
  HostResponse response;  // written by the dispatch thread before kFinished
  std::atomic<uint32_t> state{kQueued};
  std::atomic<bool> callerSleeps{false};

  // Dispatch thread.
  void Run() {
    uint32_t queued = kQueued;
    if (!state.compare_exchange_strong(queued, kRunning)) return;  // refused after Close
    response = host.Answer(request);
    // The answer is read on the HTTP thread, maybe while the plugin shuts
    // down: it takes its own copy here, on the dispatch thread.
    response.body = response.body.Clone();
    state.store(kFinished);
    if (callerSleeps.load()) FutexWakeOne(state);
  }

  // The caller: true once answered, false when refused because `closed`.
  bool Await(const std::atomic<bool>& closed) {
    for (;;) {
      uint32_t now = state.load();
      if (now == kFinished) return true;
      if (now == kQueued && closed.load()) {
        // Never to run: the dispatch thread may have stopped.
        if (state.compare_exchange_strong(now, kRefused)) return false;
        continue;
      }
      // Announced before the state is looked at again, so the dispatch
      // thread either sees the announcement or the sleep finds kFinished.
      callerSleeps.store(true);
      now = state.load();
      if (now != kFinished) FutexWait(state, now, kClosedCheckInterval);
    }
  }
};

HostResponse DispatchHandoff::Request(HostRequest request) {
  if (!closed_.load()) {
    auto pending = std::make_shared<Pending>(host_, std::move(request));
    host_.PostFromAnyThread("Gateway request", [pending] { pending->Run(); });
    if (pending->Await(closed_)) return std::move(pending->response);
  }
  HostResponse refused;
  refused.status = 503;
  refused.error = "The gateway is stopping";
  return refused;
}

void DispatchHandoff::Close() { closed_.store(true); }

}  // namespace kiv::host::gateway
