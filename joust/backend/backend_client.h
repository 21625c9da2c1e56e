// backend_client.h: BackendClient, the one way the plugin calls the
// tournament service "joust": `Call<kMethod>(arguments...)` for a row of
// backend_methods.h.
//
// A call first checks the feature, as the last SetAccess told it (not ready: 400
// "JOUST_NOT_INITIALIZED"; not "Enabled" and not a dark launch the player is entitled to: 400
// "JOUST_DISABLED"), builds one structure from the row's argument keys (plus
// "entitlementToken" and "accessToken" during a dark launch), calls the
// service through the service proxy and waits, and converts the answer to
// the row's result record (400 with the conversion message, 500
// "DESERIALIZATION_FAILED" for an empty answer). A failure of the service
// that carries no code comes back with code 502: the service, not the
// caller, failed. No answer within kServiceAnswerLimit gives 504 and an
// error line naming the method. The arguments' C++ types are checked against
// the row's kinds when the call compiles.
//
// Not for: the service's rules (a stand-in lives beside the host), or
// decoding the compressed winners (winners_payload.h).
//
//   BackendClient client(module);
//   client.SetAccess({.dataReady = true, .enabledState = Api::JoustState::kEnabled});
//   MaybeType<Failure, LCDS::PendingRosterDTO> roster =
//       client.Call<kKickMember>(std::string("inv-1"), uint64_t{42});
#pragma once

#include <chrono>
#include <cstddef>
#include <type_traits>
#include <utility>

#include "joust/backend/backend_method.h"
#include "joust/backend/feature_access.h"
#include "sdk/runtime/app_module.h"
#include "sdk/value/conversion_status.h"
#include "sdk/value/maybe_type.h"

namespace kiv::joust {

/// The service every method belongs to.
inline constexpr char kJoustService[] = "joust";
/// How long a call waits for the service's answer before it gives up with
/// 504 and a logged error, so a lost answer never holds a request (or the
/// login refresh) for ever.
inline constexpr std::chrono::seconds kServiceAnswerLimit{30};

/// What Call<kMethod> returns: MaybeType<Failure, the row's result>, or
/// MaybeType<Failure, void> for a method without a result.
template <const auto& kMethod>
using CallResult = MaybeType<
    Failure,
    std::conditional_t<
        std::is_same_v<typename std::remove_cvref_t<decltype(kMethod)>::ResultType, NoResult>, void,
        typename std::remove_cvref_t<decltype(kMethod)>::ResultType>>;

class BackendClient {
 public:
  /// `module` is borrowed and must outlive the client.
  explicit BackendClient(AppModule& module) : module_(module) {}
  BackendClient(const BackendClient&) = delete;
  BackendClient& operator=(const BackendClient&) = delete;

  /// What the calls from now on go out under (the feature's state and tokens).
  void SetAccess(FeatureAccess access) { access_ = std::move(access); }

  template <const auto& kMethod, typename... Args>
  CallResult<kMethod> Call(const Args&... arguments) {
    return CallChecked<kMethod>(true, arguments...);
  }
  /// Call without the feature's entitlement part (only "the data is ready"):
  /// for the individual entitlement check, which is how the plugin learns
  /// the entitlement.
  template <const auto& kMethod, typename... Args>
  CallResult<kMethod> CallIgnoringEntitlement(const Args&... arguments) {
    return CallChecked<kMethod>(false, arguments...);
  }

 private:
  template <const auto& kMethod, typename... Args>
  CallResult<kMethod> CallChecked(bool checkEntitlement, const Args&... arguments);
  /// The feature check; nothing when the call may go out.
  MaybeType<Failure, void> CheckFeature(bool checkEntitlement) const;
  /// Adds the dark launch's tokens, calls, waits and returns the answer.
  MaybeType<Failure, BindingProperty> Invoke(std::string_view method, BindingProperty arguments);
  static Failure WithServiceCode(Failure failure);

  AppModule& module_;
  FeatureAccess access_;
};

template <const auto& kMethod, typename... Args>
CallResult<kMethod> BackendClient::CallChecked(bool checkEntitlement, const Args&... arguments) {
  using Result = typename std::remove_cvref_t<decltype(kMethod)>::ResultType;
  static_assert(sizeof...(Args) == kMethod.arguments.size(),
                "a call passes exactly the method's arguments");
  [&]<size_t... I>(std::index_sequence<I...>) {
    static_assert(((KindOf<std::remove_cvref_t<Args>>() == kMethod.arguments[I].kind) && ...),
                  "an argument's type does not fit its kind");
  }
  (std::index_sequence_for<Args...>{});

  if (auto allowed = CheckFeature(checkEntitlement); !allowed.ok()) {
    return Fail(std::move(allowed).takeFailure());
  }
  BindingProperty structure;
  structure.SetEmptyStructure();
  ConversionStatus status;
  size_t index = 0;
  ((ToValue(arguments, structure.MutableMember(kMethod.arguments[index++].key), status)), ...);
  (void)index;
  if (!status.IsValid()) return Fail(Failure(400, std::string(status.Error())));

  auto answer = Invoke(kMethod.name, std::move(structure));
  if (!answer.ok()) return Fail(WithServiceCode(std::move(answer).takeFailure()));
  if constexpr (std::is_same_v<Result, NoResult>) {
    return Ok();
  } else {
    return ConvertAnswer<Result>(module_.typeRegistry(), std::move(answer));
  }
}

}  // namespace kiv::joust
