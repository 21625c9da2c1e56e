#include "sdk/codec/yaml_reader.h"

#include <yaml.h>

#include <string>
#include <unordered_map>
#include <vector>

#include "sdk/codec/internal/yaml_scalar.h"
#include "sdk/codec/value_builder.h"
#include "sdk/value/format_message.h"

namespace kiv {
namespace {

using codec_internal::TypeYamlScalar;
using codec_internal::YamlScalar;

constexpr const char* kInvalidKey =
    "Invalid mapping key. Only string scalar keys are allowed. At line: %1 col: %2";
constexpr const char* kTooDeep = "YAML nesting is deeper than 256 levels. At line: %1 col: %2";
static_assert(kMaxNestingDepth == 256, "update kTooDeep");

constexpr const char* kTooManyValues =
    "Alias \"%1\" expands to more than 1000000 values. At line: %2 col: %3";
constexpr const char* kTooManyBytes =
    "Alias \"%1\" expands to more than 16777216 bytes. At line: %2 col: %3";
static_assert(kMaxYamlAliasValues == 1000000 && kMaxYamlAliasBytes == 16777216,
              "update kTooManyValues and kTooManyBytes");

/// What copying a tree costs: its nodes (containers included) and the bytes
/// of its strings and blobs.
struct CopyCost {
  size_t values = 0;
  size_t bytes = 0;
};

CopyCost CostOf(const BindingProperty& root) {
  CopyCost cost;
  std::vector<const BindingProperty*> pending{&root};
  while (!pending.empty()) {
    const BindingProperty* value = pending.back();
    pending.pop_back();
    ++cost.values;
    const ValueKind kind = value->Kind();
    if (kind == ValueKind::kString || kind == ValueKind::kBlob) cost.bytes += value->Size();
    for (const BindingProperty& element : value->Elements()) pending.push_back(&element);
    for (const BindingMember& member : value->Members()) pending.push_back(&member.Value());
  }
  return cost;
}

std::string_view ScalarText(const yaml_event_t& event) {
  return {reinterpret_cast<const char*>(event.data.scalar.value), event.data.scalar.length};
}

const char* Text(const yaml_char_t* text) { return reinterpret_cast<const char*>(text); }

class YamlReader {
 public:
  explicit YamlReader(std::string_view text) : builder_(value_) {
    yaml_parser_initialize(&parser_);
    yaml_parser_set_encoding(&parser_, YAML_UTF8_ENCODING);
    yaml_parser_set_input_string(&parser_, reinterpret_cast<const unsigned char*>(text.data()),
                                 text.size());
  }
  ~YamlReader() { yaml_parser_delete(&parser_); }
  YamlReader(const YamlReader&) = delete;
  YamlReader& operator=(const YamlReader&) = delete;

  BindingProperty Read() {
    for (;;) {
      yaml_event_t event;
      if (!yaml_parser_parse(&parser_, &event)) return Failed(ParserError());
      const bool end = event.type == YAML_STREAM_END_EVENT;
      const bool handled = Handle(event);
      yaml_event_delete(&event);
      if (!handled) return Failed(std::move(error_));
      if (end) return std::move(value_);
    }
  }

 private:
  struct Anchor {
    BindingProperty value;
    bool open = true;
  };

  bool Handle(const yaml_event_t& event) {
    switch (event.type) {
      case YAML_DOCUMENT_START_EVENT:
        if (!value_.IsEmpty()) return Fail("Multi-document YAML is not supported.");
        return true;
      case YAML_SCALAR_EVENT:
        return Scalar(event);
      case YAML_ALIAS_EVENT:
        return Alias(event);
      case YAML_SEQUENCE_START_EVENT:
        return Begin(event, false, event.data.sequence_start.anchor);
      case YAML_MAPPING_START_EVENT:
        return Begin(event, true, event.data.mapping_start.anchor);
      case YAML_SEQUENCE_END_EVENT:
      case YAML_MAPPING_END_EVENT:
        return End(event.type == YAML_MAPPING_END_EVENT);
      default:
        return true;
    }
  }

  bool Scalar(const yaml_event_t& event) {
    const std::string_view text = ScalarText(event);
    const char* tag = Text(event.data.scalar.tag);
    Anchor* anchor = nullptr;
    if (event.data.scalar.anchor != nullptr &&
        !RecordAnchor(event, event.data.scalar.anchor, anchor)) {
      return false;
    }
    if (builder_.ExpectsKey()) {
      if (tag != nullptr && std::string_view(tag) != "tag:yaml.org,2002:str") {
        return FailAt(kInvalidKey, event);
      }
      builder_.Key(text);
      if (anchor != nullptr) Close(*anchor, InTree(BindingProperty(text)));
      return true;
    }
    const bool quoted = event.data.scalar.style == YAML_SINGLE_QUOTED_SCALAR_STYLE ||
                        event.data.scalar.style == YAML_DOUBLE_QUOTED_SCALAR_STYLE;
    const YamlScalar scalar = TypeYamlScalar(tag, text, quoted, error_);
    switch (scalar.kind) {
      case YamlScalar::Kind::kError:
        return false;
      case YamlScalar::Kind::kEmpty:
        builder_.Null();
        break;
      case YamlScalar::Kind::kBool:
        builder_.Bool(scalar.boolean);
        break;
      case YamlScalar::Kind::kSigned:
        builder_.Signed(scalar.signedNumber);
        break;
      case YamlScalar::Kind::kUnsigned:
        builder_.Unsigned(scalar.unsignedNumber);
        break;
      case YamlScalar::Kind::kFloat:
        builder_.Float(scalar.floatNumber);
        break;
      case YamlScalar::Kind::kString:
        builder_.String(text);
        break;
    }
    if (anchor != nullptr) Close(*anchor, InTree(ScalarValue(scalar, text)));
    return true;
  }

  /// `value` moved into the document's tree, so that aliases copy it there
  /// by sharing its interned strings instead of copying their text.
  BindingProperty InTree(BindingProperty&& value) const {
    BindingProperty shared = value_.NewValueInSameTree();
    shared = std::move(value);
    return shared;
  }

  static BindingProperty ScalarValue(const YamlScalar& scalar, std::string_view text) {
    switch (scalar.kind) {
      case YamlScalar::Kind::kBool:
        return BindingProperty(scalar.boolean);
      case YamlScalar::Kind::kSigned:
        return BindingProperty(scalar.signedNumber);
      case YamlScalar::Kind::kUnsigned:
        return BindingProperty(scalar.unsignedNumber);
      case YamlScalar::Kind::kFloat:
        return BindingProperty(scalar.floatNumber);
      case YamlScalar::Kind::kString:
        return BindingProperty(text);
      default:
        return BindingProperty();
    }
  }

  bool Alias(const yaml_event_t& event) {
    const char* name = Text(event.data.alias.anchor);
    // An alias cannot name a member: keys are string scalars.
    if (builder_.ExpectsKey()) return FailAt(kInvalidKey, event);
    const auto found = anchors_.find(name);
    if (found == anchors_.end()) {
      return FailAt("Undefined alias encountered: \"%1\". At line: %2 col: %3", event, name);
    }
    if (found->second.open) {
      return FailAt("Cannot deserialize cyclic aliases. Alias \"%1\". At line: %2 col: %3", event,
                    name);
    }
    if (!Spend(CostOf(found->second.value), event, name)) return false;
    builder_.Copy(found->second.value);
    return true;
  }

  bool Begin(const yaml_event_t& event, bool isMap, const yaml_char_t* anchorName) {
    if (builder_.ExpectsKey()) {
      return FailAt(isMap ? "Unexpected start of mapping. At line: %1 col: %2"
                          : "Unexpected start of sequence. At line: %1 col: %2",
                    event);
    }
    Anchor* anchor = nullptr;
    if (anchorName != nullptr && !RecordAnchor(event, anchorName, anchor)) return false;
    const bool begun = isMap ? builder_.BeginMap() : builder_.BeginList();
    if (!begun) return FailAt(kTooDeep, event);
    openAnchors_.push_back(
        OpenAnchor{anchor, anchor ? Text(anchorName) : std::string(), event.start_mark});
    return true;
  }

  bool End(bool isMap) {
    OpenAnchor open = std::move(openAnchors_.back());
    openAnchors_.pop_back();
    if (!(isMap ? builder_.EndMap() : builder_.EndList())) return false;
    if (open.anchor != nullptr) {
      // Copied once closed (only then is a map in name order), within the
      // document's tree so that strings are shared.
      BindingProperty copy = value_.NewValueInSameTree();
      copy = builder_.ClosedContainer();
      yaml_event_t at{};
      at.start_mark = open.mark;
      if (!Spend(CostOf(copy), at, open.name.c_str())) return false;
      Close(*open.anchor, std::move(copy));
    }
    return true;
  }

  /// Records `name` as an open anchor; a repeated name fails. Out of line:
  /// few nodes have anchors.
  [[gnu::noinline]] bool RecordAnchor(const yaml_event_t& event, const yaml_char_t* name,
                                      Anchor*& anchor) {
    const auto [entry, added] = anchors_.try_emplace(Text(name));
    if (!added) {
      return FailAt("Duplicate occurrence of anchor \"%1\". At line: %2 col: %3", event,
                    Text(name));
    }
    anchor = &entry->second;
    return true;
  }

  static void Close(Anchor& anchor, BindingProperty&& value) {
    anchor.value = std::move(value);
    anchor.open = false;
  }

  /// Counts values and bytes copied for anchors and aliases against the
  /// document's allowance. Strings shared within the tree still count: the
  /// answer built from the document writes each copy out in full.
  bool Spend(const CopyCost& cost, const yaml_event_t& event, const char* name) {
    copied_.values += cost.values;
    copied_.bytes += cost.bytes;
    if (copied_.values > kMaxYamlAliasValues) return FailAt(kTooManyValues, event, name);
    if (copied_.bytes > kMaxYamlAliasBytes) return FailAt(kTooManyBytes, event, name);
    return true;
  }

  std::string ParserError() const {
    const char* problem = parser_.problem != nullptr ? parser_.problem : "out of memory";
    return FormatMessage("YAML parser error: %1. At line: %2 col: %3", problem,
                         parser_.problem_mark.line + 1, parser_.problem_mark.column + 1);
  }

  bool Fail(std::string message) {
    error_ = std::move(message);
    return false;
  }

  template <typename... Args>
  bool FailAt(const char* format, const yaml_event_t& event, const Args&... arguments) {
    const uint64_t line = event.start_mark.line + 1;
    const uint64_t column = event.start_mark.column + 1;
    if constexpr (sizeof...(Args) == 0) {
      return Fail(FormatMessage(format, line, column));
    } else {
      return Fail(FormatMessage(format, arguments..., line, column));
    }
  }

  static BindingProperty Failed(std::string message) {
    BindingProperty failed;
    failed.SetError(message);
    return failed;
  }

  struct OpenAnchor {
    Anchor* anchor;  ///< null when the container has no anchor
    std::string name;
    yaml_mark_t mark;
  };

  yaml_parser_t parser_;
  BindingProperty value_;
  ValueBuilder builder_;
  std::unordered_map<std::string, Anchor> anchors_;
  std::vector<OpenAnchor> openAnchors_;
  CopyCost copied_;
  std::string error_;
};

}  // namespace

BindingProperty ReadYaml(std::string_view text) { return YamlReader(text).Read(); }

}  // namespace kiv
