// yaml_positions.h: where each node of a YAML document starts, by its path
// ("tournaments[0].phases[1].start"), so that messages about a node's
// meaning can point at it. Read with libyaml's event marks; a document the
// YAML reader refused has no positions to offer.
//
// Not for: reading values (sdk/codec/yaml_reader.h does that).
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <utility>

namespace kiv::standin {

/// Path -> (line, column), both from 1. A mapping member's path points at
/// its key; a sequence element's at the element.
std::map<std::string, std::pair<int, int>> YamlPositions(std::string_view text);

}  // namespace kiv::standin
