#include "platform/glib/GlibClock.h"

#include <glib.h>

namespace platform::glib {

base::Date GlibClock::now() const {
  return base::Date::fromUnixTime(static_cast<double>(g_get_real_time()) / 1e6);
}

double GlibClock::monotonicSeconds() const {
  return static_cast<double>(g_get_monotonic_time()) / 1e6;
}

}  // namespace platform::glib
