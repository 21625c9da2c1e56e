#include "sdk/value/static_type.h"

#include <cstdio>

namespace kiv {

std::string FormatStaticTypeId(uint32_t id) {
  char text[16];
  std::snprintf(text, sizeof text, "#%08X", id);
  return text;
}

}  // namespace kiv
