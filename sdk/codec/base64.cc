#include "sdk/codec/base64.h"

namespace kiv {

void AppendBase64(std::span<const uint8_t> bytes, std::string& out) {
  static constexpr char kAlphabet[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  const size_t size = bytes.size();
  size_t at = out.size();
  out.resize(at + (size + 2) / 3 * 4);
  size_t i = 0;
  for (; i + 3 <= size; i += 3) {
    const uint32_t group = uint32_t{bytes[i]} << 16 | uint32_t{bytes[i + 1]} << 8 | bytes[i + 2];
    out[at++] = kAlphabet[group >> 18];
    out[at++] = kAlphabet[(group >> 12) & 63];
    out[at++] = kAlphabet[(group >> 6) & 63];
    out[at++] = kAlphabet[group & 63];
  }
  if (i < size) {
    const bool two = i + 1 < size;
    const uint32_t group = uint32_t{bytes[i]} << 16 | (two ? uint32_t{bytes[i + 1]} << 8 : 0);
    out[at++] = kAlphabet[group >> 18];
    out[at++] = kAlphabet[(group >> 12) & 63];
    out[at++] = two ? kAlphabet[(group >> 6) & 63] : '=';
    out[at++] = '=';
  }
}

}  // namespace kiv
