#include <gtest/gtest.h>

#include <string>

#include "ads/Object/TADObjectPrivate.h"
#include "ads/Request/TADRequest.h"
#include "ads/Utility/TADConfiguration.h"
#include "ads/View/TADBannerView.h"
#include "ads/View/TADWebView.h"
#include "platform/ViewController.h"
#include "platform/Window.h"
#include "tests/ads/RecordingBannerDelegate.h"
#include "tests/platform/gtk/GtkTestPlatform.h"
#include "tests/support/LoopbackHTTPServer.h"

// A banner in the real web view against a loopback ad network: the page script runs in WebKit,
// answers with the ad's address, and the ad page is shown in the banner.
namespace {

using test_support::LoopbackHTTPServer;

class TADObjectPrivateGuiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::gtk::testing::useTemporaryCacheHome();
    std::string origin = server.url("/");
    origin.pop_back();
    server.route(
        "/avmo/sdk-core-v40.js",
        LoopbackHTTPServer::Response::ok("function AVMO_buildAdURL(p) { location.href = "
                                         "'gmsg://x/loadAdURL?type=t&url=' + encodeURIComponent('" +
                                         origin + "/ad?slot=' + p.slotname); }"));
    server.route("/ad", LoopbackHTTPServer::Response::ok(
                            "<html><body style='margin:0;background:#ff0000'></body></html>"));
    TADAdNetwork::pointAt(origin);
    platform = platform::gtk::testing::makePlatform(console, platform::UserInterfaceIdiom::Phone);
    ASSERT_TRUE(platform);
    window = platform::gtk::testing::launchWithKeyWindow(*platform, root, [&](platform::Window&) {
      banner = TADBannerView::initWithFrame({0, 100, 320, 50});
      banner->setAdUnitID("gui-slot");
      banner->setRootViewController(root);
      banner->setDelegate(delegate);
      root->view()->addSubview(banner);
    });
    ASSERT_TRUE(window);
  }
  void TearDown() override { TADAdNetwork::reset(); }
  size_t requestsFor(const std::string& path) const {
    size_t count = 0;
    for (const auto& request : server.requests())
      count += request.path() == path;
    return count;
  }
  bool loadAnAd(size_t events) {
    banner->loadRequest(TADRequest::request());
    return platform->runLoop().runUntil([&] { return delegate->events.size() == events; }, 20);
  }
  LoopbackHTTPServer server;
  std::shared_ptr<platform::gtk::testing::RecordingConsole> console =
      std::make_shared<platform::gtk::testing::RecordingConsole>();
  std::unique_ptr<platform::gtk::GtkPlatform> platform;
  std::shared_ptr<platform::Window> window;
  std::shared_ptr<platform::ViewController> root = std::make_shared<platform::ViewController>();
  std::shared_ptr<TADBannerView> banner;
  std::shared_ptr<RecordingBannerDelegate> delegate = std::make_shared<RecordingBannerDelegate>();
};

TEST_F(TADObjectPrivateGuiTest, ALoadRunsTheScriptFetchesTheAdAndDrawsItAndTheNextReusesTheScript) {
  auto* screen = platform->deviceScreen();
  platform::glib::GObjectPtr<GdkPixbuf> empty = screen->snapshot();
  ASSERT_TRUE(empty);
  ASSERT_TRUE(loadAnAd(1));
  EXPECT_EQ(delegate->events, (std::vector<std::string>{"receive"}));
  EXPECT_EQ(requestsFor("/avmo/sdk-core-v40.js"), 1u);
  EXPECT_EQ(requestsFor("/ad"), 1u);
  EXPECT_FALSE(banner->webView()->isHidden());
  // The red page fills the banner (below the 20-point status bar) once WebKit has painted it.
  const platform::Rect onScreen{0, 120, 320, 50};
  EXPECT_TRUE(platform->runLoop().runUntil(
      [&] {
        auto shown = screen->snapshot();
        return platform::gtk::testing::differingPixels(empty.get(), shown.get(), onScreen) >
               320 * 50 * 9 / 10;
      },
      5));

  ASSERT_TRUE(loadAnAd(2));
  EXPECT_EQ(delegate->events, (std::vector<std::string>{"receive", "receive"}));
  EXPECT_EQ(requestsFor("/avmo/sdk-core-v40.js"), 1u);
  EXPECT_EQ(requestsFor("/ad"), 2u);
  banner->privateObject()->cancelPendingActions();
}

}  // namespace
