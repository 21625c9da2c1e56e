// endpoint.h: a declared endpoint (or built-in function) and its arguments.
//
// An endpoint is a method, a URL template compiled into a route, a function
// name derived from both, the argument descriptions, and the invoker that
// converts bound argument values into native arguments and calls the handler.
// Endpoints are made by the router (router.h) and live as long as it.
//
//   Param<int64_t>("tournamentId", kPathLocation)
//   Param<bool>("force").Optional().Described("Skip the checks")
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "sdk/registry/api_description.h"
#include "sdk/rest/request_types.h"
#include "sdk/rest/route_match.h"
#include "sdk/value/conversion_status.h"
#include "sdk/value/native/type_reference.h"

namespace kiv {

class Router;

/// One handler argument: its native type T, name, location and flags.
template <typename T>
struct Param {
  using Type = T;
  explicit constexpr Param(std::string_view name, uint32_t location = kAnyLocation)
      : name(name), location(location) {}
  constexpr Param Optional() const {
    Param copy = *this;
    copy.optional = true;
    return copy;
  }
  constexpr Param Described(std::string_view text) const {
    Param copy = *this;
    copy.description = text;
    return copy;
  }

  std::string_view name;
  uint32_t location = kAnyLocation;
  bool optional = false;
  std::string_view description;
};

/// Converts the bound values (one per argument) and calls the handler; sets
/// its errors on `status` and its answer in `result`.
using EndpointInvoker =
    std::function<void(std::span<BindingProperty> arguments, const RequestContext& request,
                       ConversionStatus& status, HandlerResult& result)>;

struct Endpoint {
  uint32_t method = 0;
  std::string customMethod;
  std::string functionName;
  std::vector<std::string> nameSpace;
  Route route;  // route.endpoint points back at this endpoint
  std::vector<ArgumentDescription> arguments;
  EndpointInvoker invoke;
  bool builtin = false;
  size_t functionIndex = 0;  // its description in the registry's Functions()
  Router* router = nullptr;
};

}  // namespace kiv
