// What only the simulated loop does: its virtual clock. What every run loop does is in
// RunLoopBehaviourTest.

#include "platform/sim/SimRunLoop.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/sim/SimPlatform.h"
#include "platform/storage/UserDefaults.h"

namespace platform {
namespace {

TEST(SimRunLoopTest, TheClockMovesOnlyWhenAdvancedAndEachTaskSeesItsOwnTime) {
  sim::SimPlatform platform;
  sim::SimRunLoop& loop = platform.runLoop();
  std::vector<double> seen;
  auto note = [&] { seen.push_back(Clock::shared().monotonicSeconds()); };
  double start = Clock::shared().monotonicSeconds();
  loop.post(1, nullptr, [&] {
    note();
    loop.post(0.5, nullptr, note);
  });
  loop.post(note);
  loop.runUntilIdle();
  EXPECT_EQ(seen, std::vector<double>{start});
  loop.advance(0.9);
  EXPECT_EQ(seen.size(), 1u);
  loop.advance(10);
  EXPECT_EQ(seen, (std::vector<double>{start, start + 1, start + 1.5}));
  EXPECT_DOUBLE_EQ(loop.now(), 10.9);
  EXPECT_EQ(loop.pendingTaskCount(), 0u);
}

// Owners that go cancel their work and registrations from destructors, which may run after the
// platform is gone (static objects at exit).
TEST(SimRunLoopTest, OwnersThatGoCanCancelWithOrWithoutAPlatform) {
  int owner = 0;
  RunLoop::cancelOnMain(&owner);
  NotificationCenter::removeObserverFromDefaultCenter(&owner);
  Application::endSharedBackgroundTask(1);
  EXPECT_EQ(UserDefaults::standardIfInstalled(), nullptr);

  sim::SimPlatform platform;
  EXPECT_EQ(UserDefaults::standardIfInstalled(), &UserDefaults::standard());
  int heard = 0;
  platform.runLoop().post(0, &owner, [&] { ++heard; });
  NotificationCenter::defaultCenter().addObserver(&owner, "n", nullptr, [&](auto&) { ++heard; });
  RunLoop::cancelOnMain(&owner);
  NotificationCenter::removeObserverFromDefaultCenter(&owner);
  NotificationCenter::defaultCenter().post("n", nullptr);
  platform.runLoop().runUntilIdle();
  EXPECT_EQ(heard, 0);
}

}  // namespace
}  // namespace platform
