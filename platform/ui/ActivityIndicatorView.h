#pragma once

#include <memory>

#include "platform/ui/ActivityIndicatorPeer.h"
#include "platform/ui/View.h"

namespace platform {

// A small spinner that turns while some work is under way.
class ActivityIndicatorView : public View {
 public:
  explicit ActivityIndicatorView(ActivityIndicatorStyle style = ActivityIndicatorStyle::White);

  ActivityIndicatorStyle style() const { return style_; }
  void setStyle(ActivityIndicatorStyle style);
  bool isAnimating() const { return animating_; }
  void startAnimating();
  void stopAnimating();

  ActivityIndicatorPeer& activityIndicatorPeer() { return *indicatorPeer_; }

 private:
  ActivityIndicatorStyle style_;
  bool animating_ = false;
  // Made over the view's peer, so it goes before it.
  std::unique_ptr<ActivityIndicatorPeer> indicatorPeer_;
};

}  // namespace platform
