#pragma once

namespace platform {

// The looks of an activity indicator, by the platform's numbers.
enum class ActivityIndicatorStyle { WhiteLarge = 0, White = 1, Gray = 2 };

// What a backend does for an activity indicator beyond its view peer: shows the spinner turning or
// still.
class ActivityIndicatorPeer {
 public:
  virtual ~ActivityIndicatorPeer() = default;
  virtual void styleChanged(ActivityIndicatorStyle /*style*/) {}
  virtual void animatingChanged(bool /*animating*/) {}
};

}  // namespace platform
