// api_description.h: the registered functions and events of an API: their
// names, name spaces, argument and payload types, descriptions and tags, as
// the type registry lists them for help.
//
// Not for: dispatching calls (the route layer owns handlers); these records
// only describe.
//
//   FunctionDescription help{.name = "Help", .nameSpace = {"$builtin"}};
//   help.arguments.push_back({"target", TypeReferenceOf<std::string>(), "Type or function", true,
//   1}); registry.RegisterFunction(std::move(help));
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sdk/value/native/type_reference.h"

namespace kiv {

struct ArgumentDescription {
  std::string name;
  TypeReference type;
  std::string description;
  bool optional = false;
  uint32_t location = 0;  ///< Where the dispatcher takes the argument from.
};

struct FunctionDescription {
  std::string name;
  std::vector<std::string> nameSpace;
  std::vector<ArgumentDescription> arguments;
  TypeReference result;
  std::string description;
  std::string help;
  bool threadSafe = false;
  TypeReference async;  ///< NativeType{} when the function is not asynchronous.
  std::vector<std::string> tags;
};

struct EventDescription {
  std::string name;
  std::vector<std::string> nameSpace;
  TypeReference type;
  std::string description;
  std::vector<std::string> tags;
};

}  // namespace kiv
