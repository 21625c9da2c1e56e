// Any bytes: ReadMessagePack never reads past the input, consumes no more
// than it was given, and keeps every structure in name order.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "fuzz/codec/tree_order.h"
#include "sdk/codec/json_writer.h"
#include "sdk/codec/msgpack_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const kiv::MessagePackResult read = kiv::ReadMessagePack(data, size);
  if (read.consumed > size) std::abort();
  if (!read.value.IsValid()) return 0;
  kiv::fuzz::AbortUnlessInNameOrder(read.value);
  (void)kiv::WriteJson(read.value);
  return 0;
}
