// Checks the route matcher against std::regex on the same pattern: for a
// random template and path, both must agree on whether the path matches and
// on every capture. Input: template, a NUL byte, path.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <regex>
#include <string>
#include <string_view>

#include "sdk/rest/route_template.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const size_t split = input.find('\0');
  if (split == std::string_view::npos) return 0;
  const std::string_view urlTemplate = input.substr(0, split);
  const std::string_view path = input.substr(split + 1);
  // Keep std::regex's recursive matcher within its stack, and the
  // backtracking of both within reason.
  if (urlTemplate.size() > 48 || path.size() > 96) return 0;
  const kiv::RouteTemplate route = kiv::CompileTemplate(urlTemplate);
  if (route.parameters.size() > 4) return 0;

  std::regex pattern;
  try {
    pattern.assign(route.pattern, std::regex::ECMAScript);
  } catch (const std::regex_error&) {
    return 0;  // "{" or "}" inside a literal run: templates never have them
  }
  std::cmatch expected;
  const bool regexMatches =
      std::regex_match(path.data(), path.data() + path.size(), expected, pattern);

  std::string_view captures[kiv::kMaxRouteParameters];
  const bool ours = kiv::MatchTemplate(route, path, captures);
  if (ours != regexMatches) std::abort();
  if (!ours || route.isLiteral) return 0;
  for (size_t i = 0; i < route.parameters.size(); ++i) {
    if (captures[i] != std::string_view(expected[i + 1].first, expected[i + 1].length())) {
      std::abort();
    }
  }
  return 0;
}
