// url_decode.h: URL decoding and query-string parsing for incoming requests.
//
//   UrlDecode("a%2Fb+c")              // "a/b c"
//   ParseQuery("a=1&a=2&flag")        // {{"a", "2"}, {"flag", ""}}
#pragma once

#include <map>
#include <string>
#include <string_view>

namespace kiv {

/// "+" becomes a space; "%" and two characters become the byte of those two
/// hexadecimal digits (a non-digit counts as 16; the byte is the low eight
/// bits); a "%" with fewer than two characters after it is dropped.
std::string UrlDecode(std::string_view text);

/// Splits `query` (the text after "?") at every "&", each piece at its first
/// "=" into key and value, both URL-decoded. A later piece replaces an
/// earlier one with the same key; an empty piece gives an empty key.
std::map<std::string, std::string> ParseQuery(std::string_view query);

}  // namespace kiv
