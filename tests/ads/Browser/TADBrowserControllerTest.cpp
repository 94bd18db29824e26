#include "ads/Browser/TADBrowserController.h"

#include <gtest/gtest.h>

#include "ads/Browser/TADBrowserWebViewDelegate.h"
#include "ads/View/TADWebView.h"
#include "platform/Application.h"
#include "platform/sim/SimToolbarPeer.h"
#include "platform/sim/SimWebViewPeer.h"
#include "tests/ads/ViewController/ScreenTestFixture.h"

namespace {

using platform::sim::SimWebViewPeer;
using Type = platform::WebViewNavigationType;

class TADBrowserControllerTest : public ScreenTestFixture {
 protected:
  SimWebViewPeer& page() { return SimWebViewPeer::of(*browser_->webView()); }
  // The toolbar as shown: each item's accessibility name, "-" for a flexible space, and "(off)"
  // after a disabled one.
  std::string toolbarLook() {
    auto& peer = static_cast<platform::sim::SimToolbarPeer&>(browser_->toolbar()->toolbarPeer());
    std::string look;
    for (const auto& item : peer.items()) {
      if (!look.empty()) look += " ";
      look += item.kind == platform::ToolbarItemLook::Kind::FlexibleSpace ? "-"
                                                                          : item.accessibilityName;
      if (!item.enabled) look += "(off)";
    }
    return look;
  }
  std::optional<base::Value> reported(std::string_view key) {
    base::Dictionary pending = TADStatistics::sharedStatistics().pendingParameters();
    const base::Value* value = pending.find(key);
    return value ? std::optional<base::Value>(*value) : std::nullopt;
  }

  std::shared_ptr<TADBrowserController> browser_ = TADBrowserController::init();
};

TEST(TADBrowserLayoutTest, TheToolbarIsLowerOnALandscapePhone) {
  for (auto [tablet, landscape, height] :
       {std::tuple{false, false, 44.0}, {false, true, 30.0}, {true, true, 44.0}}) {
    platform::sim::SimPlatform platform;
    if (tablet) platform.becomeTablet();
    platform.application().setStatusBarOrientation(
        landscape ? platform::InterfaceOrientation::LandscapeLeft
                  : platform::InterfaceOrientation::Portrait);
    auto browser = TADBrowserController::init();
    browser->viewWillAppear(false);
    const platform::Rect bounds = browser->view()->bounds();
    EXPECT_EQ(browser->toolbar()->frame(),
              platform::Rect(0, bounds.height() - height, bounds.width(), height))
        << tablet << landscape;
    EXPECT_EQ(browser->webView()->frame(),
              platform::Rect(0, 0, bounds.width(), bounds.height() - height));
    EXPECT_EQ(browser->webView()->settings().dataDetectorTypes, platform::kDataDetectorAll);
  }
}

TEST_F(TADBrowserControllerTest, ARememberedPageLoadsWithItsRefererOnFirstAppearanceOnly) {
  browser_->load(std::nullopt);
  browser_->load(base::URL::fromString("http://land.example/page"),
                 base::URL::fromString("http://ad.example/banner?x=1"));
  browser_->presentFromViewController(root_);
  ASSERT_EQ(page().loadedRequests().size(), 1u);
  EXPECT_EQ(page().loadedRequests()[0].url().absoluteString(), "http://land.example/page");
  EXPECT_EQ(page().loadedRequests()[0].valueForHTTPHeaderField("Referer"),
            "http://ad.example/banner?x=1");
  browser_->viewWillAppear(false);
  EXPECT_EQ(page().loadedRequests().size(), 1u);
}

// The spinner stands in for reload and the page cannot leave for the system browser while it
// loads; back follows the page's history.
TEST_F(TADBrowserControllerTest, TheToolbarFollowsTheLoad) {
  browser_->load(base::URL::fromString("http://land.example/"));
  browser_->presentFromViewController(root_);
  EXPECT_EQ(toolbarLook(), "Back(off) - Forward(off) - Reload - View in Safari - Done");
  platform_.runLoop().runUntilIdle();
  EXPECT_EQ(toolbarLook(), "Back(off) - Forward(off) - Spinner - View in Safari(off) - Done");
  EXPECT_TRUE(browser_->vars()->spinner->isAnimating());
  page().finishLoad();
  EXPECT_EQ(toolbarLook(), "Back(off) - Forward(off) - Reload - View in Safari - Done");
  EXPECT_FALSE(browser_->vars()->spinner->isAnimating());

  page().navigate("https://land.example/next", Type::LinkClicked);
  page().failLoad(base::Error("test", 1));
  EXPECT_EQ(toolbarLook(), "Back - Forward(off) - Reload - View in Safari - Done");
  browser_->back();
  platform_.runLoop().runUntilIdle();
  page().finishLoad();
  EXPECT_EQ(toolbarLook(), "Back(off) - Forward - Reload - View in Safari - Done");
}

TEST_F(TADBrowserControllerTest, OnlyTheUsersNavigationsAreCountedBySecureness) {
  browser_->load(base::URL::fromString("http://land.example/"));
  browser_->viewWillAppear(false);
  platform_.runLoop().runUntilIdle();
  page().navigate("HTTPS://land.example/a", Type::LinkClicked);
  page().navigate("https://land.example/b", Type::FormSubmitted);
  page().navigate("http://land.example/c", Type::Other);
  page().navigate("about:blank", Type::LinkClicked);
  EXPECT_EQ(reported("plpsnc"), base::Value(2));
  EXPECT_FALSE(reported("plpnc"));
  page().navigate("http://land.example/d", Type::LinkClicked);
  EXPECT_EQ(reported("plpnc"), base::Value(1));
}

TEST_F(TADBrowserControllerTest, ViewInSafariReportsABreakOutAndOnlyDoneClosesTheBrowser) {
  browser_->load(base::URL::fromString("http://land.example/"));
  browser_->presentFromViewController(root_);
  platform_.runLoop().runUntilIdle();
  page().finishLoad();
  browser_->openInSafari();  // the toolbar's own button: no press in the page is needed
  platform_.runLoop().runUntilIdle();
  EXPECT_EQ(platform_.application().openedURLs(), std::vector<std::string>{"http://land.example/"});
  EXPECT_TRUE(reported("pcbo"));
  EXPECT_EQ(root_->modalViewController(), browser_);
  EXPECT_TRUE(platform_.application().isStatusBarHidden());
  browser_->vars()->doneButton->tap();
  EXPECT_FALSE(root_->modalViewController());
  EXPECT_FALSE(platform_.application().isStatusBarHidden());
}

// A browser that shows nothing is closed when the user comes back to the application.
TEST_F(TADBrowserControllerTest, ComingBackToABrowserThatNeverLoadedClosesIt) {
  for (bool loaded : {false, true}) {
    browser_ = TADBrowserController::init();
    browser_->load(base::URL::fromString("http://land.example/"));
    browser_->presentFromViewController(root_);
    platform_.runLoop().runUntilIdle();
    if (loaded) page().finishLoad();
    platform_.application().enterBackground();
    platform_.application().enterForeground();
    platform_.runLoop().runUntilIdle();
    EXPECT_EQ(root_->modalViewController() == browser_, loaded) << loaded;
    if (loaded) browser_->relinquishScreen();
  }
}

}  // namespace
