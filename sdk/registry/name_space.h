// name_space.h: how the registry writes a name space: its segments joined
// with ".", as help output shows them and qualified type names use them.
//
//   JoinNameSpace({"$builtin", "help"});  // "$builtin.help"
#pragma once

#include <string>
#include <vector>

namespace kiv {

/// The segments joined with ".", for example "$builtin.help".
inline std::string JoinNameSpace(const std::vector<std::string>& segments) {
  std::string joined;
  for (const std::string& segment : segments) {
    if (!joined.empty()) joined += '.';
    joined += segment;
  }
  return joined;
}

}  // namespace kiv
