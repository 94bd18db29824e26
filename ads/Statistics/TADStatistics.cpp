#include "ads/Statistics/TADStatistics.h"

#include <cmath>
#include <cstdlib>

#include "ads/Addresses/TADNetworkUtilities.h"
#include "ads/Configuration/TADAdNetwork.h"
#include "ads/Notification/TADNotification.h"
#include "ads/Statistics/TADStatisticsParameters.h"
#include "platform/core/Clock.h"
#include "signals/TADSignals.h"

namespace {

std::unique_ptr<TADStatistics>& sharedInstance() {
  static std::unique_ptr<TADStatistics> instance;
  return instance;
}

uint32_t toUInt32(double value) {
  if (!(value > 0)) return 0;
  if (value >= 4294967295.0) return UINT32_MAX;
  return static_cast<uint32_t>(value);
}

}  // namespace

TADStatistics& TADStatistics::sharedStatistics() {
  if (!sharedInstance()) sharedInstance() = std::make_unique<TADStatistics>();
  return *sharedInstance();
}

void TADStatistics::releaseSharedStatistics() {
  sharedInstance().reset();
}

const std::array<std::string_view, 8>& TADStatistics::allTimingNames() {
  static constexpr std::array<std::string_view, 8> kNames{
      kTADParameterPriorRequestLatency,       kTADParameterPriorClickLatency,
      kTADParameterPriorClickString,          kTADParameterPriorPreClickLatency,
      kTADParameterPriorClickRedirectLatency, kTADParameterPriorLandingPageLoad,
      kTADParameterPriorLandingPageDuration,  kTADParameterTimeSinceFirstRequest};
  return kNames;
}

TADStatistics::TADStatistics() {
  double now = platform::Clock::shared().now().timeIntervalSinceReferenceDate();
  srandom(toUInt32(now));
  double r = static_cast<double>(random());
  sessionId_ = toUInt32((r - 1) / 2147483647.0 * 4294967295.0);
}

uint32_t TADStatistics::clickLatencyOverride() const {
  auto click = timingNamed(kTADParameterPriorClickLatency);
  const base::Value* date = click ? click->valueForKey("date") : nullptr;
  if (!date || !date->isDate()) return 0;
  double seconds = platform::Clock::shared().now().timeIntervalSince(*date->asDate());
  return toUInt32(std::fabs(seconds) * 1000);
}

base::Dictionary TADStatistics::parameters() {
  base::Dictionary report = pendingParameters();
  clearReported();
  return report;
}

base::Dictionary TADStatistics::pendingParameters() const {
  base::Dictionary report;
  report.set(std::string(kTADParameterSessionID), static_cast<int64_t>(sessionId_));
  const bool clicked = timingNamed(kTADParameterPriorClickLatency) != nullptr;
  uint32_t clickLatency = 0;
  if (statistics_.objectForKey(kTADParameterPriorClickBackgroundedApp)) {
    clickLatency = clickLatencyOverride();
  }

  for (std::string_view name : allTimingNames()) {
    auto timing = timingNamed(name);
    // A time before a click that never came says nothing.
    if (!timing || (name == kTADParameterPriorPreClickLatency && !clicked)) continue;
    report.set(std::string(name), timing->elapsedMillisecondsString());
    base::Dictionary values = timing->keysAndValues();
    // The click's wall-clock time only serves the latency above.
    if (name == kTADParameterPriorClickLatency) values.erase("date");
    report.merge(values);
  }
  if (clickLatency != 0) {
    report.set(std::string(kTADParameterPriorClickLatency), static_cast<int64_t>(clickLatency));
  }

  for (std::string_view key :
       {kTADParameterTotalAdRequests, kTADParameterPriorClickBreakOut,
        kTADParameterAppOpenInterstitialTimedOut, kTADParameterAppOpenInterstitialNoFill,
        kTADParameterPriorClickBackgroundedApp, kTADParameterPriorLandingPageNavCount,
        kTADParameterPriorLandingPageSSLNavCount, kTADParameterPriorClickCount}) {
    const base::Value* stored = statistics_.objectForKey(key);
    if (stored && stored->toInt64() != 0) report.set(std::string(key), *stored);
  }
  return report;
}

void TADStatistics::clearReported() {
  for (std::string_view name : allTimingNames()) {
    if (name != kTADParameterTimeSinceFirstRequest) removeTimingNamed(name);
  }
  for (std::string_view flag :
       {kTADParameterPriorClickBreakOut, kTADParameterAppOpenInterstitialTimedOut,
        kTADParameterAppOpenInterstitialNoFill, kTADParameterPriorClickBackgroundedApp}) {
    statistics_.removeObjectForKey(flag);
  }
  for (std::string_view counter :
       {kTADParameterPriorLandingPageNavCount, kTADParameterPriorLandingPageSSLNavCount,
        kTADParameterPriorClickCount}) {
    setCounter(counter, 0);
  }
}

void TADStatistics::countClickWithoutURL() {
  startClick();
  endTimingNamed(kTADParameterPriorClickRedirectLatency);
}

std::shared_ptr<TADTiming> TADStatistics::startClick() {
  incrementClickCount();
  startTimingNamed(kTADParameterPriorClickLatency);
  startTimingNamed(kTADParameterPriorClickRedirectLatency);
  endTimingNamed(kTADParameterPriorPreClickLatency);
  auto click = timingNamed(kTADParameterPriorClickLatency);
  click->setValue(platform::Clock::shared().now(), "date");
  return click;
}

base::URL TADStatistics::urlForClick(const base::URL& url) {
  if (TADNotification::isNotificationURL(url) || url.absoluteString() == "about:blank") return url;
  std::shared_ptr<TADTiming> click = startClick();
  base::URL result = url;
  std::optional<std::string> clickValue = TADNetworkUtilities::parameterValueForKey("ai", url);
  if (clickValue && !clickValue->empty()) {
    click->setValue(*clickValue, std::string(kTADParameterPriorClickString));
    std::string signals;
    if (tad_gmcs(*clickValue, signals)) {
      // A signals text that does not make a valid address is left off rather than losing the click.
      if (auto signed_ = TADNetworkUtilities::appendQueryKey(signals, std::nullopt, url)) {
        result = *signed_;
      }
    }
  }
  endTimingNamed(kTADParameterPriorClickRedirectLatency);
  return result;
}

void TADStatistics::addClickTrackingURL(const base::URL& url) {
  if (!url.host().ends_with(TADAdNetwork::clickTicketDomain())) return;
  const std::string& path = url.percentEncodedPath();
  if (path.size() < 5) return;
  if (auto click = timingNamed(kTADParameterPriorClickLatency)) {
    click->setValue(path.substr(4), std::string(kTADParameterPriorImpressionTicketString));
  }
}

void TADStatistics::setCounter(std::string_view key, int32_t value) {
  statistics_.setNumber(value, std::string(key));
}

int32_t TADStatistics::incrementAdRequestCount() {
  return statistics_.addValue(1, std::string(kTADParameterTotalAdRequests));
}

int32_t TADStatistics::adRequestCount() const {
  const base::Value* stored = statistics_.objectForKey(kTADParameterTotalAdRequests);
  return stored ? static_cast<int32_t>(stored->toInt64()) : 0;
}

void TADStatistics::setAdRequestCount(int32_t count) {
  setCounter(kTADParameterTotalAdRequests, count);
}
void TADStatistics::incrementClickCount() {
  statistics_.addValue(1, std::string(kTADParameterPriorClickCount));
}
void TADStatistics::resetClickCount() {
  setCounter(kTADParameterPriorClickCount, 0);
}
void TADStatistics::incrementPageNavigationCount() {
  statistics_.addValue(1, std::string(kTADParameterPriorLandingPageNavCount));
}
void TADStatistics::resetPageNavigationCount() {
  setCounter(kTADParameterPriorLandingPageNavCount, 0);
}
void TADStatistics::incrementSSLPageNavigationCount() {
  statistics_.addValue(1, std::string(kTADParameterPriorLandingPageSSLNavCount));
}
void TADStatistics::resetSSLPageNavigationCount() {
  setCounter(kTADParameterPriorLandingPageSSLNavCount, 0);
}
void TADStatistics::setBreakOutToSafari() {
  setFlagWithParameterName(kTADParameterPriorClickBreakOut);
}
void TADStatistics::resetBreakOutToSafari() {
  resetFlagWithParameterName(kTADParameterPriorClickBreakOut);
}
void TADStatistics::setClickBackgroundedApp() {
  setFlagWithParameterName(kTADParameterPriorClickBackgroundedApp);
}
void TADStatistics::resetClickBackgroundedApp() {
  resetFlagWithParameterName(kTADParameterPriorClickBackgroundedApp);
}
void TADStatistics::setAppOpenInterstitialNoFill() {
  setFlagWithParameterName(kTADParameterAppOpenInterstitialNoFill);
}
void TADStatistics::resetAppOpenInterstitialNoFill() {
  resetFlagWithParameterName(kTADParameterAppOpenInterstitialNoFill);
}
void TADStatistics::setAppOpenInterstitialTimeOut() {
  setFlagWithParameterName(kTADParameterAppOpenInterstitialTimedOut);
}
void TADStatistics::resetAppOpenInterstitialTimeOut() {
  resetFlagWithParameterName(kTADParameterAppOpenInterstitialTimedOut);
}
void TADStatistics::setFlagWithParameterName(std::string_view key) {
  setCounter(key, 1);
}
void TADStatistics::resetFlagWithParameterName(std::string_view key) {
  statistics_.removeObjectForKey(key);
}

void TADStatistics::startTimingNamed(std::string_view name) {
  timingMgr_.removeTimingForCategory(name);
  timingMgr_.addTimingWithCategory(std::string(name))->start();
}

void TADStatistics::endTimingNamed(std::string_view name) {
  if (auto timing = timingMgr_.timingForCategory(name)) timing->end();
}

std::shared_ptr<TADTiming> TADStatistics::timingNamed(std::string_view name) const {
  return timingMgr_.timingForCategory(name);
}

void TADStatistics::removeTimingNamed(std::string_view name) {
  timingMgr_.removeTimingForCategory(name);
}

bool TADStatistics::isTimingClick() const {
  auto click = timingNamed(kTADParameterPriorClickLatency);
  return click && click->isActive();
}

void TADStatistics::synchronize() {
  statistics_.synchronize();
  timingMgr_.synchronize();
}
