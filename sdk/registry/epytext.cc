#include "sdk/registry/epytext.h"

#include <vector>

#include "sdk/registry/help_builder.h"

namespace kiv {
namespace {

std::string Join(const std::vector<std::string>& parts, std::string_view separator) {
  std::string joined;
  for (size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) joined += separator;
    joined += parts[i];
  }
  return joined;
}

void AddTags(const std::vector<std::string>& tags, std::vector<std::string>& lines) {
  if (!tags.empty()) lines.push_back("@tags: " + Join(tags, ","));
}

}  // namespace

std::string EpytextType(const TypeReference& type, const TypeRegistry& registry) {
  switch (type.type) {
    case NativeType::kBlob:
      return "bytearray";
    case NativeType::kVector:
      return "list[" + (type.element ? EpytextType(*type.element, registry) : std::string()) + "]";
    case NativeType::kMap:
      return "dict[" + (type.element ? EpytextType(*type.element, registry) : std::string()) + "]";
    case NativeType::kEnum:
    case NativeType::kStruct:
      return "L{" + FullTypeName(type, registry) + "}";
    default:
      return NativeTypeName(type.type);
  }
}

std::string EscapeEpytext(std::string_view text) {
  std::string escaped;
  escaped.reserve(text.size());
  if (!text.empty() && text.front() == '-') {
    escaped += "E{-}";
    text.remove_prefix(1);
  }
  for (char c : text) {
    if (c == '{') {
      escaped += "E{lb}";
    } else if (c == '}') {
      escaped += "E{rb}";
    } else {
      escaped += c;
    }
  }
  return escaped;
}

std::string EpytextFunctionHelp(const FunctionDescription& function, const TypeRegistry& registry) {
  std::vector<std::string> lines{EscapeEpytext(function.description), "",
                                 EscapeEpytext(function.help), ""};
  for (const ArgumentDescription& argument : function.arguments) {
    lines.push_back("@param " + argument.name + ": " + (argument.optional ? "(optional) " : "") +
                    EscapeEpytext(argument.description));
    lines.push_back("@type " + argument.name + ": " + EpytextType(argument.type, registry));
  }
  lines.push_back("@rtype: " + EpytextType(function.result, registry));
  AddTags(function.tags, lines);
  if (function.threadSafe) lines.push_back("@threadsafe: true");
  if (function.async.type != NativeType{}) {
    lines.push_back("@async: " + EpytextType(function.async, registry));
  }
  return Join(lines, "\r\n");
}

std::string EpytextTypeHelp(const TypeDescription& type, const TypeRegistry& registry) {
  std::vector<std::string> lines{EscapeEpytext(type.description), ""};
  if (type.IsEnum()) {
    for (const EnumValueDescription& value : type.values) {
      lines.push_back("@cvar " + value.name + ": " + EscapeEpytext(value.description));
    }
    lines.push_back("@size: " + std::to_string(type.size));
  } else {
    for (const FieldDescription& field : type.fields) {
      lines.push_back("@ivar " + field.name + ": " + EscapeEpytext(field.description));
      lines.push_back("@type " + field.name + ": " + EpytextType(field.type, registry));
    }
  }
  AddTags(type.tags, lines);
  return Join(lines, "\r\n");
}

}  // namespace kiv
