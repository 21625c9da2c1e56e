#include "standin/simulation/faulty_service.h"

#include <cstdint>
#include <utility>

#include "sdk/codec/json_reader.h"
#include "sdk/codec/json_writer.h"
#include "sdk/value/binding_property.h"
#include "standin/simulation/version_stamp.h"

namespace kiv::standin {
namespace {

constexpr int64_t kLongestJumpMs = 10 * 60 * 1000;

}  // namespace

host::ServiceReply FaultyService::Call(const host::ServiceCall& call) {
  host::ServiceReply reply = inner_.Call(call);
  for (host::ServiceAnswer& answer : reply.answers) {
    answer.payload = StampRosterVersions(answer.payload);
  }
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
  if (!reply.answers.empty() && random_.Chance(plan_.clockJump)) {
    // The server's clock reads off from the world's, on or back: the plugin
    // must follow whatever time the server tells.
    BindingProperty answer = ReadJson(reply.answers.front().payload);
    if (const BindingProperty* time = answer.IsStructure() ? answer.FindMember("time") : nullptr) {
      ++faults_;
      const int64_t told = time->GetSigned() + random_.Between(-kLongestJumpMs, kLongestJumpMs);
      answer.MutableMember("time") = told;
      reply.answers.front().payload = WriteJson(answer);
    }
  }
  return reply;
}

}  // namespace kiv::standin
