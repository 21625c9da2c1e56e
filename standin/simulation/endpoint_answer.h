// endpoint_answer.h: a resource of the plugin as a test compares it, read
// now from its endpoint or taken from what was published: compact JSON, with
// the members that follow the clock by themselves blanked (a tournament's
// record says whether rosters may still be created or disbanded, and is
// republished only when the record changes), and a failure as
// {"errorCode", "message"}.
//
// Not for: judging the values (invariants.h, client_view.h).
//
//   std::string now = EndpointAnswer(host, "/kiv-joust/v1/tournament/1");
//   bool same = now == ComparableText("/kiv-joust/v1/tournament/1", publishedJson);
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "host/plugin_host.h"
#include "sdk/value/binding_property.h"

namespace kiv::standin {

/// What GET `uri` answers now, comparable with ComparableText of a published value.
std::string EndpointAnswer(host::PluginHost& host, const std::string& uri);
/// `json`, published at `uri`, made comparable.
std::string ComparableText(std::string_view uri, const std::string& json);
/// "KNOWN_AS ...known... but its endpoint answers ...answered...", the two
/// texts shown around where they first differ.
std::string DescribeDifference(std::string_view knownAs, const std::string& known,
                               const std::string& answered);
/// A whole number of a published value, whether it was read as signed or
/// unsigned; 0 for anything else.
int64_t WholeNumber(const BindingProperty& value);
/// True when `text` (comparable) is a failure rather than a value.
bool IsFailureText(const std::string& text);

}  // namespace kiv::standin
