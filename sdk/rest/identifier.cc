#include "sdk/rest/identifier.h"

#include <cctype>

namespace kiv {

std::string MakeIdentifier(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 8);
  bool upperNext = true;
  for (const char c : text) {
    switch (c) {
      case '!':
      case '+':
      case '-':
      case '.':
      case '/':
      case '_':
        upperNext = true;
        break;
      case '{':
        out += "By";
        upperNext = true;
        break;
      case '}':
        break;
      default:
        out += upperNext ? static_cast<char>(std::toupper(static_cast<unsigned char>(c))) : c;
        upperNext = false;
        break;
    }
  }
  return out;
}

std::string MakeFunctionName(std::string_view methodName, std::string_view urlTemplate) {
  std::string text;
  if (!methodName.empty()) {
    text += methodName[0];
    for (size_t i = 1; i < methodName.size(); ++i) {
      text += static_cast<char>(std::tolower(static_cast<unsigned char>(methodName[i])));
    }
    text += '/';
  }
  text += urlTemplate;
  return MakeIdentifier(text);
}

}  // namespace kiv
