// json_reader.h: ReadJson, JSON text to BindingProperty.
//
// null reads as empty, true/false as bool, a non-negative integer up to
// 2^64-1 as unsigned, a negative integer down to -2^63 as signed, any other
// number as float; strings end at their first NUL; arrays are collections
// and objects structures. A repeated member name selects the existing
// member (a later scalar replaces it, objects merge, arrays concatenate).
// Empty or blank text is an empty value, not an error. Nesting deeper than
// kMaxNestingDepth is refused.
//
// Not for: writing JSON (json_writer.h) or other text forms.
//
//   BindingProperty value = ReadJson(R"({"a": [1, -1, 1.5, null]})");
//   if (!value.IsValid()) Log(value.Error());  // "Error: ... at offset N."
//   value.Member("a").Element(1).GetSigned();  // -1
#pragma once

#include <string>
#include <string_view>

#include "sdk/value/binding_property.h"

namespace kiv {

/// Parses NUL-terminated JSON text (a null pointer reads as empty text). On
/// failure the result is invalid and its Error() is
/// "Error: <reason> at offset <byte offset>.".
BindingProperty ReadJson(const char* text);
inline BindingProperty ReadJson(const std::string& text) { return ReadJson(text.c_str()); }
/// Parses the text of `text`, up to its end or its first NUL, without copying
/// it (request bodies are not NUL-terminated).
BindingProperty ReadJson(std::string_view text);

/// The reason text of a RapidJSON parse error code ("Invalid value." for 3,
/// "Unknown error." beyond the known codes).
const char* JsonErrorText(unsigned code);

}  // namespace kiv
