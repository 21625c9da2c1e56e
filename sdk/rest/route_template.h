// route_template.h: URL templates of endpoints, compiled once and matched
// without allocation.
//
// Outside braces every character stands for itself. "{name}" is a plain
// parameter (any run of characters without "/", possibly empty), "{+name}" a
// greedy one (any run, "/" included), "{#name}" a fragment ("#" and any run).
// Matching is a full match with the results of the equivalent ECMAScript
// regular expression (`pattern`): each parameter takes as much as it can
// while the rest still matches, leftmost first; "." in that grammar does not
// match "\n" or "\r", so greedy and fragment parameters stop there too.
//
//   RouteTemplate route = CompileTemplate("/files/{+path}");
//   std::string_view captures[kMaxRouteParameters];
//   MatchTemplate(route, "/files/a/b", captures);  // captures[0] == "a/b"
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kiv {

enum class ParameterForm { kPlain, kGreedy, kFragment };

struct RouteParameter {
  std::string name;
  ParameterForm form = ParameterForm::kPlain;
  friend bool operator==(const RouteParameter&, const RouteParameter&) = default;
};

/// A compiled template: literal runs and parameters, in order.
struct RouteTemplate {
  struct Segment {
    std::string literal;  // matched byte for byte (empty for a parameter)
    int parameter = -1;   // index into `parameters`, or -1 for a literal
  };
  std::string urlTemplate;  // the template as declared (trailing "/" removed)
  bool isLiteral = true;    // no "{": matched by plain comparison
  std::string pattern;      // the equivalent ECMAScript regular expression
  std::vector<RouteParameter> parameters;
  std::vector<Segment> segments;
};

/// The most parameters one template may have.
inline constexpr size_t kMaxRouteParameters = 16;

/// Removes one trailing "/" from a template longer than one character.
std::string NormalizeTemplate(std::string_view urlTemplate);

/// Parses a template (already normalized). Templates are the plugin's own
/// constants and are not checked: an unclosed brace takes the rest of the
/// text as the name.
RouteTemplate CompileTemplate(std::string_view urlTemplate);

/// Full match of `path`. On success fills captures[0..parameters.size()) with
/// views into `path` (not yet URL-decoded).
bool MatchTemplate(const RouteTemplate& route, std::string_view path, std::string_view* captures);

}  // namespace kiv
