#include "ads/Statistics/TADStatistics.h"

#include <gtest/gtest.h>

#include "platform/sim/SimPlatform.h"
#include "signals/TADSignals.h"
#include "signals/TADSignalsTesting.h"
#include "tests/support/LibraryStateGuard.h"

namespace {

class TADStatisticsTest : public ::testing::Test {
 protected:
  platform::sim::SimPlatform platform;
  test_support::LibraryStateGuard state;
  TADStatistics& statistics = TADStatistics::sharedStatistics();

  void wait(double seconds) { platform.runLoop().advance(seconds); }
  base::URL url(const char* text) { return *base::URL::fromString(text); }
  std::vector<std::string> keys(const base::Dictionary& d) {
    std::vector<std::string> names;
    for (const auto& [key, value] : d)
      names.emplace_back(key);
    std::sort(names.begin(), names.end());
    return names;
  }
};

TEST_F(TADStatisticsTest, AFirstRequestReportsTheSessionTheCountAndTheTimeSinceIt) {
  statistics.startTimingNamed("ptime");
  EXPECT_EQ(statistics.incrementAdRequestCount(), 1);
  wait(2);
  base::Dictionary report = statistics.parameters();
  EXPECT_EQ(keys(report), (std::vector<std::string>{"preqs", "ptime", "session_id"}));
  EXPECT_EQ(*report.find("preqs"), base::Value(1));
  EXPECT_EQ(*report.find("ptime"), base::Value("2000"));
  EXPECT_EQ(report.find("session_id")->toInt64(), statistics.sessionId());
  wait(1);
  EXPECT_EQ(*statistics.parameters().find("ptime"), base::Value("3000"));  // never cleared
}

TEST_F(TADStatisticsTest, AClickIsReportedOnceWithItsTimingsTicketAndCounts) {
  statistics.startTimingNamed("prl");
  wait(0.5);
  statistics.endTimingNamed("prl");
  statistics.startTimingNamed("ppcl");
  wait(3);
  signals::setClockForTesting([] { return 5.0; });
  signals::setStackTraceForTesting([] { return std::string("frame"); });
  base::URL opened = statistics.urlForClick(url("http://ads.talvik.test/aclk?ai=Xy%20z&u=1#f"));
  std::string signal;
  ASSERT_TRUE(tad_gmcs("Xy%20z", signal));  // the same state, time and stack: the same text
  signals::setStackTraceForTesting({});
  signals::setClockForTesting({});
  EXPECT_FALSE(signal.empty());
  EXPECT_EQ(opened.absoluteString(), "http://ads.talvik.test/aclk?ai=Xy%20z&u=1&" + signal + "#f");
  statistics.addClickTrackingURL(url("http://t.talvik.test/pit/TICKET-1"));
  statistics.startTimingNamed("plpl");
  wait(1);
  statistics.endTimingNamed("plpl");
  statistics.startTimingNamed("plpd");
  statistics.incrementPageNavigationCount();
  statistics.incrementSSLPageNavigationCount();
  statistics.setBreakOutToSafari();
  wait(4);
  statistics.endTimingNamed("plpd");
  statistics.endTimingNamed("pcl");

  base::Dictionary report = statistics.parameters();
  EXPECT_EQ(keys(report),
            (std::vector<std::string>{"pai", "pcbo", "pcc", "pcl", "pcrl", "pit", "plpd", "plpl",
                                      "plpnc", "plpsnc", "ppcl", "prl", "session_id"}));
  EXPECT_EQ(*report.find("pai"), base::Value("Xy%20z"));     // raw
  EXPECT_EQ(*report.find("pit"), base::Value("/TICKET-1"));  // the path less its first four
  EXPECT_EQ(*report.find("pcl"), base::Value("5000"));
  EXPECT_EQ(*report.find("ppcl"), base::Value("3000"));
  EXPECT_EQ(*report.find("prl"), base::Value("500"));
  EXPECT_EQ(*report.find("pcc"), base::Value(1));
  EXPECT_EQ(keys(statistics.parameters()), (std::vector<std::string>{"session_id"}));
}

// A pre-click time without a click is dropped unreported.
TEST_F(TADStatisticsTest, MessagesAndBlankPagesAreNotClicksAndClicksWithoutAValueHaveNoSignals) {
  statistics.startTimingNamed("ppcl");
  for (const char* text : {"gmsg://x/click?ai=1", "norvak://x", "about:blank"})
    EXPECT_EQ(statistics.urlForClick(url(text)).absoluteString(), text);
  EXPECT_EQ(statistics.timingNamed("pcl"), nullptr);
  base::Dictionary report = statistics.parameters();
  EXPECT_FALSE(report.contains("pcc") || report.contains("ppcl"));
  EXPECT_EQ(statistics.timingNamed("ppcl"), nullptr);

  base::URL plain = url("http://a/click?ai=&x=1");
  EXPECT_EQ(statistics.urlForClick(plain), plain);
  EXPECT_EQ(statistics.timingNamed("pcl")->valueForKey("pai"), nullptr);
  EXPECT_EQ(*statistics.parameters().find("pcc"), base::Value(1));
}

TEST_F(TADStatisticsTest, TicketsComeOnlyFromTheNetworksOwnPathsOfFiveOrMore) {
  statistics.urlForClick(url("http://a/click?ai=1"));
  statistics.addClickTrackingURL(url("http://evil.example/pit/x"));
  statistics.addClickTrackingURL(url("http://t.talvik.test/abc"));
  EXPECT_EQ(statistics.timingNamed("pcl")->valueForKey("pit"), nullptr);
  statistics.addClickTrackingURL(url("http://t.talvik.test/abcde"));
  EXPECT_EQ(*statistics.timingNamed("pcl")->valueForKey("pit"), base::Value("de"));
}

TEST_F(TADStatisticsTest, ABackgroundedClickReportsTheWallClockTimeSinceTheClick) {
  statistics.urlForClick(url("http://a/click?ai=1"));
  statistics.setClickBackgroundedApp();
  wait(7.25);
  base::Dictionary report = statistics.parameters();
  EXPECT_EQ(*report.find("pcl"), base::Value(7250));
  EXPECT_EQ(*report.find("pclb"), base::Value(1));
  EXPECT_FALSE(report.contains("date"));
}

TEST_F(TADStatisticsTest, TheStoreKeepsOnlyValuesOfTheNamedKind) {
  TADStatisticsCore core = TADStatisticsCore::initWithIdentifier("TADObjectPrivate");
  EXPECT_EQ(core.addValue(5, "fresh"), 5);
  core.setNumber(base::Value("text"), "fresh");
  EXPECT_EQ(*core.objectForKey("fresh"), base::Value(5));
  core.setDate(base::Value(3), "expireDate");
  EXPECT_EQ(core.objectForKey("expireDate"), nullptr);
  core.setDate(platform.clock().now(), "expireDate");
  core.synchronize();
  TADStatisticsCore reloaded = TADStatisticsCore::initWithIdentifier("TADObjectPrivate");
  EXPECT_EQ(*reloaded.objectForKey("expireDate"), base::Value(platform.clock().now()));
  EXPECT_TRUE(platform.userDefaults().objectForKey("talvik_stats_TADObjectPrivate"));
}

TEST_F(TADStatisticsTest, ThePendingReportIsTheReportLeftForTheNextRequest) {
  statistics.urlForClick(url("http://a/click?ai=1"));
  wait(2);
  base::Dictionary pending = statistics.pendingParameters();
  EXPECT_EQ(*pending.find("pcc"), base::Value(1));
  EXPECT_EQ(*pending.find("pcl"), base::Value("2000"));
  EXPECT_EQ(statistics.pendingParameters(), pending);
  EXPECT_EQ(statistics.parameters(), pending);
  EXPECT_FALSE(statistics.pendingParameters().contains("pcc"));
}

}  // namespace
