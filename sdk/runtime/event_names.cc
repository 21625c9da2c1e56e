#include "sdk/runtime/event_names.h"

#include <vector>

namespace kiv {

std::string EventNameOfUri(std::string_view uri) {
  std::vector<std::string_view> parts{kResourceEventName};
  size_t start = 0;
  while (start <= uri.size()) {
    size_t end = uri.find('/', start);
    if (end == std::string_view::npos) end = uri.size();
    if (end > start) parts.push_back(uri.substr(start, end - start));
    start = end + 1;
  }
  const size_t keep = parts.size() > 1 && parts[1] == "kiv-platform-config" ? 6 : 4;
  if (parts.size() > keep) parts.resize(keep);
  std::string name;
  for (std::string_view part : parts) {
    if (!name.empty()) name += '_';
    name += part;
  }
  return name;
}

bool UriMatchesPattern(std::string_view pattern, std::string_view uri) {
  size_t p = 0;
  size_t u = 0;
  while (p < pattern.size()) {
    if (pattern[p] != '*') {
      if (u >= uri.size() || uri[u] != pattern[p]) return false;
      ++p;
      ++u;
      continue;
    }
    // "*" takes characters up to the next "/"; at the end of the URI it needs
    // at least one of them.
    const size_t begin = u;
    while (u < uri.size() && uri[u] != '/') ++u;
    if (u == uri.size() && u == begin) return false;
    ++p;
  }
  return u == uri.size();
}

}  // namespace kiv
