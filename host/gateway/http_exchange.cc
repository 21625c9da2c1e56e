#include "host/gateway/http_exchange.h"

#include <httplib.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <cctype>

#include "host/gateway/access_control.h"
#include "host/host_value_json.h"
#include "host/route_table.h"

namespace kiv::host::gateway {
namespace {

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

bool IsAnyOf(std::string_view name, std::initializer_list<std::string_view> names) {
  for (std::string_view candidate : names) {
    if (SameName(name, candidate)) return true;
  }
  return false;
}

// Headers the HTTP library adds for its own bookkeeping, and the token.
bool KeptFromPlugin(std::string_view name) {
  return IsAnyOf(name, {"Authorization", "REMOTE_ADDR", "REMOTE_PORT", "LOCAL_ADDR", "LOCAL_PORT"});
}

// Headers of the plugin's answer that the HTTP layer sets itself.
bool TransferHeader(std::string_view name) {
  return IsAnyOf(
      name, {"Content-Type", "Content-Length", "Transfer-Encoding", "Connection", "Keep-Alive"});
}

int WireStatus(uint32_t status) { return status >= 200 && status <= 599 ? int(status) : 500; }

std::string ErrorJson(int64_t status, std::string_view message) {
  rapidjson::StringBuffer buffer;
  rapidjson::Writer<rapidjson::StringBuffer> writer(buffer);
  writer.StartObject();
  writer.Key("httpStatus");
  writer.Int64(status);
  writer.Key("message");
  writer.String(message.data(), static_cast<rapidjson::SizeType>(message.size()));
  writer.EndObject();
  return std::string(buffer.GetString(), buffer.GetSize());
}

}  // namespace

HostRequest ToHostRequest(const httplib::Request& request, std::string body) {
  HostRequest host =
      HostRequest::Make(MethodCode(request.method), WithoutTokenParameter(request.target));
  if (host.method == KIV_METHOD_CUSTOM) host.customMethod = request.method;
  for (const auto& [name, value] : request.headers) {
    if (!KeptFromPlugin(name)) host.headers.emplace_back(name, value);
  }
  host.contentType = request.get_header_value("Content-Type");
  host.body = std::move(body);
  return host;
}

void WriteError(int status, std::string_view message, httplib::Response& response) {
  response.status = WireStatus(static_cast<uint32_t>(status));
  response.set_content(ErrorJson(status, message), "application/json");
}

void WriteAnswer(const HostResponse& answer, httplib::Response& response) {
  const uint32_t status = answer.FinalStatus();
  std::string contentType;
  for (const auto& [name, value] : answer.headers) {
    if (SameName(name, "Content-Type")) contentType = value;
    if (!TransferHeader(name)) response.set_header(name, value);
  }
  if (answer.error) return WriteError(static_cast<int>(status), *answer.error, response);
  if (answer.streamed && answer.streamError) {
    return WriteError(502, "The plugin's stream failed: " + *answer.streamError, response);
  }
  response.status = WireStatus(status);
  if (answer.streamed) {
    response.set_content(*answer.streamed,
                         contentType.empty() ? "application/octet-stream" : contentType);
    return;
  }
  response.set_content(HostValueToJson(answer.body.root()), "application/json");
}

}  // namespace kiv::host::gateway
