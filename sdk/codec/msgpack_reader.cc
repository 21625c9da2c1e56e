#include "sdk/codec/msgpack_reader.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "sdk/codec/value_builder.h"
#include "sdk/value/format_message.h"

namespace kiv {
namespace {

constexpr const char* kTruncated8 =
    "Invalid MessagePack data. 8-bit integer value at position %1 is truncated.";
constexpr const char* kTruncated16 =
    "Invalid MessagePack data. 16-bit integer value at position %1 is truncated.";
constexpr const char* kTruncated32 =
    "Invalid MessagePack data. 32-bit integer value at position %1 is truncated.";
constexpr const char* kTruncated64 =
    "Invalid MessagePack data. 64-bit integer value at position %1 is truncated.";
constexpr const char* kStringTruncated =
    "Invalid MessagePack data. String of size %1 at position %2 is truncated.";
constexpr const char* kBytesTruncated =
    "Invalid MessagePack data. Raw bytes of size %1 at position %2 are truncated.";
constexpr const char* kUnsupported = "Invalid MessagePack data at position %1.";
constexpr const char* kKeyNotString =
    "Invalid MessagePack data at position %1. Map keys must be strings.";
constexpr const char* kTooDeep =
    "Invalid MessagePack data at position %1. Nesting is deeper than 256 levels.";
static_assert(kMaxNestingDepth == 256, "update kTooDeep");

class MessagePackReader {
 public:
  MessagePackReader(const uint8_t* bytes, size_t length)
      : bytes_(bytes),
        length_(length),
        builder_(value_, ValueBuilder::ExistingList::kOverwriteFromStart) {
    stack_.reserve(16);
  }

  MessagePackResult Read() {
    while (offset_ < length_) {
      if (stack_.empty()) {
        if (!ReadItem()) return Failed();
        if (stack_.empty()) break;  // a top-level scalar
        continue;
      }
      if (!CloseFinished()) break;  // the top-level value is complete
      Open& top = stack_.back();
      --top.remaining;
      if (top.isMap) {
        std::string_view key;
        if (!ReadKey(key)) return Failed();
        if (offset_ == length_) break;  // the key's value never came
        builder_.Key(key);
      }
      if (!ReadItem()) return Failed();
    }
    // Input that ends inside containers keeps what was read.
    builder_.CloseOpenContainers();
    return MessagePackResult{std::move(value_), offset_};
  }

 private:
  struct Open {
    uint64_t remaining;  ///< elements, or member pairs, still to come
    bool isMap;
  };

  /// Ends the containers whose items have all been read, innermost first.
  /// False when that closed the top-level value.
  bool CloseFinished() {
    while (stack_.back().remaining == 0) {
      if (stack_.back().isMap) {
        builder_.EndMap();
      } else {
        builder_.EndList();
      }
      stack_.pop_back();
      if (stack_.empty()) return false;
    }
    return true;
  }

  /// Reads a big-endian number of N bytes; false (with the message) when the
  /// input ends first.
  template <typename T>
  bool ReadNumber(T& out) {
    if (length_ - offset_ < sizeof(T)) {
      constexpr const char* kMessages[] = {kTruncated8, kTruncated16, kTruncated32, kTruncated64};
      return Fail(FormatMessage(kMessages[std::countr_zero(sizeof(T))], offset_));
    }
    T raw;
    std::memcpy(&raw, bytes_ + offset_, sizeof(T));
    offset_ += sizeof(T);
    if constexpr (sizeof(T) == 1) {
      out = raw;
    } else if constexpr (sizeof(T) == 2) {
      out = __builtin_bswap16(raw);
    } else if constexpr (sizeof(T) == 4) {
      out = __builtin_bswap32(raw);
    } else {
      out = __builtin_bswap64(raw);
    }
    return true;
  }

  template <typename T>
  bool ReadLength(uint64_t& out) {
    T length;
    if (!ReadNumber(length)) return false;
    out = length;
    return true;
  }

  /// The payload of `size` bytes at the offset, advancing past it.
  bool ReadPayload(uint64_t size, const char* truncatedMessage, std::string_view& out) {
    if (length_ - offset_ < size) return Fail(FormatMessage(truncatedMessage, size, offset_));
    out = std::string_view(reinterpret_cast<const char*>(bytes_ + offset_), size);
    offset_ += size;
    return true;
  }

  bool ReadStringLength(uint8_t format, uint64_t& size) {
    if (format >= 0xA0 && format <= 0xBF) {
      size = format & 0x1F;
      return true;
    }
    if (format == 0xD9) return ReadLength<uint8_t>(size);
    if (format == 0xDA) return ReadLength<uint16_t>(size);
    return ReadLength<uint32_t>(size);
  }

  bool ReadKey(std::string_view& key) {
    const uint8_t format = bytes_[offset_++];
    const bool isString = (format >= 0xA0 && format <= 0xBF) || (format >= 0xD9 && format <= 0xDB);
    if (!isString) return Fail(FormatMessage(kKeyNotString, offset_));
    uint64_t size = 0;
    if (!ReadStringLength(format, size)) return false;
    return ReadPayload(size, kStringTruncated, key);
  }

  bool BeginContainer(bool isMap, uint64_t count) {
    // The declared count only tells when the container ends: children wait
    // on the builder's stack, so a count of four billion reserves nothing.
    const bool begun = isMap ? builder_.BeginMap() : builder_.BeginList();
    if (!begun) return Fail(FormatMessage(kTooDeep, formatEnd_));
    stack_.push_back(Open{count, isMap});
    return true;
  }

  bool ReadItem() {
    const uint8_t format = bytes_[offset_++];
    formatEnd_ = offset_;
    if (format <= 0x7F) return builder_.Signed(format);
    if (format >= 0xE0) return builder_.Signed(static_cast<int8_t>(format));
    if (format <= 0x8F) return BeginContainer(true, format & 0x0F);
    if (format <= 0x9F) return BeginContainer(false, format & 0x0F);
    if (format <= 0xBF) return ReadString(format);
    uint64_t size = 0;
    switch (format) {
      case 0xC0:
        return builder_.Null();
      case 0xC2:
        return builder_.Bool(false);
      case 0xC3:
        return builder_.Bool(true);
      case 0xC4:
        return ReadLength<uint8_t>(size) && ReadBlob(size);
      case 0xC5:
        return ReadLength<uint16_t>(size) && ReadBlob(size);
      case 0xC6:
        return ReadLength<uint32_t>(size) && ReadBlob(size);
      case 0xCA: {
        uint32_t bits;
        return ReadNumber(bits) && builder_.Float(std::bit_cast<float>(bits));
      }
      case 0xCB: {
        uint64_t bits;
        return ReadNumber(bits) && builder_.Float(std::bit_cast<double>(bits));
      }
      case 0xCC:
        return ReadUnsigned<uint8_t>();
      case 0xCD:
        return ReadUnsigned<uint16_t>();
      case 0xCE:
        return ReadUnsigned<uint32_t>();
      case 0xCF:
        return ReadUnsigned<uint64_t>();
      case 0xD0:
        return ReadSigned<uint8_t, int8_t>();
      case 0xD1:
        return ReadSigned<uint16_t, int16_t>();
      case 0xD2:
        return ReadSigned<uint32_t, int32_t>();
      case 0xD3:
        return ReadSigned<uint64_t, int64_t>();
      case 0xD9:
      case 0xDA:
      case 0xDB:
        return ReadString(format);
      case 0xDC:
        return ReadLength<uint16_t>(size) && BeginContainer(false, size);
      case 0xDD:
        return ReadLength<uint32_t>(size) && BeginContainer(false, size);
      case 0xDE:
        return ReadLength<uint16_t>(size) && BeginContainer(true, size);
      case 0xDF:
        return ReadLength<uint32_t>(size) && BeginContainer(true, size);
      default:  // 0xC1, ext 8/16/32, fixext 1-16
        return Fail(FormatMessage(kUnsupported, offset_));
    }
  }

  template <typename T>
  bool ReadUnsigned() {
    T number;
    return ReadNumber(number) && builder_.Unsigned(number);
  }

  template <typename Raw, typename Signed>
  bool ReadSigned() {
    Raw raw;
    return ReadNumber(raw) && builder_.Signed(static_cast<Signed>(raw));
  }

  bool ReadString(uint8_t format) {
    uint64_t size = 0;
    std::string_view text;
    return ReadStringLength(format, size) && ReadPayload(size, kStringTruncated, text) &&
           builder_.String(text);
  }

  bool ReadBlob(uint64_t size) {
    std::string_view bytes;
    if (!ReadPayload(size, kBytesTruncated, bytes)) return false;
    kiv::Blob blob(bytes.begin(), bytes.end());
    return builder_.Blob(std::move(blob));
  }

  bool Fail(std::string message) {
    error_ = std::move(message);
    return false;
  }

  MessagePackResult Failed() {
    MessagePackResult result;
    result.value.SetError(error_);
    result.consumed = offset_;
    return result;
  }

  const uint8_t* bytes_;
  size_t length_;
  size_t offset_ = 0;
  size_t formatEnd_ = 0;  ///< offset just past the current format byte
  BindingProperty value_;
  ValueBuilder builder_;
  std::vector<Open> stack_;
  std::string error_;
};

}  // namespace

MessagePackResult ReadMessagePack(const uint8_t* bytes, size_t length) {
  if (bytes == nullptr || length == 0) return {};
  return MessagePackReader(bytes, length).Read();
}

}  // namespace kiv
