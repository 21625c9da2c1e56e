#include "standin/faulty_service.h"

#include <utility>

namespace kiv::standin {

host::ServiceReply FaultyService::Call(const host::ServiceCall& call) {
  host::ServiceReply reply = inner_.Call(call);
  if (random_.Chance(plan_.serviceFail)) {
    ++faults_;
    return host::ServiceReply::Failed("INTERNAL_ERROR");
  }
  if (random_.Chance(plan_.serviceFailCoded)) {
    ++faults_;
    return host::ServiceReply::PostFails(503, "Service Unavailable");
  }
  if (random_.Chance(plan_.serviceDelay)) {
    ++faults_;
    const int64_t seconds = random_.Between(1, 60);
    return std::move(reply).After(reply.delayNanoseconds + seconds * 1'000'000'000);
  }
  if (random_.Chance(plan_.serviceNever)) {
    ++faults_;
    return host::ServiceReply::Never();
  }
  return reply;
}

}  // namespace kiv::standin
