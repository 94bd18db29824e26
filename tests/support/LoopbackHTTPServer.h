#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "platform/ScriptedReply.h"

namespace test_support {

// An HTTP/1.1 server on 127.0.0.1 for tests and benchmarks, listening on a port of the system's
// choosing from construction until destruction. It runs on threads of its own (one accepting,
// one per connection), so the test's thread is free to drive its own loop while requests are
// answered.
//
// Each request is answered by the handler routed to its path (the target without its query), or
// by the fallback, which answers 404 unless replaced. Handlers run on the connection's thread and
// must be safe to call from there. Connections are kept alive (HTTP/1.1) until the client closes
// them, asks for "Connection: close", or the server stops. Every request received is recorded with
// its method, target and header fields exactly as they came on the wire.
//
// So that the clients of the process reach it even where the environment names an HTTP proxy,
// making a server adds 127.0.0.1 to "no_proxy" and "NO_PROXY".
//
// Destruction stops the server: it closes every connection, including those held by unanswered
// requests, and waits for its threads.
class LoopbackHTTPServer {
 public:
  // Header fields in the order and spelling they had on the wire; a repeated field appears twice.
  using HeaderList = std::vector<std::pair<std::string, std::string>>;

  struct Request {
    std::string method;
    // The request target as sent: path and query ("/a/b?x=1").
    std::string target;
    HeaderList headers;
    std::string body;
    // 1 for the first connection the server accepted, 2 for the second, and so on.
    size_t connection = 0;

    std::string path() const;
    // The value of the first field of that name (compared without regard to case).
    std::optional<std::string> header(std::string_view name) const;
    // Every value of that name, in order.
    std::vector<std::string> headerValues(std::string_view name) const;
  };

  // Answers go out as scripted: after their delay, in pieces, held back or cut short; a failure
  // closes the connection without a word.
  using Response = platform::ScriptedReply;

  using Handler = std::function<Response(const Request&)>;

  // Listens at once. If the socket cannot be made, port() is 0 and problem() says why.
  LoopbackHTTPServer();
  ~LoopbackHTTPServer();
  LoopbackHTTPServer(const LoopbackHTTPServer&) = delete;
  LoopbackHTTPServer& operator=(const LoopbackHTTPServer&) = delete;

  uint16_t port() const { return port_; }
  const std::string& problem() const { return problem_; }
  // "http://127.0.0.1:<port>" followed by target.
  std::string url(std::string_view target = "/") const;

  void route(std::string path, Handler handler);
  void route(std::string path, Response response);
  void setFallback(Handler handler);

  // What was received so far, in order of arrival.
  std::vector<Request> requests() const;
  size_t requestCount() const;
  // TCP connections accepted so far.
  size_t acceptedConnectionCount() const { return accepted_.load(); }
  // Accepted connections that have ended since, closed by the client or by the server.
  size_t closedConnectionCount() const { return closed_.load(); }

 private:
  struct Connection;

  void acceptLoop();
  void serve(std::shared_ptr<Connection> connection);
  Response answer(const Request& request);
  bool sendResponse(Connection& connection, const Request& request, const Response& response);
  bool sendInPieces(Connection& connection, std::string head, std::string_view body,
                    const Response& response);
  void waitUntilStopped(Connection& connection);
  // Waits seconds; false when the server stops meanwhile.
  bool pause(double seconds);

  int listenFd_ = -1;
  int wakeFds_[2] = {-1, -1};  // written to once when the server stops
  uint16_t port_ = 0;
  std::string problem_;
  std::atomic<bool> stopping_{false};
  std::atomic<size_t> accepted_{0};
  std::atomic<size_t> closed_{0};

  mutable std::mutex mutex_;  // guards everything below
  std::map<std::string, Handler> routes_;
  Handler fallback_;
  std::vector<Request> requests_;
  std::vector<std::shared_ptr<Connection>> connections_;
  std::vector<std::thread> threads_;

  std::thread acceptThread_;
};

}  // namespace test_support
