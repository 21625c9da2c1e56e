// The compressed winners decoder on arbitrary input: the bytes as the Base64
// text the service sends, and the same bytes straight into the gzip layer.
// Neither may crash, and a successful decode must hold a record that
// converts back.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "joust/backend/winners_payload.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  auto winners = kiv::joust::DecodeWinners(text);
  if (winners.ok() && winners->winners.size() > size * 8) __builtin_trap();

  std::vector<uint8_t> inflated;
  const int status = kiv::joust::Inflate(std::span<const uint8_t>(data, size), size * 2, inflated);
  if (status == 0 && inflated.size() > kiv::joust::kMaxInflatedBytes) __builtin_trap();
  return 0;
}
