#pragma once

#include <optional>
#include <string>

#include "ads/Addresses/TADNetworkUtilities.h"
#include "ads/Configuration/TADAdNetwork.h"
#include "ads/Object/TADObjectPrivate.h"
#include "ads/Opener/TADOpener.h"
#include "ads/Statistics/TADStatistics.h"
#include "signals/TADSignalsTesting.h"

namespace test_support {

// The ad library's process-wide state, fresh for one test: made fresh when the guard is made and
// cleared again when it goes, so that no test sees what an earlier one left behind. It covers the
// shared statistics and their timings, the ad network's addresses, whether the application has
// finished launching, the opener's repeat counter and the signals' clock, stack source and
// record; the user agent a test sets is put back as it was. The notification center and the
// platform belong to the installed platform, which a test makes and ends itself.
//
// Make it after the platform and before the library's objects, so that it goes after them.
class LibraryStateGuard {
 public:
  LibraryStateGuard() : userAgent_(TADNetworkUtilities::userAgentString()) { clear(); }
  ~LibraryStateGuard() {
    clear();
    TADNetworkUtilities::resetUserAgentStringForTesting(userAgent_);
  }
  LibraryStateGuard(const LibraryStateGuard&) = delete;
  LibraryStateGuard& operator=(const LibraryStateGuard&) = delete;

 private:
  static void clear() {
    TADStatistics::releaseSharedStatistics();
    TADAdNetwork::reset();
    TADObjectPrivate::resetLaunchForTesting();
    TADOpener::resetRepeatCount();
    signals::setClockForTesting(nullptr);
    signals::setStackTraceForTesting(nullptr);
    signals::resetForTesting();
  }

  std::optional<std::string> userAgent_;
};

}  // namespace test_support
