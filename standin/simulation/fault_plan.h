// fault_plan.h: how often the stand-in world misbehaves towards the plugin in
// a run, as chances per occasion drawn from one seed, so a run with faults is
// as repeatable as one without.
//
// Push faults apply to each notification delivered to the player behind the
// plugin; service faults to each call the plugin makes to the tournament
// service. A scenario file carries them under `faults:` (all chances 0 to 1,
// absent ones 0).
//
// Not for: applying them (faulty_service.h, faulty_pushes.h).
#pragma once

#include <cstdint>

namespace kiv::standin {

struct FaultPlan {
  uint64_t seed = 1;
  // Each push delivered to the player is, by these chances in this order:
  double pushDrop = 0;       // never delivered
  double pushDuplicate = 0;  // delivered twice
  double pushDelay = 0;      // held back and delivered after later ones
  double pushStale = 0;      // delivered, and an older one delivered again after it
  double pushTruncate = 0;   // cut short, so it is no longer JSON
  // Each call the plugin makes to the service is, by these chances in this order:
  double serviceFail = 0;       // answered with an error without a code
  double serviceFailCoded = 0;  // the proxy request itself fails with a status
  double serviceDelay = 0;      // answered up to a minute late
  double serviceNever = 0;      // never answered
  // Each request the plugin makes to a neighbour plugin (the client's other
  // parts) but the service proxy is, by these chances in this order:
  double neighbourMissing = 0;  // answered 404, as by a neighbour not loaded
  double neighbourGarbage = 0;  // answered with text that is not what was asked
  double neighbourLate = 0;     // answered after up to half a minute (the call blocks)
  // Each answer that tells the server's time (the tournament refreshes):
  double clockJump = 0;  // the server clock has jumped up to ten minutes on or back

  bool Any() const {
    return pushDrop + pushDuplicate + pushDelay + pushStale + pushTruncate + serviceFail +
               serviceFailCoded + serviceDelay + serviceNever + neighbourMissing +
               neighbourGarbage + neighbourLate + clockJump >
           0;
  }
};

}  // namespace kiv::standin
