// handler_call.h: how the plugin calls a handler or a reader that takes
// either the plugin or, reading the state alone, the plugin's state first,
// and how it tells an outcome (MaybeType<Failure, T>) from a plain value.
// Shared by the table of published resources and the endpoint table.
//
//   decltype(auto) value = CallWithPluginOrState(plugin, &ReadInvitations, tournamentId);
#pragma once

#include <type_traits>
#include <utility>

#include "joust/logic/joust_plugin.h"
#include "sdk/value/maybe_type.h"

namespace kiv::joust {

/// True for MaybeType<Failure, T>.
template <typename R>
struct IsOutcome : std::false_type {};
template <typename T>
struct IsOutcome<MaybeType<Failure, T>> : std::true_type {};

/// Calls `handler` with the plugin, or with its state when that is all it
/// takes, then `arguments`; a reference it returns is passed on uncopied.
template <typename Handler, typename... Args>
decltype(auto) CallWithPluginOrState(JoustPlugin& plugin, const Handler& handler,
                                     Args&&... arguments) {
  if constexpr (std::is_invocable_v<const Handler&, JoustPlugin&, Args&&...>) {
    return handler(plugin, std::forward<Args>(arguments)...);
  } else {
    return handler(std::as_const(plugin.state()), std::forward<Args>(arguments)...);
  }
}

}  // namespace kiv::joust
