#include "host/gateway/gateway.h"

#include <httplib.h>
#include <rapidjson/prettywriter.h>
#include <rapidjson/stringbuffer.h>

#include <charconv>
#include <fstream>
#include <sstream>
#include <utility>

#include "host/gateway/http_exchange.h"
#include "host/gateway/openapi_document.h"
#include "host/gateway/page_files.h"
#include "host/gateway/polled_server.h"
#include "host/route_table.h"

namespace kiv::host::gateway {
namespace {

constexpr char kLoopback[] = "127.0.0.1";
constexpr char kBuiltinNameSpace[] = "$builtin";
// A connection that stays open serves this many requests before the server
// closes it; high, so clients keep their connections.
constexpr size_t kRequestsPerConnection = 100'000;
// What the kernel may hold of an event stream the client has not read.
constexpr int kEventSendBuffer = 64 * 1024;

std::string IndexDocument(const PluginHost& host) {
  const PluginLoadRecord& record = host.record();
  rapidjson::StringBuffer buffer;
  rapidjson::PrettyWriter<rapidjson::StringBuffer> writer(buffer);
  writer.SetIndent(' ', 2);
  writer.StartObject();
  writer.Key("plugin");
  writer.String(record.shortName ? record.shortName : "");
  writer.Key("apiVersion");
  writer.String((std::to_string(record.major) + "." + std::to_string(record.minor) + "." +
                 std::to_string(record.patch))
                    .c_str());
  writer.Key("openapi");
  writer.String("/openapi.json");
  writer.Key("events");
  writer.String("/events");
  writer.Key("endpoints");
  writer.StartArray();
  const ApiDescription* api = record.api;
  for (uint32_t i = 0; api && i < api->functionCount; ++i) {
    const ApiFunction& function = api->functions[i];
    if (!function.urlTemplate || !*function.urlTemplate) continue;
    if (function.nameSpace && std::string_view(function.nameSpace) == kBuiltinNameSpace) continue;
    std::string method(MethodName(function.method));
    if (method.empty()) method = function.customMethod ? function.customMethod : "";
    writer.String((method + " " + function.urlTemplate).c_str());
  }
  writer.EndArray();
  writer.EndObject();
  return std::string(buffer.GetString(), buffer.GetSize());
}

// Settings that must be in place before the socket is bound (no delay) and
// those the connections read.
void Configure(httplib::Server& server, const GatewayOptions& options) {
  server.set_keep_alive_max_count(kRequestsPerConnection);
  server.set_payload_max_length(options.bodyLimit);
  server.set_tcp_nodelay(true);
}

ConnectionLimits LimitsOf(const GatewayOptions& options) {
  return ConnectionLimits{.maxConnections = options.maxConnections,
                          .workers = options.threads + options.events.maxSubscribers,
                          .headerTimeout = options.headerTimeout,
                          .idleTimeout = options.idleTimeout};
}

// A header's value as a decimal number; nullopt when it is not one.
std::optional<uint64_t> NumberIn(const std::string& value) {
  uint64_t number = 0;
  const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), number);
  if (value.empty() || error != std::errc() || end != value.data() + value.size()) {
    return std::nullopt;
  }
  return number;
}

// The body length a request declares, when it declares one that parses.
std::optional<uint64_t> DeclaredLength(const httplib::Request& request) {
  return NumberIn(request.get_header_value("Content-Length"));
}

// 413 without reading the body; the connection then closes, since the body
// the client may still send is not read.
void RefuseBody(size_t limit, httplib::Response& response) {
  WriteError(413, "The body is larger than " + std::to_string(limit) + " bytes", response);
  response.set_header("Connection", "close");
  CloseAfterAnswer();
}

// The "Last-Event-ID" a reconnecting client sends, when it is a number.
std::optional<uint64_t> LastEventId(const httplib::Request& request) {
  return NumberIn(request.get_header_value("Last-Event-ID"));
}

// The page's own files: "/" is its document, "/web/PATH" the rest.
const PageFile* PageFileOf(const httplib::Request& request) {
  if (request.method != "GET" && request.method != "HEAD") return nullptr;
  if (request.path == "/") {
    if (request.get_header_value("Accept").find("application/json") != std::string::npos) {
      return nullptr;
    }
    return FindPageFile("index.html");
  }
  constexpr std::string_view kPrefix = "/web/";
  if (!request.path.starts_with(kPrefix)) return nullptr;
  return FindPageFile(std::string_view(request.path).substr(kPrefix.size()));
}

// A recording named by the page's "?replay=PATH": only files ending in
// ".jsonl" are served, so the gateway cannot be asked for anything else on
// disk.
void ServeRecording(const std::string& path, httplib::Response& response) {
  if (path.size() <= 6 || !path.ends_with(".jsonl")) {
    return WriteError(400, "A recording is a file whose name ends in .jsonl", response);
  }
  std::ifstream file(path, std::ios::binary);
  if (!file) return WriteError(404, "No recording at " + path, response);
  std::ostringstream bytes;
  bytes << file.rdbuf();
  response.set_header("Cache-Control", "no-store");
  response.set_content(bytes.str(), "application/x-ndjson");
}

std::optional<std::string_view> QueryToken(const httplib::Request& request) {
  if (!request.has_param("token")) return std::nullopt;
  const auto found = request.params.find("token");
  return std::string_view(found->second);
}

}  // namespace

std::unique_ptr<Gateway> Gateway::Start(PluginHost& host, GatewayOptions options,
                                        std::string* error) {
  std::string token = options.token.empty() ? MakeAccessToken() : options.token;
  if (token.empty()) {
    if (error) *error = "cannot make an access token (no random bytes)";
    return nullptr;
  }
  auto server = std::make_unique<PolledServer>(LimitsOf(options), options.ioTimeout);
  Configure(*server, options);
  if (!server->StartPolling(error)) return nullptr;
  int port = -1;
  if (options.port == 0) {
    port = server->bind_to_any_port(kLoopback);
  } else if (server->bind_to_port(kLoopback, options.port)) {
    port = options.port;
  }
  if (port <= 0) {
    if (error) *error = "cannot listen on 127.0.0.1:" + std::to_string(options.port);
    return nullptr;
  }
  server->WidenBacklog();
  auto gateway = std::make_unique<Gateway>(Key(), host, std::move(options), std::move(token),
                                           std::move(server), static_cast<uint16_t>(port));
  gateway->Route();
  Gateway* self = gateway.get();
  // Every write is sent with MSG_NOSIGNAL (socket_stream.h), so a client
  // that hung up fails the write instead of raising SIGPIPE.
  gateway->serverThread_ = std::thread([self] {
    self->server_->listen_after_bind();
    self->listenerEnded_.store(true);
  });
  // Stop must not come before the server runs, or it would find nothing to stop.
  while (!gateway->server_->is_running() && !gateway->listenerEnded_.load()) {
    std::this_thread::yield();
  }
  host.SetServing(true);
  return gateway;
}

Gateway::Gateway(Key, PluginHost& host, GatewayOptions options, std::string token,
                 std::unique_ptr<PolledServer> server, uint16_t port)
    : host_(host),
      options_(std::move(options)),
      port_(port),
      access_(std::move(token), port, options_.allowOrigin),
      hub_(options_.events),
      handoff_(host),
      server_(std::move(server)) {
  const PluginLoadRecord& record = host.record();
  if (record.api) {
    const std::string version = std::to_string(record.major) + "." + std::to_string(record.minor) +
                                "." + std::to_string(record.patch);
    document_ = BuildOpenApiDocument(
        *record.api, OpenApiInfo{record.shortName ? record.shortName : "plugin", version,
                                 "http://127.0.0.1:" + std::to_string(port_)});
  }
  index_ = IndexDocument(host);
}

Gateway::~Gateway() { Stop(); }

size_t Gateway::OpenConnections() const { return server_->OpenConnections(); }

bool Gateway::WaitForOpenConnections(size_t count, std::chrono::milliseconds timeout) const {
  return server_->WaitForOpenConnections(count, timeout);
}

std::string Gateway::StartUrl() const {
  return "http://127.0.0.1:" + std::to_string(port_) + "/?token=" + access_.token();
}

void Gateway::Stop() {
  if (stopped_.exchange(true)) return;
  hub_.Close();
  handoff_.Close();
  server_->stop();
  if (serverThread_.joinable()) serverThread_.join();
  server_->StopPolling();
  host_.SetServing(false);
}

void Gateway::Route() {
  httplib::Server& server = *server_;
  auto check = [this](const httplib::Request& request) {
    return access_.Check(request.get_header_value("Host"),
                         request.get_header_value("Authorization"), QueryToken(request));
  };
  // A body declared too large is refused before it is read, whether or not
  // the client waits for "100 Continue"; a request that may not come in at
  // all learns that instead.
  auto refuseLarge = [this, check](const httplib::Request& request, httplib::Response& response) {
    const auto length = DeclaredLength(request);
    if (!length || *length <= options_.bodyLimit) return false;
    const AccessVerdict verdict = check(request);
    if (verdict.allowed()) {
      RefuseBody(options_.bodyLimit, response);
    } else {
      Serve(request, response, std::string(), verdict);
      response.set_header("Connection", "close");
      CloseAfterAnswer();
    }
    return true;
  };
  server.set_expect_100_continue_handler(
      [refuseLarge](const httplib::Request& request, httplib::Response& response) {
        return refuseLarge(request, response) ? response.status : 100;
      });
  auto withoutBody = [this, check](const httplib::Request& request, httplib::Response& response) {
    Serve(request, response, std::string(), check(request));
  };
  // Requests without a body are served here, before the library's routing,
  // which would match the path against a regular expression every time. One
  // that declares a body anyway goes through the routing, which reads it.
  server.set_pre_routing_handler(
      [refuseLarge, withoutBody](const httplib::Request& request, httplib::Response& response) {
        if (refuseLarge(request, response)) return httplib::Server::HandlerResponse::Handled;
        const bool bodiless =
            request.method == "GET" || request.method == "HEAD" || request.method == "OPTIONS";
        if (!bodiless || request.has_header("Content-Length") ||
            request.has_header("Transfer-Encoding")) {
          return httplib::Server::HandlerResponse::Unhandled;
        }
        withoutBody(request, response);
        return httplib::Server::HandlerResponse::Handled;
      });
  // Bodies are read here, not by the library, to bound chunked bodies too. A
  // refused request's body is still read (and dropped) so that the
  // connection stays in step for the client's next request.
  auto withBody = [this, check](const httplib::Request& request, httplib::Response& response,
                                const httplib::ContentReader& reader) {
    const AccessVerdict verdict = check(request);
    std::string body;
    size_t received = 0;
    bool tooLarge = false;
    // A request with neither length nor chunks has no body (it must not be
    // read to the end of the connection).
    const bool hasBody =
        request.has_header("Content-Length") ||
        request.get_header_value("Transfer-Encoding").find("chunked") != std::string::npos;
    const bool read = !hasBody || reader([&](const char* data, size_t length) {
      received += length;
      if (received > options_.bodyLimit) {
        tooLarge = true;
        return false;
      }
      if (verdict.allowed()) body.append(data, length);
      return true;
    });
    if (tooLarge) {
      // The rest of the body stays unread, so the connection cannot go on.
      response.set_header("Connection", "close");
      CloseAfterAnswer();
    }
    if (!verdict.allowed()) return Serve(request, response, std::string(), verdict);
    if (tooLarge || response.status == 413) return RefuseBody(options_.bodyLimit, response);
    if (!read) return WriteError(400, "The body could not be read", response);
    Serve(request, response, std::move(body), verdict);
  };
  const std::string any = "/.*";
  server.Get(any, withoutBody);
  server.Options(any, withoutBody);
  server.Post(any, withBody);
  server.Put(any, withBody);
  server.Patch(any, withBody);
  server.Delete(any, withBody);
}

void Gateway::Serve(const httplib::Request& request, httplib::Response& response, std::string body,
                    const AccessVerdict& verdict) {
  if (const auto origin = access_.AllowedOrigin(request.get_header_value("Origin"))) {
    response.set_header("Access-Control-Allow-Origin", *origin);
    response.set_header("Vary", "Origin");
    // A browser's preflight carries no token; it only learns what it may send.
    if (request.method == "OPTIONS" && request.has_header("Access-Control-Request-Method") &&
        IsLoopbackHost(request.get_header_value("Host"), port_)) {
      response.status = 204;
      response.set_header("Access-Control-Allow-Methods", "GET, POST, PUT, PATCH, DELETE, OPTIONS");
      response.set_header("Access-Control-Allow-Headers", "Authorization, Content-Type");
      response.set_header("Access-Control-Max-Age", "600");
      return;
    }
  }
  // The page's files hold no data: a loopback client gets them without a
  // token (the page then shows that it has none).
  if (verdict.status != 403) {
    if (const PageFile* file = PageFileOf(request)) {
      response.set_header("Cache-Control", "no-cache");
      response.set_header("X-Content-Type-Options", "nosniff");
      return response.set_content(std::string(file->bytes), std::string(file->contentType));
    }
  }
  if (!verdict.allowed()) {
    if (verdict.status == 401) response.set_header("WWW-Authenticate", "Bearer");
    return WriteError(verdict.status, verdict.message, response);
  }
  if (ServeOwn(request, response)) return;
  HostRequest hostRequest = ToHostRequest(request, std::move(body));
  if (!options_.onAnswered) return WriteAnswer(handoff_.Request(std::move(hostRequest)), response);
  // What the observer is told of the request (its arguments are never set here).
  HostRequest told = HostRequest::Make(hostRequest.method, hostRequest.url);
  told.customMethod = hostRequest.customMethod;
  told.body = hostRequest.body;
  told.contentType = hostRequest.contentType;
  const HostResponse answer = handoff_.Request(std::move(hostRequest));
  options_.onAnswered(told, answer);
  WriteAnswer(answer, response);
}

bool Gateway::ServeOwn(const httplib::Request& request, httplib::Response& response) {
  const bool get = request.method == "GET" || request.method == "HEAD";
  if (get && request.path == "/events") {
    StreamEvents(request, response);
  } else if (get && request.path == "/openapi.json") {
    response.set_content(document_, "application/json");
  } else if (get && (request.path == "/" || request.path == "/index.json")) {
    response.set_content(index_, "application/json");
  } else if (get && request.path == "/recording") {
    ServeRecording(request.get_param_value("path"), response);
  } else if (request.method == "POST" && request.path == "/clock/resume") {
    if (!options_.resume) {
      WriteError(404, "This run holds no clock", response);
    } else {
      options_.resume();
      response.status = 204;
    }
  } else {
    return false;
  }
  return true;
}

void Gateway::StreamEvents(const httplib::Request& request, httplib::Response& response) {
  std::shared_ptr<EventSubscription> subscription =
      hub_.Subscribe(request.get_param_value("path"), LastEventId(request));
  if (!subscription) return WriteError(503, "No more event streams can be opened now", response);
  response.set_header("Cache-Control", "no-cache");
  // A client that stops reading is then found by its queue's bound soon.
  LimitSendBuffer(kEventSendBuffer);
  const auto keepAlive = options_.eventKeepAlive;
  bool opened = false;
  response.set_chunked_content_provider(
      "text/event-stream",
      [subscription, keepAlive, opened](size_t, httplib::DataSink& sink) mutable {
        static constexpr std::string_view kOpened = ": events follow\n\n";
        static constexpr std::string_view kKeepAlive = ": keep-alive\n\n";
        if (!opened) {
          opened = true;
          return sink.write(kOpened.data(), kOpened.size());
        }
        std::string frames;
        switch (subscription->Next(frames, keepAlive)) {
          case EventSubscription::Wait::kFrames:
            return sink.write(frames.data(), frames.size());
          case EventSubscription::Wait::kIdle:
            return sink.write(kKeepAlive.data(), kKeepAlive.size());
          case EventSubscription::Wait::kEnded:
            break;
        }
        sink.done();
        return true;
      });
}

}  // namespace kiv::host::gateway
