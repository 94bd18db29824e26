#include "ads/WebApp/TADWebAppViewController.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "ads/View/TADWebView.h"
#include "ads/WebApp/TADWebAppWebViewDelegate.h"
#include "platform/sim/SimWebViewPeer.h"
#include "tests/ads/ViewController/ScreenTestFixture.h"

namespace {

using platform::sim::SimWebViewPeer;

class TADWebAppViewControllerTest : public ScreenTestFixture {
 protected:
  SimWebViewPeer& page() { return SimWebViewPeer::of(*screen_->webView()); }
  long scriptsNamed(const char* name) {
    const auto& scripts = page().evaluatedScripts();
    return std::count_if(scripts.begin(), scripts.end(), [&](const std::string& s) {
      return s.find(std::string("AVMO_ReceiveMessage('") + name + "'") == 0;
    });
  }
  // Builds the screen and starts its page's load, as the platform does before it shows a screen.
  void buildAndStartLoading() {
    screen_->viewWillAppear(false);
    platform_.runLoop().runUntilIdle();
    ASSERT_TRUE(screen_->webView()->isLoading());
  }

  std::shared_ptr<TADWebAppViewController> screen_ = TADWebAppViewController::init();
};

TEST_F(TADWebAppViewControllerTest, TheScreenIsBuiltWithItsRememberedContentOnFirstAppearance) {
  screen_->loadHTML("<p>hi</p>", base::URL::fromString("http://app.example/"));
  screen_->presentFromViewController(root_);
  ASSERT_TRUE(screen_->webView());
  ASSERT_EQ(page().loadedHTML().size(), 1u);
  EXPECT_EQ(page().loadedHTML()[0].html, "<p>hi</p>");
  EXPECT_EQ(page().loadedHTML()[0].baseURL->absoluteString(), "http://app.example/");

  const auto& subviews = screen_->view()->subviews();
  ASSERT_EQ(subviews.size(), 2u);
  EXPECT_EQ(subviews[0], screen_->webView());
  EXPECT_EQ(subviews[1], screen_->vars()->closeButton);
  EXPECT_EQ(subviews[1]->frame(), platform::Rect(0, 0, 32, 32));
  auto spinner = screen_->vars()->loadingSpinner;
  ASSERT_TRUE(spinner);
  EXPECT_EQ(spinner->superview(), screen_->webView());
  EXPECT_EQ(spinner->frame(), platform::Rect(150, 230, 20, 20));
  EXPECT_TRUE(spinner->isAnimating());

  platform_.runLoop().runUntilIdle();
  page().finishLoad();
  EXPECT_FALSE(screen_->vars()->loadingSpinner);
  EXPECT_FALSE(spinner->superview());

  screen_->vars()->closeButton->sendActions();
  EXPECT_FALSE(root_->modalViewController());
}

TEST_F(TADWebAppViewControllerTest, ARememberedAddressWinsOverRememberedText) {
  screen_->loadHTML("<p>hi</p>", std::nullopt);
  screen_->load(base::URL::fromString("http://app.example/start"));
  screen_->load(std::nullopt);
  screen_->viewWillAppear(false);
  EXPECT_TRUE(page().loadedHTML().empty());
  ASSERT_EQ(page().loadedRequests().size(), 1u);
  EXPECT_EQ(page().loadedRequests()[0].url().absoluteString(), "http://app.example/start");
  screen_->viewWillAppear(false);  // a second appearance builds nothing and loads nothing
  EXPECT_EQ(page().loadedRequests().size(), 1u);
}

// The page hears "onshow" once, with the version and the device, at whichever comes last: the
// screen's appearance or its page's first finish. Later loads never repeat it.
TEST_F(TADWebAppViewControllerTest, OnShowIsSentExactlyOnceInBothOrders) {
  for (bool finishedBeforeAppearing : {true, false}) {
    SCOPED_TRACE(finishedBeforeAppearing);
    screen_ = TADWebAppViewController::init();
    screen_->load(base::URL::fromString("http://app.example/"));
    buildAndStartLoading();
    if (finishedBeforeAppearing) page().finishLoad();
    screen_->presentFromViewController(root_);
    EXPECT_EQ(scriptsNamed("onshow"), finishedBeforeAppearing ? 1 : 0);
    if (!finishedBeforeAppearing) page().finishLoad();
    ASSERT_EQ(scriptsNamed("onshow"), 1);
    EXPECT_NE(page().evaluatedScripts().back().find("\"version\":\"avmo-sdk-i-v4.1.1\""),
              std::string::npos)
        << page().evaluatedScripts().back();

    screen_->webView()->reload();
    platform_.runLoop().runUntilIdle();
    page().finishLoad();
    // A browser opened over the screen and closed again makes the screen appear once more.
    auto browser = TADViewController::init();
    browser->presentFromViewController(screen_);
    browser->relinquishScreen();
    EXPECT_EQ(scriptsNamed("onshow"), 1);
    screen_->relinquishScreen();
    platform_.runLoop().advance(3);
  }
}

// The page is told it is hidden while the screen's own disappearance is still to come, and
// outlives the screen a little.
TEST_F(TADWebAppViewControllerTest,
       OnHideComesBeforeTheBaseDisappearanceAndThePageOutlivesItsScreenByTwoSeconds) {
  screen_->load(base::URL::fromString("http://app.example/"));
  screen_->presentFromViewController(root_);
  std::weak_ptr<TADWebView> webView = screen_->webView();
  std::weak_ptr<TADWebAppWebViewDelegate> delegate = screen_->vars()->webViewDelegate;
  std::vector<bool> handshakeAtOnHide;
  page().setScriptHandler([&](const std::string& script) {
    if (script == "AVMO_ReceiveMessage('onhide');")
      handshakeAtOnHide.push_back(screen_->privateData()->interactingWithParent);
    return std::string();
  });
  screen_->relinquishScreen();
  EXPECT_EQ(handshakeAtOnHide, std::vector<bool>{true});
  EXPECT_FALSE(screen_->privateData()->interactingWithParent);
  screen_.reset();
  platform_.runLoop().runUntilIdle();
  ASSERT_FALSE(webView.expired());
  EXPECT_EQ(webView.lock()->delegate(), delegate.lock());

  platform_.runLoop().advance(1.9);
  ASSERT_FALSE(webView.expired());
  auto& peer = SimWebViewPeer::of(*webView.lock());
  EXPECT_TRUE(peer.loadedHTML().empty());
  EXPECT_FALSE(delegate.expired());

  platform_.runLoop().advance(0.2);
  EXPECT_TRUE(webView.expired());
  EXPECT_TRUE(delegate.expired());
}

}  // namespace
