#pragma once

#include <gtk/gtk.h>

namespace platform::gtk::testing {

// Real input through the X server's XTest extension, routed to windows as a user's would be.
// The pointer comes in from outside window to x, y (so that what lies there hears it enter); a
// click then lands on whatever is topmost under it; keys go to the window under the pointer.
void movePointer(GtkWindow* window, int x, int y);
void click(GtkWindow* window, unsigned button = 1);
void pressControlWith(GtkWindow* window, guint keyval);
void pressKey(GtkWindow* window, guint keyval);

}  // namespace platform::gtk::testing
