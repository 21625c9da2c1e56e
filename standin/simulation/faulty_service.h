// faulty_service.h: a tournament service that misbehaves by a FaultPlan's
// chances: in front of the real stand-in service, it fails an answer (with or
// without a status code), delivers it late, or never delivers it; and an
// answer that tells the server's time may tell it jumped on or back.
//
// Every answer carries its rosters' versions as their icon colours
// (version_stamp.h).
//
// The service behind it has already acted on the call when its answer is
// failed or lost, as a real service that crashed after its commit would.
//
// Not for: pushes (faulty_pushes.h).
//
//   FaultyService faulty(service, plan);
//   host.login().SetService(&faulty);
#pragma once

#include <cstdint>

#include "host/neighbours/backend_service.h"
#include "standin/scenario/seeded_random.h"
#include "standin/simulation/fault_plan.h"

namespace kiv::standin {

class FaultyService : public host::BackendService {
 public:
  /// `inner` must outlive this service.
  FaultyService(host::BackendService& inner, const FaultPlan& plan)
      : inner_(inner), plan_(plan), random_(plan.seed * 2 + 1) {}

  host::ServiceReply Call(const host::ServiceCall& call) override;

  /// From now on nothing misbehaves (what was held back still comes).
  void Calm() { plan_ = FaultPlan{.seed = plan_.seed}; }

  /// How many answers were failed, delayed or lost so far.
  uint64_t faults() const { return faults_; }

 private:
  host::BackendService& inner_;
  FaultPlan plan_;
  SeededRandom random_;
  uint64_t faults_ = 0;
};

}  // namespace kiv::standin
