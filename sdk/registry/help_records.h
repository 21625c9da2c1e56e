// help_records.h: the records in which the registry describes the API (the
// "Full" help format), and the help format enum. They are ordinary described
// records: a new registry registers them in the name space "$builtin",
// "help", and help output is their value form.
//
// Not for: building help (help_builder.h fills these from the registry).
//
//   BindingFullApiHelp help = BuildApiHelp(registry);
//   help.types[0].name;   // the first registered type
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sdk/value/native/enum_descriptor.h"
#include "sdk/value/native/record_descriptor.h"

namespace kiv {

struct BindingFullTypeIdentifier {
  std::string type;
  std::string elementType;
};

struct BindingFullArgumentHelp {
  std::string name;
  std::string description;
  BindingFullTypeIdentifier type;
  bool optional = false;
};

struct BindingFullFunctionHelp {
  std::string name;
  std::string nameSpace;
  std::vector<BindingFullArgumentHelp> arguments;
  BindingFullTypeIdentifier returns;
  std::string description;
  std::string help;
  bool threadSafe = false;
  std::string async;
  std::vector<std::string> tags;
};

struct BindingFullEnumValueHelp {
  std::string name;
  std::string description;
  int32_t value = 0;
};

struct BindingFullFieldHelp {
  std::string name;
  std::string description;
  uint32_t offset = 0;
  BindingFullTypeIdentifier type;
  bool optional = false;
};

struct BindingFullTypeHelp {
  std::string name;
  std::string nameSpace;
  uint32_t size = 0;
  std::string description;
  std::vector<std::string> tags;
  std::vector<BindingFullFieldHelp> fields;
  std::vector<BindingFullEnumValueHelp> values;
};

struct BindingFullEventHelp {
  std::string name;
  std::string nameSpace;
  BindingFullTypeIdentifier type;
  std::string description;
  std::vector<std::string> tags;
};

struct BindingFullApiHelp {
  std::vector<BindingFullFunctionHelp> functions;
  std::vector<BindingFullTypeHelp> types;
  std::vector<BindingFullEventHelp> events;
};

enum class BindingHelpFormat : int32_t { kFull = 1, kEpytext = 2 };

template <>
inline constexpr auto kRecord<BindingFullTypeIdentifier> =
    Record<BindingFullTypeIdentifier>("BindingFullTypeIdentifier",
                                      Field("type", &BindingFullTypeIdentifier::type),
                                      Field("elementType", &BindingFullTypeIdentifier::elementType))
        .Described("Describes the type of a value.");

template <>
inline constexpr auto kRecord<BindingFullArgumentHelp> =
    Record<BindingFullArgumentHelp>("BindingFullArgumentHelp",
                                    Field("name", &BindingFullArgumentHelp::name),
                                    Field("description", &BindingFullArgumentHelp::description),
                                    Field("type", &BindingFullArgumentHelp::type),
                                    Field("optional", &BindingFullArgumentHelp::optional))
        .Described("Describes a function parameter.");

template <>
inline constexpr auto kRecord<BindingFullFunctionHelp> =
    Record<BindingFullFunctionHelp>("BindingFullFunctionHelp",
                                    Field("name", &BindingFullFunctionHelp::name),
                                    Field("nameSpace", &BindingFullFunctionHelp::nameSpace),
                                    Field("arguments", &BindingFullFunctionHelp::arguments),
                                    Field("returns", &BindingFullFunctionHelp::returns),
                                    Field("description", &BindingFullFunctionHelp::description),
                                    Field("help", &BindingFullFunctionHelp::help),
                                    Field("threadSafe", &BindingFullFunctionHelp::threadSafe),
                                    Field("async", &BindingFullFunctionHelp::async),
                                    Field("tags", &BindingFullFunctionHelp::tags))
        .Described("Describes a function.");

template <>
inline constexpr auto kRecord<BindingFullEnumValueHelp> =
    Record<BindingFullEnumValueHelp>("BindingFullEnumValueHelp",
                                     Field("name", &BindingFullEnumValueHelp::name),
                                     Field("description", &BindingFullEnumValueHelp::description),
                                     Field("value", &BindingFullEnumValueHelp::value))
        .Described("Describes an enumerator.");

template <>
inline constexpr auto kRecord<BindingFullFieldHelp> =
    Record<BindingFullFieldHelp>("BindingFullFieldHelp", Field("name", &BindingFullFieldHelp::name),
                                 Field("description", &BindingFullFieldHelp::description),
                                 Field("offset", &BindingFullFieldHelp::offset),
                                 Field("type", &BindingFullFieldHelp::type),
                                 Field("optional", &BindingFullFieldHelp::optional))
        .Described("Describes a member of a struct.");

template <>
inline constexpr auto kRecord<BindingFullTypeHelp> =
    Record<BindingFullTypeHelp>("BindingFullTypeHelp", Field("name", &BindingFullTypeHelp::name),
                                Field("nameSpace", &BindingFullTypeHelp::nameSpace),
                                Field("size", &BindingFullTypeHelp::size),
                                Field("description", &BindingFullTypeHelp::description),
                                Field("tags", &BindingFullTypeHelp::tags),
                                Field("fields", &BindingFullTypeHelp::fields),
                                Field("values", &BindingFullTypeHelp::values))
        .Described("Describes a struct or enum type.");

template <>
inline constexpr auto kRecord<BindingFullEventHelp> =
    Record<BindingFullEventHelp>("BindingFullEventHelp", Field("name", &BindingFullEventHelp::name),
                                 Field("nameSpace", &BindingFullEventHelp::nameSpace),
                                 Field("type", &BindingFullEventHelp::type),
                                 Field("description", &BindingFullEventHelp::description),
                                 Field("tags", &BindingFullEventHelp::tags))
        .Described("Describes an event.");

template <>
inline constexpr auto kRecord<BindingFullApiHelp> =
    Record<BindingFullApiHelp>("BindingFullApiHelp",
                               Field("functions", &BindingFullApiHelp::functions),
                               Field("types", &BindingFullApiHelp::types),
                               Field("events", &BindingFullApiHelp::events))
        .Described("Describes the exposed native API.");

template <>
inline constexpr auto kEnum<BindingHelpFormat> =
    Enum<BindingHelpFormat>("BindingHelpFormat", {{"Full", 1, "Native help format"},
                                                  {"Epytext", 2, "Python epytext format"}})
        .Described("Help format for binding functions and types.");

}  // namespace kiv
