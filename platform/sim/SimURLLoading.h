#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/URLConnection.h"
#include "platform/URLError.h"

namespace platform::sim {

class SimRunLoop;

// URL loading whose server a test scripts. Each request that goes on the wire — the first one and
// every redirect hop — is recorded with its header fields and answered by the route for its exact
// URL text, or by the fallback (which by default fails with URLError::CannotConnectToHost).
// Everything happens on the virtual clock: the head of a reply comes `delay` seconds after its
// request is sent, the first piece of the body with it, each further piece `pieceDelay` seconds
// after the one before. A connection whose server would stay silent for longer than the request's
// timeout interval fails with URLError::TimedOut when that interval runs out. A reply with a 3xx
// status other than 304 and a "Location" is a redirect; more than kMaxRedirects hops fail with
// URLError::HTTPTooManyRedirects. Only "http" and "https" URLs are loaded; others fail with
// URLError::UnsupportedURL and, never reaching the wire, are not recorded. Connections still
// running when the SimURLLoading goes end without another word to their delegates.
class SimURLLoading : public URLLoadingBackend {
 public:
  static constexpr int kMaxRedirects = 20;

  struct Reply {
    int status = 200;
    HTTPHeaderFields headers;
    std::string body;
    double delay = 0;
    // The body arrives in pieces of this many bytes; 0 sends it in one piece.
    size_t pieceSize = 0;
    double pieceDelay = 0;
    // When set, the connection fails with this error instead of answering (after `delay`).
    std::optional<base::Error> failure;

    static Reply ok(std::string body, HTTPHeaderFields headers = {});
    static Reply withStatus(int status, HTTPHeaderFields headers = {}, std::string body = {});
    // A redirect to location (resolved against the request's URL, as a browser would).
    static Reply redirect(std::string location, int status = 302);
    // A failure with code; the connection fills in the URL it failed for.
    static Reply fail(URLError::Code code);

    // The same reply, its head coming seconds after the request.
    Reply after(double seconds) && {
      delay = seconds;
      return std::move(*this);
    }
    // The same reply, its body in pieces of size bytes, each seconds after the one before.
    Reply inPieces(size_t size, double seconds = 0) && {
      pieceSize = size;
      pieceDelay = seconds;
      return std::move(*this);
    }
  };
  using Handler = std::function<Reply(const URLRequest&)>;

  explicit SimURLLoading(std::shared_ptr<SimRunLoop> runLoop);
  ~SimURLLoading() override;

  std::shared_ptr<URLConnection> makeConnection(
      const URLRequest& request, std::weak_ptr<URLConnectionDelegate> delegate) override;

  // Answers every request for url with reply, or with what handler makes of the request.
  void route(std::string url, Reply reply);
  void route(std::string url, Handler handler);
  void setFallback(Handler handler);
  // Whether makeConnection gives connections at all (it does by default).
  void setCanCreateConnections(bool can) { canCreate_ = can; }

  // Every request sent, in order, redirect hops included.
  const std::vector<URLRequest>& sentRequests() const { return sent_; }
  // Connections made and not yet ended (finished, failed, cancelled, declined by their delegate or
  // left by it).
  size_t activeConnectionCount() const;
  size_t createdConnectionCount() const { return created_; }

  class Connection;

 private:
  friend class Connection;
  Reply replyFor(const URLRequest& request);

  std::shared_ptr<SimRunLoop> runLoop_;
  std::map<std::string, Handler> routes_;
  Handler fallback_;
  bool canCreate_ = true;
  std::vector<URLRequest> sent_;
  size_t created_ = 0;
  std::vector<std::weak_ptr<Connection>> connections_;
};

}  // namespace platform::sim
