#include "sdk/value/value_kind.h"

#include <iterator>

#include "sdk/value/native_type.h"

namespace kiv {

const char* KindName(uint32_t code) {
  static constexpr const char* kNames[] = {"empty",  "bool", "signed", "unsigned",   "float",
                                           "string", "blob", "enum",   "collection", "structure"};
  return code < std::size(kNames) ? kNames[code] : "";
}

const char* NativeTypeName(uint32_t code) {
  static constexpr const char* kNames[] = {"",       "bool",   "int8",   "uint8",    "int16",
                                           "uint16", "int32",  "uint32", "int64",    "uint64",
                                           "float",  "double", "string", "object",   "blob",
                                           "vector", "enum",   "struct", "callback", "map"};
  return code < std::size(kNames) ? kNames[code] : "";
}

}  // namespace kiv
