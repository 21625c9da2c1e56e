// model_types_file.h: reads model_types.txt, the expected listing of every
// tournament model type (one line per type: kind, qualified name, members
// "name:type" or values "NAME=number"), for the table tests of the model and
// of the plugin's help.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace kiv::joust::model_test {

struct ExpectedType {
  std::string line;  ///< The whole line, as the registry listing must print it.
  std::string kind;  ///< "struct" or "enum".
  std::string nameSpace;
  std::string name;
  /// Members as "name:type" or values as "NAME=number", in order.
  std::vector<std::string> items;
};

inline std::vector<ExpectedType> ReadModelTypes(const char* path) {
  std::vector<ExpectedType> types;
  std::ifstream file(path);
  EXPECT_TRUE(file.is_open()) << path;
  for (std::string line; std::getline(file, line);) {
    if (line.empty() || line[0] == '#') continue;
    ExpectedType type{line};
    std::istringstream words(line);
    std::string qualified;
    words >> type.kind >> qualified;
    type.nameSpace = qualified.substr(0, qualified.find('.'));
    type.name = qualified.substr(qualified.find('.') + 1);
    for (std::string item; words >> item;) type.items.push_back(item);
    types.push_back(std::move(type));
  }
  return types;
}

}  // namespace kiv::joust::model_test
