#include "sdk/runtime/named_failure.h"

#include <string>

namespace kiv {

Failure NamedFailure(uint32_t code, std::string_view messageTemplate,
                     std::initializer_list<NamedValue> values) {
  // One pass over the template, so a value that itself contains "{url}" or
  // the like is never replaced again.
  std::string message;
  message.reserve(messageTemplate.size() + 64);
  size_t at = 0;
  while (at < messageTemplate.size()) {
    bool replaced = false;
    if (messageTemplate[at] == '{') {
      const size_t close = messageTemplate.find('}', at);
      if (close != std::string_view::npos) {
        const std::string_view name = messageTemplate.substr(at + 1, close - at - 1);
        for (const auto& [key, value] : values) {
          if (key != name) continue;
          message += value;
          at = close + 1;
          replaced = true;
          break;
        }
      }
    }
    if (!replaced) message += messageTemplate[at++];
  }
  Failure failure(code, std::move(message));
  for (const auto& [name, value] : values) failure.AddField(std::string(name), value);
  return failure;
}

}  // namespace kiv
