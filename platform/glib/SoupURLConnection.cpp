#include "platform/glib/SoupURLConnection.h"

#include <libsoup/soup.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <span>
#include <string>

namespace platform::glib {

namespace {

// Body pieces are read in this size, which keeps reads few without holding much at a time.
constexpr gsize kPieceSize = 32 * 1024;
// A followed redirect's body is read and dropped so that its connection can be reused; a longer
// one than this is not worth the wait, and its connection is closed instead.
constexpr size_t kLongestDrainedBody = 64 * 1024;
constexpr double kLongestTimeoutSeconds = 365.0 * 24 * 3600;

// Any 3xx answer with a "Location", the one that confirms a conditional request aside.
bool isRedirectStatus(guint status) {
  return status >= 300 && status < 400 && status != 304;
}

bool isLoadableScheme(std::string scheme) {
  std::transform(scheme.begin(), scheme.end(), scheme.begin(), [](char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  });
  return scheme == "http" || scheme == "https";
}

// A field name is an HTTP token; a value holds no line break or NUL, so that nothing the caller
// gives can end the field early or add another.
bool isFieldName(std::string_view name) {
  constexpr std::string_view kSymbols = "!#$%&'*+-.^_`|~";
  return !name.empty() && std::all_of(name.begin(), name.end(), [&](char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
           kSymbols.find(c) != std::string_view::npos;
  });
}

bool isFieldValue(std::string_view value) {
  return value.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

int64_t timeoutMicroseconds(double seconds) {
  if (!(seconds > 0)) seconds = URLRequest::kDefaultTimeoutInterval;
  return std::llround(std::min(seconds, kLongestTimeoutSeconds) * 1e6);
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

URLError::Code ioErrorCode(int code) {
  switch (code) {
    case G_IO_ERROR_CONNECTION_REFUSED:
    case G_IO_ERROR_HOST_UNREACHABLE:
    case G_IO_ERROR_PROXY_FAILED:
    case G_IO_ERROR_PROXY_AUTH_FAILED:
    case G_IO_ERROR_PROXY_NEED_AUTH:
    case G_IO_ERROR_PROXY_NOT_ALLOWED:
      return URLError::CannotConnectToHost;
    case G_IO_ERROR_HOST_NOT_FOUND:
      return URLError::CannotFindHost;
    case G_IO_ERROR_NETWORK_UNREACHABLE:
      return URLError::NotConnectedToInternet;
    case G_IO_ERROR_TIMED_OUT:
      return URLError::TimedOut;
    case G_IO_ERROR_CONNECTION_CLOSED:  // the same code as G_IO_ERROR_BROKEN_PIPE
    case G_IO_ERROR_PARTIAL_INPUT:      // the body ended before its announced length
    case G_IO_ERROR_NOT_CONNECTED:
      return URLError::NetworkConnectionLost;
    case G_IO_ERROR_NOT_SUPPORTED:
      return URLError::UnsupportedURL;
    case G_IO_ERROR_CANCELLED:
      return URLError::Cancelled;
    default:
      return URLError::Unknown;
  }
}

URLError::Code sessionErrorCode(int code) {
  switch (code) {
    case SOUP_SESSION_ERROR_PARSING:
    case SOUP_SESSION_ERROR_ENCODING:
      return URLError::BadServerResponse;
    case SOUP_SESSION_ERROR_TOO_MANY_REDIRECTS:
      return URLError::HTTPTooManyRedirects;
    case SOUP_SESSION_ERROR_REDIRECT_BAD_URI:
      return URLError::BadURL;
    default:
      return URLError::Unknown;
  }
}

URLError::Code errorCode(const GError* error) {
  if (error->domain == G_RESOLVER_ERROR) return URLError::CannotFindHost;
  if (error->domain == G_TLS_ERROR) return URLError::SecureConnectionFailed;
  if (error->domain == SOUP_SESSION_ERROR) return sessionErrorCode(error->code);
  if (error->domain == G_IO_ERROR) return ioErrorCode(error->code);
  return URLError::Unknown;
}

}  // namespace

// A source on the connection's context that runs one step of the connection when its ready time
// comes, as long as the connection lives.
struct SoupURLConnection::Source {
  GSource base;
  std::weak_ptr<SoupURLConnection>* connection;
  Step step;

  static gboolean dispatch(GSource* source, GSourceFunc, gpointer) {
    auto* self = reinterpret_cast<Source*>(source);
    g_source_set_ready_time(source, -1);
    if (std::shared_ptr<SoupURLConnection> connection = self->connection->lock()) {
      ((*connection).*(self->step))();
    }
    return G_SOURCE_CONTINUE;
  }
  static void finalize(GSource* source) { delete reinterpret_cast<Source*>(source)->connection; }
};

// What a completion needs to find its connection and tell whether it is for the hop in flight.
struct SoupURLConnection::Pending {
  std::weak_ptr<SoupURLConnection> connection;
  unsigned hop;
};

std::shared_ptr<SoupURLConnection> SoupURLConnection::start(
    SoupSession* session, GMainContext* context, const URLRequest& request,
    std::weak_ptr<URLConnectionDelegate> delegate) {
  std::shared_ptr<SoupURLConnection> connection(
      new SoupURLConnection(session, context, request, std::move(delegate)));
  connection->beginSource_ = connection->makeSource(&SoupURLConnection::begin);
  g_source_set_ready_time(connection->beginSource_, 0);
  return connection;
}

SoupURLConnection::SoupURLConnection(SoupSession* session, GMainContext* context,
                                     const URLRequest& request,
                                     std::weak_ptr<URLConnectionDelegate> delegate)
    : session_(SOUP_SESSION(g_object_ref(session))),
      context_(g_main_context_ref(context)),
      original_(request),
      current_(request),
      delegate_(std::move(delegate)) {}

SoupURLConnection::~SoupURLConnection() {
  stop();
  g_object_unref(session_);
  g_main_context_unref(context_);
}

void SoupURLConnection::cancel() {
  stop();
}

void SoupURLConnection::stop() {
  ended_ = true;
  afterRedirect_.reset();
  abandonHop();
  for (GSource** source : {&beginSource_, &timer_}) {
    if (!*source) continue;
    g_source_destroy(*source);
    g_source_unref(*source);
    *source = nullptr;
  }
}

// ---- Steps ----

void SoupURLConnection::begin() {
  g_source_destroy(beginSource_);
  g_source_unref(beginSource_);
  beginSource_ = nullptr;
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
  const base::URL& url = current_.url();
  if (!isLoadableScheme(url.scheme())) {
    fail(URLError::UnsupportedURL, "only http and https URLs are loaded");
    return;
  }
  for (const auto& [name, value] : current_.allHTTPHeaderFields()) {
    if (!isFieldName(name) || !isFieldValue(value)) {
      fail(URLError::BadURL, "the request has a malformed header field");
      return;
    }
  }
  GError* error = nullptr;
  GUri* uri = g_uri_parse(url.absoluteString().c_str(), static_cast<GUriFlags>(SOUP_HTTP_URI_FLAGS),
                          &error);
  if (!uri) {
    std::string reason = error->message;
    g_error_free(error);
    fail(URLError::BadURL, reason);
    return;
  }
  const char* host = g_uri_get_host(uri);
  if (!host || !*host) {
    g_uri_unref(uri);
    fail(URLError::BadURL, "the URL names no host");
    return;
  }

  message_ = soup_message_new_from_uri(SOUP_METHOD_GET, uri);
  g_uri_unref(uri);
  soup_message_add_flags(message_, SOUP_MESSAGE_NO_REDIRECT);
  if (!current_.HTTPShouldHandleCookies()) {
    soup_message_disable_feature(message_, SOUP_TYPE_COOKIE_JAR);
  }
  SoupMessageHeaders* headers = soup_message_get_request_headers(message_);
  for (const auto& [name, value] : current_.allHTTPHeaderFields())
    soup_message_headers_replace(headers, name.c_str(), value.c_str());

  hopCancellable_ = g_cancellable_new();
  // libsoup completes on the context that is the thread's default when a message is sent.
  g_main_context_push_thread_default(context_);
  soup_session_send_async(session_, message_, G_PRIORITY_DEFAULT, hopCancellable_, sentCallback,
                          pending());
  g_main_context_pop_thread_default(context_);
  restartTimer();
}

void SoupURLConnection::sentCallback(GObject* session, GAsyncResult* result, gpointer data) {
  std::unique_ptr<Pending> pending(static_cast<Pending*>(data));
  GError* error = nullptr;
  GInputStream* body = soup_session_send_finish(SOUP_SESSION(session), result, &error);
  std::shared_ptr<SoupURLConnection> self = pending->connection.lock();
  if (self && !self->ended_ && pending->hop == self->hop_) {
    if (body) {
      self->headArrived(body);
      body = nullptr;  // the connection holds it now
    } else {
      self->fail(error);
    }
  }
  if (body) g_object_unref(body);
  if (error) g_error_free(error);
}

void SoupURLConnection::headArrived(GInputStream* body) {
  body_ = body;
  restartTimer();
  const guint status = soup_message_get_status(message_);
  URLResponse response = URLResponse::http(current_.url(), static_cast<int>(status),
                                           fieldsOf(soup_message_get_response_headers(message_)));
  if (isRedirectStatus(status) && followRedirect(response)) return;

  std::shared_ptr<URLConnectionDelegate> delegate = delegateOrCancel();
  if (!delegate) return;
  delegate->connectionDidReceiveResponse(*this, response);
  if (ended_) return;
  readNextPiece();
}

// Answers whether the redirect was taken care of (followed, or the load ended); false leaves it to
// be delivered as the response.
bool SoupURLConnection::followRedirect(const URLResponse& redirect) {
  std::optional<std::string> location = redirect.allHeaderFields().value("Location");
  if (!location) return false;
  std::optional<base::URL> target = base::URL::fromString(*location, current_.url());
  if (!target) return false;
  if (redirects_ == kMostRedirects) {
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
  g_input_stream_read_bytes_async(body_, kPieceSize, G_PRIORITY_DEFAULT, hopCancellable_,
                                  readCallback, pending());
  g_main_context_pop_thread_default(context_);
}

void SoupURLConnection::readCallback(GObject* stream, GAsyncResult* result, gpointer data) {
  std::unique_ptr<Pending> pending(static_cast<Pending*>(data));
  GError* error = nullptr;
  GBytes* piece = g_input_stream_read_bytes_finish(G_INPUT_STREAM(stream), result, &error);
  std::shared_ptr<SoupURLConnection> self = pending->connection.lock();
  if (self && !self->ended_ && pending->hop == self->hop_) {
    if (piece) {
      self->pieceArrived(piece);
    } else {
      self->fail(error);
    }
  }
  if (piece) g_bytes_unref(piece);
  if (error) g_error_free(error);
}

void SoupURLConnection::pieceArrived(GBytes* piece) {
  gsize size = 0;
  const auto* data = static_cast<const uint8_t*>(g_bytes_get_data(piece, &size));
  if (afterRedirect_) {
    redirectBodyArrived(size);
    return;
  }
  if (size == 0) {
    finish();
    return;
  }
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

void SoupURLConnection::timedOut() {
  fail(URLError::TimedOut, "no answer from the server within the request's timeout interval");
}

void SoupURLConnection::finish() {
  releaseHop();
  stop();
  if (std::shared_ptr<URLConnectionDelegate> delegate = delegate_.lock()) {
    delegate->connectionDidFinishLoading(*this);
  }
}

void SoupURLConnection::fail(URLError::Code code, std::string_view reason) {
  if (ended_) return;
  std::string failingURL = current_.url().absoluteString();
  stop();
  if (std::shared_ptr<URLConnectionDelegate> delegate = delegate_.lock()) {
    delegate->connectionDidFailWithError(*this, URLError::make(code, failingURL, reason));
  }
}

void SoupURLConnection::fail(const GError* error) {
  fail(errorCode(error), error->message);
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

GSource* SoupURLConnection::makeSource(Step step) {
  static GSourceFuncs funcs{nullptr,           nullptr, &Source::dispatch,
                            &Source::finalize, nullptr, nullptr};
  GSource* source = g_source_new(&funcs, sizeof(Source));
  auto* ours = reinterpret_cast<Source*>(source);
  ours->connection = new std::weak_ptr<SoupURLConnection>(weak_from_this());
  ours->step = step;
  g_source_set_ready_time(source, -1);
  g_source_attach(source, context_);
  return source;
}

void SoupURLConnection::restartTimer() {
  if (!timer_) timer_ = makeSource(&SoupURLConnection::timedOut);
  g_source_set_ready_time(timer_,
                          g_get_monotonic_time() + timeoutMicroseconds(current_.timeoutInterval()));
}

void SoupURLConnection::releaseHop() {
  ++hop_;
  // A stream read to its end is closed at once as it goes; its connection stays open for reuse.
  if (body_) g_object_unref(body_);
  if (message_) g_object_unref(message_);
  if (hopCancellable_) g_object_unref(hopCancellable_);
  body_ = nullptr;
  message_ = nullptr;
  hopCancellable_ = nullptr;
}

// Reads, without waiting, what is left of the body of the hop in flight, up to a limit; answers
// whether its end was reached. A body that is empty (a 304 answer) or has fully arrived leaves
// its connection fit for the next request.
bool SoupURLConnection::readRestWithoutWaiting() {
  if (!body_ || !G_IS_POLLABLE_INPUT_STREAM(body_) || g_input_stream_has_pending(body_)) {
    return false;
  }
  GPollableInputStream* stream = G_POLLABLE_INPUT_STREAM(body_);
  if (!g_pollable_input_stream_can_poll(stream)) return false;
  char buffer[4096];
  for (size_t total = 0; total <= kLongestDrainedBody;) {
    GError* error = nullptr;
    gssize count =
        g_pollable_input_stream_read_nonblocking(stream, buffer, sizeof buffer, nullptr, &error);
    if (count == 0) return true;
    if (count < 0) {
      g_error_free(error);
      return false;
    }
    total += static_cast<size_t>(count);
  }
  return false;
}

void SoupURLConnection::abandonHop() {
  // The hop is left behind before the cancel, which may complete its operations at once; and
  // cancelled before its stream goes, which would otherwise wait, as it closes, for the rest of
  // its body.
  ++hop_;
  if (hopCancellable_ && !readRestWithoutWaiting()) g_cancellable_cancel(hopCancellable_);
  releaseHop();
}

}  // namespace platform::glib
