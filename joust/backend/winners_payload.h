// winners_payload.h: the tournament service's compressed winners, decoded:
// Base64 text of a gzip stream of the JSON of one TournamentWinnerHistory.
//
// DecodeWinners fails with "Failed to decompress joust payload" (code 500)
// when the bytes are not one complete gzip stream (damaged, truncated,
// needing a dictionary, or inflating past kMaxInflatedBytes), and with "Could
// not deserialize TournamentWinnerHistory" (code 500) when the text is not
// JSON of that record. Of several concatenated gzip members only the first is
// read. Base64 is read leniently: missing "=" padding is supplied; a
// character outside the alphabet makes the payload undecodable.
//
// Not for: calling the service (backend_client.h).
//
//   auto winners = DecodeWinners(answer.GetString());
//   if (winners.ok()) Publish(*winners);
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "joust/model/api/history.h"
#include "sdk/value/maybe_type.h"

namespace kiv::joust {

/// The most bytes a winners payload may inflate to (8 MiB): a list of
/// winners is a few kilobytes, and a small payload that inflates to
/// gigabytes of zeros must not take the client's memory with it. The output
/// grows by doubling, so while it grows the old and the new buffer together
/// stay under 2 * kMaxInflatedBytes (16 MiB), the most decoding ever holds
/// besides the payload itself.
inline constexpr size_t kMaxInflatedBytes = 8u << 20;

MaybeType<Failure, Api::TournamentWinnerHistory> DecodeWinners(std::string_view payload);

/// The gzip inflation under DecodeWinners, with zlib: the output starts with
/// `initialCapacity` bytes and doubles, input and output pass through
/// 16384-byte windows. Returns zlib's status: 0 (Z_OK) when the stream ended
/// properly, -3 (Z_DATA_ERROR) for a damaged or incomplete stream, one
/// needing a dictionary, or one past kMaxInflatedBytes, -4 (Z_MEM_ERROR) when
/// memory ran out.
int Inflate(std::span<const uint8_t> input, size_t initialCapacity, std::vector<uint8_t>& output);

}  // namespace kiv::joust
