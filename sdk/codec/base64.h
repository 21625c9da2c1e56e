// base64.h: AppendBase64, standard Base64 with padding, as blobs are
// written in text forms.
//
// Not for: decoding, or URL-safe alphabets.
//
//   std::string text;
//   AppendBase64(bytes, text);  // "abc" -> "YWJj"
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace kiv {

/// Appends 4 * ceil(n / 3) characters of the alphabet A-Z a-z 0-9 + / and "=".
void AppendBase64(std::span<const uint8_t> bytes, std::string& out);

}  // namespace kiv
