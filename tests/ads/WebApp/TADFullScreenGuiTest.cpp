#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <utility>

#include "ads/Browser/TADBrowserController.h"
#include "ads/Delegate/TADDelegateManager.h"
#include "ads/Notification/TADNotificationCenter.h"
#include "ads/View/TADWebView.h"
#include "ads/WebApp/TADWebAppViewController.h"
#include "platform/Application.h"
#include "platform/gtk/GtkViewPeer.h"
#include "platform/gtk/GtkWebViewPeer.h"
#include "platform/ui/Window.h"
#include "tests/ads/RecordingBannerDelegate.h"
#include "tests/platform/gtk/GtkTestPlatform.h"
#include "tests/platform/gtk/XTestInput.h"
#include "tests/support/LoopbackHTTPServer.h"

// The full-screen screens over the phone screen with real WebKit pages on a loopback server.
namespace {

using test_support::LoopbackHTTPServer;

// The darkest and the brightest pixel of area in picture, from 0 (black) to 1 (white); the part
// of area outside the picture is not read (none inside gives darkest 1, brightest 0).
std::pair<double, double> lightnessRange(GdkPixbuf* picture, platform::Rect area) {
  double darkest = 1, brightest = 0;
  const int channels = gdk_pixbuf_get_n_channels(picture);
  const int top = std::max(static_cast<int>(area.minY()), 0);
  const int bottom = std::min(static_cast<int>(area.maxY()), gdk_pixbuf_get_height(picture));
  const int left = std::max(static_cast<int>(area.minX()), 0);
  const int right = std::min(static_cast<int>(area.maxX()), gdk_pixbuf_get_width(picture));
  for (int y = top; y < bottom; ++y) {
    const guchar* row = gdk_pixbuf_read_pixels(picture) +
                        static_cast<ptrdiff_t>(y) * gdk_pixbuf_get_rowstride(picture);
    for (int x = left; x < right; ++x) {
      const guchar* p = row + static_cast<ptrdiff_t>(x) * channels;
      double lightness = (0.299 * p[0] + 0.587 * p[1] + 0.114 * p[2]) / 255;
      darkest = std::min(darkest, lightness);
      brightest = std::max(brightest, lightness);
    }
  }
  return {darkest, brightest};
}

class TADFullScreenGuiTest : public platform::gtk::testing::PhonePlatformTest {
 protected:
  void SetUp() override {
    launch();
    server.route("/", LoopbackHTTPServer::Response::ok(
                          R"(<title>Land</title><a id="next" href="/next">next</a>)",
                          {{"Content-Type", "text/html"}}));
    server.route("/next", LoopbackHTTPServer::Response::ok("<title>Next</title>",
                                                           {{"Content-Type", "text/html"}}));
  }

  LoopbackHTTPServer server;
};

// What only the real toolbar shows: its faces. (How the toolbar follows the load, and what the
// screen does to the status bar and the idle timer, are the sim suites' to pin.)
TEST_F(TADFullScreenGuiTest, TheBrowsersToolbarShowsTheDoneWordAndABackArrowThatStandsOut) {
  auto browser = TADBrowserController::init();
  browser->load(base::URL::fromString(server.url("/")));
  browser->presentFromViewController(root);
  auto vars = browser->vars();
  ASSERT_TRUE(eventually([&] { return vars->spinner->isAnimating(); }));  // the load has begun
  ASSERT_TRUE(eventually(
      [&] { return !browser->webView()->isLoading() && !vars->spinner->isAnimating(); }));
  // Every item shows something, the word "Done" included.
  std::vector<GtkWidget*> bars;
  platform::gtk::testing::collectWidgets(platform->deviceScreen()->stage(), GTK_TYPE_TOOLBAR, bars);
  ASSERT_FALSE(bars.empty());
  GtkToolbar* bar = GTK_TOOLBAR(bars[0]);
  GtkToolItem* done = gtk_toolbar_get_nth_item(bar, gtk_toolbar_get_n_items(bar) - 1);
  GtkWidget* face = gtk_tool_button_get_icon_widget(GTK_TOOL_BUTTON(done));
  ASSERT_TRUE(face && gtk_widget_get_visible(face));
  EXPECT_TRUE(eventually([&] { return gtk_widget_get_allocated_width(face) > 20; }));

  evaluate(*browser->webView(), "document.getElementById('next').click(); 1");
  ASSERT_TRUE(eventually([&] { return vars->backButton->isEnabled(); }));
  // The back arrow, a white picture, stands out from the bar it is drawn on.
  ASSERT_TRUE(eventually(
      [&] { return gtk_widget_get_sensitive(GTK_WIDGET(gtk_toolbar_get_nth_item(bar, 0))); }));
  // While the screen settles, the bar can lie partly below the phone screen's picture.
  decltype(platform->deviceScreen()->snapshot()) picture;
  platform::Rect backPlace;
  ASSERT_TRUE(eventually([&] {
    picture = platform->deviceScreen()->snapshot();
    backPlace = platform::gtk::testing::placeOnScreen(GTK_WIDGET(gtk_toolbar_get_nth_item(bar, 0)),
                                                      platform->deviceScreen()->stage());
    return picture && backPlace.minX() >= 0 && backPlace.minY() >= 0 &&
           backPlace.maxX() <= gdk_pixbuf_get_width(picture.get()) &&
           backPlace.maxY() <= gdk_pixbuf_get_height(picture.get());
  }));
  auto [darkest, brightest] = lightnessRange(picture.get(), backPlace);
  EXPECT_GT(brightest - darkest, 0.5) << darkest << " to " << brightest;

  vars->doneButton->tap();
  EXPECT_TRUE(eventually([&] { return !root->modalViewController(); }));
}

// A page the user opened shows its dialogs, though not one after the other: the next ones in a
// short while are answered unseen. (The banner shows none: the hostile suite's.)
TEST_F(TADFullScreenGuiTest, TheBrowsersPageShowsAConfirmationAndAnswersTheNextOnesUnseen) {
  auto browser = TADBrowserController::init();
  browser->load(base::URL::fromString(server.url("/")));
  browser->presentFromViewController(root);
  platform::WebView& page = *browser->webView();
  ASSERT_TRUE(platform::gtk::testing::pageComesToSay(*platform, page, "document.title", "Land"));
  // WebKit draws a page's dialog as a widget of its own inside the view.
  auto dialog = [&] {
    GtkWidget* shown = nullptr;
    gtk_container_forall(
        GTK_CONTAINER(static_cast<platform::gtk::GtkWebViewPeer&>(page.webViewPeer()).webView()),
        [](GtkWidget* child, gpointer shown) {
          if (gtk_widget_get_visible(child)) *static_cast<GtkWidget**>(shown) = child;
        },
        &shown);
    return shown;
  };
  evaluate(page, "setTimeout(() => document.title = confirm('Go on?'), 0); 1");
  ASSERT_TRUE(eventually([&] { return dialog() != nullptr; }));
  std::vector<GtkWidget*> buttons;
  platform::gtk::testing::collectWidgets(dialog(), GTK_TYPE_BUTTON, buttons);
  ASSERT_FALSE(buttons.empty());
  gtk_button_clicked(GTK_BUTTON(buttons.back()));
  EXPECT_TRUE(
      platform::gtk::testing::pageComesToSay(*platform, page, "document.title != 'Land'", "true"));

  EXPECT_EQ(evaluate(page, "String([confirm('Again?'), prompt('Name?')])"), "false,");
  EXPECT_EQ(dialog(), nullptr);
  browser->relinquishScreen();
  EXPECT_TRUE(eventually([&] { return !root->modalViewController(); }));
}

// Around its round picture the web app screen's close button lets the page show through. (What
// the page hears, and when, is the screen's sim suite's to pin.)
TEST_F(TADFullScreenGuiTest, TheCloseButtonLetsTheWebAppPageShowThroughAroundIt) {
  auto screen = TADWebAppViewController::init();
  screen->loadHTML(R"(<body style="margin:0;background:#2b1055">)",
                   base::URL::fromString(server.url("/app")));
  screen->presentFromViewController(root);
  ASSERT_TRUE(eventually([&] { return !screen->vars()->loadingSpinner; }));
  EXPECT_TRUE(eventually([&] {
    auto picture = platform->deviceScreen()->snapshot();
    if (!picture) return false;
    // Left of the picture, halfway down the button.
    const guchar* beside = gdk_pixbuf_read_pixels(picture.get()) +
                           16 * gdk_pixbuf_get_rowstride(picture.get()) +
                           2 * gdk_pixbuf_get_n_channels(picture.get());
    return beside[0] == 0x2b && beside[1] == 0x10 && beside[2] == 0x55;
  }));
  screen->relinquishScreen();
  EXPECT_TRUE(eventually([&] { return !root->modalViewController(); }));
}

// What the display shows where the banner lies comes back whole once a screen over it has gone:
// not what a fresh drawing of the widgets would give, but what was really painted.
TEST_F(TADFullScreenGuiTest, TheBannerIsShownWholeAgainOnceAScreenOverItHasGone) {
  using platform::gtk::testing::differingPixels;
  using platform::gtk::testing::displayedPixels;
  auto banner = std::make_shared<platform::WebView>(platform::Rect{0, 410, 320, 50});
  banner->loadHTMLString(R"(<body style="margin:0;background:#d81b4a">)", std::nullopt);
  root->view()->addSubview(banner);
  GtkWindow* screen = platform->deviceScreen()->gtkWindow();
  platform::Rect place;
  // Painted once the page's colour is on the display along the banner's bottom row.
  ASSERT_TRUE(eventually([&] {
    place = platform::gtk::testing::placeOnScreen(platform::gtk::GtkViewPeer::of(*banner).widget(),
                                                  platform->deviceScreen()->stage());
    auto now = displayedPixels(screen);
    if (!now || place.height() != 50) return false;
    const guchar* p = gdk_pixbuf_read_pixels(now.get()) + static_cast<ptrdiff_t>(place.maxY() - 1) *
                                                              gdk_pixbuf_get_rowstride(now.get());
    return p[0] == 0xd8 && p[1] == 0x1b && p[2] == 0x4a;
  }));
  auto before = displayedPixels(screen);
  auto looksAsBefore = [&] {
    auto now = displayedPixels(screen);
    return now && differingPixels(before.get(), now.get(), place) == 0;
  };

  const std::vector<std::function<std::shared_ptr<TADViewController>()>> screens = {
      [&] {
        auto browser = TADBrowserController::init();
        browser->load(base::URL::fromString(server.url("/")));
        return browser;
      },
      [&] {
        auto app = TADWebAppViewController::init();
        app->loadHTML("<title>App</title>", base::URL::fromString(server.url("/app")));
        return app;
      }};
  for (size_t i = 0; i < screens.size(); ++i) {
    std::shared_ptr<TADViewController> over = screens[i]();
    over->presentFromViewController(root);
    ASSERT_TRUE(eventually([&] { return !looksAsBefore(); })) << "screen " << i;
    platform->runLoop().runFor(0.5);
    over->relinquishScreen();
    EXPECT_TRUE(eventually(looksAsBefore)) << "screen " << i;
  }
}

// Escape closes the topmost screen only, by its own close control: the same notices and delegate
// calls follow as when that control is pressed.
TEST_F(TADFullScreenGuiTest, EscapeClosesTheTopmostScreenAsItsCloseControlDoes) {
  auto manager = std::make_shared<TADDelegateManager>();
  auto delegate = std::make_shared<RecordingBannerDelegate>();
  manager->setBannerDelegate(delegate);
  std::vector<std::string> notices;
  TADNotificationCenter::defaultCenter().addObserver(
      this, "", nullptr, [&](const platform::Notification& n) {
        if (n.name.rfind("TADViewController", 0) == 0) notices.push_back(n.name);
      });
  const std::string will(TADViewControllerWillPresentFullScreen);
  const std::string did(TADViewControllerDidRelinquishFullScreen);
  auto appeared = [&](TADViewController& screen) {
    return eventually([&] { return screen.view()->isUserInteractionEnabled(); });
  };

  auto browser = TADBrowserController::init();
  browser->setDelegateManager(manager);
  browser->load(base::URL::fromString(server.url("/")));
  browser->presentFromViewController(root);
  ASSERT_TRUE(appeared(*browser));
  auto app = TADWebAppViewController::init();
  app->setDelegateManager(manager);
  app->loadHTML("<title>App</title>", base::URL::fromString(server.url("/app")));
  app->presentFromViewController(browser);
  ASSERT_TRUE(appeared(*app));

  GtkWindow* screen = platform->deviceScreen()->gtkWindow();
  platform::gtk::testing::pressKey(screen, GDK_KEY_Escape);
  ASSERT_TRUE(eventually([&] { return !browser->modalViewController(); }));
  platform->runLoop().runFor(0.5);
  EXPECT_EQ(root->modalViewController(), browser);
  EXPECT_EQ(notices, (std::vector<std::string>{will, will, did}));
  EXPECT_EQ(delegate->events, std::vector<std::string>{"present"});

  platform::gtk::testing::pressKey(screen, GDK_KEY_Escape);
  ASSERT_TRUE(eventually([&] { return !root->modalViewController(); }));
  EXPECT_EQ(notices, (std::vector<std::string>{will, will, did, did}));
  app.reset();
  browser.reset();
  EXPECT_TRUE(eventually([&] { return delegate->events.size() == 3; }));
  EXPECT_EQ(delegate->events, (std::vector<std::string>{"present", "willDismiss", "didDismiss"}));
  EXPECT_FALSE(platform::Application::shared().isStatusBarHidden());
  TADNotificationCenter::defaultCenter().removeObserver(this);
}

}  // namespace
