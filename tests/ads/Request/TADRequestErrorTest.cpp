#include "ads/Request/TADRequestError.h"

#include <gtest/gtest.h>

#include "ads/Request/TADRequestPrivate.h"
#include "ads/Statistics/TADStatistics.h"
#include "platform/sim/SimPlatform.h"
#include "tests/ads/StandInContributors.h"

namespace {

class TADRequestErrorTest : public ::testing::Test {
 protected:
  ~TADRequestErrorTest() override { TADStatistics::releaseSharedStatistics(); }

  platform::sim::SimPlatform platform;
  ScopedStandIns standIns;
};

// The errors the banner's delegate hears.
TEST_F(TADRequestErrorTest, EveryCodeHasItsTextUnderBothKeys) {
  platform.device().setSystemVersion("2.2.1");
  const std::pair<int64_t, const char*> expected[] = {
      {0, "Invalid ad request parameter(s).  Check the Xcode console for details."},
      {1, "No ad to show."},
      {2, "A network error occurred."},
      {3, "Server error processing the request."},
      {4, "This device's OS is 2.2.1.  It is below the minimum of 3.0."},
      {5, "The Talvik Ad request was unable to be fulfilled before a timeout occurred."},
      {9, "Invalid ad request parameter(s).  Check the Xcode console for details."},
      {-1, "Invalid ad request parameter(s).  Check the Xcode console for details."},
  };
  for (const auto& [code, text] : expected) {
    auto error = TADRequestError::errorWithCode(code, nullptr);
    EXPECT_EQ(error->code(), code);
    EXPECT_EQ(error->domain(), kTADErrorDomain);
    EXPECT_EQ(error->localizedDescription(), std::string("Request Error: ") + text) << code;
    EXPECT_EQ(error->localizedFailureReason(), error->localizedDescription());
  }
}

TEST_F(TADRequestErrorTest, OnlyAnInvalidRequestErrorCarriesTheParameters) {
  standIns.contributors->statistics = {{"stat", 1}};
  auto request = TADRequest::request();
  request->setGender(1);
  auto invalid = TADRequestError::errorWithCode(TADRequestErrorInvalidRequest, request.get());
  EXPECT_EQ(*invalid->userInfo().find("cust_gender"), base::Value("m"));
  EXPECT_EQ(*invalid->userInfo().find("js"), base::Value("avmo-sdk-i-v4.1.1"));
  EXPECT_TRUE(invalid->userInfo().contains("stat"));
  // Built as for sending, the parameters take the pending report with them.
  EXPECT_EQ(standIns.contributors->statisticsTaken, 1);
  EXPECT_TRUE(standIns.contributors->statistics.empty());

  auto other = TADRequestError::errorWithCode(9, request.get());
  EXPECT_EQ(other->userInfo().size(), 2u);
  EXPECT_EQ(standIns.contributors->statisticsTaken, 1);
}

}  // namespace
