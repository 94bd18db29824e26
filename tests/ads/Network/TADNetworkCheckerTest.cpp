#include "ads/Network/TADNetworkChecker.h"

#include <gtest/gtest.h>

#include "platform/sim/SimPlatform.h"

namespace {

using platform::ReachabilityTarget;

class TADNetworkCheckerTest : public ::testing::Test {
 protected:
  platform::sim::SimPlatform platform;
  TADNetworkChecker checker;

  void report(uint32_t flags) {
    platform.reachability().report(flags);
    platform.runLoop().runUntilIdle();
  }
};

TEST_F(TADNetworkCheckerTest, SaysNothingUntilTheFirstReportThenReadsTheReachableAndCellularBits) {
  checker.setEnabled(true);
  EXPECT_TRUE(checker.isEnabled());
  EXPECT_EQ(platform.reachability().createdHosts(), (std::vector<std::string>{"www.example.com"}));
  EXPECT_EQ(checker.networkTypeString(), std::nullopt);
  platform.reachability().report(ReachabilityTarget::kFlagReachable);
  EXPECT_EQ(checker.networkTypeString(), std::nullopt);  // reports arrive on the run loop
  platform.runLoop().runUntilIdle();
  EXPECT_EQ(checker.networkTypeString(), "wi");

  report(ReachabilityTarget::kFlagReachable | ReachabilityTarget::kFlagIsWWAN);
  EXPECT_EQ(checker.networkTypeString(), "ed");
  report(ReachabilityTarget::kFlagIsWWAN | 0xFFFD);  // everything but the reachable bit
  EXPECT_EQ(checker.networkType(), TADNetworkChecker::kNetworkTypeNotReachable);
  EXPECT_EQ(checker.networkTypeString(), std::nullopt);
  report(ReachabilityTarget::kFlagReachable);
  EXPECT_EQ(checker.networkTypeString(), "wi");
  EXPECT_EQ(checker.changeCount(), 4u);
}

TEST_F(TADNetworkCheckerTest, SwitchingOnTwiceChangesNothingAndRestartingKeepsTheCount) {
  checker.setEnabled(true);
  report(ReachabilityTarget::kFlagReachable);
  checker.setEnabled(true);
  EXPECT_EQ(checker.networkTypeString(), "wi");
  EXPECT_EQ(platform.reachability().createdHosts().size(), 1u);
  checker.stopNetworkChecking();
  EXPECT_FALSE(checker.isEnabled());
  EXPECT_EQ(platform.reachability().scheduledTargetCount(), 0u);
  checker.startNetworkChecking();
  EXPECT_EQ(checker.networkType(), TADNetworkChecker::kNetworkTypeUnknown);
  EXPECT_EQ(checker.changeCount(), 1u);
}

TEST_F(TADNetworkCheckerTest, StaysOffQuietlyWhenThePlatformCannotWatch) {
  platform.reachability().setCanCreateTargets(false);
  checker.setEnabled(true);
  EXPECT_FALSE(checker.isEnabled());
  report(ReachabilityTarget::kFlagReachable);
  EXPECT_EQ(checker.changeCount(), 0u);
  platform.reachability().setCanCreateTargets(true);
  checker.setEnabled(true);  // a later try may succeed
  EXPECT_TRUE(checker.isEnabled());
}

TEST_F(TADNetworkCheckerTest, AReportPendingWhenTheCheckerGoesIsDropped) {
  auto shortLived = std::make_unique<TADNetworkChecker>();
  shortLived->setEnabled(true);
  platform.reachability().report(ReachabilityTarget::kFlagReachable);
  shortLived.reset();
  platform.runLoop().runUntilIdle();  // must not reach the destroyed checker
  EXPECT_EQ(platform.reachability().scheduledTargetCount(), 0u);
}

}  // namespace
