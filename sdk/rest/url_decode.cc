#include "sdk/rest/url_decode.h"

namespace kiv {
namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return 16;
}

}  // namespace

std::string UrlDecode(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '+') {
      out += ' ';
    } else if (c == '%') {
      if (text.size() - i > 2) {
        out += static_cast<char>((HexDigit(text[i + 1]) * 16 + HexDigit(text[i + 2])) & 0xFF);
        i += 2;
      }
      // A "%" with fewer than two characters after it is dropped; what
      // follows it is copied.
    } else {
      out += c;
    }
  }
  return out;
}

std::map<std::string, std::string> ParseQuery(std::string_view query) {
  std::map<std::string, std::string> pieces;
  while (true) {
    const size_t amp = query.find('&');
    const std::string_view piece = query.substr(0, amp);
    const size_t eq = piece.find('=');
    std::string key = UrlDecode(piece.substr(0, eq));
    std::string value =
        eq == std::string_view::npos ? std::string() : UrlDecode(piece.substr(eq + 1));
    pieces.insert_or_assign(std::move(key), std::move(value));
    if (amp == std::string_view::npos) break;
    query.remove_prefix(amp + 1);
  }
  return pieces;
}

}  // namespace kiv
