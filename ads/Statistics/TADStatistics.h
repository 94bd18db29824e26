#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string_view>

#include "ads/Statistics/TADStatisticsCore.h"
#include "ads/Timing/TADTimingManager.h"
#include "base/URL.h"

// What happened since the last ad request — requests, clicks, navigations, latencies, a click
// ticket — collected for the next request. parameters() hands the report over and clears what it
// reported; pendingParameters() only reads it. urlForClick() prepares every click: it counts and
// times it and adds the click signals.
class TADStatistics {
 public:
  static TADStatistics& sharedStatistics();
  static void releaseSharedStatistics();
  static const std::array<std::string_view, 8>& allTimingNames();

  TADStatistics();
  TADStatistics(const TADStatistics&) = delete;
  TADStatistics& operator=(const TADStatistics&) = delete;

  // The report since the last one; see the class comment.
  base::Dictionary parameters();
  base::Dictionary pendingParameters() const;
  // The address to open for a click on url (url itself for page messages and about:blank).
  base::URL urlForClick(const base::URL& url);
  // A click with no address to open (a page given as text): counted and timed all the same.
  void countClickWithoutURL();
  // Keeps the click ticket of a tracking address on the ad network's domain.
  void addClickTrackingURL(const base::URL& url);

  int32_t incrementAdRequestCount();
  int32_t adRequestCount() const;
  void setAdRequestCount(int32_t count);
  void incrementClickCount();
  void resetClickCount();
  void incrementPageNavigationCount();
  void resetPageNavigationCount();
  void incrementSSLPageNavigationCount();
  void resetSSLPageNavigationCount();
  void setBreakOutToSafari();
  void resetBreakOutToSafari();
  void setClickBackgroundedApp();
  void resetClickBackgroundedApp();
  void setAppOpenInterstitialNoFill();
  void resetAppOpenInterstitialNoFill();
  void setAppOpenInterstitialTimeOut();
  void resetAppOpenInterstitialTimeOut();
  void setFlagWithParameterName(std::string_view key);
  void resetFlagWithParameterName(std::string_view key);

  // Replaces the timing of that name with a new, started one.
  void startTimingNamed(std::string_view name);
  void endTimingNamed(std::string_view name);
  std::shared_ptr<TADTiming> timingNamed(std::string_view name) const;
  void removeTimingNamed(std::string_view name);
  bool isTimingClick() const;

  uint32_t sessionId() const { return sessionId_; }
  void synchronize();

 private:
  uint32_t clickLatencyOverride() const;
  // Counts a click and starts its timings; answers the click latency timing.
  std::shared_ptr<TADTiming> startClick();
  void clearReported();
  void setCounter(std::string_view key, int32_t value);

  uint32_t sessionId_ = 0;
  TADStatisticsCore statistics_ = TADStatisticsCore::initWithIdentifier("shared");
  TADTimingManager timingMgr_ = TADTimingManager::initWithIdentifier("shared");
};
