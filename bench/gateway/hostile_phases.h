// hostile_phases.h: load phases of gateway_load with clients that misbehave:
// a crowd of idle and half-sent connections, bodies declared far too large,
// and event readers that read too slowly. Each phase is bounded in count and
// time and measures what a well-behaved client sees meanwhile.
#pragma once

#include <cstddef>
#include <string>

#include "host/gateway/gateway.h"

namespace kiv::bench {

struct CrowdFigures {
  size_t crowd = 0;     // idle plus half-sent connections held open
  size_t requests = 0;  // each on a fresh connection
  size_t failed = 0;
  double p50Ms = 0;
  double maxMs = 0;
};

/// Opens `idle` connections that send nothing and `halfSent` that stop
/// inside their headers, then times `requests` GETs of `target`.
CrowdFigures MeasureUnderCrowd(host::gateway::Gateway& gateway, const std::string& target,
                               size_t idle, size_t halfSent, size_t requests);

struct OversizedFigures {
  size_t tries = 0;
  size_t wrong = 0;  // anything but a 413 within the bound
  double p50Ms = 0;
  double maxMs = 0;
};

/// Declares a 100 MB body `tries` times and times the 413.
OversizedFigures MeasureOversizedBody(host::gateway::Gateway& gateway, size_t tries);

struct SlowReaderFigures {
  size_t readers = 0;
  size_t endedWithOverflow = 0;  // cut off, the last event telling why
  size_t endedOtherwise = 0;
  size_t stillOpen = 0;  // keeping up at the end
  size_t published = 0;
  size_t failed = 0;  // publications or other requests that failed
  double publishP50Ms = 0, publishP99Ms = 0, publishMaxMs = 0;
  double otherP50Ms = 0, otherP99Ms = 0, otherMaxMs = 0;
  double seconds = 0;
};

/// Opens `readers` event streams that read 2 KB each every 10 ms, publishes
/// `events` events of `eventBytes` through the probe, and times the
/// publications and another client's GETs of `target` meanwhile.
SlowReaderFigures MeasureSlowReaders(host::gateway::Gateway& gateway, const std::string& target,
                                     size_t readers, size_t events, size_t eventBytes);

}  // namespace kiv::bench
