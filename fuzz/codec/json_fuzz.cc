// Any text: ReadJson either fails with a message or gives a valid value,
// its members in name order, that the writers accept.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fuzz/codec/tree_order.h"
#include "sdk/codec/json_reader.h"
#include "sdk/codec/json_writer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const kiv::BindingProperty value = kiv::ReadJson(text);
  if (!value.IsValid()) {
    if (value.Error().rfind("Error: ", 0) != 0) std::abort();
    return 0;
  }
  kiv::fuzz::AbortUnlessInNameOrder(value);
  (void)kiv::WriteJson(value, {.lineBreak = "\r\n"});
  return 0;
}
