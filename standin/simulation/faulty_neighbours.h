// faulty_neighbours.h: the client's other parts misbehaving towards the
// plugin by a FaultPlan's chances: a request the plugin sends to a neighbour
// plugin is answered 404, as by a part that is not loaded, or with a text that
// is not what was asked, or late (the virtual clock moves on while the
// plugin's call waits for it). The service proxy's requests are left alone (the
// service's own faults are faulty_service.h's).
//
// Not for: events the neighbours fire.
//
//   host.neighbours().SetInterceptor(FaultyNeighbours(plan));
#pragma once

#include <memory>
#include <optional>

#include "host/neighbour.h"
#include "standin/scenario/seeded_random.h"
#include "standin/simulation/fault_plan.h"

namespace kiv::standin {

class FaultyNeighbours {
 public:
  explicit FaultyNeighbours(const FaultPlan& plan)
      : plan_(plan), random_(std::make_shared<SeededRandom>(plan.seed * 2 + 3)) {}

  /// A faulty answer for `request`, or none to let the neighbour answer.
  std::optional<host::NeighbourAnswer> operator()(const host::NeighbourRequest& request);

 private:
  FaultPlan plan_;
  // Shared: the interceptor is copied into a std::function.
  std::shared_ptr<SeededRandom> random_;
};

}  // namespace kiv::standin
