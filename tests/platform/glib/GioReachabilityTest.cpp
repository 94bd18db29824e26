// Reachability through GIO's network monitor on the machine the tests run on. Whether a host can
// be reached depends on that machine, so these tests look at when reports come, not what they say.

#include "platform/glib/GioReachability.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/glib/GlibRunLoop.h"

namespace platform::glib {
namespace {

constexpr uint32_t kKnownFlags =
    ReachabilityTarget::kFlagReachable | ReachabilityTarget::kFlagIsWWAN;

class GioReachabilityTest : public ::testing::Test {
 protected:
  std::unique_ptr<ReachabilityTarget> watch(const char* host) {
    auto target = reachability_.makeTarget(host);
    EXPECT_TRUE(target);
    if (target) target->setCallback([this](uint32_t flags) { reports_.push_back(flags); });
    return target;
  }

  GlibRunLoop loop_;
  GioReachability reachability_{loop_.context()};
  std::vector<uint32_t> reports_;
};

TEST_F(GioReachabilityTest, AScheduledTargetReportsOnTheMainLoopAndAgainWhenRescheduled) {
  auto target = watch("localhost");
  ASSERT_TRUE(target);
  ASSERT_TRUE(target->scheduleWithRunLoop());
  EXPECT_TRUE(reports_.empty()) << "a report came before the loop ran";

  ASSERT_TRUE(loop_.runUntil([this] { return !reports_.empty(); }, 5));
  EXPECT_EQ(reports_[0] & ~kKnownFlags, 0u);
  target->unscheduleFromRunLoop();
  target->scheduleWithRunLoop();
  ASSERT_TRUE(loop_.runUntil([this] { return reports_.size() == 2; }, 5));
}

TEST_F(GioReachabilityTest, AHostThatDoesNotResolveReportsNotReachableAndNoHostIsNoTarget) {
  auto target = watch("no-such-host.invalid");
  ASSERT_TRUE(target);
  target->scheduleWithRunLoop();
  ASSERT_TRUE(loop_.runUntil([this] { return !reports_.empty(); }, 10));
  EXPECT_EQ(reports_[0] & ReachabilityTarget::kFlagReachable, 0u);
  EXPECT_EQ(reachability_.makeTarget(""), nullptr);  // no host: nothing to watch
}

TEST_F(GioReachabilityTest, NoReportArrivesAfterUnschedulingOrDestruction) {
  auto unscheduled = watch("localhost");
  auto destroyed = watch("localhost");
  ASSERT_TRUE(unscheduled && destroyed);
  unscheduled->scheduleWithRunLoop();
  destroyed->scheduleWithRunLoop();
  unscheduled->unscheduleFromRunLoop();
  destroyed.reset();

  // A control target scheduled last answers after the others would have.
  auto control = reachability_.makeTarget("localhost");
  bool controlReported = false;
  control->setCallback([&](uint32_t) { controlReported = true; });
  control->scheduleWithRunLoop();
  ASSERT_TRUE(loop_.runUntil([&] { return controlReported; }, 5));
  loop_.runFor(0.2);
  EXPECT_TRUE(reports_.empty());
}

}  // namespace
}  // namespace platform::glib
