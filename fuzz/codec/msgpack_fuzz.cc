// Any bytes: ReadMessagePack never reads past the input, and consumes no more
// than it was given.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "sdk/codec/json_writer.h"
#include "sdk/codec/msgpack_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const kiv::MessagePackResult read = kiv::ReadMessagePack(data, size);
  if (read.consumed > size) std::abort();
  if (read.value.IsValid()) (void)kiv::WriteJson(read.value);
  return 0;
}
