// router.h: the module's endpoint declarations.
//
// `Register` declares an endpoint from a method, a URL template, a handler and
// one `Param<T>` per handler argument; it registers the function's
// description in the type registry and keeps the endpoint, in declaration
// order, for the API description and dispatch. The handler returns
// MaybeType<Failure, R>: R may be void, BindingProperty, HandlerResult or any
// described native type; a handler whose first parameter is
// `const RequestContext&` also receives the request.
//
// Not for: matching requests (route_match.h) or serving them (dispatch.h).
//
//   router.Register(KIV_METHOD_GET, "/kiv-probe/v1/fail/{code}",
//                   [](uint32_t code) -> MaybeType<Failure, void> {
//                     return Fail(code, FormatMessage("probe failure %1", code));
//                   },
//                   Param<uint32_t>("code", kPathLocation));
#pragma once

#include <array>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "sdk/registry/type_registry.h"
#include "sdk/rest/endpoint.h"
#include "sdk/rest/internal/invoke.h"
#include "sdk/value/conversion_status.h"
#include "sdk/value/maybe_type.h"

namespace kiv {

class Router {
 public:
  /// `registry` is borrowed and must outlive the router. Endpoints are
  /// registered under `nameSpace` with `tags`.
  Router(TypeRegistry& registry, std::vector<std::string> nameSpace, std::vector<std::string> tags);
  Router(const Router&) = delete;
  Router& operator=(const Router&) = delete;

  /// Declares an endpoint. Fails (code 500, "Function %1 is already
  /// registered") when its function name is already taken in the name space;
  /// the endpoint is then not added.
  template <typename Handler, typename... Ts>
  MaybeType<Failure, Endpoint*> Register(uint32_t method, std::string_view urlTemplate,
                                         Handler handler, Param<Ts>... params);

  /// A built-in function of the name space "$builtin": no method, empty URL
  /// template, served by the dispatcher itself. Fails like Register.
  MaybeType<Failure, Endpoint*> RegisterBuiltin(std::string name, std::string description);

  /// For the custom method code 8: the method's name of the next Register.
  Router& WithCustomMethod(std::string name);
  /// The one-line help text of the next Register's function.
  Router& WithDescription(std::string text);

  const std::deque<std::unique_ptr<Endpoint>>& endpoints() const { return endpoints_; }
  TypeRegistry& registry() const { return registry_; }

 private:
  MaybeType<Failure, Endpoint*> Add(uint32_t method, std::string_view urlTemplate,
                                    std::vector<ArgumentDescription> arguments,
                                    TypeReference result, EndpointInvoker invoke,
                                    std::vector<std::string> nameSpace, std::string name,
                                    std::string description, bool builtin);

  TypeRegistry& registry_;
  std::vector<std::string> nameSpace_;
  std::vector<std::string> tags_;
  std::string pendingCustomMethod_;
  std::string pendingDescription_;
  std::deque<std::unique_ptr<Endpoint>> endpoints_;
};

template <typename Handler, typename... Ts>
MaybeType<Failure, Endpoint*> Router::Register(uint32_t method, std::string_view urlTemplate,
                                               Handler handler, Param<Ts>... params) {
  using Outcome = rest_internal::HandlerOutcome<Handler, Ts...>;
  using Result = typename rest_internal::OutcomeTraits<Outcome>::Result;
  std::vector<ArgumentDescription> arguments = {
      ArgumentDescription{std::string(params.name), TypeReferenceOf<Ts>(),
                          std::string(params.description), params.optional, params.location}...};
  std::array<rest_internal::ArgumentFlags, sizeof...(Ts)> flags = {
      rest_internal::ArgumentFlags{params.name, params.optional}...};
  EndpointInvoker invoke = [handler = std::move(handler), flags](
                               std::span<BindingProperty> values, const RequestContext& request,
                               ConversionStatus& status, HandlerResult& result) mutable {
    rest_internal::Invoke<Handler, Ts...>(handler, flags, values, request, status, result,
                                          std::index_sequence_for<Ts...>{});
  };
  TypeReference resultType{};
  if constexpr (!std::same_as<Result, void> && !std::same_as<Result, HandlerResult>) {
    resultType = TypeReferenceOf<Result>();
  }
  return Add(method, urlTemplate, std::move(arguments), resultType, std::move(invoke), nameSpace_,
             "", std::exchange(pendingDescription_, {}), false);
}

}  // namespace kiv
