// named_failure.h: failures built from a template with named placeholders in
// braces ("Error response for {method} {url}: {error}"). Each placeholder is
// replaced by its value, in the order given, and each value also becomes a
// text field of the failure under the placeholder's name.
//
// Not for: positional messages ("%1"), which FormatMessage builds.
//
//   Failure failure = NamedFailure(404, "Error response for {method} {url}: {error}",
//                                  {{"method", "GET"}, {"url", url}, {"error", "not found"}});
//   failure.Message();          // "Error response for GET /kiv-gameflow/v1/session: not found"
//   failure.FindField("url");   // the URL as text
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string_view>
#include <utility>

#include "sdk/value/failure.h"

namespace kiv {

/// A placeholder's name (without braces) and its value.
using NamedValue = std::pair<std::string_view, std::string_view>;

/// The failure with `code`, the filled template as message and one field per
/// value. A placeholder that the template lacks adds only the field.
Failure NamedFailure(uint32_t code, std::string_view messageTemplate,
                     std::initializer_list<NamedValue> values);

}  // namespace kiv
