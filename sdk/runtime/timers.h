// timers.h: Timers, the module's scheduled callbacks, named timers and
// waiting, reached as `module.timers()`.
//
// `ScheduleAt` runs a function once at or after a time of the steady clock
// (the process's monotonic clock), through the host's scheduler. Named timers
// repeat every interval until killed or set again; setting a timer again
// silently retires its earlier firing (generations), and a firing of a timer
// that is gone logs "%s: Couldn't find timer named %s". `Await` lets the host
// run its pending work (further calls into the plugin included) inside one
// BeginWait/EndWait until a future is ready; a ready one costs no host call;
// a broken future is reported as "ALE-6D828C10" and aborts.
//
// Threads: ScheduleAt takes the timer lock, never held while anything else
// runs; named timers and waiting are used only from the host's calls.
//
// Not for: backend calls (service_proxy.h) or resource events.
//
//   module.timers().SetTimer("state-change-7", 12.5, [this] { RunPass(); });
//   auto answer = module.timers().Await(module.serviceProxy().CallService<bool>(...));
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>

#include "sdk/runtime/runtime_future.h"
#include "sdk/value/format_message.h"
#include "sdk/value/static_type.h"

namespace kiv {

class AppModule;

/// Times of the steady clock (the process's monotonic clock).
using SteadyTime = std::chrono::steady_clock::time_point;

namespace runtime_internal {
/// Reports a future that holds no value and aborts the process.
[[noreturn]] void ReportFutureError(const FutureError& error);
}  // namespace runtime_internal

class Timers {
 public:
  /// `module` is borrowed: the module owns its services.
  explicit Timers(AppModule& module) : module_(module) {}
  /// Orphans the one-shot records the host still holds: a late firing then
  /// finds no module and does nothing.
  ~Timers();
  Timers(const Timers&) = delete;
  Timers& operator=(const Timers&) = delete;

  /// Calls `function` once at or after `due`; `label` names it at the host.
  /// Thread-safe (the timer lock); `function` runs without that lock.
  void ScheduleAt(const std::string& label, std::function<void()> function, SteadyTime due);
  /// Calls `function` every `intervalSeconds` until killed or set again.
  void SetTimer(const std::string& name, double intervalSeconds, std::function<void()> function);
  /// Removes the named timer; its already scheduled firing logs that it is gone.
  void KillTimer(const std::string& name);
  /// True while the named timer is set (not yet killed).
  bool IsSet(const std::string& name) const { return namedTimers_.contains(name); }

  /// Lets the host run its pending work (including calls into this plugin)
  /// until `future` is ready, then returns its value.
  template <typename T>
  T Await(Future<T> future);
  /// As Await, but gives up at `deadline`: empty when the future was not
  /// ready by then. A one-shot callback at the deadline wakes the host's
  /// wait; it stays scheduled (and does nothing) when the future comes first.
  template <typename T>
  std::optional<T> AwaitUntil(Future<T> future, SteadyTime deadline);
  /// Lets the host run pending work once.
  void Yield();

  /// Forgets the named timers (the module is finalizing); scheduled one-shot
  /// records stay, since the host may still fire them.
  void Clear() { namedTimers_.clear(); }

 private:
  /// What the host holds for one scheduled call (its user data).
  struct ScheduledCallback {
    Timers* timers = nullptr;  ///< Null once the module is gone.
    uint64_t id = 0;
    std::function<void()> function;
  };
  struct NamedTimer {
    double interval = 0;
    std::function<void()> callback;
    int64_t due = 0;  ///< Nanoseconds on the steady clock.
    uint64_t generation = 0;
  };

  static void FireScheduled(void* record);
  /// The value of a ready future; a broken one is reported and aborts.
  template <typename T>
  static T TakeReady(Future<T> future) {
    FutureResult<T> result = std::move(future).Take();
    if (result.index() != 0) runtime_internal::ReportFutureError(std::get<1>(result));
    return std::move(std::get<0>(result));
  }
  void ArmTimer(const std::string& name, int64_t due, uint64_t generation);
  void FireTimer(const std::string& name, uint64_t generation);
  void BeginWait(const char* label);
  void PumpOnce();
  void EndWait();
  bool HasHost() const;

  AppModule& module_;
  std::mutex timerLock_;
  uint64_t nextCallbackId_ = 0;
  // Generations come from one counter for every name, so a timer killed and
  // set again never matches a firing scheduled before the kill.
  uint64_t lastGeneration_ = 0;
  std::unordered_map<uint64_t, std::unique_ptr<ScheduledCallback>> scheduled_;
  std::unordered_map<std::string, NamedTimer> namedTimers_;  ///< Unlocked.
};

template <typename T>
T Timers::Await(Future<T> future) {
  bool waited = false;
  // Without a host nothing could fulfil the future; it is then taken as it is.
  while (!future.IsReady() && HasHost()) {
    if (!waited) {
      BeginWait(FormatMessage("Wait: future<%1>", StaticType::Name<T>()).c_str());
      waited = true;
    }
    PumpOnce();
  }
  if (waited) EndWait();
  return TakeReady(std::move(future));
}

template <typename T>
std::optional<T> Timers::AwaitUntil(Future<T> future, SteadyTime deadline) {
  if (!future.IsReady() && HasHost()) {
    auto expired = std::make_shared<bool>(false);
    ScheduleAt(
        "Wait: deadline", [expired] { *expired = true; }, deadline);
    BeginWait(FormatMessage("Wait: future<%1>", StaticType::Name<T>()).c_str());
    while (!future.IsReady() && !*expired) PumpOnce();
    EndWait();
  }
  if (!future.IsReady()) return std::nullopt;
  return TakeReady(std::move(future));
}

}  // namespace kiv
