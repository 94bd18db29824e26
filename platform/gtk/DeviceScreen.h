#pragma once

#include "platform/Application.h"
#include "platform/Device.h"
#include "platform/ui/Screen.h"

namespace platform::gtk {

// The screen of the device that the desktop program shows: a phone's 320×480 points or a
// tablet's 768×1024, in portrait as the original platform reports it whichever way the device is
// turned. The application frame leaves out the 20-point status bar while it is shown. One point is
// one GTK logical pixel; scale is the desktop's pixels per logical pixel.
class DeviceScreen : public Screen {
 public:
  static constexpr double kStatusBarHeight = 20;
  static constexpr Size kPhoneSize{320, 480};
  static constexpr Size kTabletSize{768, 1024};

  DeviceScreen(const Application& application, UserInterfaceIdiom idiom)
      : application_(application),
        size_(idiom == UserInterfaceIdiom::Pad ? kTabletSize : kPhoneSize) {}

  Rect bounds() const override { return {0, 0, size_.width, size_.height}; }
  double scale() const override;
  Rect applicationFrame() const override {
    if (application_.isStatusBarHidden()) return bounds();
    return {0, kStatusBarHeight, size_.width, size_.height - kStatusBarHeight};
  }

 private:
  const Application& application_;
  Size size_;
};

}  // namespace platform::gtk
