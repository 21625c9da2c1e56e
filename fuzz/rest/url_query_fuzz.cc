// UrlDecode and ParseQuery on arbitrary bytes: no crash, no undefined
// behaviour, and decoding never grows the text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "sdk/rest/url_decode.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  if (kiv::UrlDecode(text).size() > text.size()) std::abort();
  for (const auto& [key, value] : kiv::ParseQuery(text)) {
    if (key.size() + value.size() > text.size()) std::abort();
  }
  return 0;
}
