#include "sdk/runtime/event_names.h"

#include <vector>

namespace kiv {

std::string EventNameOfUri(std::string_view uri) {
  // The base name and the URI's first three segments (five under
  // "kiv-platform-config"), joined by "_", built in one allocation.
  std::string name;
  name.reserve(sizeof(kResourceEventName) + uri.size());
  name = kResourceEventName;
  size_t keep = 3;
  size_t kept = 0;
  size_t start = 0;
  while (start <= uri.size() && kept < keep) {
    size_t end = uri.find('/', start);
    if (end == std::string_view::npos) end = uri.size();
    if (end > start) {
      const std::string_view part = uri.substr(start, end - start);
      if (kept == 0 && part == "kiv-platform-config") keep = 5;
      name += '_';
      name += part;
      ++kept;
    }
    start = end + 1;
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
