#pragma once

#include <libsoup/soup.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "adnetwork/ReplySender.h"
#include "platform/glibsupport/GlibPtr.h"
#include "platform/scriptedhttp/ScriptedReply.h"

namespace test_support {

// An HTTP/1.1 server on 127.0.0.1 for tests and benchmarks, on a port of the system's choosing
// from construction until destruction: libsoup's server, sending scripted answers through the ad
// network's ReplySender. It runs on the GLib main context that is the thread's default when it is
// made, so it answers only while that context is iterated: a test waits for a load by running the
// loop, never by blocking the thread.
//
// A request is answered by the handler routed to its path (the target without its query), or by
// the fallback, 404 unless replaced, and recorded. Destruction closes every connection, also those
// held by unanswered requests. Making a server adds 127.0.0.1 to "no_proxy" and "NO_PROXY", so
// that the process's clients reach it even where the environment names an HTTP proxy.
class LoopbackHTTPServer {
 public:
  // Header fields in the order they came; a repeated field appears twice.
  using HeaderList = std::vector<std::pair<std::string, std::string>>;

  struct Request {
    std::string target;  // path and query: "/a/b?x=1"
    HeaderList headers;

    std::string path() const;
    // The value of the first field of that name (compared without regard to case).
    std::optional<std::string> header(std::string_view name) const;
    // Every value of that name, in order.
    std::vector<std::string> headerValues(std::string_view name) const;
  };

  using Response = scriptedhttp::ScriptedReply;
  using Handler = std::function<Response(const Request&)>;

  // Listens at once. If it cannot, it says why on standard error and port() is 0.
  LoopbackHTTPServer();
  ~LoopbackHTTPServer();
  LoopbackHTTPServer(const LoopbackHTTPServer&) = delete;
  LoopbackHTTPServer& operator=(const LoopbackHTTPServer&) = delete;

  uint16_t port() const { return port_; }
  // "http://127.0.0.1:<port>" followed by target.
  std::string url(std::string_view target = "/") const;

  void route(std::string path, Handler handler);
  void route(std::string path, Response response);
  void setFallback(Handler handler) { fallback_ = std::move(handler); }

  // What was received so far, in order of arrival.
  const std::vector<Request>& requests() const { return requests_; }
  size_t requestCount() const { return requests_.size(); }
  // Connections that have carried a request so far.
  size_t acceptedConnectionCount() const { return sockets_.size(); }
  // Of those, the ones that have ended since, closed by the client or by the server.
  size_t closedConnectionCount() const;

 private:
  static void handleRequest(SoupServer*, SoupServerMessage* message, const char*, GHashTable*,
                            gpointer self);
  Request recorded(SoupServerMessage* message);

  glibsupport::GObjectPtr<SoupServer> server_;
  std::unique_ptr<adnetwork::ReplySender> sender_;
  uint16_t port_ = 0;
  std::map<std::string, Handler> routes_;
  Handler fallback_;
  std::vector<Request> requests_;
  // Every connection that carried a request, held so that a new one is never taken for it.
  std::vector<glibsupport::GObjectPtr<GSocket>> sockets_;
};

}  // namespace test_support
