#include "joust/backend/backend_client.h"

namespace kiv::joust {

MaybeType<Failure, void> BackendClient::CheckFeature(bool checkEntitlement) const {
  if (!gate_.DataReady()) return Fail(Failure::WithStaticMessage(400, "JOUST_NOT_INITIALIZED"));
  if (!checkEntitlement) return Ok();
  const Api::JoustState state = gate_.EnabledState();
  if (state == Api::JoustState::kDarkEnabled && gate_.Entitled()) return Ok();
  if (state != Api::JoustState::kEnabled) {
    return Fail(Failure::WithStaticMessage(400, "JOUST_DISABLED"));
  }
  return Ok();
}

MaybeType<Failure, BindingProperty> BackendClient::Invoke(std::string_view method,
                                                          BindingProperty arguments) {
  if (gate_.EnabledState() == Api::JoustState::kDarkEnabled) {
    arguments.MutableMember("entitlementToken") = gate_.EntitlementToken();
    arguments.MutableMember("accessToken") = gate_.AccessToken();
  }
  return module_.timers().Await(module_.serviceProxy().Call<BindingProperty>(
      kJoustService, std::string(method), std::move(arguments)));
}

Failure BackendClient::WithServiceCode(Failure failure) {
  if (failure.ErrorCode() == 0) failure.SetErrorCode(502);
  return failure;
}

}  // namespace kiv::joust
