#pragma once

#include <optional>

// The user's last press in a web view, as the gate (TADOpenGate) reads it: when it came, on the
// monotonic clock, and whether an opening has used it. The web view records its presses here.
class TADPressRecord {
 public:
  virtual ~TADPressRecord() = default;

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
  std::optional<double> pressTime_;
  bool pressUsed_ = false;
};
