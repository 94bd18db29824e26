#pragma once

#include <glib.h>

#include "platform/net/URLError.h"

namespace glibsupport {

// The URL error code for a failure GLib reported while loading: name resolution, TLS, socket and
// HTTP session errors each get the code a caller can act on (no host, no network, connection
// refused or lost, timed out, cancelled, ...); anything else is Unknown. Both the URL loading and
// the web views read their GLib errors through this, so the same fault reads the same everywhere.
platform::URLError::Code urlErrorCode(const GError& error);

}  // namespace glibsupport
