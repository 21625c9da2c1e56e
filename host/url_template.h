// url_template.h: one compiled URL template, matched against request paths.
//
// A template is literal text with parameters in braces: "{x}" matches a run
// without "/" (possibly empty), "{+x}" any run ("/" included), "{#x}" a "#"
// followed by any run. "+" or "#" is a form marker only right after "{".
// Everything else matches itself. A match covers the whole path; captured
// values are URL-decoded ("+" is a space, "%2F" a slash).
//
// Not for: choosing among several templates (route_table.h does that).
//
//   UrlTemplate route("/kiv-joust/v1/tournament/{tournamentId}/roster/kick");
//   if (auto captures = route.Match("/kiv-joust/v1/tournament/7/roster/kick")) {
//     (*captures)[0].value;  // "7"
//   }
#pragma once

#include <optional>
#include <regex>
#include <string>
#include <string_view>
#include <vector>

namespace kiv::host {

struct UrlCapture {
  std::string name;
  std::string value;     // decoded
  size_t rawLength = 0;  // characters of the path it swallowed, before decoding
};

class UrlTemplate {
 public:
  /// Compiles `text` once; templates are the caller's constants and are not
  /// checked for mistakes.
  explicit UrlTemplate(std::string text);

  /// The captures in template order when the whole path matches.
  std::optional<std::vector<UrlCapture>> Match(std::string_view path) const;

  const std::string& text() const { return text_; }
  bool literal() const { return names_.empty() && !hasPattern_; }

 private:
  std::string text_;
  // The literal text before the first and after the last parameter: a path
  // without them is refused before the regular expression runs.
  std::string prefix_;
  std::string suffix_;
  bool hasPattern_ = false;
  std::regex pattern_;
  std::vector<std::string> names_;
};

/// Decodes "+" to a space and "%XY" to its byte; a "%" with fewer than two
/// characters after it is dropped.
std::string UrlDecode(std::string_view text);

}  // namespace kiv::host
