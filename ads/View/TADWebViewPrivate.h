#pragma once

#include <optional>

// The state of a TADWebView, kept in the private-object registry under the web view.
class TADWebViewPrivate {
 public:
  // Whether the web view has been touched; the ad object clears it each time an ad is shown, so
  // for the banner it tells whether the current ad was touched.
  bool touched() const { return touched_; }
  void setTouched(bool touched) { touched_ = touched; }

  // The user's last press in the web view, as a monotonic clock reading, and whether an opening
  // has used it (see TADOpenGate).
  std::optional<double> pressTime() const { return pressTime_; }
  bool pressUsed() const { return pressUsed_; }
  void recordPress(double time) {
    pressTime_ = time;
    pressUsed_ = false;
  }
  void usePress() { pressUsed_ = true; }
  void forgetPress() {
    pressTime_.reset();
    pressUsed_ = false;
  }

 private:
  bool touched_ = false;
  std::optional<double> pressTime_;
  bool pressUsed_ = false;
};
