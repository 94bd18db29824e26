#include "base/Date.h"

#include <cmath>
#include <ctime>

namespace base {

std::string Date::description() const {
  time_t unixSeconds = static_cast<time_t>(std::floor(timeIntervalSince1970()));
  struct tm parts {};
  gmtime_r(&unixSeconds, &parts);
  char text[40];
  strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S +0000", &parts);
  return text;
}

}  // namespace base
