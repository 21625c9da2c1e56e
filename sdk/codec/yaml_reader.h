// yaml_reader.h: ReadYaml, one YAML document to BindingProperty.
//
// Mappings become structures (keys are taken as written), sequences
// collections; scalars are typed by their tag, or by their style and text
// (null spellings, numbers, bool spellings, strings). Aliases receive deep
// copies of their anchored node; cyclic, undefined and duplicate anchors
// are refused, as is a second non-empty document, nesting deeper than
// kMaxNestingDepth, and alias expansion beyond kMaxYamlAliasValues values or
// kMaxYamlAliasBytes bytes of strings and blobs.
// Positions in messages count lines and columns from 1.
//
// Not for: writing YAML, or streams of several documents.
//
//   BindingProperty value = ReadYaml("a: 1\nb: [x, ~]\n");
//   value.Member("a").GetUnsigned();  // 1
//   ReadYaml("a: [").Error();         // "YAML parser error: ... At line: 2 col: 1"
#pragma once

#include <cstddef>
#include <string_view>

#include "sdk/value/binding_property.h"

namespace kiv {

/// The most values that anchors and aliases may copy in one document; a
/// guard against documents that expand exponentially.
inline constexpr size_t kMaxYamlAliasValues = 1000000;
/// The most bytes of strings and blobs that anchors and aliases may copy in
/// one document (16 MiB): a 1 MB string aliased a thousand times would
/// otherwise become a gigabyte of answer.
inline constexpr size_t kMaxYamlAliasBytes = 16777216;

/// Parses UTF-8 `text`. On failure the result is invalid with the message
/// as Error().
BindingProperty ReadYaml(std::string_view text);

}  // namespace kiv
