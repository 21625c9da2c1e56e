// request_types.h: what a handler sees of a request and what it answers.
//
// `RequestContext` is handed to request-aware handlers (those whose first
// parameter is `const RequestContext&`). `HandlerResult` is what the
// dispatcher turns into the response; a handler may answer one directly
// (a result type of HandlerResult) to set status, headers or a stream.
//
// Not for: binding arguments (bind_arguments.h) or routes (route_match.h).
//
//   MaybeType<Failure, HandlerResult> Download(const RequestContext& request) {
//     HandlerResult result;
//     result.status = 200;
//     result.headers.emplace_back("x-request", std::to_string(request.requestId));
//     return result;
//   }
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "kiv_plugin_abi.h"
#include "sdk/value/binding_property.h"
#include "sdk/value/native/owned_host_form.h"

namespace kiv {

/// Where an argument may come from.
enum ArgumentLocation : uint32_t {
  kAnyLocation = 0,
  kQueryLocation = 1,
  kPathLocation = 2,
  kHeaderLocation = 4,
  kBodyLocation = 5,
};

struct RequestContext {
  uint64_t requestId = 0;
  int64_t arrivalNanoseconds = 0;  // steady clock
  std::string url;
  uint32_t method = 0;
  std::string customMethod;
  std::map<std::string, std::string> headers;
};

/// A streamed body handed to the host unchanged; the host reads it and
/// closes it.
struct ResponseStream {
  StreamRead read = nullptr;
  StreamClose close = nullptr;
  void* stream = nullptr;
  uint32_t expectedSize = 0;
};

struct HandlerResult {
  /// Invalid when the call failed, with the message as its error text.
  BindingProperty body;
  /// When set, the answer's body instead of `body`: written straight from
  /// the handler's native result.
  std::unique_ptr<OwnedHostForm> nativeBody;
  uint8_t bodyKindFlag = 0;
  uint32_t bodyKind = 0;
  uint32_t status = 0;  // 0 until someone sets it
  std::string statusText;
  std::vector<std::pair<std::string, std::string>> headers;
  std::optional<ResponseStream> stream;
};

}  // namespace kiv
