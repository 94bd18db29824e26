#include "adnetwork/ReplySender.h"

#include <algorithm>
#include <string>

#include "platform/net/HTTPHeaderFields.h"

namespace adnetwork {

using glibsupport::GObjectPtr;
using glibsupport::GSourcePtr;
using scriptedhttp::ScriptedReply;

struct ReplySender::Pending {
  uint64_t id = 0;
  ReplySender* sender = nullptr;
  GObjectPtr<SoupServerMessage> message;
  ScriptedReply reply;
  size_t bodyBytesSent = 0;
  GSourcePtr timer;
  void (ReplySender::*then)(Pending&) = nullptr;
  gulong disconnectedHandler = 0;

  ~Pending() {
    if (disconnectedHandler) g_signal_handler_disconnect(message.get(), disconnectedHandler);
  }
};

namespace {

// The head as libsoup would have written it, for a connection taken over.
std::string rawHead(const ScriptedReply& reply) {
  std::string head = "HTTP/1.1 " + std::to_string(reply.status) + " " +
                     soup_status_get_phrase(static_cast<guint>(reply.status)) + "\r\n";
  bool hasLength = false;
  for (const auto& [name, value] : reply.headers) {
    hasLength |= platform::HTTPHeaderFields::sameName(name, "Content-Length");
    head += name + ": " + value + "\r\n";
  }
  if (!hasLength) head += "Content-Length: " + std::to_string(reply.body.size()) + "\r\n";
  return head + "Connection: close\r\n\r\n";
}

// Keeps the stream and the bytes alive until the write has ended, then closes the stream.
struct RawWrite {
  GObjectPtr<GIOStream> stream;
  std::string bytes;

  static void wrote(GObject*, GAsyncResult* result, gpointer data) {
    std::unique_ptr<RawWrite> write(static_cast<RawWrite*>(data));
    g_output_stream_write_all_finish(g_io_stream_get_output_stream(write->stream.get()), result,
                                     nullptr, nullptr);
    g_io_stream_close(write->stream.get(), nullptr, nullptr);
  }
};

}  // namespace

ReplySender::ReplySender(GMainContext* context) : context_(context) {}

ReplySender::~ReplySender() = default;

void ReplySender::send(SoupServerMessage* message, ScriptedReply reply) {
  retired_.clear();
  if (reply.failure ||
      (reply.sending == ScriptedReply::Sending::HeadAndPartOfBody && reply.closeWhenCut)) {
    takeOver(message, reply);
    return;
  }
  if (reply.sending == ScriptedReply::Sending::Nothing) {
    // Held until the server closes the connection.
    soup_server_message_pause(message);
    return;
  }
  auto pending = std::make_unique<Pending>();
  Pending& held = *pending;
  held.id = nextId_++;
  held.sender = this;
  held.message = glibsupport::retain(message);
  held.reply = std::move(reply);
  // A client that goes away takes its reply with it.
  held.disconnectedHandler = g_signal_connect_swapped(
      message, "disconnected", G_CALLBACK(+[](Pending* gone) { gone->sender->finish(gone->id); }),
      &held);
  pending_.emplace(held.id, std::move(pending));
  if (held.reply.delay > 0) {
    soup_server_message_pause(message);
    wait(held, held.reply.delay, &ReplySender::start);
  } else {
    start(held);
  }
}

void ReplySender::start(Pending& pending) {
  SoupServerMessage* message = pending.message.get();
  const ScriptedReply& reply = pending.reply;
  soup_server_message_set_status(message, static_cast<guint>(reply.status), nullptr);
  SoupMessageHeaders* headers = soup_server_message_get_response_headers(message);
  bool hasLength = false;
  for (const auto& [name, value] : reply.headers) {
    hasLength |= platform::HTTPHeaderFields::sameName(name, "Content-Length");
    soup_message_headers_append(headers, name.c_str(), value.c_str());
  }
  if (!hasLength) soup_message_headers_set_content_length(headers, reply.body.size());
  sendNextPiece(pending);
}

void ReplySender::sendNextPiece(Pending& pending) {
  const ScriptedReply& reply = pending.reply;
  SoupServerMessage* message = pending.message.get();
  size_t end = reply.body.size();
  if (reply.sending == ScriptedReply::Sending::HeadAndPartOfBody) {
    end = std::min(end, reply.bodyBytesSent);
  }
  size_t piece = end - pending.bodyBytesSent;
  if (reply.pieceSize > 0) piece = std::min(piece, reply.pieceSize);
  SoupMessageBody* body = soup_server_message_get_response_body(message);
  if (piece > 0) {
    soup_message_body_append(body, SOUP_MEMORY_COPY, reply.body.data() + pending.bodyBytesSent,
                             piece);
    pending.bodyBytesSent += piece;
  }
  const bool everything = pending.bodyBytesSent == reply.body.size();
  if (everything) soup_message_body_complete(body);
  soup_server_message_unpause(message);
  if (everything) {
    finish(pending.id);
  } else if (pending.bodyBytesSent < end) {
    // libsoup pauses the message by itself once it has written all there is.
    wait(pending, reply.pieceInterval, &ReplySender::sendNextPiece);
  }
  // Otherwise the rest is held back: the client waits until the server stops.
}

void ReplySender::wait(Pending& pending, double seconds, void (ReplySender::*then)(Pending&)) {
  pending.then = then;
  pending.timer.reset(g_timeout_source_new(static_cast<guint>(seconds * 1000)));
  g_source_set_callback(
      pending.timer.get(),
      +[](gpointer data) -> gboolean {
        auto& due = *static_cast<Pending*>(data);
        // The source goes with its handle once this pass is over.
        GSourcePtr timer = std::move(due.timer);
        (due.sender->*due.then)(due);
        return G_SOURCE_REMOVE;
      },
      &pending, nullptr);
  g_source_attach(pending.timer.get(), context_);
}

void ReplySender::finish(uint64_t id) {
  auto found = pending_.find(id);
  if (found == pending_.end()) return;
  // The entry may be the one whose timer or signal is running: it goes at the next send.
  retired_.push_back(std::move(found->second));
  pending_.erase(found);
}

void ReplySender::takeOver(SoupServerMessage* message, const ScriptedReply& reply) {
  // From here on libsoup leaves the connection alone (and may free message).
  auto stream = GObjectPtr<GIOStream>::adopt(soup_server_message_steal_connection(message));
  if (!stream) return;
  if (reply.failure) {
    g_io_stream_close(stream.get(), nullptr, nullptr);
    return;
  }
  auto write = std::make_unique<RawWrite>();
  write->bytes = rawHead(reply) + reply.body.substr(0, reply.bodyBytesSent);
  write->stream = std::move(stream);
  GOutputStream* output = g_io_stream_get_output_stream(write->stream.get());
  const std::string& bytes = write->bytes;
  g_output_stream_write_all_async(output, bytes.data(), bytes.size(), G_PRIORITY_DEFAULT, nullptr,
                                  &RawWrite::wrote, write.release());
}

}  // namespace adnetwork
