#include "host/gateway/dispatch_handoff.h"

#include <condition_variable>
#include <utility>

#include "host/route_table.h"

namespace kiv::host::gateway {

// One handed-over piece of work. Whoever claims it first (the dispatch thread
// to run it, or Close to refuse it) decides its outcome.
struct DispatchHandoff::Pending {
  std::function<void()> work;
  std::mutex mutex;
  std::condition_variable done;
  bool claimed = false;
  bool finished = false;
  bool ran = false;

  bool Claim() {
    const std::lock_guard<std::mutex> lock(mutex);
    if (claimed) return false;
    claimed = true;
    return true;
  }
  void Finish(bool didRun) {
    {
      const std::lock_guard<std::mutex> lock(mutex);
      finished = true;
      ran = didRun;
    }
    done.notify_one();
  }
  bool Wait() {
    std::unique_lock<std::mutex> lock(mutex);
    done.wait(lock, [this] { return finished; });
    return ran;
  }
};

bool DispatchHandoff::Hand(const std::shared_ptr<Pending>& pending, std::string label) {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (closed_) return false;
    pending_.insert(pending);
  }
  host_.PostFromAnyThread(std::move(label), [pending] {
    if (!pending->Claim()) return;  // refused by Close meanwhile
    pending->work();
    pending->work = nullptr;
    pending->Finish(true);
  });
  const bool ran = pending->Wait();
  const std::lock_guard<std::mutex> lock(mutex_);
  pending_.erase(pending);
  return ran;
}

HostResponse DispatchHandoff::Request(HostRequest request) {
  HostResponse response;
  auto pending = std::make_shared<Pending>();
  std::string label = "Gateway request: ";
  label += MethodName(request.method);
  label += " " + request.url;
  pending->work = [this, &request, &response] { response = host_.Answer(request); };
  if (!Hand(pending, std::move(label))) {
    HostResponse refused;
    refused.status = 503;
    refused.error = "The gateway is stopping";
    return refused;
  }
  return response;
}

bool DispatchHandoff::Run(std::function<void()> work) {
  auto pending = std::make_shared<Pending>();
  pending->work = std::move(work);
  return Hand(pending, "Gateway work");
}

void DispatchHandoff::Close() {
  std::set<std::shared_ptr<Pending>> refused;
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    closed_ = true;
    refused = pending_;
  }
  for (const auto& pending : refused) {
    if (pending->Claim()) pending->Finish(false);
  }
}

}  // namespace kiv::host::gateway
