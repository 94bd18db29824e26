#include "platform/glib/GlibClock.h"

#include <glib.h>

#include <fstream>

namespace platform::glib {

base::Date GlibClock::now() const {
  return base::Date::fromUnixTime(static_cast<double>(g_get_real_time()) / 1e6);
}

double GlibClock::monotonicSeconds() const {
  return static_cast<double>(g_get_monotonic_time()) / 1e6;
}

std::string GlibClock::bootIdentifier() const {
  // The same for the whole life of the process.
  static const std::string identifier = readBootIdentifier();
  return identifier;
}

std::string GlibClock::readBootIdentifier(const std::string& path) {
  std::ifstream file(path);
  std::string line;
  std::getline(file, line);
  return line;
}

}  // namespace platform::glib
