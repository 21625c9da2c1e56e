#include "sdk/rest/bind_arguments.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <string>

#include "sdk/rest/content_types.h"
#include "sdk/rest/decode_text.h"
#include "sdk/rest/url_decode.h"
#include "sdk/value/format_message.h"
#include "sdk/value/native/host_value.h"

namespace kiv {
namespace {

constexpr NativeType kStructuredTypes[] = {NativeType::kVector, NativeType::kStruct,
                                           NativeType::kObject};

bool IsStructured(NativeType type) {
  for (NativeType structured : kStructuredTypes) {
    if (type == structured) return true;
  }
  return false;
}

int FindArgument(const Endpoint& endpoint, std::string_view name) {
  for (size_t i = 0; i < endpoint.arguments.size(); ++i) {
    if (endpoint.arguments[i].name == name) return static_cast<int>(i);
  }
  return -1;
}

void UnknownArgument(const Endpoint& endpoint, std::string_view name, ConversionStatus& status) {
  status.SetError(FormatMessage("Unknown argument '%1' for '%2'.", name, endpoint.functionName));
}

// Walks "a.0.b" from the argument's value, creating what is missing. Null
// when a segment is a bad index (the status then holds why). Every element an
// index creates, the gap before it included, is paid from `budget`: an index
// that would grow collections past what the whole request may create is out
// of range, so a short query cannot allocate gigabytes.
BindingProperty* WalkPath(BindingProperty& root, std::string_view path, IndexBudget& budget,
                          ConversionStatus& status) {
  BindingProperty* at = &root;
  while (true) {
    const size_t dot = path.find('.');
    const std::string_view segment = path.substr(0, dot);
    if (!segment.empty() && std::isdigit(static_cast<unsigned char>(segment.front()))) {
      const std::string text(segment);
      char* end = nullptr;
      errno = 0;
      const unsigned long index = std::strtoul(text.c_str(), &end, 0);
      if (*end != '\0') {
        status.SetError(FormatMessage("Index %1 is in an incorrect format", segment));
        return nullptr;
      }
      const size_t size = at->IsCollection() ? at->Size() : 0;
      const size_t created = index < size ? 0 : index + 1 - size;
      if (errno == ERANGE || index >= kMaxQueryIndexElements || created > budget.remaining) {
        status.SetError(FormatMessage("Index %1 is out of range", segment));
        return nullptr;
      }
      budget.remaining -= created;
      at = &at->MutableElement(index);
    } else {
      at = &at->MutableMember(segment);
    }
    if (dot == std::string_view::npos) return at;
    path.remove_prefix(dot + 1);
  }
}

void BindBody(const Endpoint& endpoint, const IncomingRequest& request,
              std::span<BindingProperty> values, ConversionStatus& status) {
  if (!request.body) return;
  int target = -1;
  for (size_t i = 0; i < endpoint.arguments.size() && target < 0; ++i) {
    if (endpoint.arguments[i].location == kBodyLocation) target = static_cast<int>(i);
  }
  if (target < 0) return;
  const std::string_view type = request.contentType ? request.contentType : "";
  const std::string_view text(reinterpret_cast<const char*>(request.body), request.bodySize);
  const auto format = FormatOfContentType(type, ContentUse::kBody);
  if (!format) {
    status.SetError("Unsupported body content type");
    return;
  }
  DecodedText decoded = ReadInFormat(*format, text);
  if (!decoded.value.IsValid()) {
    status.SetError(decoded.value.Error());
    return;
  }
  if (*format == TextFormat::kMessagePack && decoded.consumed < request.bodySize) {
    status.SetError("Extra MessgePack data found in body");
    return;
  }
  values[target] = std::move(decoded.value);
}

}  // namespace

void BindText(const Endpoint& endpoint, std::string_view key, std::string_view text,
              uint32_t location, std::span<BindingProperty> values, IndexBudget& budget,
              ConversionStatus& status) {
  if (!status.IsValid()) return;
  const size_t dot = key.find('.');
  const std::string_view name = key.substr(0, dot);
  const int index = FindArgument(endpoint, name);
  if (index < 0) return UnknownArgument(endpoint, name, status);
  const ArgumentDescription& argument = endpoint.arguments[index];
  if (argument.location != kAnyLocation && argument.location != location) {
    status.SetError(FormatMessage("Argument '%1' for '%2' was specified in an invalid location.",
                                  name, endpoint.functionName));
    return;
  }
  BindingProperty& value = values[index];
  if (dot != std::string_view::npos) {
    BindingProperty* target = WalkPath(value, key.substr(dot + 1), budget, status);
    if (!target) return;
    BindingProperty decoded =
        DecodeText(text, "", false, argument.name, endpoint.functionName, status);
    if (status.IsValid()) *target = std::move(decoded);
    return;
  }
  const NativeType type = argument.type.type;
  if (text.empty()) {
    if (type == NativeType::kBool) {
      value = true;
    } else if (type == NativeType::kObject || type == NativeType::kStruct) {
      value.SetEmptyStructure();
    } else if (type == NativeType::kVector) {
      value.SetEmptyCollection();
    } else {
      status.SetError(FormatMessage("Expected value for argument '%1'.", argument.name));
    }
    return;
  }
  BindingProperty decoded =
      DecodeText(text, "", IsStructured(type), argument.name, endpoint.functionName, status);
  if (status.IsValid()) value = std::move(decoded);
}

void BindArguments(const Endpoint& endpoint, const IncomingRequest& request,
                   const RouteMatch& match, std::span<BindingProperty> values,
                   ConversionStatus& status) {
  for (size_t i = 0; i < endpoint.arguments.size(); ++i) {
    const ArgumentDescription& argument = endpoint.arguments[i];
    if (argument.type.type == NativeType::kBool && !argument.optional) values[i] = false;
  }
  IndexBudget budget;
  // Headers, by the argument's name in lower case.
  for (const ArgumentDescription& argument : endpoint.arguments) {
    if (argument.location != kAnyLocation && argument.location != kHeaderLocation) continue;
    std::string lower = argument.name;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (uint32_t h = 0; h < request.headerCount && request.headers; ++h) {
      const HostHeader& header = request.headers[h];
      if (header.name && header.value && lower == header.name) {
        BindText(endpoint, argument.name, header.value, kHeaderLocation, values, budget, status);
      }
    }
  }
  for (const auto& [name, text] : match.parameters) {
    BindText(endpoint, name, text, kPathLocation, values, budget, status);
  }
  const std::string_view url = request.url ? request.url : "";
  if (const size_t question = url.find('?'); question != std::string_view::npos) {
    for (const auto& [key, text] : ParseQuery(url.substr(question + 1))) {
      BindText(endpoint, key, text, kQueryLocation, values, budget, status);
    }
  }
  for (uint32_t a = 0; a < request.argCount && request.args && status.IsValid(); ++a) {
    const HostMember& entry = request.args[a];
    int index = entry.name ? FindArgument(endpoint, entry.name) : static_cast<int>(a);
    if (index < 0 || static_cast<size_t>(index) >= endpoint.arguments.size()) {
      UnknownArgument(endpoint, entry.name ? std::string(entry.name) : std::to_string(a), status);
      break;
    }
    BindingProperty converted =
        HostValueToProperty(entry.value, endpoint.arguments[index].name, status);
    if (status.IsValid()) values[index] = std::move(converted);
  }
  if (status.IsValid()) BindBody(endpoint, request, values, status);
}

}  // namespace kiv
