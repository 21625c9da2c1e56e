// JSON text -> value -> compact JSON -> value: the two trees are equal.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "sdk/codec/json_reader.h"
#include "sdk/codec/json_writer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const kiv::BindingProperty first = kiv::ReadJson(text);
  if (!first.IsValid()) return 0;
  const std::string written = kiv::WriteJson(first);
  const kiv::BindingProperty second = kiv::ReadJson(written);
  if (!(first == second)) {
    std::fprintf(stderr, "round trip differs:\n%s\n%s\n", written.c_str(),
                 kiv::WriteJson(second).c_str());
    std::abort();
  }
  return 0;
}
