#include "sdk/rest/route_template.h"

#include <cstring>

namespace kiv {
namespace {

constexpr std::string_view kRegexSpecials = "^$.*+?()[]|\\";

// What a parameter may swallow, and its own leading literal.
bool Accepts(ParameterForm form, char c) {
  if (form == ParameterForm::kPlain) return c != '/';
  return c != '\n' && c != '\r';
}

// Backtracking over the segments in the order an ECMAScript engine explores
// them: each parameter tries its longest run first.
bool MatchFrom(const RouteTemplate& route, size_t segment, std::string_view rest,
               std::string_view* captures) {
  if (segment == route.segments.size()) return rest.empty();
  const RouteTemplate::Segment& current = route.segments[segment];
  if (current.parameter < 0) {
    if (rest.substr(0, current.literal.size()) != current.literal) return false;
    return MatchFrom(route, segment + 1, rest.substr(current.literal.size()), captures);
  }
  const ParameterForm form = route.parameters[current.parameter].form;
  if (form == ParameterForm::kFragment) {
    if (rest.empty() || rest[0] != '#') return false;
    rest.remove_prefix(1);
  }
  size_t longest = 0;
  while (longest < rest.size() && Accepts(form, rest[longest])) ++longest;
  // A literal that follows can only start where its first byte stands.
  const bool lastSegment = segment + 1 == route.segments.size();
  for (size_t length = longest + 1; length-- > 0;) {
    if (lastSegment && length != rest.size()) return false;
    captures[current.parameter] = rest.substr(0, length);
    if (MatchFrom(route, segment + 1, rest.substr(length), captures)) return true;
  }
  return false;
}

}  // namespace

std::string NormalizeTemplate(std::string_view urlTemplate) {
  if (urlTemplate.size() > 1 && urlTemplate.back() == '/') urlTemplate.remove_suffix(1);
  return std::string(urlTemplate);
}

RouteTemplate CompileTemplate(std::string_view urlTemplate) {
  RouteTemplate route;
  route.urlTemplate = std::string(urlTemplate);
  route.isLiteral = urlTemplate.find('{') == std::string_view::npos;
  std::string literal;
  auto flushLiteral = [&] {
    if (literal.empty()) return;
    route.segments.push_back({std::move(literal), -1});
    literal.clear();
  };
  for (size_t i = 0; i < urlTemplate.size(); ++i) {
    const char c = urlTemplate[i];
    if (c != '{') {
      if (kRegexSpecials.find(c) != std::string_view::npos) route.pattern += '\\';
      route.pattern += c;
      literal += c;
      continue;
    }
    const size_t close = urlTemplate.find('}', i + 1);
    std::string_view name = urlTemplate.substr(
        i + 1, close == std::string_view::npos ? std::string_view::npos : close - i - 1);
    ParameterForm form = ParameterForm::kPlain;
    if (!name.empty() && name[0] == '+') {
      form = ParameterForm::kGreedy;
      name.remove_prefix(1);
    } else if (!name.empty() && name[0] == '#') {
      form = ParameterForm::kFragment;
      name.remove_prefix(1);
    }
    route.pattern += form == ParameterForm::kPlain    ? "([^/]*)"
                     : form == ParameterForm::kGreedy ? "(.*)"
                                                      : "#(.*)";
    flushLiteral();
    route.segments.push_back({"", static_cast<int>(route.parameters.size())});
    route.parameters.push_back({std::string(name), form});
    if (close == std::string_view::npos) break;
    i = close;
  }
  flushLiteral();
  return route;
}

bool MatchTemplate(const RouteTemplate& route, std::string_view path, std::string_view* captures) {
  if (route.isLiteral) return path == route.urlTemplate;
  if (route.parameters.size() > kMaxRouteParameters) return false;
  return MatchFrom(route, 0, path, captures);
}

}  // namespace kiv
