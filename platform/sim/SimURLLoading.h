#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/net/URLConnection.h"
#include "platform/net/URLError.h"
#include "platform/scriptedhttp/ScriptedReply.h"

namespace platform::sim {

class SimRunLoop;

// URL loading whose server a test scripts. Each request that goes on the wire — the first one and
// every redirect hop — is recorded with its header fields and answered by the route for its exact
// URL text, or by the fallback (which by default fails with URLError::CannotConnectToHost).
// Everything happens on the virtual clock, with the timing the ScriptedReply asks for; the head
// carries the reply's fields with "Content-Length" added unless given, as on the wire. A
// connection whose server stays silent for longer than the request's timeout interval fails with
// URLError::TimedOut when that interval runs out; one whose server closes the connection before
// the whole body is sent fails with URLError::NetworkConnectionLost. Requests, redirects and their
// limit follow URLConnection's rules. Connections still running when the SimURLLoading goes end
// without another word to their delegates.
class SimURLLoading : public URLLoadingBackend {
 public:
  using Reply = scriptedhttp::ScriptedReply;
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
