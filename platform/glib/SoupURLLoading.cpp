#include "platform/glib/SoupURLLoading.h"

#include <libsoup/soup.h>

#include "platform/glib/GlibRunLoop.h"
#include "platform/glib/SoupURLConnection.h"

namespace platform::glib {

namespace {

// The session does its own timing (idle connections) on the thread-default context at its making.
glibsupport::GObjectPtr<SoupSession> makeSession(GlibRunLoop& runLoop, SoupCookieJar* jar,
                                                 int maxConnections = 0,
                                                 int maxConnectionsPerHost = 0) {
  g_main_context_push_thread_default(runLoop.context());
  auto session =
      glibsupport::adopt(maxConnections > 0 ? soup_session_new_with_options(
                                                  "max-conns", maxConnections, "max-conns-per-host",
                                                  maxConnectionsPerHost, nullptr)
                                            : soup_session_new());
  g_main_context_pop_thread_default(runLoop.context());
  // Each connection keeps its own timer on its request's timeout interval; the session's I/O
  // timeout would cut longer ones short.
  soup_session_set_timeout(session.get(), 0);
  soup_session_add_feature(session.get(), SOUP_SESSION_FEATURE(jar));
  return session;
}

}  // namespace

SoupURLLoading::SoupURLLoading(std::shared_ptr<GlibRunLoop> runLoop)
    : runLoop_(std::move(runLoop)) {
  auto jar = glibsupport::adopt(soup_cookie_jar_new());
  session_ = makeSession(*runLoop_, jar.get());
  backgroundSession_ = makeSession(*runLoop_, jar.get(), kMaxBackgroundConnections,
                                   kMaxBackgroundConnectionsPerHost);
}

SoupURLLoading::~SoupURLLoading() {
  for (const auto& weak : connections_) {
    if (std::shared_ptr<SoupURLConnection> connection = weak.lock()) connection->cancel();
  }
}

std::shared_ptr<URLConnection> SoupURLLoading::makeConnection(
    const URLRequest& request, std::weak_ptr<URLConnectionDelegate> delegate) {
  std::erase_if(connections_, [](const auto& weak) { return weak.expired(); });
  std::shared_ptr<SoupURLConnection> connection = SoupURLConnection::start(
      request.networkServiceType() == URLRequest::NetworkServiceType::Background
          ? backgroundSession_.get()
          : session_.get(),
      runLoop_, request, std::move(delegate));
  connections_.push_back(connection);
  return connection;
}

}  // namespace platform::glib
