#include "standin/scenario/internal/yaml_positions.h"

#include <yaml.h>

#include <vector>

namespace kiv::standin {

std::map<std::string, std::pair<int, int>> YamlPositions(std::string_view text) {
  std::map<std::string, std::pair<int, int>> positions;
  yaml_parser_t parser;
  yaml_parser_initialize(&parser);
  yaml_parser_set_input_string(&parser, reinterpret_cast<const unsigned char*>(text.data()),
                               text.size());
  struct Frame {
    std::string path;
    bool mapping;
    size_t index = 0;       // next element of a sequence
    bool expectKey = true;  // a mapping's next scalar is a key
    std::string key;        // the pending key
  };
  std::vector<Frame> stack;
  positions[""] = {1, 1};
  // The path of the node that starts now, and records its position.
  auto place = [&](const yaml_mark_t& mark) -> std::string {
    if (stack.empty()) return "";
    Frame& top = stack.back();
    if (top.mapping) {
      top.expectKey = true;
      return top.path.empty() ? top.key : top.path + "." + top.key;
    }
    std::string path = top.path + "[" + std::to_string(top.index++) + "]";
    positions.emplace(
        path, std::pair{static_cast<int>(mark.line) + 1, static_cast<int>(mark.column) + 1});
    return path;
  };
  for (bool done = false; !done;) {
    yaml_event_t event;
    if (!yaml_parser_parse(&parser, &event)) break;
    switch (event.type) {
      case YAML_STREAM_END_EVENT:
        done = true;
        break;
      case YAML_SCALAR_EVENT:
      case YAML_ALIAS_EVENT:
        if (!stack.empty() && stack.back().mapping && stack.back().expectKey &&
            event.type == YAML_SCALAR_EVENT) {
          Frame& top = stack.back();
          top.key.assign(reinterpret_cast<const char*>(event.data.scalar.value),
                         event.data.scalar.length);
          top.expectKey = false;
          positions.emplace(top.path.empty() ? top.key : top.path + "." + top.key,
                            std::pair{static_cast<int>(event.start_mark.line) + 1,
                                      static_cast<int>(event.start_mark.column) + 1});
        } else {
          place(event.start_mark);
        }
        break;
      case YAML_MAPPING_START_EVENT:
      case YAML_SEQUENCE_START_EVENT: {
        const std::string path = place(event.start_mark);
        stack.push_back(Frame{path, event.type == YAML_MAPPING_START_EVENT});
        break;
      }
      case YAML_MAPPING_END_EVENT:
      case YAML_SEQUENCE_END_EVENT:
        if (!stack.empty()) stack.pop_back();
        break;
      default:
        break;
    }
    yaml_event_delete(&event);
  }
  yaml_parser_delete(&parser);
  return positions;
}

}  // namespace kiv::standin
