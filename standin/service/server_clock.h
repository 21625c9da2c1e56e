// server_clock.h: the stand-in service's time: server milliseconds that
// follow the host's clock (virtual in tests and fast runs, real otherwise)
// from an epoch, and work scheduled at a server time through the host's
// queue.
//
// Not for: the plugin's own timers; they run on the same host clock.
//
//   ServerClock clock(host, Iso8601("2026-06-01T18:00:00Z"));
//   clock.At(clock.NowMs() + 60'000, "match start", [] { ... });
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "host/neighbour.h"

namespace kiv::standin {

class ServerClock {
 public:
  /// Server time `epochMs` is now; `context` must outlive the clock.
  ServerClock(host::NeighbourContext& context, int64_t epochMs);
  ~ServerClock() { *alive_ = false; }
  ServerClock(const ServerClock&) = delete;
  ServerClock& operator=(const ServerClock&) = delete;

  int64_t NowMs() const;
  int64_t epochMs() const { return epochMs_; }
  /// Runs `work` on the host's queue at server time `serverMs` (at once when
  /// that has passed); equal times run in scheduling order. Work still queued
  /// when the clock is destroyed does nothing when its time comes.
  void At(int64_t serverMs, std::string label, std::function<void()> work);
  /// Runs `work` once everything queued so far has run.
  void Soon(std::string label, std::function<void()> work);

 private:
  host::NeighbourContext& context_;
  int64_t epochMs_;
  int64_t startNanoseconds_;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

/// Server milliseconds of an ISO 8601 UTC time "YYYY-MM-DDTHH:MM:SS[Z]";
/// nullopt when malformed.
std::optional<int64_t> ParseUtcTime(std::string_view text);
/// "YYYY-MM-DD HH:MM:SS" of server milliseconds (UTC).
std::string FormatUtcTime(int64_t serverMs);

}  // namespace kiv::standin
