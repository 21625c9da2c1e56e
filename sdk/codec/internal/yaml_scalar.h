// yaml_scalar.h: the typing of one YAML scalar that is a value (not a key).
//
// With a tag: str, int, float and bool tags convert the text; any other tag
// is refused. Without a tag: quoted scalars are strings; plain, literal and
// folded ones are null spellings, then numbers (read completely by strtod,
// not +inf; integral ones become unsigned or signed), then bool spellings,
// then strings.
//
// Not for: keys (their text is taken as written) or anything outside the
// YAML reader.
//
//   std::string error;
//   YamlScalar scalar = TypeYamlScalar(nullptr, "1e3", /*quoted=*/false, error);
//   scalar.kind;      // YamlScalar::Kind::kUnsigned
//   scalar.unsignedNumber;  // 1000
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kiv::codec_internal {

struct YamlScalar {
  enum class Kind { kEmpty, kBool, kSigned, kUnsigned, kFloat, kString, kError };
  Kind kind = Kind::kEmpty;
  bool boolean = false;
  int64_t signedNumber = 0;
  uint64_t unsignedNumber = 0;
  double floatNumber = 0;
};

/// Types `text` (NUL-terminated at text.size()). `tag` is null when the
/// scalar has none; `quoted` for the single- and double-quoted styles. For
/// kind kError the message is in `error`, which is left alone otherwise.
YamlScalar TypeYamlScalar(const char* tag, std::string_view text, bool quoted, std::string& error);

}  // namespace kiv::codec_internal
