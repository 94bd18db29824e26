#include "ads/Utility/TADIdentifierUtilities.h"

#include <gtest/gtest.h>

#include "platform/sim/SimPlatform.h"

namespace {

TEST(TADIdentifierUtilitiesTest, ReadsTheSystemVersionPieceByPiece) {
  platform::sim::SimPlatform platform;
  auto& utilities = TADIdentifierUtilities::sharedInstance();
  auto version = [&](const char* text) {
    platform.device().setSystemVersion(text);
    int32_t major = -1, minor = -1, bugFix = -1;
    utilities.getOSMajor(&major, &minor, &bugFix);
    return std::to_string(major) + "/" + std::to_string(minor) + "/" + std::to_string(bugFix);
  };
  EXPECT_EQ(version("4.3"), "4/3/0");
  EXPECT_EQ(version("5"), "5/0/0");
  EXPECT_EQ(version("4.2.1b"), "4/2/1");
  EXPECT_EQ(version(""), "0/0/0");
  EXPECT_EQ(version("x.7"), "0/7/0");

  platform.device().setSystemVersion("4.0");
  EXPECT_TRUE(utilities.isOSAtLeastMajor(4, 0, 0));
  platform.device().setSystemVersion("4.3.1");
  EXPECT_TRUE(utilities.isOSAtLeastMajor(4, 0, 0));
  platform.device().setSystemVersion("3.2.1");
  EXPECT_FALSE(utilities.isOSAtLeastMajor(4, 0, 0));
  EXPECT_TRUE(utilities.isOSAtLeastMajor(3, 2, 1));
  EXPECT_FALSE(utilities.isOSAtLeastMajor(3, 2, 2));
}

}  // namespace
