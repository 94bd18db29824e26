#include "platform/RunLoop.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "platform/sim/SimPlatform.h"

namespace platform {
namespace {

class RunLoopTest : public ::testing::Test {
 protected:
  sim::SimPlatform platform;
  sim::SimRunLoop& loop = platform.runLoop();
  std::vector<std::string> ran;
};

TEST_F(RunLoopTest, RunsDelayedWorkInTimeOrderAndSameTimeWorkInPostingOrder) {
  loop.post(2, nullptr, [&] { ran.push_back("two"); });
  loop.post(0.3, nullptr, [&] { ran.push_back("a"); });
  loop.post(0.3, nullptr, [&] { ran.push_back("b"); });
  loop.post([&] { ran.push_back("now"); });
  EXPECT_TRUE(ran.empty());  // nothing runs until the loop is driven
  loop.runUntilIdle();
  EXPECT_EQ(ran, (std::vector<std::string>{"now"}));
  loop.advance(1);
  EXPECT_EQ(ran, (std::vector<std::string>{"now", "a", "b"}));
  loop.advance(1);
  EXPECT_EQ(ran.back(), "two");
  EXPECT_DOUBLE_EQ(loop.now(), 2);
}

TEST_F(RunLoopTest, WorkPostedByWorkRunsAtItsOwnTimeDuringAnAdvance) {
  double seenAt = -1;
  loop.post(1, nullptr,
            [&] { loop.post(0.5, nullptr, [&] { seenAt = Clock::shared().monotonicSeconds(); }); });
  double start = Clock::shared().monotonicSeconds();
  loop.advance(10);
  EXPECT_DOUBLE_EQ(seenAt - start, 1.5);
}

TEST_F(RunLoopTest, CancellingAnOwnerDropsOnlyItsWork) {
  int mine = 0;
  int other = 0;
  int owner = 0;
  loop.post(1, &owner, [&] { ++mine; });
  loop.post(0, &owner, [&] { ++mine; });
  loop.post(1, nullptr, [&] { ++other; });
  loop.cancel(&owner);
  loop.advance(2);
  EXPECT_EQ(mine, 0);
  EXPECT_EQ(other, 1);
}

TEST_F(RunLoopTest, TimersFireOnceAndStopWhenTheirHandleStopsOrGoes) {
  int fired = 0;
  RunLoop::Timer timer = loop.startTimer(30, [&] { ++fired; });
  EXPECT_TRUE(timer.isValid());
  loop.advance(29.9);
  EXPECT_EQ(fired, 0);
  loop.advance(0.2);
  EXPECT_EQ(fired, 1);
  EXPECT_FALSE(timer.isValid());

  RunLoop::Timer stopped = loop.startTimer(1, [&] { ++fired; });
  stopped.stop();
  {
    RunLoop::Timer dropped = loop.startTimer(1, [&] { ++fired; });
  }
  RunLoop::Timer replaced = loop.startTimer(1, [&] { ++fired; });
  replaced = loop.startTimer(5, [&] { fired += 10; });
  loop.advance(2);
  EXPECT_EQ(fired, 1);
  EXPECT_EQ(loop.pendingTaskCount(), 1u);
  loop.advance(5);
  EXPECT_EQ(fired, 11);
}

TEST_F(RunLoopTest, InvokeOnMainAndWaitRunsOnTheMainThreadAndBlocksTheCaller) {
  int direct = 0;
  loop.invokeOnMainAndWait([&] { ++direct; });
  EXPECT_EQ(direct, 1);  // on the main thread it runs at once

  std::atomic<bool> returned = false;
  std::thread::id ranOn;
  std::thread worker([&] {
    loop.invokeOnMainAndWait([&] { ranOn = std::this_thread::get_id(); });
    returned = true;
  });
  EXPECT_TRUE(loop.runUntil([&] { return ranOn != std::thread::id(); }));
  worker.join();
  EXPECT_TRUE(returned);
  EXPECT_EQ(ranOn, std::this_thread::get_id());
}

}  // namespace
}  // namespace platform
