// Any text: ReadYaml either fails with a message or gives a valid value,
// its members in name order, that the JSON writer accepts.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "fuzz/codec/tree_order.h"
#include "sdk/codec/json_writer.h"
#include "sdk/codec/yaml_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const kiv::BindingProperty value =
      kiv::ReadYaml(std::string_view(reinterpret_cast<const char*>(data), size));
  if (!value.IsValid()) {
    if (value.Error().empty()) std::abort();
    return 0;
  }
  kiv::fuzz::AbortUnlessInNameOrder(value);
  (void)kiv::WriteJson(value);
  return 0;
}
