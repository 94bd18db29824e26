#pragma once

#include <string>

#include "platform/ui/Geometry.h"

namespace platform {

class View;

// How assistive technologies (screen readers and the like) present a view: a plain one as part of
// what it lies in, a landmark as a region of the screen that users can go to by its label.
enum class AccessibilityRole { Plain, Landmark };

// What a view hears from its peer: what happened on screen.
class ViewPeerClient {
 public:
  // A touch went down at point, in the view's own coordinates.
  virtual void viewPeerTouched(const Point& point) = 0;

 protected:
  ~ViewPeerClient() = default;
};

// What a backend does for one view: shows it, and mirrors the view's changes. The view keeps the
// state; the peer only follows it. Peers of other kinds (a button's, a web view's) are made over
// this one and place their content inside it.
class ViewPeer {
 public:
  virtual ~ViewPeer() = default;
  virtual void frameChanged(const Rect& /*frame*/) {}
  virtual void hiddenChanged(bool /*hidden*/) {}
  virtual void backgroundColorChanged(const Color& /*color*/) {}
  virtual void userInteractionChanged(bool /*enabled*/) {}
  virtual void accessibilityChanged(const std::string& /*label*/, AccessibilityRole /*role*/) {}
  virtual void subviewAdded(View& /*subview*/) {}
  virtual void removedFromSuperview() {}
  // The view is to take the keyboard: the focus goes to the first control in it that can hold
  // it, unless it is in the view already.
  virtual void becameFirstResponder() {}
};

}  // namespace platform
