#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "ads/Configuration/TADAdNetwork.h"
#include "ads/Object/TADObjectPrivate.h"
#include "ads/View/TADBannerView.h"
#include "ads/View/TADWebView.h"
#include "platform/gtk/GtkWebViewPeer.h"
#include "platform/storage/SearchPaths.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/Window.h"
#include "tests/ads/RecordingBannerDelegate.h"
#include "tests/platform/gtk/GtkTestPlatform.h"
#include "tests/platform/gtk/XTestInput.h"
#include "tests/support/LibraryStateGuard.h"

// A banner on the phone screen of the real desktop backend (WebKitGTK under Xvfb), its library
// pointed at an ad network on a loopback port: how the end-to-end suites start it, wait on its
// delegate and press it.
class BannerScreenFixture : public ::testing::Test {
 protected:
  static constexpr platform::Rect kBannerFrame{0, 100, 320, 50};

  // Points the library at origin, empties its caches folder (an earlier test's) and starts the
  // phone screen with the banner of slot in it, its web views in webContext (the tests' one unless
  // given).
  void launchBanner(const std::string& origin, const std::string& slot,
                    std::shared_ptr<platform::gtk::GtkWebContext> webContext = nullptr) {
    namespace gtk_testing = platform::gtk::testing;
    gtk_testing::useTemporaryCacheHome();
    TADAdNetwork::pointAt(origin);
    platform = gtk_testing::makePlatform(console, platform::UserInterfaceIdiom::Phone,
                                         "/nonexistent", std::move(webContext));
    ASSERT_TRUE(platform);
    std::filesystem::remove_all(platform::cachesDirectory().value());
    window = gtk_testing::launchWithKeyWindow(*platform, root, [&](platform::Window&) {
      banner = TADBannerView::initWithFrame(kBannerFrame);
      banner->setAdUnitID(slot);
      banner->setRootViewController(root);
      banner->setDelegate(delegate);
      root->view()->addSubview(banner);
    });
    ASSERT_TRUE(window);
  }
  void TearDown() override {
    if (banner) object()->cancelPendingActions();
  }

  std::shared_ptr<TADObjectPrivate> object() const { return TADObjectPrivate::ofView(*banner); }
  // Whether done comes to hold within seconds (patience when not given).
  bool eventually(const std::function<bool()>& done, double seconds = 0) {
    return platform->runLoop().runUntil(done, seconds > 0 ? seconds : patience);
  }
  // Waits for the delegate's next call and answers it ("" when none came).
  std::string nextEvent() {
    size_t seen = delegate->events.size();
    if (!eventually([&] { return delegate->events.size() > seen; })) return "";
    return delegate->events[seen];
  }
  GtkWidget* bannerWidget() {
    auto& peer = static_cast<platform::gtk::GtkWebViewPeer&>(banner->webView()->webViewPeer());
    return GTK_WIDGET(peer.webView());
  }
  // A real press and release of a pointer button (the first by default) in the middle of the
  // banner.
  void pressBanner(unsigned button = 1) {
    namespace gtk_testing = platform::gtk::testing;
    GtkWindow* screen = platform->deviceScreen()->gtkWindow();
    platform::Rect place = gtk_testing::placeOnScreen(bannerWidget(), GTK_WIDGET(screen));
    gtk_testing::movePointer(screen, static_cast<int>(place.minX() + place.width() / 2),
                             static_cast<int>(place.minY() + place.height() / 2));
    gtk_testing::click(screen, button);
  }

  double patience = 10;
  std::shared_ptr<platform::gtk::testing::RecordingConsole> console =
      std::make_shared<platform::gtk::testing::RecordingConsole>();
  std::unique_ptr<platform::gtk::GtkPlatform> platform;
  test_support::LibraryStateGuard state;  // the ad network's address goes with it
  std::shared_ptr<platform::Window> window;
  std::shared_ptr<platform::ViewController> root = std::make_shared<platform::ViewController>();
  std::shared_ptr<TADBannerView> banner;
  std::shared_ptr<RecordingBannerDelegate> delegate = std::make_shared<RecordingBannerDelegate>();
};
