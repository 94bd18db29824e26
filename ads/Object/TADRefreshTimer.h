#pragma once

#include <functional>

#include "platform/RunLoop.h"

// The one-shot timer that reloads an ad object's request: on the server's period after a shown
// ad, and after every failure on the server's last period or, when it never named one, after
// kFirstRetrySeconds doubling with each failure in a row up to kLongestRetrySeconds. A reload that
// falls due while it cannot run is remembered (markDue) and comes a full period after the next
// shown ad, or when the owner runs it (isDue). The timer starts only on a period that is finite
// and above 0, which would otherwise bring the reload round on every pass.
class TADRefreshTimer {
 public:
  static constexpr double kFirstRetrySeconds = 30;
  static constexpr double kLongestRetrySeconds = 300;

  explicit TADRefreshTimer(std::function<void()> reload) : reload_(std::move(reload)) {}

  // Starts the period seconds; a started period becomes the one used last.
  void scheduleReloadTimer(double seconds);
  // Starts the retry that follows a failure.
  void scheduleRetry();
  // Starts the last retry again when one is pending, otherwise the full last period.
  void activate();
  void resetReloadTimer() { timer_.stop(); }
  // A failed ad's answer may still name the period its retry then follows.
  void takePeriod(double seconds);
  // An ad was shown: the retries start afresh, and a reload that fell due during the load comes
  // a full period on.
  void adShown();
  void markDue() { due_ = true; }
  // Whether a reload fell due and no timer has taken it over since.
  bool isDue() const { return due_ && !timer_.isValid(); }

  bool isRunning() const { return timer_.isValid(); }
  double seconds() const { return seconds_; }

 private:
  bool start(double seconds);

  std::function<void()> reload_;
  platform::RunLoop::Timer timer_;
  // The period used last; 0 until one is.
  double seconds_ = 0;
  // The delay of the next retry when the server never named a period.
  double backoffSeconds_ = kFirstRetrySeconds;
  // The delay of the retry that follows the last failure; 0 once an ad is shown.
  double retrySeconds_ = 0;
  bool due_ = false;
};
