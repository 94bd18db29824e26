#pragma once

#include <gio/gio.h>

#include <cstddef>
#include <memory>
#include <optional>
#include <string_view>

#include "platform/core/RunLoop.h"
#include "platform/glibsupport/GlibPtr.h"
#include "platform/net/URLConnection.h"
#include "platform/net/URLError.h"

// libsoup stays out of this header; only the backend's sources include it.
typedef struct _SoupSession SoupSession;
typedef struct _SoupMessage SoupMessage;

namespace platform::glib {

class GlibRunLoop;

// One GET over a libsoup session, driven on a GlibRunLoop, by URLConnection's rules.
//
// libsoup never follows a redirect by itself: each hop is a message of its own, offered to the
// delegate first, and sent only as the delegate answers. A redirect that is followed has its body
// read and dropped first, so that its connection can carry the next hop. Declining the first
// request ends the load without a word to the delegate, as a cancel would.
//
// A run-loop timer watches the request's timeout interval: whenever it passes without a head or a
// piece of body, the load fails with URLError::TimedOut.
//
// Everything the connection does happens on its loop, in callbacks that hold the connection alive
// while they run and that find it gone (and do nothing) once it has been destroyed.
class SoupURLConnection : public URLConnection,
                          public std::enable_shared_from_this<SoupURLConnection> {
 public:
  // A connection whose first step (asking the delegate about the request) waits for the loop's
  // next pass.
  static std::shared_ptr<SoupURLConnection> start(SoupSession* session,
                                                  const std::shared_ptr<GlibRunLoop>& runLoop,
                                                  const URLRequest& request,
                                                  std::weak_ptr<URLConnectionDelegate> delegate);
  ~SoupURLConnection() override;
  SoupURLConnection(const SoupURLConnection&) = delete;
  SoupURLConnection& operator=(const SoupURLConnection&) = delete;

  void cancel() override;
  const URLRequest& originalRequest() const override { return original_; }
  const URLRequest& currentRequest() const override { return current_; }

 private:
  struct Pending;

  SoupURLConnection(SoupSession* session, const std::shared_ptr<GlibRunLoop>& runLoop,
                    const URLRequest& request, std::weak_ptr<URLConnectionDelegate> delegate);

  // Steps of the load, each run on the loop.
  void begin();
  void send(URLRequest request);
  void headArrived(glibsupport::GObjectPtr<GInputStream> body);
  bool followRedirect(const URLResponse& redirect);
  void readNextPiece();
  void pieceArrived(GBytes* piece);
  void redirectBodyArrived(size_t size);
  void finish();
  void fail(URLError::Code code, std::string_view reason = {});
  void fail(const base::Error& error);
  void fail(const GError* error);

  // Completions of libsoup and GIO; data is a Pending.
  static void sentCallback(GObject* session, GAsyncResult* result, gpointer data);
  static void readCallback(GObject* stream, GAsyncResult* result, gpointer data);

  std::shared_ptr<URLConnectionDelegate> delegateOrCancel();
  Pending* pending();
  void restartTimer();
  // Lets go of the hop in flight after its body has been read to the end, so that its
  // connection goes back to the session for the next request.
  void releaseHop();
  // Stops the hop in flight, if any. Unless the rest of its body is already there, its I/O is
  // cancelled and its connection closed.
  void abandonHop();
  bool readRestWithoutWaiting();
  void stop();

  glibsupport::GObjectPtr<SoupSession> session_;
  std::weak_ptr<GlibRunLoop> runLoop_;
  GMainContext* context_;  // the loop's
  URLRequest original_;
  URLRequest current_;
  std::weak_ptr<URLConnectionDelegate> delegate_;

  // The hop in flight: its message, the cancellable that stops its I/O and, once its head has
  // come, the stream of its body. A completion that arrives for an earlier hop is dropped.
  unsigned hop_ = 0;
  glibsupport::GObjectPtr<SoupMessage> message_;
  glibsupport::GObjectPtr<GCancellable> hopCancellable_;
  glibsupport::GObjectPtr<GInputStream> body_;
  // Set while the body of a followed redirect is read and dropped; sent afterwards.
  std::optional<URLRequest> afterRedirect_;
  size_t drainedBytes_ = 0;
  // The delivered body's announced length, when it can be held to it (no content coding in
  // between), and what has come of it: a peer that closes early ends the stream as if it were
  // complete, so the count is what tells a cut body from a whole one.
  std::optional<uint64_t> announcedBodyBytes_;
  uint64_t receivedBodyBytes_ = 0;

  int redirects_ = 0;
  bool ended_ = false;
  RunLoop::Timer timer_;
};

}  // namespace platform::glib
