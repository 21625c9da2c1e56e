// endpoint_table.h: EndpointTable, what the plugin's list of endpoints is
// written with: one call per row, with the method, the path, a one-line help
// text, the handler and its parameters, so that the list reads as a table.
//
// A path may be positional ("/kiv-joust/v1/tournament/%1/roster/%2", the form
// the publication pass formats its event URLs from): "%N" becomes the route
// segment of the N-th path parameter, here "{tournamentId}" and "{rosterId}".
// Handlers take the plugin (or, reading the state alone, the plugin's state)
// first, then one argument per parameter, and return MaybeType<Failure, R>
// or a plain R; so the logic's own readers serve as handlers. Every handler
// runs through RunHandler, so what a command changed is published before it
// is answered. A failure a handler returns is logged as "Error %i: %s" (its
// code and message) before it is answered.
//
// Not for: binding or serving requests (sdk/rest does both).
//
//   EndpointTable table(plugin);
//   table.Get(kTournamentPath, "One tournament", ReadTournament,
//             InPath<int64_t>("tournamentId"));
#pragma once

#include <array>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

#include "joust/logic/handler_call.h"
#include "joust/logic/handler_run.h"
#include "joust/logic/joust_plugin.h"
#include "kiv_plugin_abi.h"
#include "sdk/rest/endpoint.h"
#include "sdk/value/maybe_type.h"

namespace kiv::joust {

template <typename T>
constexpr Param<T> InPath(std::string_view name) {
  return Param<T>(name, kPathLocation);
}
template <typename T>
constexpr Param<T> InQuery(std::string_view name) {
  return Param<T>(name, kQueryLocation);
}
template <typename T>
constexpr Param<T> InBody(std::string_view name) {
  return Param<T>(name, kBodyLocation);
}

/// Logs "Error %i: %s" with the code and message a handler's failure is
/// answered with. Every handler of the table goes through it once, so each
/// answered failure is logged exactly once; failures of argument binding
/// never reach a handler and are not logged here.
void LogAnsweredFailure(const Failure& failure);

/// `path` with each "%N" replaced by "{name}" of the N-th entry of
/// `pathParameters`; other text is kept as it is.
std::string RouteTemplateOf(std::string_view path,
                            std::span<const std::string_view> pathParameters);

namespace endpoint_internal {

// A handler's result as the outcome the router answers.
template <typename R>
auto AsOutcome(R result) {
  if constexpr (IsOutcome<R>::value) {
    return result;
  } else {
    return MaybeType<Failure, R>(std::move(result));
  }
}

}  // namespace endpoint_internal

class EndpointTable {
 public:
  /// `plugin` is borrowed; its router receives the endpoints in call order.
  explicit EndpointTable(JoustPlugin& plugin) : plugin_(plugin) {}

  template <typename Handler, typename... Ts>
  void Get(std::string_view path, std::string_view help, Handler handler, Param<Ts>... params) {
    Add(KIV_METHOD_GET, path, help, handler, params...);
  }
  template <typename Handler, typename... Ts>
  void Post(std::string_view path, std::string_view help, Handler handler, Param<Ts>... params) {
    Add(KIV_METHOD_POST, path, help, handler, params...);
  }

 private:
  template <typename Handler, typename... Ts>
  void Add(uint32_t method, std::string_view path, std::string_view help, Handler handler,
           Param<Ts>... params);
  /// A row the router refuses is a fault of the table itself: it stops the
  /// load with the router's message.
  [[noreturn]] static void Refused(const Failure& failure);

  JoustPlugin& plugin_;
};

template <typename Handler, typename... Ts>
void EndpointTable::Add(uint32_t method, std::string_view path, std::string_view help,
                        Handler handler, Param<Ts>... params) {
  std::array<std::string_view, sizeof...(Ts)> pathNames{};
  size_t pathCount = 0;
  ((params.location == kPathLocation ? (void)(pathNames[pathCount++] = params.name) : (void)0),
   ...);
  const std::string route =
      RouteTemplateOf(path, std::span<const std::string_view>(pathNames.data(), pathCount));
  Router& router = plugin_.router();
  router.WithDescription(std::string(help));
  auto registered = router.Register(
      method, route,
      [&plugin = plugin_, handler](Ts&... arguments) {
        auto outcome = RunHandler(plugin, [&] {
          return endpoint_internal::AsOutcome(CallWithPluginOrState(plugin, handler, arguments...));
        });
        if (!outcome.ok()) LogAnsweredFailure(outcome.failure());
        return outcome;
      },
      params...);
  if (!registered.ok()) Refused(registered.failure());
}

}  // namespace kiv::joust
