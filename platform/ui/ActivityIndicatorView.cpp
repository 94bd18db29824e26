#include "platform/ui/ActivityIndicatorView.h"

#include "platform/ui/ViewBackend.h"

namespace platform {

// The platform's indicator is 20 points square in its small styles.
ActivityIndicatorView::ActivityIndicatorView(ActivityIndicatorStyle style)
    : View(Rect(0, 0, 20, 20)),
      style_(style),
      indicatorPeer_(ViewBackend::current().makeActivityIndicatorPeer(peer())) {
  indicatorPeer_->styleChanged(style_);
}

void ActivityIndicatorView::setStyle(ActivityIndicatorStyle style) {
  style_ = style;
  indicatorPeer_->styleChanged(style_);
}

void ActivityIndicatorView::startAnimating() {
  if (animating_) return;
  animating_ = true;
  indicatorPeer_->animatingChanged(true);
}

void ActivityIndicatorView::stopAnimating() {
  if (!animating_) return;
  animating_ = false;
  indicatorPeer_->animatingChanged(false);
}

}  // namespace platform
