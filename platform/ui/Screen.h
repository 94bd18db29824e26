#pragma once

#include "platform/ui/Geometry.h"

namespace platform {

// The device's screen: its bounds in points, its scale (pixels per point) and the frame left to
// the application below the status bar.
class Screen {
 public:
  virtual ~Screen() = default;
  static Screen& main();

  virtual Rect bounds() const = 0;
  virtual double scale() const = 0;
  // Whether scale() is the screen's own report; screens of older systems cannot give one.
  virtual bool canReportScale() const { return true; }
  virtual Rect applicationFrame() const = 0;
};

}  // namespace platform
