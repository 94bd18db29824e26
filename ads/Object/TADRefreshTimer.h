#pragma once

#include <functional>

#include "platform/core/RunLoop.h"

// The one-shot timer that reloads an ad object's request.
//
// After a shown ad it runs on the server's period, but never on one shorter than
// kShortestPeriodSeconds: no viewer takes in an ad that lasts less, and a shorter one would only
// spend the user's network and CPU (a period of a millisecond reloads the ad every pass). A period
// that is not finite and above 0 starts nothing.
//
// After a failure it depends on what failed. A transient failure (the network, the server, a time
// limit) backs off: the retry comes kFirstRetrySeconds later, doubling with each transient
// failure in a row up to kLongestRetrySeconds, and never sooner than the last period, whatever
// period the failing answer names, so that a failing server cannot set its own retry rate.
// Any other failure (the server has no ad, or refuses the request) is an answer like a shown
// ad's: the reload follows the period it names, or the last one, within the same floor, and
// nothing is started when no period was ever named.
//
// A reload that falls due while it cannot run is remembered (markDue) and comes a full period
// after the next shown ad, or when the owner runs it (isDue).
class TADRefreshTimer {
 public:
  static constexpr double kFirstRetrySeconds = 30;
  static constexpr double kLongestRetrySeconds = 300;
  static constexpr double kShortestPeriodSeconds = 10;

  explicit TADRefreshTimer(std::function<void()> reload) : reload_(std::move(reload)) {}

  // The shortest period and the first retry instead of the constants above, the longest retry
  // ten first retries; for tests and benchmarks that cannot wait them. Applies from the next
  // period or retry started.
  void setLimits(double shortestPeriodSeconds, double firstRetrySeconds);

  // Starts the period seconds (at least the shortest); a started period becomes the one used
  // last.
  void scheduleReloadTimer(double seconds);
  // Starts the retry that follows a transient failure.
  void scheduleRetry();
  // Follows a failure that is no transient one, like a shown ad's answer: on the period it names,
  // when it names one, otherwise on the last period. Transient failures in a row start afresh.
  void scheduleAfterAnswer(double seconds);
  // Starts the last retry again when one is pending, otherwise the full last period.
  void activate();
  void resetReloadTimer() { timer_.stop(); }
  // An ad was shown: the retries start afresh, and a reload that fell due during the load comes
  // a full period on.
  void adShown();
  void markDue() { due_ = true; }
  // Whether a reload fell due and no timer has taken it over since.
  bool isDue() const { return due_ && !timer_.isValid(); }

  bool isRunning() const { return timer_.isValid(); }
  double reloadSeconds() const { return reloadSeconds_; }

 private:
  bool start(double seconds);

  std::function<void()> reload_;
  platform::RunLoop::Timer timer_;
  double shortestPeriod_ = kShortestPeriodSeconds;
  double firstRetry_ = kFirstRetrySeconds;
  double longestRetry_ = kLongestRetrySeconds;
  // The period used last, at least the shortest; 0 until one is.
  double reloadSeconds_ = 0;
  // The back-off of the next transient failure.
  double backoffSeconds_ = kFirstRetrySeconds;
  // The delay of the retry that follows the last transient failure; 0 once an answer came.
  double retrySeconds_ = 0;
  bool due_ = false;
};
