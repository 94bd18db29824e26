#pragma once

#include <optional>

#include "base/Error.h"
#include "base/URL.h"

class TADClickTracker;

// Hears how a tracking ended; both operations are optional.
class TADClickTrackerDelegate {
 public:
  virtual ~TADClickTrackerDelegate() = default;
  // The address could not be followed to its end; error is none for an unwelcome status.
  virtual void trackerDidFailWithError(TADClickTracker& tracker,
                                       const std::optional<base::Error>& error) {
    (void)tracker;
    (void)error;
  }
  // The address was followed to url: the last HTTP address, or the first of another scheme.
  virtual void trackerDidRedirect(TADClickTracker& tracker, const base::URL& url) {
    (void)tracker;
    (void)url;
  }
};
