#pragma once

#include <string>

#include "base/Date.h"

namespace platform {

// Wall-clock time for dates, and a monotonic clock for measuring intervals, which never goes
// backwards when the wall clock is set.
class Clock {
 public:
  virtual ~Clock() = default;
  static Clock& shared();

  virtual base::Date now() const = 0;
  virtual double monotonicSeconds() const = 0;
  // Names the boot that monotonic readings belong to: they count from that boot and mean
  // nothing in another. Empty when the system does not say.
  virtual std::string bootIdentifier() const = 0;
};

}  // namespace platform
