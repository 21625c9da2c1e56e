#include <cmath>
#include <vector>

#include "sdk/log/assertion.h"
#include "sdk/log/log_groups.h"
#include "sdk/log/log_level.h"
#include "sdk/log/logger.h"
#include "sdk/runtime/app_module.h"
#include "sdk/runtime/timers.h"

namespace kiv {
namespace {

constexpr uint64_t kTimerLogGroups = kGroupDbg | kGroupNet;  // 65

int64_t NowNanoseconds() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

SteadyTime FromNanoseconds(int64_t nanoseconds) {
  return SteadyTime(
      std::chrono::duration_cast<SteadyTime::duration>(std::chrono::nanoseconds(nanoseconds)));
}

int64_t IntervalNanoseconds(double seconds) {
  return static_cast<int64_t>(std::llround(seconds * 1e9));
}

// Records of modules that were destroyed while the host still held them; a
// late firing finds no module and does nothing. They are freed when the
// library is unloaded: no callback into it can arrive after that.
struct Orphans {
  std::mutex lock;
  std::vector<std::unique_ptr<void, void (*)(void*)>> records;
};

Orphans& OrphanRecords() {
  static Orphans orphans;
  return orphans;
}

}  // namespace

namespace runtime_internal {

void ReportFutureError(const FutureError& error) {
  FailAssertion("ALE-6D828C10",
                FormatMessage("Caught std::future_error in AppModule::Await: (%1) %2",
                              error.CodeValue(), error.Text()),
                "", 0, "");
}

}  // namespace runtime_internal

void Timers::ScheduleAt(const std::string& label, std::function<void()> function, SteadyTime due) {
  const int64_t delayNanoseconds =
      std::chrono::duration_cast<std::chrono::nanoseconds>(due.time_since_epoch()).count() -
      NowNanoseconds();
  const double delay = delayNanoseconds > 0 ? static_cast<double>(delayNanoseconds) * 1e-9 : 0.0;
  ScheduledCallback* record = nullptr;
  {
    std::lock_guard guard(timerLock_);
    auto owned = std::make_unique<ScheduledCallback>(
        ScheduledCallback{this, nextCallbackId_++, std::move(function)});
    record = owned.get();
    scheduled_[record->id] = std::move(owned);
  }
  module_.HostScheduleCallback(label.c_str(), &Timers::FireScheduled, record, delay);
}

void Timers::FireScheduled(void* userData) {
  auto* record = static_cast<ScheduledCallback*>(userData);
  Timers* timers = record ? record->timers : nullptr;
  if (!timers) return;
  // The function runs without the lock, so it may schedule further calls.
  record->function();
  std::unique_ptr<ScheduledCallback> done;
  {
    std::lock_guard guard(timers->timerLock_);
    auto found = timers->scheduled_.find(record->id);
    if (found != timers->scheduled_.end()) {
      done = std::move(found->second);
      timers->scheduled_.erase(found);
    }
  }
}

Timers::~Timers() {
  std::lock_guard guard(timerLock_);
  if (scheduled_.empty()) return;
  Orphans& orphans = OrphanRecords();
  std::lock_guard orphanGuard(orphans.lock);
  for (auto& [id, record] : scheduled_) {
    record->timers = nullptr;
    record->function = nullptr;
    orphans.records.emplace_back(record.release(), [](void* raw) {
      std::unique_ptr<ScheduledCallback>(static_cast<ScheduledCallback*>(raw)).reset();
    });
  }
  scheduled_.clear();
}

void Timers::SetTimer(const std::string& name, double intervalSeconds,
                      std::function<void()> function) {
  NamedTimer& timer = namedTimers_[name];
  timer.interval = intervalSeconds;
  timer.callback = std::move(function);
  timer.due = NowNanoseconds() + IntervalNanoseconds(intervalSeconds);
  timer.generation = ++lastGeneration_;
  ArmTimer(name, timer.due, timer.generation);
}

void Timers::KillTimer(const std::string& name) { namedTimers_.erase(name); }

void Timers::ArmTimer(const std::string& name, int64_t due, uint64_t generation) {
  ScheduleAt(
      FormatMessage("Timer: %1", name), [this, name, generation] { FireTimer(name, generation); },
      FromNanoseconds(due));
}

void Timers::FireTimer(const std::string& name, uint64_t generation) {
  auto found = namedTimers_.find(name);
  if (found == namedTimers_.end()) {
    Log(kLogWarn, kTimerLogGroups, "%s: Couldn't find timer named %s", module_.logName().c_str(),
        name.c_str());
    return;
  }
  if (found->second.generation != generation) return;  // set again; a newer firing is scheduled
  found->second.due = NowNanoseconds() + IntervalNanoseconds(found->second.interval);
  const int64_t due = found->second.due;
  // A copy: the callback may kill or reset its own timer.
  const std::function<void()> callback = found->second.callback;
  callback();
  found = namedTimers_.find(name);
  if (found != namedTimers_.end() && found->second.generation == generation) {
    ArmTimer(name, due, generation);
  }
}

void Timers::Yield() {
  BeginWait("Wait: yield");
  PumpOnce();
  EndWait();
}

void Timers::BeginWait(const char* label) { module_.HostBeginWait(label); }
void Timers::PumpOnce() { module_.HostPumpOnce(); }
void Timers::EndWait() { module_.HostEndWait(); }
bool Timers::HasHost() const { return module_.hostApi() != nullptr; }

}  // namespace kiv
