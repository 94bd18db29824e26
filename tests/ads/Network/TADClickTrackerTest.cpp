#include "ads/Network/TADClickTracker.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "ads/Request/TADRequestError.h"
#include "ads/Statistics/TADStatistics.h"
#include "platform/net/URLError.h"
#include "platform/sim/SimPlatform.h"
#include "tests/support/LibraryStateGuard.h"
#include "tests/support/TemporaryFolder.h"

namespace {

using Reply = platform::sim::SimURLLoading::Reply;

constexpr const char* kClick = "http://t.talvik.test/pit/TICKET-7";

class RecordingTrackerDelegate : public TADClickTrackerDelegate {
 public:
  std::vector<std::string> events;
  std::optional<base::Error> lastError;

  void trackerDidFailWithError(TADClickTracker&, const std::optional<base::Error>& error) override {
    lastError = error;
    events.push_back(error ? "fail " + error->domain() : "fail");
  }
  void trackerDidRedirect(TADClickTracker&, const base::URL& url) override {
    events.push_back("redirect " + url.absoluteString());
  }
};

class TADClickTrackerTest : public ::testing::Test {
 protected:
  TADClickTrackerTest() {
    platform_.setCachesDirectory(caches_.path());
    tracker_->setDelegate(delegate_);
  }

  platform::sim::SimURLLoading& server() { return platform_.urlLoading(); }
  void run() { platform_.runLoop().runUntilIdle(); }
  static base::URL url(const char* text) { return *base::URL::fromString(text); }
  std::optional<base::Value> clickTicket() {
    auto timing = TADStatistics::sharedStatistics().timingNamed("pcl");
    const base::Value* ticket = timing ? timing->valueForKey("pit") : nullptr;
    return ticket ? std::optional(*ticket) : std::nullopt;
  }

  platform::sim::SimPlatform platform_;
  test_support::LibraryStateGuard state_;
  test_support::TemporaryFolder caches_;
  std::shared_ptr<RecordingTrackerDelegate> delegate_ =
      std::make_shared<RecordingTrackerDelegate>();
  std::shared_ptr<TADClickTracker> tracker_ = TADClickTracker::init();
};

TEST_F(TADClickTrackerTest, ARedirectToAnotherSchemeEndsTheTrackingAsSuccessWithoutRequestingIt) {
  TADStatistics::sharedStatistics().urlForClick(url("http://a.example/click?ai=1"));
  server().route(kClick, Reply::redirect("http://t.talvik.test/hop"));
  server().route("http://t.talvik.test/hop", Reply::redirect("https://store.example/app"));
  server().route("https://store.example/app", Reply::redirect("itms://x"));
  tracker_->trackURL(url(kClick));
  run();

  EXPECT_EQ(delegate_->events, std::vector<std::string>{"redirect itms://x"});
  EXPECT_EQ(tracker_->trackingURL()->absoluteString(), "itms://x");
  EXPECT_TRUE(tracker_->hasTracked());
  EXPECT_EQ(server().sentRequests().size(), 3u);
  // The statistics keep the ticket of the address tracked, not of where it led.
  EXPECT_EQ(clickTicket(), base::Value("/TICKET-7"));
  EXPECT_EQ(platform_.application().activeBackgroundTaskCount(), 0u);
}

TEST_F(TADClickTrackerTest, AnHTTPAnswerIsSuccessButAnUnwelcomeStatusOrAConnectionErrorFails) {
  server().route(kClick, Reply::redirect("https://landing.example/"));
  server().route("https://landing.example/", Reply::ok("<html></html>"));
  tracker_->trackURL(url(kClick));
  run();
  EXPECT_EQ(delegate_->events, std::vector<std::string>{"redirect https://landing.example/"});

  delegate_->events.clear();
  server().route(kClick, Reply::withStatus(404));
  tracker_->trackURL(url(kClick));
  run();
  EXPECT_EQ(delegate_->events, std::vector<std::string>{"fail"});
  EXPECT_TRUE(tracker_->hasTracked());
  EXPECT_EQ(clickTicket(), std::nullopt);

  server().route(kClick, Reply::fail(platform::URLError::CannotConnectToHost));
  tracker_->trackURL(url(kClick));
  EXPECT_FALSE(tracker_->hasTracked());
  run();
  EXPECT_EQ(delegate_->events, (std::vector<std::string>{"fail", "fail NSURLErrorDomain"}));
}

// A server that never answers, and one that keeps the connection alive a byte at a time, hold a
// tracking no longer than its time limit; it goes as background traffic either way.
TEST_F(TADClickTrackerTest, ATrackingNotEndedWithinItsTimeLimitIsDroppedAsTimedOut) {
  const double kLimit = TADClickTracker::kTimeLimit;
  const Reply hanging[] = {Reply::unanswered(), Reply::ok(std::string(1000, 'x')).inPieces(1, 1)};
  for (const Reply& reply : hanging) {
    delegate_->events.clear();
    server().route(kClick, reply);
    tracker_->trackURL(url(kClick));
    platform_.runLoop().advance(kLimit - 0.5);
    EXPECT_EQ(delegate_->events, std::vector<std::string>{});
    platform_.runLoop().advance(1);
    EXPECT_EQ(delegate_->events, std::vector<std::string>{"fail NSURLErrorDomain"});
    EXPECT_EQ(delegate_->lastError->code(), platform::URLError::TimedOut);
    EXPECT_EQ(server().activeConnectionCount(), 0u);
    EXPECT_EQ(server().sentRequests().back().networkServiceType(),
              platform::URLRequest::NetworkServiceType::Background);
  }
}

TEST_F(TADClickTrackerTest, ANewTrackingDropsTheRunningOneSilently) {
  server().route("http://a.example/slow", Reply::ok("x").after(5));
  server().route(kClick, Reply::ok("y"));
  tracker_->trackURL(url("http://a.example/slow"));
  run();
  tracker_->trackURL(url(kClick));
  platform_.runLoop().advance(10);
  EXPECT_EQ(delegate_->events, std::vector<std::string>{"redirect " + std::string(kClick)});
  EXPECT_EQ(server().activeConnectionCount(), 0u);
  EXPECT_EQ(platform_.application().activeBackgroundTaskCount(), 0u);
}

TEST_F(TADClickTrackerTest, HoldsABackgroundTaskWhileTrackingAndResetsWhenItExpires) {
  server().route(kClick, Reply::ok("x").after(30));
  tracker_->trackURL(url(kClick));
  EXPECT_EQ(platform_.application().activeBackgroundTaskCount(), 1u);
  EXPECT_FALSE(TADClickTracker::activeTrackings());

  platform_.application().expireBackgroundTasks();
  EXPECT_EQ(platform_.application().activeBackgroundTaskCount(), 0u);
  EXPECT_FALSE(tracker_->trackingURL());
  platform_.runLoop().advance(60);
  EXPECT_TRUE(delegate_->events.empty());
}

TEST_F(TADClickTrackerTest, WithoutBackgroundTasksTheProcessWideCountShowsRunningTrackings) {
  platform_.application().setSupportsBackgroundTasks(false);
  server().route(kClick, Reply::ok("x").after(1));
  auto other = TADClickTracker::init();
  tracker_->trackURL(url(kClick));
  other->trackURL(url(kClick));
  EXPECT_TRUE(TADClickTracker::activeTrackings());

  platform_.runLoop().advance(2);
  EXPECT_TRUE(tracker_->hasTracked() && other->hasTracked());
  EXPECT_FALSE(TADClickTracker::activeTrackings());

  // Resetting a finished tracker gives back nothing it no longer holds.
  other->trackURL(url(kClick));
  tracker_->reset();
  tracker_->reset();
  EXPECT_TRUE(TADClickTracker::activeTrackings());
  other.reset();
  EXPECT_FALSE(TADClickTracker::activeTrackings());
}

TEST_F(TADClickTrackerTest, NoURLStartsNothingATrackingKeepsNoBodyAndResetForgetsIt) {
  tracker_->trackURL(std::nullopt);
  EXPECT_FALSE(tracker_->trackingURL());
  EXPECT_EQ(server().createdConnectionCount(), 0u);

  server().route(kClick, Reply::redirect("http://landing.example/"));
  server().route("http://landing.example/", Reply::ok("<html>landing</html>"));
  tracker_->trackURL(url(kClick));
  run();
  ASSERT_TRUE(tracker_->hasTracked());
  EXPECT_TRUE(std::filesystem::is_empty(caches_.path()));
  tracker_->reset();
  EXPECT_FALSE(tracker_->hasTracked());
  EXPECT_FALSE(tracker_->trackingURL());
}

TEST_F(TADClickTrackerTest, ADelegateThatLetsTheTrackerGoInItsCallbackIsSafe) {
  class Dropping : public TADClickTrackerDelegate {
   public:
    std::shared_ptr<TADClickTracker>* owner = nullptr;
    void trackerDidRedirect(TADClickTracker&, const base::URL&) override { owner->reset(); }
  };
  auto dropping = std::make_shared<Dropping>();
  dropping->owner = &tracker_;
  tracker_->setDelegate(dropping);
  server().route(kClick, Reply::redirect("itms://x"));
  tracker_->trackURL(url(kClick));
  run();
  EXPECT_FALSE(tracker_);
  EXPECT_EQ(server().activeConnectionCount(), 0u);
  EXPECT_EQ(platform_.application().activeBackgroundTaskCount(), 0u);
}

}  // namespace
