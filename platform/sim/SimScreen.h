#pragma once

#include "platform/Application.h"
#include "platform/ui/Screen.h"

namespace platform::sim {

// A screen of settable size and scale (a phone's 320×480 at scale 1 by default). The application
// frame leaves out the 20-point status bar while the application shows it.
class SimScreen : public Screen {
 public:
  static constexpr double kStatusBarHeight = 20;

  explicit SimScreen(const Application& application) : application_(application) {}

  Rect bounds() const override { return bounds_; }
  double scale() const override { return scale_; }
  bool canReportScale() const override { return canReportScale_; }
  Rect applicationFrame() const override {
    if (application_.isStatusBarHidden()) return bounds_;
    return {0, kStatusBarHeight, bounds_.width(), bounds_.height() - kStatusBarHeight};
  }

  void setBounds(const Rect& bounds) { bounds_ = bounds; }
  void setScale(double scale) { scale_ = scale; }
  void setCanReportScale(bool can) { canReportScale_ = can; }

 private:
  const Application& application_;
  Rect bounds_{0, 0, 320, 480};
  double scale_ = 1;
  bool canReportScale_ = true;
};

}  // namespace platform::sim
