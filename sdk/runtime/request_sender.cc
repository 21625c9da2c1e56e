#include "sdk/runtime/request_sender.h"
#include "sdk/value/conversion_status.h"

#include <memory>
#include <vector>

#include "sdk/codec/json_reader.h"
#include "sdk/runtime/app_module.h"
#include "sdk/runtime/named_failure.h"
#include "sdk/value/native/host_value.h"

namespace kiv {
namespace {

constexpr char kParameterTemplate[] =
    "Request not sent: Error converting parameters for {method} {url}: {error}";
constexpr char kResponseErrorTemplate[] = "Error response for {method} {url}: {error}";
constexpr char kStreamTemplate[] = "Error reading streamed response for {method} {url}: {error}";
constexpr char kConversionTemplate[] = "Error converting response for {method} {url}: {error}";

Failure RequestFailure(uint32_t code, const char* messageTemplate, uint32_t method,
                       std::string_view url, std::string_view error) {
  return NamedFailure(code, messageTemplate,
                      {{"method", MethodText(method)}, {"url", url}, {"error", error}});
}

// Calls the record's release function once when the scope ends, whatever the
// outcome of reading it.
class ReleaseOnExit {
 public:
  explicit ReleaseOnExit(ResponseRecord& record) : record_(record) {}
  ReleaseOnExit(const ReleaseOnExit&) = delete;
  ReleaseOnExit& operator=(const ReleaseOnExit&) = delete;
  ~ReleaseOnExit() {
    if (record_.release) record_.release(&record_);
  }

 private:
  ResponseRecord& record_;
};

MaybeType<Failure, BindingProperty> ReadBody(AppModule& module, const ResponseRecord& response,
                                             uint32_t method, std::string_view url) {
  if (response.read) {
    std::string text;
    std::string error;
    const bool read = ReadStreamedBody(response.read, response.stream, response.expectedSize, text,
                                       error, [&module] { module.timers().Yield(); });
    // The stream is closed after success and failure alike.
    if (response.close) response.close(response.stream);
    if (!read) return Fail(RequestFailure(0, kStreamTemplate, method, url, error));
    BindingProperty value = ReadJson(text);
    if (!value.IsValid()) {
      return Fail(RequestFailure(0, kStreamTemplate, method, url, value.Error()));
    }
    return value;
  }
  ConversionStatus status;
  BindingProperty value = HostValueToProperty(response.body, "<result>", status);
  if (!status.IsValid()) {
    return Fail(RequestFailure(0, kConversionTemplate, method, url, status.Error()));
  }
  return value;
}

}  // namespace

std::string_view MethodText(uint32_t method) {
  static constexpr std::string_view kTexts[] = {"",        "DELETE", "GET",  "HEAD",
                                                "OPTIONS", "PATCH",  "POST", "PUT"};
  return method < std::size(kTexts) ? kTexts[method] : std::string_view();
}

uint32_t MethodCodeForHost(uint32_t method) {
  return method >= KIV_METHOD_DELETE && method <= KIV_METHOD_CUSTOM ? method
                                                                    : uint32_t{KIV_METHOD_NONE};
}

Failure ParameterFailure(uint32_t method, std::string_view url, std::string_view error) {
  return RequestFailure(400, kParameterTemplate, method, url, error);
}

MaybeType<Failure, BindingProperty> SendRequestValues(AppModule& module, uint32_t method,
                                                      std::string_view url,
                                                      std::span<const BindingProperty> params,
                                                      ResponseUse use) {
  // The host forms of the parameters stay alive until the host returns.
  std::vector<std::unique_ptr<HostValueTree>> trees;
  std::vector<HostMember> entries(params.size());
  trees.reserve(params.size());
  for (size_t i = 0; i < params.size(); ++i) {
    trees.push_back(std::make_unique<HostValueTree>(params[i]));
    entries[i] = HostMember{nullptr, trees.back()->Root()};
  }
  const std::string urlText(url);
  RequestRecord request{};
  request.method = MethodCodeForHost(method);
  request.url = urlText.c_str();
  request.params = entries.empty() ? nullptr : entries.data();
  request.paramCount = static_cast<uint32_t>(entries.size());
  request.pluginHandle = module.pluginHandle();

  ResponseRecord response{};
  module.HostSendRequest(response, request);
  ReleaseOnExit release(response);
  if (response.error) {
    return Fail(
        RequestFailure(response.status, kResponseErrorTemplate, method, url, response.error));
  }
  if (use == ResponseUse::kOutcome) return BindingProperty();
  return ReadBody(module, response, method, url);
}

bool ReadStreamedBody(StreamRead read, void* stream, uint32_t expectedSize, std::string& out,
                      std::string& error, const std::function<void()>& yield) {
  out.clear();
  out.reserve(expectedSize);
  uint8_t buffer[kStreamReadSize];
  for (;;) {
    uint32_t count = kStreamReadSize;
    uint8_t more = 1;
    if (!read(stream, buffer, &count, &more)) {
      error = "Stream read error";
      return false;
    }
    if (count > kStreamReadSize) count = kStreamReadSize;  // never trust a count past the buffer
    out.append(reinterpret_cast<const char*>(buffer), count);
    if (!more) return true;
    if (count < kStreamReadSize) yield();
  }
}

}  // namespace kiv
