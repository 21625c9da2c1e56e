// resource_event.h: the host-side form of a resource change event: its event
// name and its body, as every plugin on the bus announces changes.
//
// The name of a URI is "OnJsonApiEvent" joined by "_" with the URI's non-empty
// segments, keeping the first four elements (six under
// "kiv-platform-config"). The body is a structure of "uri", "eventType"
// ("Create", "Update" or "Delete") and "data".
//
// Not for: delivering; the event bus (plugin_host.h) does that.
//
//   ResourceEventName("/kiv-gameflow/v1/session");  // OnJsonApiEvent_kiv-gameflow_v1_session
//   OwnedHostValue body = ResourceEventBody("/kiv-login/v1/session", "Update", session.root());
#pragma once

#include <string>
#include <string_view>

#include "host/owned_host_value.h"

namespace kiv::host {

inline constexpr char kResourceEventBase[] = "OnJsonApiEvent";

std::string ResourceEventName(std::string_view uri);

/// Copies `data` into a new event body.
OwnedHostValue ResourceEventBody(std::string_view uri, std::string_view eventType,
                                 const HostValue& data);

}  // namespace kiv::host
