#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/net/URLError.h"

namespace scriptedhttp {

// What a scripted server answers to one request: the simulated URL loading, the loopback test
// server and the reference ad network all serve these, so that one script reads the same against
// each. Times are in the server's seconds: virtual ones in the simulation, real ones on a socket.
//
// The head comes `delay` seconds after the request, with the first piece of the body; each further
// piece `pieceInterval` seconds after the one before. A reply may hold part of itself back: the
// server then stays silent (the client times out) or, with closeWhenCut, closes the connection
// (the client loses it).
struct ScriptedReply {
  // Header fields in the order they go out; a name given twice is sent twice.
  using Fields = std::vector<std::pair<std::string, std::string>>;
  enum class Sending { Everything, Nothing, HeadAndPartOfBody };

  int status = 200;
  // "Content-Length" is added on the wire unless given.
  Fields headers;
  std::string body;
  double delay = 0;
  // 0 sends the body in one piece.
  size_t pieceSize = 0;
  double pieceInterval = 0;
  Sending sending = Sending::Everything;
  size_t bodyBytesSent = 0;  // for HeadAndPartOfBody
  bool closeWhenCut = false;
  // When set, the request fails with this code instead (the simulation fails with it; a socket
  // server closes the connection without a word).
  std::optional<platform::URLError::Code> failure;

  static ScriptedReply ok(std::string body, Fields headers = {});
  static ScriptedReply withStatus(int status, Fields headers = {}, std::string body = {});
  // A redirect to location, which the client resolves against the URL it asked for.
  static ScriptedReply redirect(std::string location, int status = 302);
  static ScriptedReply fail(platform::URLError::Code code);
  // Accepts the request and never answers it.
  static ScriptedReply unanswered();
  // The head and the first bodyBytes bytes of body, then silence or, with close, a closed
  // connection.
  static ScriptedReply cutShort(std::string body, size_t bodyBytes, bool close);

  // The same reply, its head coming seconds after the request.
  ScriptedReply after(double seconds) && {
    delay = seconds;
    return std::move(*this);
  }
  // The same reply, its body in pieces of size bytes, each seconds after the one before.
  ScriptedReply inPieces(size_t size, double seconds = 0) && {
    pieceSize = size;
    pieceInterval = seconds;
    return std::move(*this);
  }
  // The first value of name, compared without regard to case.
  std::optional<std::string> header(std::string_view name) const;
};

}  // namespace scriptedhttp
