#pragma once

#include <glib.h>

#include <memory>
#include <vector>

#include "platform/glibsupport/GlibPtr.h"
#include "platform/net/URLConnection.h"

// libsoup stays out of this header; only the backend's sources include it.
typedef struct _SoupSession SoupSession;

namespace platform::glib {

class GlibRunLoop;
class SoupURLConnection;

// URL loading over one libsoup session for the process, on runLoop's context, and a second one for
// background traffic (trackers): a server that holds its requests open holds only the second
// one's connections, never those the ad's loads wait for. A session opens at most a few
// connections to a server at a time and queues further requests, so that without the second one
// two hung tracking requests to the ad's server stopped every later load of it. Both sessions keep
// one in-memory cookie jar and reuse their connections to a server (HTTP keep-alive). It adds no
// "User-Agent" of its own: the header fields of each request go out as the request has them. It
// keeps no HTTP cache, so every request asks the server, whatever its cache policy. See
// SoupURLConnection for redirects and timeouts.
//
// Destroying the backend cancels every connection it made: none tells its delegate anything more.
class SoupURLLoading : public URLLoadingBackend {
 public:
  explicit SoupURLLoading(std::shared_ptr<GlibRunLoop> runLoop);
  ~SoupURLLoading() override;
  SoupURLLoading(const SoupURLLoading&) = delete;
  SoupURLLoading& operator=(const SoupURLLoading&) = delete;

  std::shared_ptr<URLConnection> makeConnection(
      const URLRequest& request, std::weak_ptr<URLConnectionDelegate> delegate) override;

 private:
  // Trackers wait their turn among themselves (the other session keeps libsoup's own limits).
  static constexpr int kMaxBackgroundConnections = 4;
  static constexpr int kMaxBackgroundConnectionsPerHost = 2;

  std::shared_ptr<GlibRunLoop> runLoop_;
  glibsupport::GObjectPtr<SoupSession> session_;
  glibsupport::GObjectPtr<SoupSession> backgroundSession_;
  std::vector<std::weak_ptr<SoupURLConnection>> connections_;
};

}  // namespace platform::glib
