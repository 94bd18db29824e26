#pragma once

#include <memory>
#include <string>

#include "platform/core/Clock.h"
#include "platform/sim/SimRunLoop.h"

namespace platform::sim {

// Both clocks follow the simulated run loop's virtual time. The wall clock starts at a fixed
// date (2026-01-01 00:00:00 UTC) that tests may move, for example to simulate the user setting
// the clock back; the monotonic clock never moves but with the loop. Tests simulate a reboot by
// naming another boot.
class SimClock : public Clock {
 public:
  static constexpr double kDefaultStart = 788918400.0;  // 2026-01-01 in reference-date seconds

  explicit SimClock(std::shared_ptr<SimRunLoop> loop) : loop_(std::move(loop)) {}

  base::Date now() const override { return base::Date(wallOffset_ + loop_->now()); }
  double monotonicSeconds() const override { return monotonicStart_ + loop_->now(); }
  std::string bootIdentifier() const override { return bootIdentifier_; }

  void setNow(base::Date date) {
    wallOffset_ = date.timeIntervalSinceReferenceDate() - loop_->now();
  }
  void setBootIdentifier(std::string identifier) { bootIdentifier_ = std::move(identifier); }

 private:
  std::shared_ptr<SimRunLoop> loop_;
  double wallOffset_ = kDefaultStart;
  double monotonicStart_ = 1000;
  std::string bootIdentifier_ = "first-simulated-boot";
};

}  // namespace platform::sim
