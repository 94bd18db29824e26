#include "adnetwork/ConnectionGuard.h"

#include <algorithm>

namespace adnetwork {

using glibsupport::GObjectPtr;
using glibsupport::GSourcePtr;

struct ConnectionGuard::Connection {
  uint64_t id = 0;
  ConnectionGuard* guard = nullptr;
  GObjectPtr<SoupServerMessage> message;
  bool busy = false;
  bool closing = false;  // no longer counted
  bool shut = false;
  GSourcePtr timer;
  gulong gotHeadersHandler = 0;
  gulong disconnectedHandler = 0;

  ~Connection() {
    g_signal_handler_disconnect(message.get(), gotHeadersHandler);
    g_signal_handler_disconnect(message.get(), disconnectedHandler);
  }

  // Closes the connection after `seconds` unless it gets busy first.
  void closeAfter(double seconds, GMainContext* context) {
    timer.reset(g_timeout_source_new(static_cast<guint>(std::max(0.0, seconds) * 1000)));
    g_source_set_callback(
        timer.get(),
        +[](gpointer data) -> gboolean {
          auto& due = *static_cast<Connection*>(data);
          due.guard->close(due);
          return G_SOURCE_REMOVE;
        },
        this, nullptr);
    g_source_attach(timer.get(), context);
  }
};

ConnectionGuard::ConnectionGuard(SoupServer* server, GMainContext* context, size_t maximum,
                                 double idleSeconds)
    : server_(server),
      context_(context),
      maximum_(std::max<size_t>(maximum, 1)),
      // Within what a timer takes, and never so short that a connection cannot be used at all.
      idleSeconds_(std::clamp(idleSeconds, 0.05, 86400.0)) {
  startedHandler_ = g_signal_connect(server, "request-started", G_CALLBACK(&started), this);
}

ConnectionGuard::~ConnectionGuard() {
  g_signal_handler_disconnect(server_, startedHandler_);
}

size_t ConnectionGuard::open() const {
  return static_cast<size_t>(
      std::count_if(connections_.begin(), connections_.end(),
                    [](const auto& entry) { return !entry.second->closing; }));
}

void ConnectionGuard::started(SoupServer*, SoupServerMessage* message, gpointer self) {
  static_cast<ConnectionGuard*>(self)->accept(message);
}

// libsoup starts a connection's first request as it accepts the connection, so this sees every
// connection as it opens.
void ConnectionGuard::accept(SoupServerMessage* message) {
  soup_message_headers_replace(soup_server_message_get_response_headers(message), "Connection",
                               "close");
  auto connection = std::make_unique<Connection>();
  Connection& added = *connection;
  added.id = nextId_++;
  added.guard = this;
  added.message = glibsupport::retain(message);
  added.gotHeadersHandler = g_signal_connect_swapped(
      message, "got-headers",
      G_CALLBACK(+[](Connection* engaged) { engaged->guard->engage(*engaged); }), &added);
  added.disconnectedHandler = g_signal_connect_swapped(
      message, "disconnected", G_CALLBACK(+[](Connection* gone) { gone->guard->forget(gone->id); }),
      &added);
  added.closeAfter(idleSeconds_, context_);
  connections_.emplace(added.id, std::move(connection));
  makeRoom(added.id);
}

void ConnectionGuard::engage(Connection& connection) {
  if (connection.closing) return;
  connection.busy = true;
  connection.timer.reset();
}

void ConnectionGuard::forget(uint64_t id) {
  connections_.erase(id);
}

void ConnectionGuard::close(Connection& connection) {
  connection.timer.reset();
  connection.closing = true;
  if (connection.shut) return;
  connection.shut = true;
  if (GSocket* socket = soup_server_message_get_socket(connection.message.get())) {
    g_socket_shutdown(socket, TRUE, TRUE, nullptr);
  }
}

void ConnectionGuard::makeRoom(uint64_t newcomer) {
  while (open() > maximum_) {
    auto waiting = std::find_if(connections_.begin(), connections_.end(), [&](const auto& entry) {
      return entry.first != newcomer && !entry.second->busy && !entry.second->closing;
    });
    if (waiting == connections_.end()) {
      // Every other connection is busy: the newcomer goes, once libsoup has set it up.
      Connection& refused = *connections_.at(newcomer);
      refused.closing = true;
      refused.closeAfter(0, context_);
      return;
    }
    close(*waiting->second);
  }
}

}  // namespace adnetwork
