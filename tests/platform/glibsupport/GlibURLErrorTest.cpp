#include "platform/glibsupport/GlibURLError.h"

#include <gio/gio.h>
#include <gtest/gtest.h>

namespace glibsupport {

using platform::URLError;
namespace {

// The web views and the URL loading once read some of these differently; each fault has one code.
TEST(GlibURLErrorTest, GivesEachLoadingFaultItsCode) {
  struct Case {
    GQuark domain;
    int code;
    URLError::Code expected;
  } cases[] = {
      {G_RESOLVER_ERROR, G_RESOLVER_ERROR_NOT_FOUND, URLError::CannotFindHost},
      {G_RESOLVER_ERROR, G_RESOLVER_ERROR_TEMPORARY_FAILURE, URLError::CannotFindHost},
      {G_TLS_ERROR, G_TLS_ERROR_BAD_CERTIFICATE, URLError::SecureConnectionFailed},
      {G_IO_ERROR, G_IO_ERROR_CONNECTION_REFUSED, URLError::CannotConnectToHost},
      {G_IO_ERROR, G_IO_ERROR_HOST_UNREACHABLE, URLError::CannotConnectToHost},
      {G_IO_ERROR, G_IO_ERROR_PROXY_FAILED, URLError::CannotConnectToHost},
      {G_IO_ERROR, G_IO_ERROR_HOST_NOT_FOUND, URLError::CannotFindHost},
      {G_IO_ERROR, G_IO_ERROR_NETWORK_UNREACHABLE, URLError::NotConnectedToInternet},
      {G_IO_ERROR, G_IO_ERROR_TIMED_OUT, URLError::TimedOut},
      {G_IO_ERROR, G_IO_ERROR_CONNECTION_CLOSED, URLError::NetworkConnectionLost},
      {G_IO_ERROR, G_IO_ERROR_PARTIAL_INPUT, URLError::NetworkConnectionLost},
      {G_IO_ERROR, G_IO_ERROR_NOT_CONNECTED, URLError::NetworkConnectionLost},
      {G_IO_ERROR, G_IO_ERROR_NOT_SUPPORTED, URLError::UnsupportedURL},
      {G_IO_ERROR, G_IO_ERROR_CANCELLED, URLError::Cancelled},
      {G_IO_ERROR, G_IO_ERROR_PERMISSION_DENIED, URLError::Unknown},
      {G_FILE_ERROR, G_FILE_ERROR_NOENT, URLError::Unknown},  // not a loading domain
  };
  for (const Case& c : cases) {
    GError* error = g_error_new_literal(c.domain, c.code, "made up");
    EXPECT_EQ(urlErrorCode(*error), c.expected) << g_quark_to_string(c.domain) << " " << c.code;
    g_error_free(error);
  }
}

}  // namespace
}  // namespace glibsupport
