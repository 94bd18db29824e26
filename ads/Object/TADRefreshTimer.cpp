#include "ads/Object/TADRefreshTimer.h"

#include <algorithm>
#include <cmath>

void TADRefreshTimer::setLimits(double shortestPeriodSeconds, double firstRetrySeconds) {
  shortestPeriod_ = shortestPeriodSeconds;
  firstRetry_ = firstRetrySeconds;
  longestRetry_ = firstRetrySeconds * (kLongestRetrySeconds / kFirstRetrySeconds);
  backoffSeconds_ = firstRetrySeconds;
}

void TADRefreshTimer::scheduleReloadTimer(double seconds) {
  if (std::isfinite(seconds) && seconds > 0) seconds = std::max(seconds, shortestPeriod_);
  if (start(seconds)) reloadSeconds_ = seconds;
}

bool TADRefreshTimer::start(double seconds) {
  timer_.stop();
  due_ = false;
  if (!std::isfinite(seconds) || seconds <= 0) return false;
  timer_ = platform::RunLoop::main().startTimer(seconds, [this] { reload_(); });
  return true;
}

void TADRefreshTimer::scheduleRetry() {
  retrySeconds_ = std::max(backoffSeconds_, reloadSeconds_);
  backoffSeconds_ = std::min(backoffSeconds_ * 2, longestRetry_);
  start(retrySeconds_);
}

void TADRefreshTimer::scheduleAfterAnswer(double seconds) {
  backoffSeconds_ = firstRetry_;
  retrySeconds_ = 0;
  scheduleReloadTimer(seconds);
}

void TADRefreshTimer::activate() {
  if (retrySeconds_ > 0) {
    start(retrySeconds_);
  } else {
    scheduleReloadTimer(reloadSeconds_);
  }
}

void TADRefreshTimer::adShown() {
  backoffSeconds_ = firstRetry_;
  retrySeconds_ = 0;
  if (due_) scheduleReloadTimer(reloadSeconds_);
}
