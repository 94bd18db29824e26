#include "platform/glib/SoupURLConnection.h"

#include <libsoup/soup.h>

#include <algorithm>
#include <cstdint>
#include <span>
#include <string>

#include "platform/glib/GlibRunLoop.h"
#include "platform/glibsupport/GlibURLError.h"

namespace platform::glib {

namespace {

// Body pieces are read in this size, which keeps reads few without holding much at a time.
constexpr gsize kPieceSize = 32 * 1024;
// A followed redirect's body is read and dropped so that its connection can be reused; a longer
// one than this is not worth the wait, and its connection is closed instead.
constexpr size_t kLongestDrainedBody = 64 * 1024;
constexpr double kLongestTimeoutSeconds = 365.0 * 24 * 3600;

double timeoutSeconds(double seconds) {
  if (!(seconds > 0)) return URLRequest::kDefaultTimeoutInterval;
  return std::min(seconds, kLongestTimeoutSeconds);
}

HTTPHeaderFields fieldsOf(SoupMessageHeaders* headers) {
  HTTPHeaderFields fields;
  SoupMessageHeadersIter iter;
  soup_message_headers_iter_init(&iter, headers);
  const char* name;
  const char* value;
  while (soup_message_headers_iter_next(&iter, &name, &value))
    fields.add(name, value);
  return fields;
}

// The body length that headers announce, when the bytes read are the bytes sent: a content coding
// (which libsoup decodes) makes them differ.
std::optional<uint64_t> announcedLength(SoupMessageHeaders* headers) {
  if (soup_message_headers_get_encoding(headers) != SOUP_ENCODING_CONTENT_LENGTH)
    return std::nullopt;
  const char* coding = soup_message_headers_get_one(headers, "Content-Encoding");
  if (coding && g_ascii_strcasecmp(coding, "identity") != 0) return std::nullopt;
  return static_cast<uint64_t>(soup_message_headers_get_content_length(headers));
}

}  // namespace

// What a completion needs to find its connection and tell whether it is for the hop in flight.
struct SoupURLConnection::Pending {
  std::weak_ptr<SoupURLConnection> connection;
  unsigned hop;
};

std::shared_ptr<SoupURLConnection> SoupURLConnection::start(
    SoupSession* session, const std::shared_ptr<GlibRunLoop>& runLoop, const URLRequest& request,
    std::weak_ptr<URLConnectionDelegate> delegate) {
  std::shared_ptr<SoupURLConnection> connection(
      new SoupURLConnection(session, runLoop, request, std::move(delegate)));
  runLoop->post(0, connection.get(), [weak = connection->weak_from_this()] {
    if (std::shared_ptr<SoupURLConnection> self = weak.lock()) self->begin();
  });
  return connection;
}

SoupURLConnection::SoupURLConnection(SoupSession* session,
                                     const std::shared_ptr<GlibRunLoop>& runLoop,
                                     const URLRequest& request,
                                     std::weak_ptr<URLConnectionDelegate> delegate)
    : session_(glibsupport::retain(session)),
      runLoop_(runLoop),
      context_(runLoop->context()),
      original_(request),
      current_(request),
      delegate_(std::move(delegate)) {}

SoupURLConnection::~SoupURLConnection() {
  stop();
}

void SoupURLConnection::cancel() {
  stop();
}

void SoupURLConnection::stop() {
  ended_ = true;
  afterRedirect_.reset();
  abandonHop();
  timer_.stop();
  if (std::shared_ptr<GlibRunLoop> loop = runLoop_.lock()) loop->cancel(this);
}

// ---- Steps ----

void SoupURLConnection::begin() {
  std::shared_ptr<URLConnectionDelegate> delegate = delegateOrCancel();
  if (!delegate) return;
  std::optional<URLRequest> request = delegate->connectionWillSendRequest(*this, current_, nullptr);
  if (ended_) return;
  if (!request) {
    stop();
    return;
  }
  send(std::move(*request));
}

void SoupURLConnection::send(URLRequest request) {
  current_ = std::move(request);
  if (base::Expected<void> checked = checkRequest(current_); !checked) {
    fail(checked.error());
    return;
  }
  glibsupport::GErrorPtr error;
  glibsupport::GUriPtr uri(g_uri_parse(current_.url().absoluteString().c_str(),
                                       static_cast<GUriFlags>(SOUP_HTTP_URI_FLAGS), error.out()));
  if (!uri) {
    fail(URLError::BadURL, error->message);
    return;
  }
  const char* host = g_uri_get_host(uri.get());
  if (!host || !*host) {
    fail(URLError::BadURL, "the URL names no host");
    return;
  }

  message_ = glibsupport::adopt(soup_message_new_from_uri(SOUP_METHOD_GET, uri.get()));
  soup_message_add_flags(message_.get(), SOUP_MESSAGE_NO_REDIRECT);
  if (!current_.HTTPShouldHandleCookies()) {
    soup_message_disable_feature(message_.get(), SOUP_TYPE_COOKIE_JAR);
  }
  SoupMessageHeaders* headers = soup_message_get_request_headers(message_.get());
  for (const auto& [name, value] : current_.allHTTPHeaderFields())
    soup_message_headers_replace(headers, name.c_str(), value.c_str());

  hopCancellable_ = glibsupport::adopt(g_cancellable_new());
  // libsoup completes on the context that is the thread's default when a message is sent.
  g_main_context_push_thread_default(context_);
  soup_session_send_async(session_.get(), message_.get(), G_PRIORITY_DEFAULT, hopCancellable_.get(),
                          sentCallback, pending());
  g_main_context_pop_thread_default(context_);
  restartTimer();
}

void SoupURLConnection::sentCallback(GObject* session, GAsyncResult* result, gpointer data) {
  std::unique_ptr<Pending> pending(static_cast<Pending*>(data));
  glibsupport::GErrorPtr error;
  auto body =
      glibsupport::adopt(soup_session_send_finish(SOUP_SESSION(session), result, error.out()));
  std::shared_ptr<SoupURLConnection> self = pending->connection.lock();
  if (!self || self->ended_ || pending->hop != self->hop_) return;
  if (body) {
    self->headArrived(std::move(body));
  } else {
    self->fail(error.get());
  }
}

void SoupURLConnection::headArrived(glibsupport::GObjectPtr<GInputStream> body) {
  body_ = std::move(body);
  restartTimer();
  const guint status = soup_message_get_status(message_.get());
  URLResponse response =
      URLResponse::http(current_.url(), static_cast<int>(status),
                        fieldsOf(soup_message_get_response_headers(message_.get())));
  if (followRedirect(response)) return;

  // Answers that carry no body may still name the length of the one they stand for.
  const bool hasBody = status >= 200 && status != 204 && status != 304;
  announcedBodyBytes_ =
      hasBody ? announcedLength(soup_message_get_response_headers(message_.get())) : std::nullopt;
  receivedBodyBytes_ = 0;
  std::shared_ptr<URLConnectionDelegate> delegate = delegateOrCancel();
  if (!delegate) return;
  delegate->connectionDidReceiveResponse(*this, response);
  if (ended_) return;
  readNextPiece();
}

// Answers whether the redirect was taken care of (followed, or the load ended); false leaves it to
// be delivered as the response.
bool SoupURLConnection::followRedirect(const URLResponse& redirect) {
  std::optional<base::URL> target = redirectTarget(redirect);
  if (!target) return false;
  if (redirects_ == kMaxRedirects) {
    fail(URLError::HTTPTooManyRedirects);
    return true;
  }
  std::shared_ptr<URLConnectionDelegate> delegate = delegateOrCancel();
  if (!delegate) return true;
  URLRequest proposed = current_;
  proposed.setURL(std::move(*target));
  std::optional<URLRequest> answer =
      delegate->connectionWillSendRequest(*this, proposed, &redirect);
  if (ended_) return true;
  if (!answer) return false;
  ++redirects_;
  afterRedirect_ = std::move(*answer);
  drainedBytes_ = 0;
  readNextPiece();
  return true;
}

void SoupURLConnection::readNextPiece() {
  g_main_context_push_thread_default(context_);
  g_input_stream_read_bytes_async(body_.get(), kPieceSize, G_PRIORITY_DEFAULT,
                                  hopCancellable_.get(), readCallback, pending());
  g_main_context_pop_thread_default(context_);
}

void SoupURLConnection::readCallback(GObject* stream, GAsyncResult* result, gpointer data) {
  std::unique_ptr<Pending> pending(static_cast<Pending*>(data));
  glibsupport::GErrorPtr error;
  glibsupport::GBytesPtr piece(
      g_input_stream_read_bytes_finish(G_INPUT_STREAM(stream), result, error.out()));
  std::shared_ptr<SoupURLConnection> self = pending->connection.lock();
  if (!self || self->ended_ || pending->hop != self->hop_) return;
  if (piece) {
    self->pieceArrived(piece.get());
  } else {
    self->fail(error.get());
  }
}

void SoupURLConnection::pieceArrived(GBytes* piece) {
  gsize size = 0;
  const auto* data = static_cast<const uint8_t*>(g_bytes_get_data(piece, &size));
  if (afterRedirect_) {
    redirectBodyArrived(size);
    return;
  }
  if (size == 0) {
    if (announcedBodyBytes_ && receivedBodyBytes_ < *announcedBodyBytes_) {
      fail(URLError::NetworkConnectionLost, "the body ended before its announced length");
      return;
    }
    finish();
    return;
  }
  receivedBodyBytes_ += size;
  restartTimer();
  std::shared_ptr<URLConnectionDelegate> delegate = delegateOrCancel();
  if (!delegate) return;
  delegate->connectionDidReceiveData(*this, std::span<const uint8_t>(data, size));
  if (ended_) return;
  readNextPiece();
}

void SoupURLConnection::redirectBodyArrived(size_t size) {
  drainedBytes_ += size;
  if (size != 0 && drainedBytes_ <= kLongestDrainedBody) {
    restartTimer();
    readNextPiece();
    return;
  }
  if (size == 0) {
    releaseHop();
  } else {
    abandonHop();
  }
  URLRequest next = std::move(*afterRedirect_);
  afterRedirect_.reset();
  send(std::move(next));
}

void SoupURLConnection::finish() {
  releaseHop();
  stop();
  if (std::shared_ptr<URLConnectionDelegate> delegate = delegate_.lock()) {
    delegate->connectionDidFinishLoading(*this);
  }
}

void SoupURLConnection::fail(URLError::Code code, std::string_view reason) {
  fail(URLError::make(code, current_.url().absoluteString(), reason));
}

void SoupURLConnection::fail(const base::Error& error) {
  if (ended_) return;
  stop();
  if (std::shared_ptr<URLConnectionDelegate> delegate = delegate_.lock()) {
    delegate->connectionDidFailWithError(*this, error);
  }
}

void SoupURLConnection::fail(const GError* error) {
  fail(glibsupport::urlErrorCode(*error), error->message);
}

// ---- Helpers ----

std::shared_ptr<URLConnectionDelegate> SoupURLConnection::delegateOrCancel() {
  std::shared_ptr<URLConnectionDelegate> delegate = delegate_.lock();
  if (!delegate) stop();
  return delegate;
}

SoupURLConnection::Pending* SoupURLConnection::pending() {
  return new Pending{weak_from_this(), hop_};
}

void SoupURLConnection::restartTimer() {
  std::shared_ptr<GlibRunLoop> loop = runLoop_.lock();
  if (!loop) return;
  timer_ = loop->startTimer(timeoutSeconds(current_.timeoutInterval()), [weak = weak_from_this()] {
    if (std::shared_ptr<SoupURLConnection> self = weak.lock()) {
      self->fail(URLError::TimedOut,
                 "no answer from the server within the request's timeout interval");
    }
  });
}

void SoupURLConnection::releaseHop() {
  ++hop_;
  // A stream read to its end is closed at once as it goes; its connection stays open for reuse.
  body_.reset();
  message_.reset();
  hopCancellable_.reset();
}

// Reads, without waiting, what is left of the body of the hop in flight, up to a limit; answers
// whether its end was reached. A body that is empty (a 304 answer) or has fully arrived leaves
// its connection fit for the next request.
bool SoupURLConnection::readRestWithoutWaiting() {
  if (!body_ || !G_IS_POLLABLE_INPUT_STREAM(body_.get()) ||
      g_input_stream_has_pending(body_.get())) {
    return false;
  }
  GPollableInputStream* stream = G_POLLABLE_INPUT_STREAM(body_.get());
  if (!g_pollable_input_stream_can_poll(stream)) return false;
  char buffer[4096];
  for (size_t total = 0; total <= kLongestDrainedBody;) {
    glibsupport::GErrorPtr error;
    gssize count = g_pollable_input_stream_read_nonblocking(stream, buffer, sizeof buffer, nullptr,
                                                            error.out());
    if (count == 0) return true;
    if (count < 0) return false;
    total += static_cast<size_t>(count);
  }
  return false;
}

void SoupURLConnection::abandonHop() {
  // The hop is left behind before the cancel, which may complete its operations at once; and
  // cancelled before its stream goes, which would otherwise wait, as it closes, for the rest of
  // its body.
  ++hop_;
  if (hopCancellable_ && !readRestWithoutWaiting()) g_cancellable_cancel(hopCancellable_.get());
  releaseHop();
}

}  // namespace platform::glib
