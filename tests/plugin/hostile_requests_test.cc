// Hostile requests through the real boundary: short inputs that once aborted
// the process or took gigabytes, and inputs that were always handled well,
// each sent to a freshly loaded probe library. Every row must answer as
// listed while the library's counted peak stays under 64 MB, and a second
// sending must not leave more bytes in use than the first (nothing leaks).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>

#include "host/host_value_json.h"
#include "host/plugin_host.h"

namespace {

using kiv::host::HostRequest;
using kiv::host::HostResponse;
using kiv::host::PluginHost;

constexpr uint64_t kPeakBound = 64ull << 20;

struct HostileCase {
  const char* desc;
  uint32_t method;
  const char* url;
  std::function<std::string()> body;
  const char* contentType;
  /// A piece of the error text, or nullptr when the answer is a success.
  const char* error;
};

std::string Repeat(std::string_view piece, size_t times) {
  std::string text;
  text.reserve(piece.size() * times);
  for (size_t i = 0; i < times; ++i) text += piece;
  return text;
}

std::string AliasedMegabyte() {
  std::string yaml = "s: &big " + std::string(1 << 20, 'x') + "\nl:\n";
  for (int i = 0; i < 1000; ++i) yaml += "  - *big\n";
  return yaml;
}

std::string BillionLaughs() {
  std::string yaml = "a: &a [lol, lol, lol, lol, lol, lol, lol, lol, lol]\n";
  for (char name = 'b'; name <= 'i'; ++name) {
    const char previous = static_cast<char>(name - 1);
    yaml += std::string(1, name) + ": &" + name + " [";
    for (int i = 0; i < 9; ++i) yaml += std::string(i ? ", *" : "*") + previous;
    yaml += "]\n";
  }
  return yaml;
}

// 256 nested arrays that each declare 2^32 - 1 elements, then nils up to 64 KB.
std::string HugeDeclaredArrays() {
  std::string bytes = Repeat("\xDD\xFF\xFF\xFF\xFF", 256);
  bytes.resize(64 * 1024, '\xC0');
  return bytes;
}

std::function<std::string()> Text(std::string text) {
  return [text] { return text; };
}

const HostileCase kCases[] = {
    // Inputs that once took the process down or took gigabytes.
    {"index at the top of the int32 range", KIV_METHOD_GET, "/kiv-probe/v1/args/7?ids.2147483647=5",
     nullptr, "", "Index 2147483647 is out of range"},
    {"ten million elements for one query value", KIV_METHOD_GET,
     "/kiv-probe/v1/args/7?count=1&ids.10000000=5", nullptr, "", "Index 10000000 is out of range"},
    {"index into a text argument", KIV_METHOD_POST, "/kiv-probe/v1/json?newline.10000000=x",
     Text("{}"), "application/json", "Index 10000000 is out of range"},
    {"indexes that add up past the request's allowance", KIV_METHOD_GET,
     "/kiv-probe/v1/args/7?count=1&ids.60000=1&ids.60000.60000=1", nullptr, "",
     "Index 60000 is out of range"},
    {"a megabyte string aliased a thousand times", KIV_METHOD_POST, "/kiv-probe/v1/echo",
     AliasedMegabyte, "application/x-yaml", "expands to more than 16777216 bytes"},
    {"nested arrays declaring four billion elements each", KIV_METHOD_POST, "/kiv-probe/v1/echo",
     HugeDeclaredArrays, "application/x-msgpack", nullptr},
    // Inputs that were always refused or answered cheaply.
    {"a megabyte of [", KIV_METHOD_POST, "/kiv-probe/v1/echo",
     [] { return std::string(1 << 20, '['); }, "application/json", "nested deeper than 256 levels"},
    {"a megabyte of {\"a\":", KIV_METHOD_POST, "/kiv-probe/v1/echo",
     [] { return Repeat("{\"a\":", 200000); }, "application/json", "nested deeper than 256 levels"},
    {"ten thousand levels of YAML flow", KIV_METHOD_POST, "/kiv-probe/v1/echo",
     [] { return Repeat("[", 10000) + Repeat("]", 10000); }, "application/x-yaml",
     "YAML nesting is deeper than 256 levels"},
    {"billion laughs", KIV_METHOD_POST, "/kiv-probe/v1/echo", BillionLaughs, "application/x-yaml",
     "expands to more than 1000000 values"},
    {"a string declaring 4 GB", KIV_METHOD_POST, "/kiv-probe/v1/echo",
     Text(std::string("\xDB\xFF\xFF\xFF\xFF"
                      "abc",
                      8)),
     "application/x-msgpack", "String of size 4294967295 at position 5 is truncated"},
    {"bytes declaring 4 GB", KIV_METHOD_POST, "/kiv-probe/v1/echo",
     Text(std::string("\xC6\xFF\xFF\xFF\xFF"
                      "abc",
                      8)),
     "application/x-msgpack", "Raw bytes of size 4294967295 at position 5 are truncated"},
    {"truncated JSON", KIV_METHOD_POST, "/kiv-probe/v1/echo", Text(R"({"a": [1, 2)"),
     "application/json", "Error: "},
    {"a hundred megabytes of spaces", KIV_METHOD_POST, "/kiv-probe/v1/echo",
     [] { return std::string(100 << 20, ' '); }, "application/json", nullptr},
};

uint64_t Counter(const std::array<uint32_t, 14>& words, int index) {
  return uint64_t(words[2 * index]) | uint64_t(words[2 * index + 1]) << 32;
}

uint64_t BytesInUse(const PluginHost& host) {
  const auto words = host.MemoryStats();
  return Counter(words, 2) - Counter(words, 4);
}

TEST(HostileRequests, AnswerWithinBoundedMemory) {
  for (const HostileCase& row : kCases) {
    SCOPED_TRACE(row.desc);
    std::string error;
    auto host = PluginHost::Open(KIV_PROBE_PATH, &error, "load_kiv_probe");
    ASSERT_NE(host, nullptr) << error;
    host->Load({18, 0, 0});
    ASSERT_TRUE(host->Initialize());
    const std::string body = row.body ? row.body() : std::string();
    auto makeRequest = [&] {
      HostRequest request = HostRequest::Make(row.method, row.url);
      request.body = body;
      request.contentType = row.contentType;
      return request;
    };
    const HostResponse first = host->Request(makeRequest());
    if (row.error) {
      ASSERT_TRUE(first.error.has_value()) << kiv::host::HostValueToJson(first.body.root());
      EXPECT_THAT(*first.error, ::testing::HasSubstr(row.error));
    } else {
      EXPECT_FALSE(first.error.has_value()) << *first.error;
    }
    const uint64_t inUse = BytesInUse(*host);
    host->Request(makeRequest());
    EXPECT_EQ(BytesInUse(*host), inUse);
    EXPECT_LT(Counter(host->MemoryStats(), 0), kPeakBound);
    host->Shutdown();
  }
}

}  // namespace
