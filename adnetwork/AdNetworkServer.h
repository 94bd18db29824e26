#pragma once

#include <glib.h>
#include <libsoup/soup.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "adnetwork/AdNetwork.h"
#include "adnetwork/ConnectionGuard.h"
#include "adnetwork/FaultTable.h"
#include "adnetwork/ReplySender.h"
#include "adnetwork/RequestLog.h"
#include "adnetwork/Routes.h"
#include "platform/glibsupport/GlibPtr.h"

namespace adnetwork {

// The network's HTTP side: libsoup's server on 127.0.0.1, which hands every request to the
// routes, applies the fault waiting for its route, logs it and sends the reply.
//
// Redirects made by a fault carry their place in the query ("avmo_hop"/"avmo_hops" along a chain,
// "avmo_loop" around a loop), so the requests that follow them continue the same fault without
// using up another.
//
// Requests are screened as soon as their head is in, before libsoup reads any body: one for
// another origin, or with a body, is answered and its connection closed there and then.
class AdNetwork::Server {
 public:
  static base::Expected<std::unique_ptr<Server>> start(const Options& options);
  ~Server();
  Server(const Server&) = delete;
  Server& operator=(const Server&) = delete;

  uint16_t port() const { return port_; }
  Routes& routes() { return *routes_; }
  FaultTable& faults() { return faults_; }
  const RequestLog& log() const { return log_; }

 private:
  explicit Server(GMainContext* context);

  static void screenRequest(SoupServer*, SoupServerMessage* message, const char* path,
                            GHashTable* query, gpointer self);
  static void handleRequest(SoupServer*, SoupServerMessage* message, const char* path,
                            GHashTable* query, gpointer self);
  // The answer to a request that must go no further; none for one that may.
  std::optional<scriptedhttp::ScriptedReply> refusal(SoupServerMessage* message) const;
  void handle(SoupServerMessage* message);
  scriptedhttp::ScriptedReply decide(LoggedRequest& entry, const Routes::Request& request,
                                     const std::string& rawQuery);
  scriptedhttp::ScriptedReply faulty(const FaultPlan& fault, const Routes::Request& request,
                                     const std::string& rawQuery);
  // A redirect back to the same address with marker=value in place of any earlier markers.
  scriptedhttp::ScriptedReply redirectToSelf(const Routes::Request& request,
                                             const std::string& rawQuery,
                                             const std::string& markers) const;
  scriptedhttp::ScriptedReply chainLink(const Routes::Request& request, const std::string& rawQuery,
                                        int hop, int hops) const;

  glibsupport::GMainContextPtr context_;
  glibsupport::GObjectPtr<SoupServer> server_;
  uint16_t port_ = 0;
  gint64 startMicroseconds_ = 0;
  std::unique_ptr<Routes> routes_;
  FaultTable faults_;
  RequestLog log_;
  std::unique_ptr<ReplySender> sender_;
  std::unique_ptr<ConnectionGuard> guard_;
};

}  // namespace adnetwork
