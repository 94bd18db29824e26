#include "platform/glib/SoupURLLoading.h"

#include <libsoup/soup.h>

#include "platform/glib/GlibRunLoop.h"
#include "platform/glib/SoupURLConnection.h"

namespace platform::glib {

SoupURLLoading::SoupURLLoading(std::shared_ptr<GlibRunLoop> runLoop)
    : runLoop_(std::move(runLoop)) {
  // The session does its own timing (idle connections) on the thread-default context at its
  // making.
  g_main_context_push_thread_default(runLoop_->context());
  session_ = glibsupport::adopt(soup_session_new());
  g_main_context_pop_thread_default(runLoop_->context());
  // Each connection keeps its own timer on its request's timeout interval; the session's I/O
  // timeout would cut longer ones short.
  soup_session_set_timeout(session_.get(), 0);
  auto jar = glibsupport::adopt(soup_cookie_jar_new());
  soup_session_add_feature(session_.get(), SOUP_SESSION_FEATURE(jar.get()));
}

SoupURLLoading::~SoupURLLoading() {
  for (const auto& weak : connections_) {
    if (std::shared_ptr<SoupURLConnection> connection = weak.lock()) connection->cancel();
  }
}

std::shared_ptr<URLConnection> SoupURLLoading::makeConnection(
    const URLRequest& request, std::weak_ptr<URLConnectionDelegate> delegate) {
  std::erase_if(connections_, [](const auto& weak) { return weak.expired(); });
  std::shared_ptr<SoupURLConnection> connection =
      SoupURLConnection::start(session_.get(), runLoop_, request, std::move(delegate));
  connections_.push_back(connection);
  return connection;
}

}  // namespace platform::glib
