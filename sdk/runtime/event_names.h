// event_names.h: the host event name under which a resource URI announces its
// changes, and the "*" pattern rule by which observers match URIs.
//
// Names: "OnJsonApiEvent" followed by the URI's first three non-empty
// segments (five under "kiv-platform-config"), joined by "_". Patterns: "*"
// stands for a run of characters without "/" that may be empty only when a
// "/" follows it.
//
// Not for: routing requests to endpoints (sdk/rest/route_match.h).
//
//   EventNameOfUri("/kiv-gameflow/v1/session/extra");  // "OnJsonApiEvent_kiv-gameflow_v1_session"
//   UriMatchesPattern("/demo/v1/*/state", "/demo/v1/abc/state");  // true
//   UriMatchesPattern("/demo/v1/*", "/demo/v1/");                 // false
#pragma once

#include <string>
#include <string_view>

namespace kiv {

/// The general event name every resource change is also sent under.
inline constexpr char kResourceEventName[] = "OnJsonApiEvent";

/// The event name of `uri`; "OnJsonApiEvent" for a URI without segments.
std::string EventNameOfUri(std::string_view uri);

/// True when `uri` matches `pattern` as a whole.
bool UriMatchesPattern(std::string_view pattern, std::string_view uri);

}  // namespace kiv
