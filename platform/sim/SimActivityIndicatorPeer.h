#pragma once

#include "platform/ui/ActivityIndicatorPeer.h"

namespace platform::sim {

// Keeps an activity indicator's look and whether it turns.
class SimActivityIndicatorPeer : public ActivityIndicatorPeer {
 public:
  void styleChanged(ActivityIndicatorStyle style) override { style_ = style; }
  void animatingChanged(bool animating) override { animating_ = animating; }

  ActivityIndicatorStyle style() const { return style_; }
  bool isAnimating() const { return animating_; }

 private:
  ActivityIndicatorStyle style_ = ActivityIndicatorStyle::White;
  bool animating_ = false;
};

}  // namespace platform::sim
