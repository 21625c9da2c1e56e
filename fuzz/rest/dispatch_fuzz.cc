// Dispatch of arbitrary requests into the probe plugin through its request
// callbacks: any method, URL, query, content type and body must give an
// answer or an error text, never a crash, a leak or undefined behaviour, and
// every response must be released.
//
// Input: the function's name (as the API description lists it), a byte that
// picks the method, then URL, content type and body, the texts separated by
// NUL bytes. A name that matches no function picks one by its bytes, so
// mutated names still reach every function.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "kiv_plugin_abi.h"

extern "C" void load_kiv_probe(PluginLoadRecord* record);

namespace {

const PluginLoadRecord& Plugin() {
  static const PluginLoadRecord record = [] {
    PluginLoadRecord load{};
    load.major = 18;
    load_kiv_probe(&load);
    return load;
  }();
  return record;
}

std::string_view NextPart(std::string_view& input) {
  const size_t cut = input.find('\0');
  const std::string_view part = input.substr(0, cut);
  input = cut == std::string_view::npos ? std::string_view() : input.substr(cut + 1);
  return part;
}

const ApiFunction& PickFunction(const ApiDescription& api, std::string_view name) {
  size_t sum = 0;
  for (uint32_t i = 0; i < api.functionCount; ++i) {
    if (name == api.functions[i].name) return api.functions[i];
  }
  for (char c : name) sum += static_cast<uint8_t>(c);
  return api.functions[sum % api.functionCount];
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view rest(reinterpret_cast<const char*>(data), size);
  const ApiDescription& api = *Plugin().api;
  const ApiFunction& function = PickFunction(api, NextPart(rest));
  if (rest.empty()) return 0;
  const uint8_t method = static_cast<uint8_t>(rest.front());
  rest.remove_prefix(1);
  const std::string url(NextPart(rest));
  const std::string contentType(NextPart(rest));
  const std::string body(rest);

  IncomingRequest request{};
  request.method = method % 9;
  request.customMethod = "";
  request.url = url.c_str();
  request.body = body.empty() ? nullptr : reinterpret_cast<const uint8_t*>(body.data());
  request.bodySize = static_cast<uint32_t>(body.size());
  request.contentType = contentType.c_str();
  request.requestId = 1;

  ResponseRecord response{};
  function.callback(function.userData, &response, &request);
  if (!response.release) std::abort();  // every answer owns storage to release
  response.release(&response);
  return 0;
}
