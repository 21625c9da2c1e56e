#include "joust/backend/backend_client.h"

#include <chrono>
#include <string>

#include "sdk/log/log_groups.h"
#include "sdk/log/log_level.h"
#include "sdk/log/logger.h"
#include "sdk/runtime/mutation_point.h"
#include "sdk/value/format_message.h"

namespace kiv::joust {

MaybeType<Failure, void> BackendClient::CheckFeature(bool checkEntitlement) const {
  if (!access_.dataReady) return Fail(Failure::WithStaticMessage(400, "JOUST_NOT_INITIALIZED"));
  if (!checkEntitlement) return Ok();
  const Api::JoustState state = access_.enabledState;
  if (state == Api::JoustState::kDarkEnabled && access_.entitled) return Ok();
  if (state != Api::JoustState::kEnabled) {
    return Fail(Failure::WithStaticMessage(400, "JOUST_DISABLED"));
  }
  return Ok();
}

MaybeType<Failure, BindingProperty> BackendClient::Invoke(std::string_view method,
                                                          BindingProperty arguments) {
  if (access_.enabledState == Api::JoustState::kDarkEnabled) {
    arguments.MutableMember("entitlementToken") = access_.entitlementToken;
    arguments.MutableMember("accessToken") = access_.accessToken;
  }
  if (MutationActive("service-answer-limit-off")) {
    return module_.timers().Await(module_.serviceProxy().Call<BindingProperty>(
        kJoustService, std::string(method), std::move(arguments)));
  }
  const SteadyTime deadline = std::chrono::steady_clock::now() + kServiceAnswerLimit;
  std::string key;
  auto answer = module_.timers().AwaitUntil(
      module_.serviceProxy().Call<BindingProperty>(kJoustService, std::string(method),
                                                   std::move(arguments), &key),
      deadline);
  if (answer) return std::move(*answer);
  // The proxy forgets the call, and drops its answer should it still come.
  if (!key.empty()) module_.serviceProxy().Forget(key);
  const std::string message = FormatMessage("%1.%2: no answer within %3 s, given up", kJoustService,
                                            method, kServiceAnswerLimit.count());
  Log(kLogError, kGroupDbg, "%s", message.c_str());
  return Fail(Failure(504, message));
}

Failure BackendClient::WithServiceCode(Failure failure) {
  if (failure.ErrorCode() == 0) failure.SetErrorCode(502);
  return failure;
}

}  // namespace kiv::joust
