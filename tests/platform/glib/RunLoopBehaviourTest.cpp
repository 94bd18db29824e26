// What every run loop must do, whichever backend it comes from: one typed suite run against the
// simulated loop (virtual time) and the GLib loop (real time, in short steps). Times are written
// in the driver's units: a second of virtual time, or ten real milliseconds. Tests wait for the
// work they post, never for a span of time: a late task on a busy machine only makes them slower.

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/glib/GlibClock.h"
#include "platform/glib/GlibRunLoop.h"
#include "platform/sim/SimRunLoop.h"

namespace platform {
namespace {

struct SimDriver {
  static constexpr double kUnit = 1;
  std::shared_ptr<sim::SimRunLoop> simLoop = std::make_shared<sim::SimRunLoop>();

  RunLoop& loop() { return *simLoop; }
  // Virtual time moves on only while nothing is due; work from other threads is waited for.
  bool runUntil(const std::function<bool()>& done) {
    return simLoop->advanceUntil(done, 1e6) || simLoop->runUntil(done);
  }
  double now() const { return simLoop->now(); }
};

struct GlibDriver {
  static constexpr double kUnit = 0.01;
  std::shared_ptr<glib::GlibRunLoop> glibLoop = std::make_shared<glib::GlibRunLoop>();
  glib::GlibClock clock;

  RunLoop& loop() { return *glibLoop; }
  bool runUntil(const std::function<bool()>& done) { return glibLoop->runUntil(done, 5); }
  double now() const { return clock.monotonicSeconds(); }
};

template <typename Driver>
class RunLoopBehaviourTest : public ::testing::Test {
 protected:
  static double units(double n) { return n * Driver::kUnit; }
  void post(double delayUnits, const void* owner, std::string name) {
    d.loop().post(units(delayUnits), owner, [this, name] { ran.push_back(name); });
  }
  // Runs the loop until work posted now with delayUnits has run: everything due before it has.
  void runPast(double delayUnits) {
    bool reached = false;
    d.loop().post(units(delayUnits), nullptr, [&] { reached = true; });
    ASSERT_TRUE(d.runUntil([&] { return reached; }));
  }

  Driver d;
  std::vector<std::string> ran;
};

using Drivers = ::testing::Types<SimDriver, GlibDriver>;
TYPED_TEST_SUITE(RunLoopBehaviourTest, Drivers);

TYPED_TEST(RunLoopBehaviourTest, RunsWorkInTimeOrderAndSameTimeWorkInPostingOrder) {
  this->post(20, nullptr, "late");
  this->post(3, nullptr, "a");
  this->post(3, nullptr, "b");
  this->post(0, nullptr, "now");
  this->post(-5, nullptr, "negative is now");
  EXPECT_TRUE(this->ran.empty());  // posting never runs anything at once
  ASSERT_TRUE(this->d.runUntil([&] { return this->ran.size() == 5; }));
  EXPECT_EQ(this->ran, (std::vector<std::string>{"now", "negative is now", "a", "b", "late"}));
}

TYPED_TEST(RunLoopBehaviourTest, NothingRunsBeforeItsDelayHasPassed) {
  double posted = this->d.now();
  double ranAt = -1;
  double innerRanAt = -1;
  this->d.loop().post(this->units(2), nullptr, [&] {
    ranAt = this->d.now();
    this->d.loop().post(this->units(1.5), nullptr, [&] { innerRanAt = this->d.now(); });
  });
  ASSERT_TRUE(this->d.runUntil([&] { return innerRanAt >= 0; }));
  EXPECT_GE(ranAt - posted, this->units(2) - 1e-6);
  // Work posted by work counts its delay from when it was posted.
  EXPECT_GE(innerRanAt - ranAt, this->units(1.5) - 1e-6);
}

// Work posted while work runs waits for the next pass.
TYPED_TEST(RunLoopBehaviourTest, WorkThatKeepsPostingItselfLeavesTheLoopFreeBetweenPasses) {
  int passes = 0;
  std::function<void()> again = [&] {
    if (++passes < 100) this->d.loop().post(again);
  };
  this->d.loop().post(again);
  EXPECT_TRUE(this->d.runUntil([&] { return passes >= 3; }));
  // The driver may let one more pass run after it sees the condition.
  EXPECT_LE(passes, 4) << "one pass ran the work that work posted";
  EXPECT_TRUE(this->d.runUntil([&] { return passes == 100; }));
}

TYPED_TEST(RunLoopBehaviourTest, CancellingAnOwnerDropsOnlyItsWork) {
  int owner = 0;
  int other = 0;
  this->post(1, &owner, "mine later");
  this->post(0, &owner, "mine now");
  this->post(1, &other, "other's");
  this->post(1, nullptr, "nobody's");
  this->d.loop().cancel(&owner);
  this->d.loop().cancel(nullptr);  // work without an owner cannot be cancelled
  this->runPast(2);
  EXPECT_EQ(this->ran, (std::vector<std::string>{"other's", "nobody's"}));
}

TYPED_TEST(RunLoopBehaviourTest, WorkCancelledByEarlierWorkOfTheSamePassDoesNotRun) {
  int owner = 0;
  this->d.loop().post(this->units(1), nullptr, [&] {
    this->ran.push_back("canceller");
    this->d.loop().cancel(&owner);
  });
  this->post(1, &owner, "cancelled");
  this->runPast(2);
  EXPECT_EQ(this->ran, (std::vector<std::string>{"canceller"}));
}

TYPED_TEST(RunLoopBehaviourTest, TimersFireOnceAndStopWhenTheirHandleStopsOrGoes) {
  int fired = 0;
  RunLoop::Timer timer = this->d.loop().startTimer(this->units(3), [&] { ++fired; });
  EXPECT_TRUE(timer.isValid());
  RunLoop::Timer stopped = this->d.loop().startTimer(this->units(1), [&] { fired += 100; });
  stopped.stop();
  EXPECT_FALSE(stopped.isValid());
  this->d.loop().startTimer(this->units(1), [&] { fired += 100; });  // its handle dropped at once
  RunLoop::Timer replaced = this->d.loop().startTimer(this->units(1), [&] { fired += 100; });
  replaced = this->d.loop().startTimer(this->units(4), [&] { fired += 10; });
  this->runPast(5);
  EXPECT_EQ(fired, 11);
  EXPECT_FALSE(timer.isValid());
  EXPECT_FALSE(replaced.isValid());
}

TYPED_TEST(RunLoopBehaviourTest, InvokeOnMainAndWaitRunsOnTheMainThreadAndBlocksTheCaller) {
  EXPECT_TRUE(this->d.loop().isMainThread());
  int direct = 0;
  this->d.loop().invokeOnMainAndWait([&] { ++direct; });
  EXPECT_EQ(direct, 1);  // on the main thread it runs at once

  std::atomic<bool> workerIsMain = true;
  std::atomic<bool> ranBeforeReturn = false;
  std::atomic<bool> ranOnMain = false;
  std::thread::id ranOn;
  std::thread worker([&] {
    workerIsMain = this->d.loop().isMainThread();
    bool ran = false;
    this->d.loop().invokeOnMainAndWait([&] {
      ranOn = std::this_thread::get_id();
      ran = true;
      ranOnMain = true;
    });
    ranBeforeReturn = ran;
  });
  EXPECT_TRUE(this->d.runUntil([&] { return ranOnMain.load(); }));
  worker.join();
  EXPECT_FALSE(workerIsMain);
  EXPECT_TRUE(ranBeforeReturn);
  EXPECT_EQ(ranOn, std::this_thread::get_id());
}

}  // namespace
}  // namespace platform
