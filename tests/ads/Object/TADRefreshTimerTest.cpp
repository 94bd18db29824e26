#include "ads/Object/TADRefreshTimer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <optional>
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
  std::optional<TADRefreshTimer> timer{std::in_place, [this] { ++reloads; }};
};

// Each step is followed by the seconds to the reload it starts (-1: none).
TEST_F(TADRefreshTimerTest, TransientFailuresBackOffAndAnswersFollowTheirPeriodAboveTheFloor) {
  auto retry = [&] { timer->scheduleRetry(); };
  auto answer = [&](double seconds) {
    return [&, seconds] { timer->scheduleAfterAnswer(seconds); };
  };
  auto shown = [&](double seconds) {
    return [&, seconds] {
      timer->scheduleReloadTimer(seconds);
      timer->adShown();
    };
  };
  struct Case {
    const char* what;
    std::vector<std::function<void()>> steps;
    std::vector<double> delays;
  };
  const Case cases[] = {
      {"no period ever named",
       {retry, retry, retry, retry, retry, retry, answer(0)},
       {30, 60, 120, 240, 300, 300, -1}},
      {"a shown ad's period has a floor", {shown(0.001), shown(9.99), shown(10.5)}, {10, 10, 10.5}},
      {"an answer's period has the floor; an answer naming none keeps the last",
       {answer(0.001), answer(0), answer(45)},
       {10, -1, 45}},
      {"a retry is never sooner than the last period",
       {shown(45), retry, retry, shown(45), retry},
       {45, 45, 60, 45, 45}},
      {"an answer or a shown ad starts the back-off afresh",
       {retry, retry, answer(0), retry, retry, shown(12), retry},
       {30, 60, -1, 30, 60, 12, 30}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    timer.emplace([this] { ++reloads; });
    std::vector<double> delays;
    for (const auto& step : c.steps) {
      step();
      delays.push_back(secondsToReload());
    }
    EXPECT_EQ(delays, c.delays);
  }
}

// A period that is not finite and above 0 would bring the reload round on every pass.
TEST_F(TADRefreshTimerTest, OnlyAFinitePositivePeriodStartsTheTimerAndAPauseRestartsTheDelay) {
  timer->scheduleReloadTimer(17);
  for (double seconds : {0.0, -1.0, std::nan(""), std::numeric_limits<double>::infinity()}) {
    timer->scheduleReloadTimer(seconds);
    EXPECT_FALSE(timer->isRunning()) << seconds;
    EXPECT_EQ(timer->reloadSeconds(), 17) << seconds;
  }
  timer->activate();
  EXPECT_EQ(secondsToReload(), 17);

  timer->scheduleRetry();
  platform.runLoop().advance(20);
  timer->resetReloadTimer();  // a pause, then the retry's full delay again
  timer->activate();
  EXPECT_EQ(secondsToReload(), 30);
}

}  // namespace
