#include "ads/View/TADBannerWebViewDelegate.h"

#include <gtest/gtest.h>

#include <tuple>

#include "ads/Opener/TADOpener.h"
#include "ads/Statistics/TADStatisticsParameters.h"
#include "tests/ads/Object/AdObjectFixture.h"
#include "tests/ads/RecordingOpener.h"

namespace {

using Type = platform::WebViewNavigationType;
using Reply = scriptedhttp::ScriptedReply;

class TADBannerWebViewDelegateTest : public AdObjectFixture {
 protected:
  // The shown ad's web view under a delegate whose opener records.
  void showWithRecordingOpener() {
    loadToShown();
    recording = TADBannerWebViewDelegate::initWithObjectPrivate(
        TADObjectPrivate::ofView(*view), view->webView(), object().delegateManager(), opener);
  }
  std::shared_ptr<RecordingOpener> opener = std::make_shared<RecordingOpener>();
  std::shared_ptr<TADBannerWebViewDelegate> recording;
};

TEST_F(TADBannerWebViewDelegateTest, OnlyATouchedNavigationOfTheShownAdAfterAMomentIsAClick) {
  serveAd(Reply::ok("<p>ad</p>", {{"X-Avmo-Orientation", "landscape"}}));
  showWithRecordingOpener();
  // What the row is, how long after the showing, whether touched, how, and whether it loads.
  const std::tuple<const char*, double, bool, Type, bool> cases[] = {
      {"untouched", 1, false, Type::LinkClicked, true},
      {"too soon", 0.1, true, Type::LinkClicked, true},
      {"reload", 1, true, Type::Reload, true},
      {"back", 1, true, Type::BackForward, true},
      {"click", 0.16, true, Type::LinkClicked, false},
      {"other", 1, true, Type::Other, false},
  };
  int clicks = 0;
  for (auto [name, wait, touched, type, loads] : cases) {
    SCOPED_TRACE(name);
    loadToShown();  // shown now, untouched
    platform.runLoop().advance(wait);
    view->webView()->setTouched(touched);
    EXPECT_EQ(bannerPeer().navigate("http://land.example/p", type), loads);
    if (!loads) ++clicks;
    EXPECT_EQ(opener->calls.size(), static_cast<size_t>(clicks));
  }
  EXPECT_EQ(opener->calls.back(),
            "browser http://land.example/p 3 from " + bannerPeer().currentURL()->absoluteString());
}

TEST_F(TADBannerWebViewDelegateTest, AnAdWithClickTrackingOpensItsClicksAsAWebApp) {
  serveAd(Reply::ok("<p>ad</p>", {{"X-Avmo-Click-Tracking-Urls", "http://t.example/c"}}));
  showWithRecordingOpener();
  platform.runLoop().advance(1);
  view->webView()->setTouched(true);
  EXPECT_FALSE(bannerPeer().navigate("http://land.example/p", Type::LinkClicked));
  ASSERT_EQ(opener->calls.size(), 1u);
  EXPECT_TRUE(opener->calls[0].starts_with("webapp http://land.example/p 1 from"));
}

TEST_F(TADBannerWebViewDelegateTest, APageThatFailsBeforeItIsShownFailsTheLoadWithCode2Only) {
  load();
  answerAd();
  bannerPeer().failLoad(base::Error("test", 1));
  EXPECT_EQ(TADObjectPrivate::ofView(*view)->state(), TADObjectPrivate::State::Failed);
  ASSERT_EQ(delegate->errors.size(), 1u);
  EXPECT_EQ(delegate->errors[0]->code(), 2);

  loadToShown();
  bannerPeer().navigate("http://land.example/p", Type::Other);
  platform.runLoop().runUntilIdle();
  bannerPeer().failLoad(base::Error("test", 1));
  bannerPeer().finishLoad();  // a later page of the shown ad is no new ad either
  EXPECT_EQ(delegate->events, (std::vector<std::string>{"fail", "receive"}));
}

// Touched, the shown ad's navigations are clicks, but only a fresh press lets anything out.
TEST_F(TADBannerWebViewDelegateTest, NothingLeavesTheApplicationFromTheBannerWithoutAFreshPress) {
  const char* openApp = "gmsg://x/open?a=app&u=http%3A%2F%2Fland.example%2Fapp";
  load();
  answerAd();  // showing: the page sends itself away as it loads
  EXPECT_FALSE(bannerPeer().navigate(openApp, Type::Other));
  finishBanner();
  EXPECT_FALSE(bannerPeer().navigate(openApp, Type::Other));
  view->webView()->setTouched(true);
  platform.runLoop().advance(1);
  EXPECT_FALSE(bannerPeer().navigate(openApp, Type::Other));
  platform.runLoop().runUntilIdle();
  EXPECT_TRUE(platform.application().openedURLs().empty());
  EXPECT_EQ(platform.console().lines(),
            std::vector<std::string>(3,
                                     "<Talvik> Refused to open another application from the "
                                     "banner: the user has not pressed it."));

  // A press before the ad was shown belongs to the ad before.
  view->webView()->hitTest({1, 1});
  loadToShown();
  EXPECT_FALSE(bannerPeer().navigate(openApp, Type::Other));
  view->webView()->hitTest({1, 1});
  EXPECT_FALSE(bannerPeer().navigate(openApp, Type::Other));
  platform.runLoop().runUntilIdle();
  EXPECT_EQ(platform.application().openedURLs(),
            std::vector<std::string>{"http://land.example/app"});
}

// A click on the shown ad counts in the statistics when something opens for it, and only then.
TEST_F(TADBannerWebViewDelegateTest, AClickCountsWhenSomethingOpensForIt) {
  loadToShown();
  platform.runLoop().advance(1);
  // What is clicked, whether the banner is pressed first, and the clicks counted after it.
  const std::tuple<const char*, bool, int64_t> cases[] = {
      {"http://land.example/p", false, 0},  // touched, not pressed: the gate keeps the browser
      {"file:///tmp/x", true, 0},           // nothing opens for a local file
      {"mailto:someone", true, 1},          // the mail composer (the press is used)
      {"http://land.example/p", true, 1},   // the composer is up: no browser over it
  };
  for (auto [address, pressed, clicks] : cases) {
    SCOPED_TRACE(address);
    view->webView()->setTouched(true);
    if (pressed) view->webView()->hitTest({1, 1});
    EXPECT_FALSE(bannerPeer().navigate(address, Type::LinkClicked));
    base::Dictionary pending = TADStatistics::sharedStatistics().pendingParameters();
    const base::Value* count = pending.find(kTADParameterPriorClickCount);
    EXPECT_EQ(count ? count->toInt64() : 0, clicks);
  }
  EXPECT_NE(root->modalViewController(), nullptr);
}

}  // namespace
