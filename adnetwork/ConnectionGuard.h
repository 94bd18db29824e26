#pragma once

#include <glib.h>
#include <libsoup/soup.h>

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>

#include "platform/glibsupport/GlibPtr.h"

namespace adnetwork {

// Keeps a libsoup server's connections few and short-lived:
// - each connection carries one request: every answer says "Connection: close";
// - a connection that has not sent a whole request head within `idleSeconds` of being accepted is
//   closed;
// - at most `maximum` connections are open: a new one beyond that closes the connection that has
//   waited longest without a request, or, when every connection is busy with a request, is closed
//   itself.
// So no client, however many connections it opens, holds more than `maximum` of the process's file
// descriptors, and one that goes quiet lets go of its connection.
//
// One request a connection because libsoup cannot be made to let go of a connection kept alive
// between requests: closing it from outside leaves the connection in the server for good, and so
// does a client that closes it while it waits (a descriptor lost for each one).
//
// Works on the server's thread-default main context; destruction stops watching (the server's
// own disconnection then closes what is left).
class ConnectionGuard {
 public:
  ConnectionGuard(SoupServer* server, GMainContext* context, size_t maximum, double idleSeconds);
  ~ConnectionGuard();
  ConnectionGuard(const ConnectionGuard&) = delete;
  ConnectionGuard& operator=(const ConnectionGuard&) = delete;

  // Connections open and not being closed.
  size_t open() const;

 private:
  struct Connection;

  static void started(SoupServer*, SoupServerMessage* message, gpointer self);
  void accept(SoupServerMessage* message);
  // The connection has sent its request head: it is busy until it goes.
  void engage(Connection& connection);
  void forget(uint64_t id);
  // Closes the socket under libsoup, which then ends the connection as if the client had gone.
  void close(Connection& connection);
  void makeRoom(uint64_t newcomer);

  SoupServer* server_;
  GMainContext* context_;
  size_t maximum_;
  double idleSeconds_;
  gulong startedHandler_ = 0;
  uint64_t nextId_ = 1;
  // By id, which grows with time: the first waiting entry is the one that waited longest.
  std::map<uint64_t, std::unique_ptr<Connection>> connections_;
};

}  // namespace adnetwork
