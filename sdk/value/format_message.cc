#include "sdk/value/format_message.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>

namespace kiv {
namespace {

constexpr size_t kMaxConversionLength = 60;
// Width and precision beyond the output limit cannot show; clamping them keeps
// snprintf from producing text that would be cut anyway.
constexpr unsigned kMaxWidth = 4096;

class Output {
 public:
  bool Full() const { return text_.size() >= kMaxFormattedMessage; }
  void Append(std::string_view piece) {
    const size_t room = kMaxFormattedMessage - text_.size();
    text_.append(piece.substr(0, room));
  }
  std::string Take() { return std::move(text_); }

 private:
  std::string text_;
};

struct Conversion {
  std::string flags;
  int width = -1;
  int precision = -1;
  std::string_view length;
  char type = 0;
  size_t consumed = 0;  ///< Characters after the '%' (and the "N$").
};

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Parses flags, width, precision, length modifier and conversion character.
// Returns false for a malformed conversion.
bool ParseConversion(std::string_view text, Conversion& out) {
  size_t at = 0;
  while (at < text.size() && std::strchr("-+ #0", text[at]) && text[at] != '\0') {
    out.flags.push_back(text[at++]);
  }
  auto readNumber = [&](int& number) {
    unsigned value = 0;
    bool any = false;
    while (at < text.size() && IsDigit(text[at])) {
      value = value * 10 + static_cast<unsigned>(text[at++] - '0');
      if (value > kMaxWidth) value = kMaxWidth;
      any = true;
    }
    if (any) number = static_cast<int>(value);
    return any;
  };
  readNumber(out.width);
  if (at < text.size() && text[at] == '.') {
    ++at;
    out.precision = 0;
    readNumber(out.precision);
  }
  for (std::string_view modifier : {"hh", "ll", "h", "l", "L", "j", "t", "z"}) {
    if (text.substr(at, modifier.size()) == modifier) {
      out.length = modifier;
      at += modifier.size();
      break;
    }
  }
  if (at >= text.size() || !std::strchr("diouxXeEfFgGaAcsp", text[at]) || text[at] == '\0') {
    return false;
  }
  out.type = text[at++];
  out.consumed = at;
  return true;
}

std::string DefaultText(const FormatArgument& argument) {
  char buffer[64];
  switch (argument.GetType()) {
    case FormatArgument::Type::kSigned:
      return std::to_string(argument.Signed());
    case FormatArgument::Type::kUnsigned:
      return std::to_string(argument.Unsigned());
    case FormatArgument::Type::kBool:
      return argument.Bool() ? "true" : "false";
    case FormatArgument::Type::kFloat: {
      auto result = std::to_chars(buffer, buffer + sizeof buffer, argument.Float());
      return std::string(buffer, result.ptr);
    }
    case FormatArgument::Type::kText:
      break;
  }
  return std::string(argument.Text());
}

std::string Spec(const Conversion& conversion, std::string_view length, char type) {
  std::string spec = "%" + conversion.flags;
  if (conversion.width >= 0) spec += std::to_string(conversion.width);
  if (conversion.precision >= 0) spec += "." + std::to_string(conversion.precision);
  spec += length;
  spec += type;
  return spec;
}

// The printf length modifiers narrow the argument, as printf would.
int64_t NarrowSigned(int64_t value, std::string_view length) {
  if (length == "hh") return static_cast<signed char>(value);
  if (length == "h") return static_cast<short>(value);
  if (length.empty()) return static_cast<int>(value);
  return value;
}
uint64_t NarrowUnsigned(uint64_t value, std::string_view length) {
  if (length == "hh") return static_cast<unsigned char>(value);
  if (length == "h") return static_cast<unsigned short>(value);
  if (length.empty()) return static_cast<unsigned>(value);
  return value;
}

int64_t AsSigned(const FormatArgument& argument) {
  switch (argument.GetType()) {
    case FormatArgument::Type::kSigned:
      return argument.Signed();
    case FormatArgument::Type::kUnsigned:
      return static_cast<int64_t>(argument.Unsigned());
    case FormatArgument::Type::kBool:
      return argument.Bool() ? 1 : 0;
    case FormatArgument::Type::kFloat:
      return static_cast<int64_t>(argument.Float());
    case FormatArgument::Type::kText:
      break;
  }
  return 0;
}

double AsFloat(const FormatArgument& argument) {
  switch (argument.GetType()) {
    case FormatArgument::Type::kSigned:
      return static_cast<double>(argument.Signed());
    case FormatArgument::Type::kUnsigned:
      return static_cast<double>(argument.Unsigned());
    case FormatArgument::Type::kBool:
      return argument.Bool() ? 1.0 : 0.0;
    case FormatArgument::Type::kFloat:
      return argument.Float();
    case FormatArgument::Type::kText:
      break;
  }
  return 0.0;
}

// Formats one argument with a printf conversion. A text argument under a
// numeric conversion, and any argument under "%s", is written as text with the
// conversion's flags, width and precision.
void FormatConverted(const Conversion& conversion, const FormatArgument& argument, Output& out) {
  char buffer[kMaxFormattedMessage + 1];
  int written = 0;
  const bool text = conversion.type == 's' || conversion.type == 'p' ||
                    argument.GetType() == FormatArgument::Type::kText;
  if (text) {
    const std::string value = DefaultText(argument);
    Conversion plain = conversion;
    plain.flags.erase(std::remove_if(plain.flags.begin(), plain.flags.end(),
                                     [](char flag) { return flag != '-'; }),
                      plain.flags.end());
    const std::string spec = Spec(plain, "", 's');
    written = std::snprintf(buffer, sizeof buffer, spec.c_str(), value.c_str());
  } else if (std::strchr("di", conversion.type)) {
    const std::string spec = Spec(conversion, "ll", conversion.type);
    written =
        std::snprintf(buffer, sizeof buffer, spec.c_str(),
                      static_cast<long long>(NarrowSigned(AsSigned(argument), conversion.length)));
  } else if (std::strchr("ouxX", conversion.type)) {
    const std::string spec = Spec(conversion, "ll", conversion.type);
    const uint64_t bits = argument.GetType() == FormatArgument::Type::kUnsigned
                              ? argument.Unsigned()
                              : static_cast<uint64_t>(AsSigned(argument));
    written =
        std::snprintf(buffer, sizeof buffer, spec.c_str(),
                      static_cast<unsigned long long>(NarrowUnsigned(bits, conversion.length)));
  } else if (conversion.type == 'c') {
    const std::string spec = Spec(conversion, "", 'c');
    written = std::snprintf(buffer, sizeof buffer, spec.c_str(),
                            static_cast<int>(static_cast<unsigned char>(AsSigned(argument))));
  } else {
    const std::string spec = Spec(conversion, "", conversion.type);
    written = std::snprintf(buffer, sizeof buffer, spec.c_str(), AsFloat(argument));
  }
  if (written <= 0) return;
  out.Append(std::string_view(buffer, std::min<size_t>(written, kMaxFormattedMessage)));
}

}  // namespace

std::string FormatMessageList(std::string_view format, const FormatArgument* arguments,
                              size_t count) {
  Output out;
  size_t nextArgument = 0;
  size_t at = 0;
  while (at < format.size() && !out.Full()) {
    const size_t percent = format.find('%', at);
    if (percent == std::string_view::npos) {
      out.Append(format.substr(at));
      break;
    }
    out.Append(format.substr(at, percent - at));
    at = percent + 1;
    if (at >= format.size()) break;  // A lone '%' at the end is malformed.
    if (format[at] == '%') {
      out.Append("%");
      ++at;
      continue;
    }
    size_t argumentIndex = 0;
    if (IsDigit(format[at])) {
      size_t number = 0;
      size_t digitsEnd = at;
      while (digitsEnd < format.size() && IsDigit(format[digitsEnd])) {
        if (number <= count) number = number * 10 + static_cast<size_t>(format[digitsEnd] - '0');
        ++digitsEnd;
      }
      if (number == 0 || number > count) break;
      argumentIndex = number - 1;
      if (digitsEnd >= format.size() || format[digitsEnd] != '$') {
        out.Append(DefaultText(arguments[argumentIndex]));
        at = digitsEnd;
        continue;
      }
      Conversion conversion;
      const std::string_view rest = format.substr(digitsEnd + 1);
      if (!ParseConversion(rest.substr(0, kMaxConversionLength), conversion)) break;
      if (digitsEnd + 1 + conversion.consumed - percent > kMaxConversionLength) break;
      FormatConverted(conversion, arguments[argumentIndex], out);
      at = digitsEnd + 1 + conversion.consumed;
      continue;
    }
    Conversion conversion;
    if (!ParseConversion(format.substr(at, kMaxConversionLength), conversion)) break;
    if (at + conversion.consumed - percent > kMaxConversionLength) break;
    if (nextArgument >= count) break;
    FormatConverted(conversion, arguments[nextArgument++], out);
    at += conversion.consumed;
  }
  return out.Take();
}

}  // namespace kiv
