#include "host/url_template.h"

#include <cstring>

namespace kiv::host {
namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return 16;  // not a digit: still counts, so odd input decodes predictably
}

}  // namespace

UrlTemplate::UrlTemplate(std::string text) : text_(std::move(text)) {
  if (text_.find('{') == std::string::npos) return;
  hasPattern_ = true;
  prefix_ = text_.substr(0, text_.find('{'));
  if (const size_t close = text_.rfind('}'); close != std::string::npos) {
    suffix_ = text_.substr(close + 1);
  }
  std::string pattern;
  for (size_t i = 0; i < text_.size(); ++i) {
    const char c = text_[i];
    if (c == '{') {
      size_t end = text_.find('}', i + 1);
      if (end == std::string::npos) end = text_.size();
      std::string name = text_.substr(i + 1, end - i - 1);
      if (!name.empty() && name[0] == '+') {
        pattern += "(.*)";
        name.erase(0, 1);
      } else if (!name.empty() && name[0] == '#') {
        pattern += "#(.*)";
        name.erase(0, 1);
      } else {
        pattern += "([^/]*)";
      }
      names_.push_back(std::move(name));
      i = end;
    } else {
      if (std::strchr("^$.*+?()[]{}|\\", c)) pattern += '\\';
      pattern += c;
    }
  }
  pattern_ = std::regex(pattern, std::regex::ECMAScript);
}

std::optional<std::vector<UrlCapture>> UrlTemplate::Match(std::string_view path) const {
  if (!hasPattern_) {
    if (path != text_) return std::nullopt;
    return std::vector<UrlCapture>{};
  }
  if (path.size() < prefix_.size() + suffix_.size() || !path.starts_with(prefix_) ||
      !path.ends_with(suffix_)) {
    return std::nullopt;
  }
  std::match_results<std::string_view::const_iterator> match;
  if (!std::regex_match(path.begin(), path.end(), match, pattern_)) return std::nullopt;
  std::vector<UrlCapture> captures;
  for (size_t group = 1; group < match.size() && group <= names_.size(); ++group) {
    if (!match[group].matched) break;
    const std::string raw = match[group].str();
    captures.push_back(UrlCapture{names_[group - 1], UrlDecode(raw), raw.size()});
  }
  return captures;
}

std::string UrlDecode(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '+') {
      out += ' ';
    } else if (c == '%') {
      // With fewer than two characters after it, the "%" alone is dropped.
      if (text.size() - i > 2) {
        out += static_cast<char>((HexDigit(text[i + 1]) * 16 + HexDigit(text[i + 2])) & 0xFF);
        i += 2;
      }
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace kiv::host
