#include "joust/backend/winners_payload.h"

#include <openssl/evp.h>
#include <zlib.h>

#include <string>

#include "sdk/codec/json_reader.h"
#include "sdk/value/conversion_status.h"
#include "sdk/value/native/convert.h"

namespace kiv::joust {
namespace {

constexpr size_t kWindowBytes = 16384;
constexpr char kDecompressFailed[] = "Failed to decompress joust payload";
constexpr char kDeserializeFailed[] = "Could not deserialize TournamentWinnerHistory";

// Standard Base64 through libcrypto; false for a character outside the
// alphabet. Missing padding is supplied.
bool DecodeBase64(std::string_view text, std::vector<uint8_t>& bytes) {
  std::string padded(text);
  while (padded.size() % 4 != 0) padded += '=';
  bytes.resize(padded.size() / 4 * 3);
  if (padded.empty()) return true;
  const int decoded = EVP_DecodeBlock(bytes.data(), reinterpret_cast<const uint8_t*>(padded.data()),
                                      static_cast<int>(padded.size()));
  if (decoded < 0) return false;
  // The block decoder counts the padding as zero bytes.
  size_t length = static_cast<size_t>(decoded);
  for (size_t at = padded.size(); at > 0 && padded[at - 1] == '=' && length > 0; --at) --length;
  bytes.resize(length);
  return true;
}

}  // namespace

int Inflate(std::span<const uint8_t> input, size_t initialCapacity, std::vector<uint8_t>& output) {
  z_stream stream{};
  // Window bits 31: a 32 KB window with gzip decoding.
  int status = inflateInit2_(&stream, 31, "1.2.8", static_cast<int>(sizeof(z_stream)));
  if (status != Z_OK) return status;
  output.clear();
  output.reserve(initialCapacity < kMaxInflatedBytes ? initialCapacity : kMaxInflatedBytes);
  uint8_t window[kWindowBytes];
  size_t offset = 0;
  bool ended = false;
  while (offset < input.size() && !ended) {
    const size_t chunk =
        input.size() - offset < kWindowBytes ? input.size() - offset : kWindowBytes;
    stream.next_in = const_cast<Bytef*>(input.data() + offset);
    stream.avail_in = static_cast<uInt>(chunk);
    offset += chunk;
    do {
      stream.next_out = window;
      stream.avail_out = kWindowBytes;
      status = inflate(&stream, Z_NO_FLUSH);
      if (status == Z_NEED_DICT) status = Z_DATA_ERROR;
      if (status == Z_DATA_ERROR || status == Z_MEM_ERROR) {
        inflateEnd(&stream);
        return status;
      }
      const size_t produced = kWindowBytes - stream.avail_out;
      if (output.size() + produced > kMaxInflatedBytes) {
        inflateEnd(&stream);
        return Z_DATA_ERROR;
      }
      if (output.size() + produced > output.capacity()) {
        // Doubling, as far as the bytes need.
        size_t capacity = output.capacity() ? output.capacity() : produced;
        while (capacity < output.size() + produced) capacity *= 2;
        output.reserve(capacity < kMaxInflatedBytes ? capacity : kMaxInflatedBytes);
      }
      output.insert(output.end(), window, window + produced);
      if (status == Z_STREAM_END) {
        ended = true;
        break;
      }
    } while (stream.avail_out == 0);
  }
  inflateEnd(&stream);
  return ended ? Z_OK : Z_DATA_ERROR;
}

MaybeType<Failure, Api::TournamentWinnerHistory> DecodeWinners(std::string_view payload) {
  std::vector<uint8_t> compressed;
  std::vector<uint8_t> inflated;
  if (!DecodeBase64(payload, compressed) ||
      Inflate(compressed, 2 * compressed.size(), inflated) != Z_OK) {
    return Fail(Failure::WithStaticMessage(500, kDecompressFailed));
  }
  const BindingProperty value =
      ReadJson(std::string_view(reinterpret_cast<const char*>(inflated.data()), inflated.size()));
  Api::TournamentWinnerHistory winners;
  ConversionStatus status;
  if (value.IsValid()) FromValue(value, "<value>", winners, status);
  if (!value.IsValid() || !status.IsValid()) {
    return Fail(Failure::WithStaticMessage(500, kDeserializeFailed));
  }
  return winners;
}

}  // namespace kiv::joust
