#pragma once

#include "platform/Geometry.h"

namespace platform {

// The device's screen: its bounds in points, its scale (pixels per point) and the frame left to
// the application below the status bar.
class Screen {
 public:
  virtual ~Screen() = default;
  static Screen& main();

  virtual Rect bounds() const = 0;
  virtual double scale() const = 0;
  virtual Rect applicationFrame() const = 0;
};

}  // namespace platform
