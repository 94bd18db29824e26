#pragma once

#include <glib.h>

#include <memory>
#include <vector>

#include "platform/URLConnection.h"
#include "platform/glibsupport/GlibPtr.h"

// libsoup stays out of this header; only the backend's sources include it.
typedef struct _SoupSession SoupSession;

namespace platform::glib {

class GlibRunLoop;
class SoupURLConnection;

// URL loading over one libsoup session for the process, on runLoop's context. The session keeps one
// in-memory cookie jar and reuses its connections to a server (HTTP keep-alive). It adds no
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
  std::shared_ptr<GlibRunLoop> runLoop_;
  glibsupport::GObjectPtr<SoupSession> session_;
  std::vector<std::weak_ptr<SoupURLConnection>> connections_;
};

}  // namespace platform::glib
