#include "platform/ui/View.h"

#include <algorithm>

#include "platform/ui/ViewBackend.h"
#include "platform/ui/Window.h"

namespace platform {

View::View(const Rect& frame)
    : frame_(frame), peer_(ViewBackend::current().makeViewPeer(*this, frame)) {}

View::~View() {
  for (const auto& subview : subviews_)
    subview->superview_.reset();
}

void View::setFrame(const Rect& frame) {
  if (frame == frame_) return;
  Size oldSize = frame_.size;
  frame_ = frame;
  peer_->frameChanged(frame_);
  if (oldSize != frame_.size) resizeSubviews(oldSize);
}

void View::setHidden(bool hidden) {
  if (hidden == hidden_) return;
  hidden_ = hidden;
  peer_->hiddenChanged(hidden);
}

void View::setBackgroundColor(const Color& color) {
  backgroundColor_ = color;
  peer_->backgroundColorChanged(color);
}

void View::setUserInteractionEnabled(bool enabled) {
  userInteractionEnabled_ = enabled;
  peer_->userInteractionChanged(enabled);
}

void View::setAccessibilityLabel(std::string label) {
  if (label == accessibilityLabel_) return;
  accessibilityLabel_ = std::move(label);
  peer_->accessibilityChanged(accessibilityLabel_, accessibilityRole_);
}

void View::setAccessibilityRole(AccessibilityRole role) {
  if (role == accessibilityRole_) return;
  accessibilityRole_ = role;
  peer_->accessibilityChanged(accessibilityLabel_, accessibilityRole_);
}

void View::addSubview(const std::shared_ptr<View>& view) {
  if (!view || view.get() == this) return;
  std::shared_ptr<View> keep = view;  // removal from the old superview may release it
  keep->removeFromSuperview();
  subviews_.push_back(keep);
  keep->superview_ = weak_from_this();
  peer_->subviewAdded(*keep);
}

void View::removeFromSuperview() {
  std::shared_ptr<View> parent = superview_.lock();
  if (!parent) return;
  std::shared_ptr<View> self = shared_from_this();  // keep alive until the peer has been told
  superview_.reset();
  std::erase(parent->subviews_, self);
  peer_->removedFromSuperview();
}

View* View::hitTest(const Point& point) {
  if (hidden_ || !userInteractionEnabled_ || !bounds().contains(point)) return nullptr;
  for (auto it = subviews_.rbegin(); it != subviews_.rend(); ++it) {
    const Rect& f = (*it)->frame_;
    if (View* hit = (*it)->hitTest({point.x - f.minX(), point.y - f.minY()})) return hit;
  }
  return this;
}

Window* View::window() {
  View* top = this;
  while (auto parent = top->superview_.lock())
    top = parent.get();
  return dynamic_cast<Window*>(top);
}

// Each flexible part of an axis takes an equal share of the size change, as on the original
// platform.
void View::resizeSubviews(const Size& oldSize) {
  double dx = frame_.width() - oldSize.width;
  double dy = frame_.height() - oldSize.height;
  for (const auto& subview : subviews_) {
    unsigned mask = subview->autoresizingMask_;
    if (mask == kAutoresizingNone) continue;
    Rect f = subview->frame_;
    auto adjust = [](double delta, bool lead, bool size, bool trail, double& origin,
                     double& extent) {
      int parts = lead + size + trail;
      if (parts == 0) return;
      double share = delta / parts;
      if (lead) origin += share;
      if (size) extent += share;
    };
    adjust(dx, mask & kAutoresizingFlexibleLeftMargin, mask & kAutoresizingFlexibleWidth,
           mask & kAutoresizingFlexibleRightMargin, f.origin.x, f.size.width);
    adjust(dy, mask & kAutoresizingFlexibleTopMargin, mask & kAutoresizingFlexibleHeight,
           mask & kAutoresizingFlexibleBottomMargin, f.origin.y, f.size.height);
    subview->setFrame(f);
  }
}

}  // namespace platform
