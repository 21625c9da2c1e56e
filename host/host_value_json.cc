#include "host/host_value_json.h"

#include <rapidjson/document.h>
#include <rapidjson/error/en.h>
#include <rapidjson/prettywriter.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <cmath>
#include <cstring>
#include <deque>
#include <vector>

namespace kiv::host {
namespace {

constexpr int kMaxDepth = 512;

std::string Base64(const uint8_t* data, uint32_t size) {
  static constexpr char kDigits[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  out.reserve((size + 2) / 3 * 4);
  for (uint32_t i = 0; i < size; i += 3) {
    const uint32_t rest = size - i;
    uint32_t triple = uint32_t{data[i]} << 16;
    if (rest > 1) triple |= uint32_t{data[i + 1]} << 8;
    if (rest > 2) triple |= data[i + 2];
    out += kDigits[(triple >> 18) & 63];
    out += kDigits[(triple >> 12) & 63];
    out += rest > 1 ? kDigits[(triple >> 6) & 63] : '=';
    out += rest > 2 ? kDigits[triple & 63] : '=';
  }
  return out;
}

// One open container on the writer's explicit stack.
struct Frame {
  const HostValue* value;
  uint32_t next;
};

template <typename Writer>
void WriteScalar(Writer& writer, const HostValue& value) {
  switch (value.tag) {
    case KIV_VALUE_BOOL:
      writer.Bool(value.u.boolean != 0);
      break;
    case KIV_VALUE_SIGNED:
      writer.Int64(value.u.signedValue);
      break;
    case KIV_VALUE_UNSIGNED:
      writer.Uint64(value.u.unsignedValue);
      break;
    case KIV_VALUE_FLOAT:
      if (std::isfinite(value.u.floatValue)) {
        writer.Double(value.u.floatValue);
      } else {
        writer.Null();
      }
      break;
    case KIV_VALUE_TEXT:
    case KIV_VALUE_TEXT_ALT: {
      const char* data = value.u.text.data ? value.u.text.data : "";
      writer.String(data, static_cast<rapidjson::SizeType>(strnlen(data, value.u.text.size)));
      break;
    }
    case KIV_VALUE_BYTES:
    case KIV_VALUE_BYTES_ALT: {
      const std::string text =
          value.u.bytes.data ? Base64(value.u.bytes.data, value.u.bytes.size) : std::string();
      writer.String(text.data(), static_cast<rapidjson::SizeType>(text.size()));
      break;
    }
    default:  // empty, and tags this host does not know
      writer.Null();
      break;
  }
}

template <typename Writer>
void WriteTree(Writer& writer, const HostValue& root) {
  std::vector<Frame> stack;
  auto open = [&](const HostValue& value) {
    if (value.tag == KIV_VALUE_COLLECTION) {
      writer.StartArray();
      stack.push_back(Frame{&value, 0});
    } else if (value.tag == KIV_VALUE_STRUCTURE) {
      writer.StartObject();
      stack.push_back(Frame{&value, 0});
    } else {
      WriteScalar(writer, value);
    }
  };
  open(root);
  while (!stack.empty()) {
    Frame& top = stack.back();
    const HostValue& value = *top.value;
    if (value.tag == KIV_VALUE_COLLECTION) {
      const uint32_t count = value.u.collection.items ? value.u.collection.count : 0;
      if (top.next == count) {
        writer.EndArray();
        stack.pop_back();
        continue;
      }
      open(value.u.collection.items[top.next++]);  // may grow the stack
    } else {
      const uint32_t count = value.u.structure.members ? value.u.structure.count : 0;
      if (top.next == count) {
        writer.EndObject();
        stack.pop_back();
        continue;
      }
      const HostMember& member = value.u.structure.members[top.next++];
      writer.Key(member.name ? member.name : "");
      open(member.value);
    }
  }
}

// Builds a borrowed HostValue tree over a parsed document, for one deep copy.
class TreeOverDocument {
 public:
  bool Convert(const rapidjson::Value& from, HostValue& to, int depth) {
    if (depth > kMaxDepth) return false;
    to = HostValue{};
    if (from.IsNull()) {
      to.tag = KIV_VALUE_EMPTY;
    } else if (from.IsBool()) {
      to.tag = KIV_VALUE_BOOL;
      to.u.boolean = from.GetBool() ? 1 : 0;
    } else if (from.IsInt64()) {
      to.tag = KIV_VALUE_SIGNED;
      to.u.signedValue = from.GetInt64();
    } else if (from.IsUint64()) {
      to.tag = KIV_VALUE_UNSIGNED;
      to.u.unsignedValue = from.GetUint64();
    } else if (from.IsNumber()) {
      to.tag = KIV_VALUE_FLOAT;
      to.u.floatValue = from.GetDouble();
    } else if (from.IsString()) {
      to.tag = KIV_VALUE_TEXT;
      to.u.text.data = from.GetString();
      to.u.text.size = from.GetStringLength();
    } else if (from.IsArray()) {
      auto& items = items_.emplace_back(from.Size());
      to.tag = KIV_VALUE_COLLECTION;
      to.u.collection.items = items.data();
      to.u.collection.count = from.Size();
      for (rapidjson::SizeType i = 0; i < from.Size(); ++i) {
        if (!Convert(from[i], items[i], depth + 1)) return false;
      }
    } else {
      auto& members = members_.emplace_back(from.MemberCount());
      to.tag = KIV_VALUE_STRUCTURE;
      to.u.structure.members = members.data();
      to.u.structure.count = from.MemberCount();
      size_t i = 0;
      for (const auto& member : from.GetObject()) {
        members[i].name = member.name.GetString();
        if (!Convert(member.value, members[i].value, depth + 1)) return false;
        ++i;
      }
    }
    return true;
  }

 private:
  std::deque<std::vector<HostValue>> items_;
  std::deque<std::vector<HostMember>> members_;
};

}  // namespace

std::string HostValueToJson(const HostValue& value, JsonStyle style) {
  rapidjson::StringBuffer buffer;
  if (style == JsonStyle::kPretty) {
    rapidjson::PrettyWriter<rapidjson::StringBuffer> writer(buffer);
    writer.SetIndent(' ', 2);
    WriteTree(writer, value);
  } else {
    rapidjson::Writer<rapidjson::StringBuffer> writer(buffer);
    WriteTree(writer, value);
  }
  return std::string(buffer.GetString(), buffer.GetSize());
}

std::optional<OwnedHostValue> JsonToHostValue(std::string_view json, std::string* error) {
  rapidjson::Document document;
  document.Parse<rapidjson::kParseIterativeFlag>(json.data(), json.size());
  if (document.HasParseError()) {
    if (error) {
      *error = std::string(rapidjson::GetParseError_En(document.GetParseError())) + " at offset " +
               std::to_string(document.GetErrorOffset());
    }
    return std::nullopt;
  }
  TreeOverDocument tree;
  HostValue root{};
  if (!tree.Convert(document, root, 0)) {
    if (error) *error = "JSON nested deeper than " + std::to_string(kMaxDepth) + " levels";
    return std::nullopt;
  }
  return OwnedHostValue(root);
}

}  // namespace kiv::host
