#include "ads/Object/TADRefreshTimer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "platform/sim/SimPlatform.h"

namespace {

class TADRefreshTimerTest : public ::testing::Test {
 protected:
  // Seconds until the timer next fires, or -1 when it does not within a long wait.
  double secondsToReload() {
    int before = reloads;
    double from = platform.runLoop().now();
    bool came = platform.runLoop().advanceUntil([&] { return reloads > before; }, 1000);
    return came ? platform.runLoop().now() - from : -1;
  }

  platform::sim::SimPlatform platform;
  int reloads = 0;
  TADRefreshTimer timer{[this] { ++reloads; }};
};

TEST_F(TADRefreshTimerTest, WithoutAPeriodRetriesDoubleFrom30SecondsTo5MinutesUntilAnAdIsShown) {
  std::vector<double> delays;
  for (int i = 0; i < 6; ++i) {
    timer.scheduleRetry();
    delays.push_back(secondsToReload());
  }
  EXPECT_EQ(delays, (std::vector<double>{30, 60, 120, 240, 300, 300}));

  timer.adShown();
  timer.scheduleRetry();
  platform.runLoop().advance(20);
  timer.resetReloadTimer();  // a pause, then the retry's full delay again
  timer.activate();
  EXPECT_EQ(secondsToReload(), 30);

  timer.takePeriod(45);  // a period named by a failed answer serves the retries
  timer.scheduleRetry();
  EXPECT_EQ(secondsToReload(), 45);
}

// A period that is not finite and above 0 would bring the reload round on every pass.
TEST_F(TADRefreshTimerTest, OnlyAFinitePositivePeriodStartsTheTimerAndBecomesTheLastPeriod) {
  timer.scheduleReloadTimer(7);
  for (double seconds : {0.0, -1.0, std::nan(""), std::numeric_limits<double>::infinity()}) {
    timer.scheduleReloadTimer(seconds);
    EXPECT_FALSE(timer.isRunning()) << seconds;
    timer.takePeriod(seconds);
    EXPECT_EQ(timer.seconds(), 7) << seconds;
  }
  timer.activate();
  EXPECT_EQ(secondsToReload(), 7);
}

}  // namespace
