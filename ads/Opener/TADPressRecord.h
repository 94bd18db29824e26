#pragma once

#include <algorithm>
#include <optional>

// The user's last press in a web view, as the gate (TADOpenGate) reads it: when it went down and
// came up again, on the monotonic clock, and whether an opening has used it. A press is a pointer
// button or an activating key (Enter, Space); the web view records both here.
//
// The activation that a press gives is live from the moment it goes down, all the while it is
// held, and counts its age from the release: a click handler runs at the release, however long the
// user held the button, and may wait a moment before it asks. A press whose release never comes
// (the view lost it) counts as released kLongestHold seconds after it went down.
class TADPressRecord {
 public:
  static constexpr double kLongestHold = 10.0;

  virtual ~TADPressRecord() = default;

  // The seconds since the release of the last press at time now: 0 while it is held; none when
  // there was no press.
  std::optional<double> activationAge(double now) const {
    if (!pressTime_) return std::nullopt;
    if (releaseTime_) return now - *releaseTime_;
    return std::max(0.0, now - (*pressTime_ + kLongestHold));
  }
  bool pressUsed() const { return pressUsed_; }
  void recordPress(double time) {
    pressTime_ = time;
    releaseTime_.reset();
    pressUsed_ = false;
  }
  // A release with no press held (the press came before the record was made, or was forgotten)
  // gives nothing.
  void recordRelease(double time) {
    if (pressTime_ && !releaseTime_) releaseTime_ = time;
  }
  void usePress() { pressUsed_ = true; }
  void forgetPress() {
    pressTime_.reset();
    releaseTime_.reset();
    pressUsed_ = false;
  }

 private:
  std::optional<double> pressTime_;
  std::optional<double> releaseTime_;
  bool pressUsed_ = false;
};
