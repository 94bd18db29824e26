#include "signals/TADSignalState.h"

#include <cmath>
#include <limits>
#include <utility>

void TADSignalState::recordTouch(Touch touch) {
  if (touchCount_ < std::numeric_limits<uint32_t>::max()) ++touchCount_;
  lastTouch_ = touch;
}

void TADSignalState::recordRequest(int32_t requestType, std::string sdkVersion) {
  requestType_ = requestType;
  sdkVersion_ = std::move(sdkVersion);
}

uint32_t TADSignalState::millisecondsSinceStart(double nowSeconds) const {
  const double milliseconds = std::floor((nowSeconds - startSeconds_) * 1000.0);
  if (!(milliseconds > 0)) return 0;  // also NaN
  if (milliseconds >= std::numeric_limits<uint32_t>::max()) {
    return std::numeric_limits<uint32_t>::max();
  }
  return static_cast<uint32_t>(milliseconds);
}
