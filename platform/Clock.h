#pragma once

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
};

}  // namespace platform
