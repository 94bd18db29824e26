#pragma once

#include "platform/ui/Screen.h"

namespace platform::gtk {

// The screen of a desktop on which a host program shows the library in windows of its own: the
// work area of the display's primary monitor in GTK logical pixels (one point each), with no
// status bar, so the application frame is the whole of it.
class HostScreen : public Screen {
 public:
  Rect bounds() const override;
  double scale() const override;
  Rect applicationFrame() const override { return bounds(); }
};

}  // namespace platform::gtk
