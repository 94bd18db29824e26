#pragma once

#include <gtk/gtk.h>

#include <vector>

#include "platform/ui/Geometry.h"
#include "platform/ui/View.h"

namespace platform::gtk::testing {

// Real input through the X server's XTest extension, routed to windows as a user's would be.
// The pointer comes in from outside window to x, y (so that what lies there hears it enter); a
// click then lands on whatever is topmost under it; keys go to the window under the pointer.
void movePointer(GtkWindow* window, int x, int y);
void click(GtkWindow* window, unsigned button = 1);
// The button (or the key) going down or coming up alone, for a press that is held.
void setButton(GtkWindow* window, unsigned button, bool down);
void setKey(GtkWindow* window, guint keyval, bool down);
void pressControlWith(GtkWindow* window, guint keyval);
void pressKey(GtkWindow* window, guint keyval);

// A view of kind Base that records where the touches that reach it land.
template <typename Base>
class TouchRecording : public Base {
 public:
  using Base::Base;
  View* hitTest(const Point& point) override {
    touches.push_back(point);
    return Base::hitTest(point);
  }
  std::vector<Point> touches;
};

}  // namespace platform::gtk::testing
