#pragma once

#include "platform/Clock.h"

namespace platform::glib {

// The system's clocks through GLib: the real-time clock for dates, CLOCK_MONOTONIC for intervals
// (the same clock that times the run loop's work).
class GlibClock : public Clock {
 public:
  base::Date now() const override;
  double monotonicSeconds() const override;
};

}  // namespace platform::glib
