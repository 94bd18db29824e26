#include "platform/glibsupport/GlibURLError.h"

#include <gio/gio.h>
#include <libsoup/soup.h>

namespace glibsupport {

using platform::URLError;

namespace {

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

}  // namespace

URLError::Code urlErrorCode(const GError& error) {
  if (error.domain == G_RESOLVER_ERROR) return URLError::CannotFindHost;
  if (error.domain == G_TLS_ERROR) return URLError::SecureConnectionFailed;
  if (error.domain == SOUP_SESSION_ERROR) return sessionErrorCode(error.code);
  if (error.domain == G_IO_ERROR) return ioErrorCode(error.code);
  return URLError::Unknown;
}

}  // namespace glibsupport
