#include "ads/Request/TADRequestPrivate.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <map>
#include <optional>

#include "ads/Device/TADIdentifierUtilities.h"
#include "ads/Device/TADLocation.h"
#include "ads/Network/TADNetworkChecker.h"
#include "ads/Request/TADRequestError.h"
#include "ads/Statistics/TADStatistics.h"
#include "platform/sim/SimPlatform.h"
#include "tests/ads/StandInContributors.h"
#include "tests/support/LibraryStateGuard.h"

namespace {

class TADRequestTest : public ::testing::Test {
 protected:
  platform::sim::SimPlatform platform;
  ScopedStandIns standIns;
  StandInContributors& sources = *standIns.contributors;
  std::shared_ptr<TADRequestPrivate> request =
      std::static_pointer_cast<TADRequestPrivate>(TADRequest::request());
};

TEST_F(TADRequestTest, ADefaultRequestCarriesOnlyTheContributedKeysTheVersionAndTheCounter) {
  sources.device = {{"u_so", "p"}, {"js", "from-device"}};
  sources.network = "wi";
  sources.statistics = {{"stats_key", 3}};
  request->setCounter(7);
  base::Dictionary parameters = request->parameters();
  std::vector<std::string> keys;
  for (const auto& [key, value] : parameters)
    keys.emplace_back(key);
  EXPECT_EQ(keys, (std::vector<std::string>{"u_so", "js", "net", "stats_key", "preqs"}));
  EXPECT_EQ(*parameters.find("js"), base::Value("avmo-sdk-i-v4.1.1"));  // the version wins
  EXPECT_EQ(*parameters.find("preqs"), base::Value(7));
  EXPECT_EQ(TADRequest::sdkVersion(), "avmo-sdk-i-v4.1.1");

  sources.network.reset();
  EXPECT_FALSE(request->parameters().contains("net"));
}

TEST_F(TADRequestTest, EveryBuildTakesThePendingStatisticsReportAndLetsItOverrideTargeting) {
  request->setGender(1);
  sources.statistics = {{"cust_gender", "from-stats"}, {"preqs", 99}};
  base::Dictionary first = request->parameters();
  EXPECT_EQ(*first.find("cust_gender"), base::Value("from-stats"));
  EXPECT_EQ(*first.find("preqs"), base::Value(0));  // the counter is always last
  base::Dictionary second = request->parameters();
  EXPECT_EQ(*second.find("cust_gender"), base::Value("m"));
  EXPECT_EQ(sources.statisticsTaken, 2);
}

TEST_F(TADRequestTest, TargetingHintsBecomeTheirKeys) {
  auto extras = std::make_shared<base::Dictionary>(base::Dictionary{{"color", "blue"}});
  request->setAdditionalParameters(extras);
  request->setGender(2);
  request->setBirthdayWithMonth(7, 4, 1990);
  request->addKeyword("a");
  request->addKeyword("");
  request->addKeyword("a");
  base::Dictionary parameters = request->parameters();
  EXPECT_EQ(*parameters.find("extras"), base::Value(*extras));
  EXPECT_EQ(*parameters.find("cust_gender"), base::Value("f"));
  EXPECT_EQ(*parameters.find("cust_age"), base::Value("19900704"));
  EXPECT_EQ(*parameters.find("kw"), base::Value(base::Array{"a", "a"}));

  request->setGender(3);
  request->setKeywords(std::make_shared<TADRequest::Keywords>());
  parameters = request->parameters();
  EXPECT_FALSE(parameters.contains("cust_gender"));
  EXPECT_EQ(*parameters.find("kw"), base::Value(base::Array{}));  // present even when empty
}

TEST_F(TADRequestTest, TheBirthdayIsTheSameCalendarDayInAnyTimeZone) {
  const char* current = std::getenv("TZ");
  const std::optional<std::string> saved =
      current ? std::optional<std::string>(current) : std::nullopt;
  for (const char* zone : {"UTC", "America/Los_Angeles", "Pacific/Kiritimati", "Asia/Kolkata"}) {
    setenv("TZ", zone, 1);
    tzset();
    request->setBirthdayWithMonth(7, 4, 1990);
    EXPECT_EQ(request->birthdayString(), "19900704") << zone;
    request->setBirthdayWithMonth(2, 29, 2000);
    EXPECT_EQ(request->birthdayString(), "20000229") << zone;
  }
  saved ? setenv("TZ", saved->c_str(), 1) : unsetenv("TZ");
  tzset();
}

TEST_F(TADRequestTest, TheOldTestSwitchWarnsOnEveryBuildWhileTestDevicesDoNot) {
  request->setTesting(true);
  EXPECT_EQ(*request->parameters().find("testing"), base::Value("1"));
  request->parameters();
  const std::string line =
      "<Talvik> \"testing\" property has been deprecated.  Use \"testDevices\" instead.";
  EXPECT_EQ(platform.console().lines(), (std::vector<std::string>{line, line}));

  platform.console().clear();
  request->setTesting(false);
  request->setTestDevices(std::vector<std::string>{"other", platform.device().uniqueIdentifier()});
  base::Dictionary parameters = request->parameters();
  EXPECT_EQ(*parameters.find("adtest"), base::Value("on"));
  EXPECT_FALSE(parameters.contains("testing"));
  EXPECT_TRUE(platform.console().lines().empty());

  request->setTestDevices(std::vector<std::string>{"other"});
  EXPECT_FALSE(request->parameters().contains("adtest"));
  request->setTestDevices(std::vector<std::string>{});
  EXPECT_FALSE(request->parameters().contains("adtest"));
}

TEST_F(TADRequestTest, ACopySharesTheKeywordListOnceThereIsOneButNotTheCounter) {
  request->setCounter(5);
  request->setInterstitialAd(true);
  auto early = std::static_pointer_cast<TADRequestPrivate>(request->copy());
  early->addKeyword("only-in-copy");
  EXPECT_EQ(request->keywords(), nullptr);  // the copy made its own list

  request->addKeyword("first");
  auto copy = std::static_pointer_cast<TADRequestPrivate>(request->copy());
  copy->addKeyword("through-copy");
  request->addKeyword("through-source");
  EXPECT_EQ(*request->keywords(),
            (TADRequest::Keywords{"first", "through-copy", "through-source"}));
  EXPECT_EQ(copy->keywords(), request->keywords());
  EXPECT_EQ(copy->counter(), 0);
  EXPECT_TRUE(copy->isInterstitialAd());

  request->setTesting(true);
  request->setGender(1);
  EXPECT_FALSE(copy->isTesting());  // plain fields are not shared
  EXPECT_EQ(copy->gender(), 0);
}

// Only the privacy signals that are set reach the page script, each under its own key; a copy of
// the request carries them all.
TEST_F(TADRequestTest, OnlyThePrivacySignalsSetBecomeParameters) {
  using Keys = std::map<std::string, std::string>;
  const std::optional<bool> unset;
  const std::optional<std::string> none;
  const std::pair<TADPrivacySignals, Keys> cases[] = {
      {{}, {}},
      {{true, none, none, unset}, {{"cns_reg", "1"}}},
      {{false, "ads,measure", none, unset}, {{"cns_reg", "0"}, {"cns", "ads,measure"}}},
      {{unset, none, "choices-7", unset}, {{"usp", "choices-7"}}},
      {{unset, none, none, false}, {{"cdt", "0"}}},
      {{true, "", "x", true}, {{"cns_reg", "1"}, {"cns", ""}, {"usp", "x"}, {"cdt", "1"}}},
  };
  for (const auto& [signals, keys] : cases) {
    SCOPED_TRACE(::testing::PrintToString(keys));
    request->setPrivacySignals(signals);
    base::Dictionary parameters = request->parameters();
    for (const char* key : {"cns_reg", "cns", "usp", "cdt"}) {
      auto expected = keys.find(key);
      if (expected == keys.end()) {
        EXPECT_FALSE(parameters.contains(key)) << key;
      } else {
        EXPECT_EQ(*parameters.find(key), base::Value(expected->second)) << key;
      }
    }
    EXPECT_EQ(request->copy()->privacySignals(), signals);
  }
}

// Which locations are precise or described is the location's own rule.
TEST_F(TADRequestTest, ALocationThatIsNotPreciseOrNotDescribedReplacesTheOldOneWithNone) {
  request->setLocationWithDescription("Mountain View, CA");
  EXPECT_EQ(request->location()->description(), "Mountain View, CA");
  request->setLocationWithLatitude(91, 10, 5);
  EXPECT_EQ(request->location(), nullptr);
  request->setLocationWithDescription("Mountain View, CA");
  request->setLocationWithDescription("");
  EXPECT_EQ(request->location(), nullptr);
}

// Request types are matched exactly; a signal text gives at most one pair.
TEST_F(TADRequestTest, RequestTypesAndSignalTextsAreReadExactly) {
  EXPECT_EQ(TADRequestPrivate::requestTypeFromString("norvak"), 4);
  EXPECT_EQ(TADRequestPrivate::requestTypeFromString("qvm"), 5);
  EXPECT_EQ(TADRequestPrivate::requestTypeFromString("sentrel"), 1);
  EXPECT_EQ(TADRequestPrivate::requestTypeFromString("Norvak"), 0);
  EXPECT_EQ(TADRequestPrivate::requestTypeFromString(std::nullopt), 0);
  EXPECT_EQ(TADRequestPrivate::signalPairFromText("k=v=w"), (base::Dictionary{{"k", "v"}}));
  for (const char* text : {"k=", "k", ""})
    EXPECT_TRUE(TADRequestPrivate::signalPairFromText(text).empty()) << text;
}

TEST(TADRequestDeviceKeysTest, ADefaultRequestGathersTheLibrarysOwnSourcesAndConsumesTheReport) {
  platform::sim::SimPlatform platform;
  test_support::LibraryStateGuard state;
  TADIdentifierUtilities::sharedInstance().resetForTesting();
  TADNetworkChecker& checker = TADNetworkChecker::sharedChecker();
  checker.setEnabled(false);  // watch through this test's platform
  checker.setEnabled(true);
  auto request = std::static_pointer_cast<TADRequestPrivate>(TADRequest::request());
  EXPECT_FALSE(request->parameters().contains("net"));  // nothing reported yet

  platform.reachability().report(platform::ReachabilityTarget::kFlagReachable);
  platform.runLoop().runUntilIdle();
  TADStatistics& statistics = TADStatistics::sharedStatistics();
  statistics.incrementAdRequestCount();
  statistics.startTimingNamed("ptime");
  statistics.urlForClick(*base::URL::fromString("http://ads.talvik.test/aclk?ai=Q"));
  // An invalid-request error's parameters are built as the request's, and take the report along.
  auto error = TADRequestError::errorWithCode(0, request.get());
  const base::Dictionary& first = error->userInfo();
  EXPECT_TRUE(first.contains("platform") && first.contains("u_w") && first.contains("app_name"));
  EXPECT_EQ(*first.find("net"), base::Value("wi"));
  EXPECT_TRUE(first.contains("session_id") && first.contains("ptime") && first.contains("pcc") &&
              first.contains("pai") && first.contains("pcl"));

  EXPECT_FALSE(request->parameters().contains("pcc"));
}

}  // namespace
