#pragma once

#include <glib.h>
#include <libsoup/soup.h>

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "platform/glibsupport/GlibPtr.h"
#include "platform/scriptedhttp/ScriptedReply.h"

namespace adnetwork {

// Sends scripted replies through libsoup's server without ever blocking the loop: a reply's delay
// and the gaps between its pieces are timers on the given main context, during which the message
// is paused. A reply that holds its answer back stays paused until the server stops. A reply cut
// short with a close, and a failure, take the connection over from libsoup and write (or close)
// it themselves.
//
// Destruction drops every reply still waiting on a timer; the server then closes the connections.
class ReplySender {
 public:
  explicit ReplySender(GMainContext* context);
  ~ReplySender();
  ReplySender(const ReplySender&) = delete;
  ReplySender& operator=(const ReplySender&) = delete;

  void send(SoupServerMessage* message, scriptedhttp::ScriptedReply reply);

 private:
  struct Pending;

  // Status, header fields and the first piece of the body (all of it unless in pieces or cut).
  void start(Pending& pending);
  void sendNextPiece(Pending& pending);
  void wait(Pending& pending, double seconds, void (ReplySender::*then)(Pending&));
  void finish(uint64_t id);
  static void takeOver(SoupServerMessage* message, const scriptedhttp::ScriptedReply& reply);

  GMainContext* context_;
  uint64_t nextId_ = 1;
  std::map<uint64_t, std::unique_ptr<Pending>> pending_;
  std::vector<std::unique_ptr<Pending>> retired_;
};

}  // namespace adnetwork
