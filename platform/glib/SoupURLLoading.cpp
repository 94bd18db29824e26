#include "platform/glib/SoupURLLoading.h"

#include <libsoup/soup.h>

#include "platform/glib/SoupURLConnection.h"

namespace platform::glib {

SoupURLLoading::SoupURLLoading(GMainContext* context)
    : context_(g_main_context_ref(context ? context : g_main_context_default())) {
  // The session does its own timing (idle connections) on the thread-default context at its
  // making.
  g_main_context_push_thread_default(context_);
  session_ = soup_session_new();
  g_main_context_pop_thread_default(context_);
  // Each connection keeps its own timer on its request's timeout interval; the session's I/O
  // timeout would cut longer ones short.
  soup_session_set_timeout(session_, 0);
  SoupCookieJar* jar = soup_cookie_jar_new();
  soup_session_add_feature(session_, SOUP_SESSION_FEATURE(jar));
  g_object_unref(jar);
}

SoupURLLoading::~SoupURLLoading() {
  for (const auto& weak : connections_) {
    if (std::shared_ptr<SoupURLConnection> connection = weak.lock()) connection->cancel();
  }
  g_object_unref(session_);
  g_main_context_unref(context_);
}

std::shared_ptr<URLConnection> SoupURLLoading::makeConnection(
    const URLRequest& request, std::weak_ptr<URLConnectionDelegate> delegate) {
  std::erase_if(connections_, [](const auto& weak) { return weak.expired(); });
  std::shared_ptr<SoupURLConnection> connection =
      SoupURLConnection::start(session_, context_, request, std::move(delegate));
  connections_.push_back(connection);
  return connection;
}

}  // namespace platform::glib
