#include "ads/Opener/TADOpener.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ads/Browser/TADBrowserController.h"
#include "ads/Delegate/TADDelegateManager.h"
#include "ads/Network/TADClickTracker.h"
#include "ads/Notification/TADNotification.h"
#include "ads/Statistics/TADStatistics.h"
#include "ads/Statistics/TADStatisticsParameters.h"
#include "ads/View/TADWebView.h"
#include "ads/WebApp/TADWebAppViewController.h"
#include "platform/sim/SimMailComposerPeer.h"
#include "platform/sim/SimPlatform.h"
#include "platform/sim/SimViewPeer.h"
#include "platform/ui/MailComposeViewController.h"
#include "platform/ui/Window.h"
#include "tests/ads/Object/AdObjectFixture.h"
#include "tests/ads/RecordingOpener.h"
#include "tests/ads/ViewController/ScreenTestFixture.h"
#include "tests/support/TemporaryFolder.h"

namespace {

using Reply = scriptedhttp::ScriptedReply;
using platform::MailComposeViewController;
using platform::sim::SimMailComposerPeer;

constexpr const char* kTracked = "http://t.talvik.test/pit/TICKET-1";
constexpr const char* kLanding = "http://land.talvik.test/app";

base::URL url(const std::string& text) {
  return *base::URL::fromString(text);
}

class TADOpenerTest : public ScreenTestFixture {
 protected:
  TADOpenerTest() {
    platform_.setCachesDirectory(caches_.path());
    opener_->setDelegateManager(manager_);
    opener_->setViewController(root_);
    opener_->setSource(TADOpenGate::Source::WebApp, page_, page_->vars());
  }
  ~TADOpenerTest() override { tracker_.reset(); }

  static TADNotification message(base::Dictionary parameters) {
    return TADNotification("open", std::move(parameters));
  }
  // A click tracking that runs until the tracker is reset, counted where there are no background
  // tasks.
  void startTracking() {
    platform_.application().setSupportsBackgroundTasks(false);
    platform_.urlLoading().route(kTracked, Reply::ok("x").after(3600));
    tracker_->trackURL(url(kTracked));
    ASSERT_TRUE(TADClickTracker::activeTrackings());
  }
  const std::vector<std::string>& opened() { return platform_.application().openedURLs(); }
  // The user presses the page that asks the opener: one opening may follow.
  void press() { page_->hitTest({1, 1}); }
  std::shared_ptr<MailComposeViewController> composerFor(const std::string& address) {
    press();
    opener_->openEmailComposer(url(address));
    return std::dynamic_pointer_cast<MailComposeViewController>(root_->modalViewController());
  }

  test_support::TemporaryFolder caches_;
  std::shared_ptr<TADWebView> page_ = TADWebView::initWithFrame({0, 0, 320, 480});
  std::shared_ptr<TADOpener> opener_ = TADOpener::init();
  std::shared_ptr<TADClickTracker> tracker_ = TADClickTracker::init();
};

TEST_F(TADOpenerTest, MessagesGoWhereTheirActionSaysWithTheOrientationOfTheirO) {
  const std::string u = "http://ad.talvik.test/landing";
  // The message's parameters, and where it went.
  const std::pair<base::Dictionary, std::vector<std::string>> cases[] = {
      {{{"a", "browser"}, {"u", u}}, {"browser " + u + " 1"}},
      {{{"a", "browser"}, {"u", u}, {"o", "p"}}, {"browser " + u + " 2"}},
      {{{"a", "video"}, {"u", u}, {"o", "l"}}, {"browser " + u + " 3"}},
      {{{"a", "webapp"}, {"u", u}, {"o", "x"}}, {"webapp " + u + " 1"}},
      {{{"a", "webapp"}, {"u", u}, {"html", "<p>"}}, {"webapp " + u + " 1"}},
      {{{"a", "webapp"}, {"html", "<p>"}, {"o", "l"}}, {"html <p> 3"}},
      {{{"a", "webapp"}, {"u", "not a url"}, {"html", "<p>"}}, {"html <p> 1"}},
      {{{"a", "webapp"}}, {}},
      {{{"a", "browser"}, {"html", "<p>"}}, {}},
      {{{"a", "call"}, {"u", "tel:123"}}, {"app tel:123"}},
      {{{"a", "app"}, {"u", u}}, {"app " + u}},
      {{{"a", "dance"}, {"u", u}}, {"app " + u}},
      {{{"u", u}}, {"app " + u}},
  };
  for (const auto& [parameters, calls] : cases) {
    auto recorder = std::make_shared<RecordingOpener>();
    recorder->openNotification(message(parameters));
    EXPECT_EQ(recorder->calls, calls) << base::Value(parameters).description();
  }
}

// A message that opens nothing (the gate refuses it, or there is nothing to show it over) is no
// click.
TEST_F(TADOpenerTest, EveryOpenedMessageCountsAClickEvenWithoutAnAddress) {
  auto recorder = std::make_shared<RecordingOpener>();
  recorder->setSource(TADOpenGate::Source::WebApp, page_, page_->vars());
  recorder->openNotification(message({{"a", "webapp"}, {"html", "<p>"}}));  // not pressed
  press();
  recorder->openNotification(message({{"a", "browser"}, {"u", "http://land.talvik.test/"}}));
  recorder->setViewController(root_);
  recorder->openNotification(message({{"a", "webapp"}, {"html", "<p>"}}));
  press();
  recorder->openNotification(message({{"a", "app"}, {"u", "http://land.talvik.test/"}}));
  press();
  recorder->openNotification(message({{"a", "app"}, {"u", "zz:1"}}));  // not for another app
  recorder->openNotification(message({{"a", "app"}}));                 // nothing to open
  base::Dictionary pending = TADStatistics::sharedStatistics().pendingParameters();
  EXPECT_EQ(pending.find(kTADParameterPriorClickCount)->toInt64(), 2);
}

TEST_F(TADOpenerTest,
       LeavingWaitsAtMostThreeTimesOrTillTheTrackingEndsThenOpensAndResetsTheCounter) {
  startTracking();
  for (int round = 0; round < 2; ++round) {
    press();
    opener_->openApp(url(kLanding));
    platform_.runLoop().advance(0.85);
    EXPECT_TRUE(opened().size() == static_cast<size_t>(round)) << "round " << round;
    EXPECT_EQ(TADOpener::repeatCount(), 3);
    platform_.runLoop().advance(0.1);
    EXPECT_EQ(opened().size(), static_cast<size_t>(round + 1));
    EXPECT_EQ(TADOpener::repeatCount(), 0);
  }
  // Once the tracking ends, the next attempt goes on without waiting out the three.
  press();
  opener_->openApp(url(kLanding));
  platform_.runLoop().advance(0.4);
  tracker_->reset();
  EXPECT_EQ(opened().size(), 2u);
  platform_.runLoop().advance(0.25);
  EXPECT_EQ(opened().size(), 3u);
  EXPECT_EQ(TADOpener::repeatCount(), 0);
  EXPECT_EQ(banner_->events, std::vector<std::string>(3, "leave"));
}

TEST_F(TADOpenerTest, WithoutTrackingsTheAddressLeavesOnTheNextPassEvenIfTheOpenerIsGone) {
  press();
  opener_->openApp(url(kLanding));
  opener_->openApp(std::nullopt);
  opener_.reset();
  EXPECT_TRUE(opened().empty());
  platform_.runLoop().runUntilIdle();
  EXPECT_EQ(opened(), std::vector<std::string>{kLanding});
}

TEST_F(TADOpenerTest, TheMailComposerTakesToAsWrittenSplitsCcAndBccAndShowsNoControls) {
  const std::pair<std::string, platform::MailMessage> cases[] = {
      {"mailto:someone?cc=x,y&subject=Hi%20there", {{"someone"}, {"x", "y"}, {}, "Hi there", ""}},
      {"mailto:x,y", {{"x,y"}, {}, {}, "", ""}},
      {"mailto:", {{""}, {}, {}, "", ""}},
      {"mailto:a%20b?BCC=p,,q&Body=Line%0Atwo", {{"a%20b"}, {}, {"p", "", "q"}, "", "Line\ntwo"}},
      // Controls, bidi controls and broken UTF-8 are not shown; the body keeps its line breaks.
      {"mailto:x?subject=%E2%80%AEli%C3%A9%E2%80%AC%07&cc=a%E2%81%A6b,c%0Dd%D8%9C"
       "&bcc=%E2%80%8Ee%0A&body=one%0D%0Atwo%09%C2%85three%E2%80%8F%E2%80%A8",
       {{"x"}, {"ab", "cd"}, {"e"}, "li\xc3\xa9", "one\ntwothree"}},
  };
  for (const auto& [address, mail] : cases) {
    auto composer = composerFor(address);
    ASSERT_TRUE(composer) << address;
    EXPECT_EQ(SimMailComposerPeer::of(*composer).message(), mail) << address;
    SimMailComposerPeer::of(*composer).pressCancel();
    EXPECT_FALSE(root_->modalViewController()) << address;
    EXPECT_EQ(platform::sim::SimViewPeer::of(*root_->view()).calls().back(),
              "becomeFirstResponder");
  }
}

// Only over a view controller.
TEST_F(TADOpenerTest, BrowserAndWebAppScreensArePresentedWithTheirOrientations) {
  opener_->setReferringURL(url("http://ad.talvik.test/banner"));
  press();
  opener_->openBrowserToURL(url("http://ad.talvik.test/landing"), TADOrientations::Portrait);
  auto browser = std::dynamic_pointer_cast<TADBrowserController>(root_->modalViewController());
  ASSERT_TRUE(browser);
  EXPECT_EQ(browser->supportedOrientations(), TADOrientations::Portrait);
  EXPECT_EQ(browser->delegateManager(), manager_);
  browser->relinquishScreen();
  platform_.runLoop().runUntilIdle();
  ASSERT_FALSE(root_->modalViewController());

  press();
  opener_->openNotification(message({{"a", "webapp"}, {"html", "<p>"}, {"o", "l"}}));
  auto webApp = std::dynamic_pointer_cast<TADWebAppViewController>(root_->modalViewController());
  ASSERT_TRUE(webApp);
  EXPECT_EQ(webApp->supportedOrientations(), TADOrientations::Landscape);
  webApp->relinquishScreen();
  platform_.runLoop().advance(3);  // the page outlives its screen a little
  EXPECT_FALSE(root_->modalViewController());

  opener_->setViewController({});
  press();
  opener_->openEmailComposer(url("mailto:x"));
  opener_->openBrowserToURL(url("http://ad.talvik.test/"), TADOrientations::Any);
  opener_->openWebAppWithHTML("<p>", TADOrientations::Any);
  EXPECT_FALSE(root_->modalViewController());
}

}  // namespace

class TADOpenerClickTrackingTest : public AdObjectFixture {};

TEST_F(TADOpenerClickTrackingTest, EveryOpeningTracksTheAdsPendingClickAddresses) {
  serveAd(Reply::ok("<p>ad</p>", {{"X-Avmo-Click-Tracking-Urls", "http://t.example/c"}}));
  loadToShown();
  auto object = TADObjectPrivate::ofView(*view);
  ASSERT_EQ(object->pendingClickURLs().size(), 1u);
  ASSERT_TRUE(object->pendingTrackers().empty());
  auto opener = TADOpener::init();
  opener->setAdController(object);
  opener->setSource(TADOpenGate::Source::Banner, view->webView(), view->webView()->vars());
  view->webView()->hitTest({1, 1});
  opener->openApp(base::URL::fromString("http://land.example/app"));
  opener->openEmailComposer(base::URL::fromString("mailto:x"));  // no view controller: no opening
  EXPECT_EQ(object->pendingTrackers().size(), 1u);
}
