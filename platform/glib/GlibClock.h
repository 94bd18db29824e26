#pragma once

#include "platform/core/Clock.h"

namespace platform::glib {

// The system's clocks through GLib: the real-time clock for dates, CLOCK_MONOTONIC for intervals
// (the same clock that times the run loop's work), and the kernel's identifier of the current
// boot.
class GlibClock : public Clock {
 public:
  static constexpr const char* kBootIdentifierPath = "/proc/sys/kernel/random/boot_id";

  base::Date now() const override;
  double monotonicSeconds() const override;
  std::string bootIdentifier() const override;

  // The first line of the kernel's boot-identifier file at path; empty when it cannot be read.
  static std::string readBootIdentifier(const std::string& path = kBootIdentifierPath);
};

}  // namespace platform::glib
