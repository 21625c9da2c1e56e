#include "sdk/rest/dispatch.h"
#include "sdk/value/conversion_status.h"

#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "sdk/registry/help_builder.h"
#include "sdk/rest/bind_arguments.h"
#include "sdk/rest/router.h"
#include "sdk/value/native/host_value.h"

namespace kiv {
namespace {

// What a filled response points to, kept until the host releases the record.
struct ResponseStorage {
  std::unique_ptr<HostValueTree> body;
  std::unique_ptr<OwnedHostForm> nativeBody;
  std::string error;
  std::string statusText;
  std::vector<std::pair<std::string, std::string>> headerTexts;
  std::vector<HostHeader> headers;
};

// The record is the host's, so its storage is found by the record's address.
// Requests may be served on any thread the host calls from.
std::mutex gResponsesLock;
std::unordered_map<ResponseRecord*, std::unique_ptr<ResponseStorage>>& Responses() {
  static std::unordered_map<ResponseRecord*, std::unique_ptr<ResponseStorage>> responses;
  return responses;
}

void ReleaseResponse(ResponseRecord* response) {
  std::unique_ptr<ResponseStorage> storage;
  {
    std::lock_guard<std::mutex> guard(gResponsesLock);
    auto found = Responses().find(response);
    if (found == Responses().end()) return;
    storage = std::move(found->second);
    Responses().erase(found);
  }
}

ResponseStorage& NewStorage(ResponseRecord& response) {
  response = ResponseRecord{};
  response.release = &ReleaseResponse;
  auto storage = std::make_unique<ResponseStorage>();
  ResponseStorage& kept = *storage;
  std::lock_guard<std::mutex> guard(gResponsesLock);
  // A record the host reuses without releasing would leak its old storage.
  Responses()[&response] = std::move(storage);
  return kept;
}

RequestContext MakeContext(const IncomingRequest& request) {
  RequestContext context;
  context.requestId = request.requestId;
  context.arrivalNanoseconds = std::chrono::duration_cast<std::chrono::nanoseconds>(
                                   std::chrono::steady_clock::now().time_since_epoch())
                                   .count();
  context.url = request.url ? request.url : "";
  context.method = request.method;
  context.customMethod = request.customMethod ? request.customMethod : "";
  for (uint32_t i = 0; i < request.headerCount && request.headers; ++i) {
    const HostHeader& header = request.headers[i];
    if (header.name) context.headers[header.name] = header.value ? header.value : "";
  }
  return context;
}

void HandleBuiltin(ResponseRecord& response, const Endpoint& endpoint) {
  if (endpoint.functionName != "Help") {
    WriteErrorResponse(response, "Unsupported builtin function", 400);
    return;
  }
  HandlerResult result;
  result.body = BuildApiHelpValue(endpoint.router->registry());
  if (!result.body.IsValid()) {
    WriteErrorResponse(response, result.body.Error(), 400);
    return;
  }
  WriteResponse(response, result, BindingProperty());
}

}  // namespace

void WriteErrorResponse(ResponseRecord& response, std::string_view error, uint32_t status) {
  ResponseStorage& storage = NewStorage(response);
  storage.error = std::string(error);
  response.error = storage.error.c_str();
  response.status = status;
}

void WriteResponse(ResponseRecord& response, HandlerResult& result,
                   const ConversionStatus& status) {
  ResponseStorage& storage = NewStorage(response);
  response.status = result.status;
  if (!status.IsValid()) {
    storage.error = std::string(status.Error());
  } else if (!result.body.IsValid()) {
    storage.error = std::string(result.body.Error());  // the handler failed
  } else if (result.nativeBody) {
    storage.nativeBody = std::move(result.nativeBody);
    response.body = storage.nativeBody->Root();
  } else {
    storage.body = std::make_unique<HostValueTree>(std::move(result.body));
    response.body = storage.body->Root();
  }
  if (!status.IsValid() || !result.body.IsValid()) response.error = storage.error.c_str();
  response.bodyKindFlag = result.bodyKindFlag;
  response.bodyKind = result.bodyKind;
  storage.statusText = result.statusText;
  response.statusText = storage.statusText.c_str();
  storage.headerTexts = result.headers;
  for (const auto& [name, value] : storage.headerTexts) {
    storage.headers.push_back(HostHeader{name.c_str(), value.c_str()});
  }
  response.headers = storage.headers.empty() ? nullptr : storage.headers.data();
  response.headerCount = static_cast<uint32_t>(storage.headers.size());
  if (result.stream) {
    response.read = result.stream->read;
    response.close = result.stream->close;
    response.stream = result.stream->stream;
    response.expectedSize = result.stream->expectedSize;
  }
}

void HandleRequest(ResponseRecord& response, const IncomingRequest& request,
                   const RouteMatch& match) {
  const Endpoint& endpoint = *static_cast<const Endpoint*>(match.route->endpoint);
  if (endpoint.builtin) return HandleBuiltin(response, endpoint);
  ConversionStatus status;
  HandlerResult result;
  std::vector<BindingProperty> values(endpoint.arguments.size());
  BindArguments(endpoint, request, match, values, status);
  if (status.IsValid() && endpoint.invoke) {
    endpoint.invoke(values, MakeContext(request), status, result);
  }
  WriteResponse(response, result, status);
}

void OnIncomingRequest(void* userData, ResponseRecord* response, const IncomingRequest* request) {
  if (!response) return;
  const auto* endpoint = static_cast<const Endpoint*>(userData);
  if (!endpoint || !request) return WriteErrorResponse(*response, "Invalid function", 404);
  const std::string_view url = request->url ? request->url : "";
  const std::string_view path = url.substr(0, url.find('?'));
  RouteMatch match;
  if (!Match({&endpoint->route, 1}, request->method,
             request->customMethod ? request->customMethod : "", path, false, &match)) {
    return WriteErrorResponse(*response, "Invalid function", 404);
  }
  HandleRequest(*response, *request, match);
}

}  // namespace kiv
