// gateway.h: the substitute host's local HTTP gateway. It serves the loaded
// plugin's endpoints on the loopback interface, streams the events the plugin
// publishes, and describes itself, so a user interface can be built against
// the plugin with curl, a browser and generated clients.
//
// Resources (all need the access token; access_control.h):
//  - any plugin endpoint: the HTTP request becomes a host request (method,
//    path, query without "token", headers without "Authorization", body and
//    content type) and the answer comes back (http_exchange.h);
//  - GET /events: Server-Sent Events (event_hub.h); "?path=PREFIX" keeps
//    resource changes under that URI prefix; a "Last-Event-ID" header (as a
//    browser sends when it reconnects) first replays the kept events after
//    that id;
//  - GET /openapi.json: the OpenAPI 3.1 document (openapi_document.h);
//  - GET /index.json (or GET / with "Accept: application/json"): the
//    plugin's name and endpoints;
//  - GET /recording?path=FILE.jsonl: a recording (run_recorder.h) read from
//    disk, for the page's replay;
//  - POST /clock/resume: lets a scenario held at --hold-at go on (404 when
//    the run has no hold).
// The tournament page (GET /, GET /web/...; page_files.h) needs no token: it
// holds no data, and without a token it shows the refusal itself. Its
// requests carry the token of the page's own URL.
//
// Threads: a connection holds no thread while it is idle or still sending
// its request head (connection_poller.h); once a head is whole, a worker
// serves it. A request is handed to the host's dispatch thread and its worker
// waits for the answer (dispatch_handoff.h). An event stream holds a worker
// while it is open; there are `threads` workers plus one per event stream
// allowed. The caller runs the dispatch thread (for example with
// PluginHost::RunUntilStopped) and feeds events in with Publish.
//
// Limits: a body declared larger than `bodyLimit` gets 413 before any of it
// is read, and the connection closes (a chunked body is cut off at the
// limit the same way); a request head must arrive whole within
// `headerTimeout` (408); a connection may idle `idleTimeout` between
// requests; at most `maxConnections` are open (503 and close beyond); a
// client that sends a body or reads an answer too slowly is dropped after
// `ioTimeout`; at most `events.maxSubscribers` event streams at once (503
// beyond), each with a bounded queue (event_hub.h). Writes never raise
// SIGPIPE, so a client that hangs up only fails the write.
//
// Not for: anything but loopback; TLS.
//
//   auto gateway = Gateway::Start(host, GatewayOptions{}, &error);   // after Initialize
//   host.SetEventObserver([&](const PublishedEvent& e) { gateway->Publish(e); });
//   std::puts(gateway->StartUrl().c_str());
//   host.RunUntilStopped(stop);
//   gateway->Stop();
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "host/gateway/access_control.h"
#include "host/gateway/dispatch_handoff.h"
#include "host/gateway/event_hub.h"
#include "host/plugin_host.h"

namespace httplib {
struct Request;
struct Response;
}  // namespace httplib

namespace kiv::host::gateway {

struct GatewayOptions {
  uint16_t port = 0;  // 0: any free port
  size_t bodyLimit = 8 * 1024 * 1024;
  /// The one origin that gets CORS headers; empty for none.
  std::string allowOrigin;
  /// Empty: a fresh random token.
  std::string token;
  /// Workers serving requests (event streams have their own on top).
  size_t threads = 64;
  /// Open connections at most, idle ones included.
  size_t maxConnections = 1024;
  /// From a connection's first byte (or its opening) to its whole request head.
  std::chrono::milliseconds headerTimeout{2000};
  /// A kept-alive connection with no request in progress is closed after this.
  std::chrono::milliseconds idleTimeout{30000};
  /// Read and write timeout of a connection.
  std::chrono::milliseconds ioTimeout{5000};
  /// An idle event stream sends a comment this often (finding clients gone).
  std::chrono::milliseconds eventKeepAlive{15000};
  EventHubLimits events;
  /// Called on the serving thread for every request the plugin answered
  /// (e.g. to record it); may be empty.
  std::function<void(const HostRequest&, const HostResponse&)> onAnswered;
  /// Serves POST /clock/resume when set; called on a serving thread.
  std::function<void()> resume;
};

class PolledServer;

class Gateway {
 public:
  /// Binds 127.0.0.1 and starts serving. Call after Load (and Initialize),
  /// from the dispatch thread or before it runs: it reads the API
  /// description once. Null with `error` set when the port cannot be bound
  /// or no token can be made.
  static std::unique_ptr<Gateway> Start(PluginHost& host, GatewayOptions options,
                                        std::string* error);
  /// Stops first.
  ~Gateway();
  Gateway(const Gateway&) = delete;
  Gateway& operator=(const Gateway&) = delete;

  /// Dispatch thread: streams one event the plugin published.
  void Publish(const PublishedEvent& event) { hub_.Publish(event); }
  /// Ends the event streams, answers requests not yet started with 503, and
  /// waits for the connections to close. Idempotent. Do not call from inside
  /// a request the gateway handed to the plugin.
  void Stop();

  uint16_t port() const { return port_; }
  const std::string& token() const { return access_.token(); }
  /// "http://127.0.0.1:PORT/?token=TOKEN".
  std::string StartUrl() const;
  const EventHub& events() const { return hub_; }
  /// Connections open now, idle ones included.
  size_t OpenConnections() const;
  /// Waits up to `timeout` until exactly `count` connections are open.
  bool WaitForOpenConnections(size_t count, std::chrono::milliseconds timeout) const;

  /// Use Start; the key keeps construction to it.
  class Key {
    friend class Gateway;
    Key() = default;
  };
  Gateway(Key, PluginHost& host, GatewayOptions options, std::string token,
          std::unique_ptr<PolledServer> server, uint16_t port);

 private:
  void Route();
  void Serve(const httplib::Request& request, httplib::Response& response, std::string body,
             const AccessVerdict& verdict);
  void StreamEvents(const httplib::Request& request, httplib::Response& response);
  // Answers what the gateway serves itself; false for a plugin request.
  bool ServeOwn(const httplib::Request& request, httplib::Response& response);

  PluginHost& host_;
  const GatewayOptions options_;
  const uint16_t port_;
  AccessControl access_;
  EventHub hub_;
  DispatchHandoff handoff_;
  std::string document_;
  std::string index_;
  std::unique_ptr<PolledServer> server_;
  std::thread serverThread_;
  std::atomic<bool> listenerEnded_{false};
  std::atomic<bool> stopped_{false};
};

}  // namespace kiv::host::gateway
