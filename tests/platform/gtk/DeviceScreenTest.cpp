#include "platform/gtk/DeviceScreenWindow.h"

#include <gdk/gdkkeysyms.h>
#include <gtest/gtest.h>

#include "platform/gtk/GtkButtonPeer.h"
#include "platform/ui/Window.h"
#include "tests/platform/gtk/GtkTestPlatform.h"
#include "tests/platform/gtk/XTestInput.h"

namespace platform::gtk {
namespace {

using testing::placeOnScreen;
using testing::RecordingConsole;

class TurningController : public ViewController {
 public:
  explicit TurningController(std::vector<std::string>& log) : log_(log) {}
  bool shouldAutorotateToInterfaceOrientation(InterfaceOrientation o) override {
    return turns || o == InterfaceOrientation::Portrait;
  }
  void willRotateToInterfaceOrientation(InterfaceOrientation) override {
    log_.push_back("willRotate, view " + ::testing::PrintToString(view()->frame()));
  }
  void didRotateFromInterfaceOrientation(InterfaceOrientation) override {
    log_.push_back("didRotate, view " + ::testing::PrintToString(view()->frame()));
  }
  bool turns = false;

 private:
  std::vector<std::string>& log_;
};

class DeviceScreenTest : public ::testing::Test {
 protected:
  void launch(UserInterfaceIdiom idiom) {
    platform = testing::makePlatform(console, idiom);
    ASSERT_TRUE(platform);
    ASSERT_TRUE(platform->launch([&] {
      window = std::make_shared<Window>(Screen::main().bounds());
      root = std::make_shared<TurningController>(log);
      window->setRootViewController(root);
      window->makeKeyAndVisible();
      return true;
    }));
    screen = platform->deviceScreen();
    stage = screen->stage();
    ASSERT_TRUE(eventually([&] { return gtk_widget_get_mapped(stage); }));
  }
  bool eventually(const std::function<bool()>& done) {
    return platform->runLoop().runUntil(done, 5);
  }
  Rect screenSize() { return placeOnScreen(stage, stage); }
  GdkWindow* desktopWindow() { return gtk_widget_get_window(GTK_WIDGET(screen->gtkWindow())); }
  void click(int x, int y) {
    testing::movePointer(screen->gtkWindow(), x, y);
    platform->runLoop().runFor(0.05);
    testing::click(screen->gtkWindow());
  }
  void pressControlWith(guint key) { testing::pressControlWith(screen->gtkWindow(), key); }

  std::shared_ptr<RecordingConsole> console = std::make_shared<RecordingConsole>();
  std::unique_ptr<GtkPlatform> platform;
  std::vector<std::string> log;
  std::shared_ptr<Window> window;
  std::shared_ptr<TurningController> root;
  DeviceScreenWindow* screen = nullptr;
  GtkWidget* stage = nullptr;
};

TEST_F(DeviceScreenTest, ViewsSitAtTheirFramesAndFollowTheirChanges) {
  launch(UserInterfaceIdiom::Phone);
  EXPECT_EQ(screenSize(), (Rect{0, 0, 320, 480}));
  auto strip = std::make_shared<View>(Rect{0, 410, 320, 50});
  auto hidden = std::make_shared<View>(Rect{10, 10, 50, 50});
  hidden->setHidden(true);
  root->view()->addSubview(strip);
  root->view()->addSubview(hidden);
  GtkWidget* widget = GtkViewPeer::of(*strip).widget();
  // The root view starts below the 20-point status bar.
  EXPECT_TRUE(eventually([&] {
    return placeOnScreen(widget, stage) == Rect{0, 430, 320, 50};
  })) << ::testing::PrintToString(placeOnScreen(widget, stage));
  EXPECT_FALSE(gtk_widget_get_visible(GtkViewPeer::of(*hidden).widget()));

  strip->setFrame({20, 100, 100, 30});
  EXPECT_TRUE(eventually([&] { return placeOnScreen(widget, stage) == Rect{20, 120, 100, 30}; }));

  // A view moved to another superview takes its widget along.
  auto holder = std::make_shared<View>(Rect{0, 200, 320, 100});
  root->view()->addSubview(holder);
  holder->addSubview(strip);
  EXPECT_TRUE(eventually([&] { return placeOnScreen(widget, stage) == Rect{20, 320, 100, 30}; }));
  EXPECT_EQ(gtk_widget_get_parent(gtk_widget_get_parent(widget)),
            GtkViewPeer::of(*holder).widget());
}

using TouchRecorder = testing::TouchRecording<View>;

// A click on a view reaches its hit test at the point clicked.
TEST_F(DeviceScreenTest, AClickReachesAButtonButNotThroughAPresentedLayerOrWhenItTakesNoTouches) {
  launch(UserInterfaceIdiom::Phone);
  int taps = 0;
  auto button = std::make_shared<Button>(Rect{10, 10, 100, 40});
  button->setTitle("Tap");
  button->setAction([&] { ++taps; });
  root->view()->addSubview(button);
  auto touched = std::make_shared<TouchRecorder>(Rect{100, 100, 100, 100});
  root->view()->addSubview(touched);
  ASSERT_TRUE(eventually([&] {
    return gtk_widget_get_mapped(GtkViewPeer::of(*button).widget()) &&
           gtk_widget_get_mapped(GtkViewPeer::of(*touched).widget());
  }));
  click(60, 50);  // the button's middle: 10 + 20 down from the status bar
  EXPECT_TRUE(eventually([&] { return taps == 1; }));
  click(130, 140);  // 20 of it below the status bar
  ASSERT_TRUE(eventually([&] { return !touched->touches.empty(); }));
  EXPECT_EQ(touched->touches, (std::vector<Point>{{30, 20}}));

  auto presented = std::make_shared<ViewController>();
  root->presentModalViewController(presented, false);
  GtkWidget* layer = GtkViewPeer::of(*presented->view()).widget();
  ASSERT_TRUE(eventually([&] { return placeOnScreen(layer, stage) == Rect{0, 0, 320, 480}; }));
  click(60, 50);
  platform->runLoop().runFor(0.2);
  EXPECT_EQ(taps, 1);

  root->dismissModalViewControllerAnimated(false);
  EXPECT_FALSE(gtk_widget_get_parent(layer));
  click(60, 50);
  EXPECT_TRUE(eventually([&] { return taps == 2; }));

  root->view()->setUserInteractionEnabled(false);
  click(60, 50);
  platform->runLoop().runFor(0.2);
  EXPECT_EQ(taps, 2);
}

TEST_F(DeviceScreenTest, VibratingShakesTheWindowAndPutsItBack) {
  launch(UserInterfaceIdiom::Phone);
  auto position = [&] {
    int x = 0, y = 0;
    gtk_window_get_position(screen->gtkWindow(), &x, &y);
    return std::pair{x, y};
  };
  auto start = position();
  Application::shared().vibrate();
  EXPECT_TRUE(eventually([&] { return position() != start; }));
  EXPECT_TRUE(eventually([&] { return position() == start; }));
}

TEST_F(DeviceScreenTest, AnAcceptedTurnLaysTheScreenOutBeforeTheControllersHearOfIt) {
  launch(UserInterfaceIdiom::Pad);
  EXPECT_EQ(screenSize(), (Rect{0, 0, 768, 1024}));
  auto presented = std::make_shared<ViewController>();
  auto overPresented = std::make_shared<TurningController>(log);
  overPresented->turns = true;
  root->presentModalViewController(presented, false);
  presented->presentModalViewController(overPresented, false);
  root->turns = true;
  pressControlWith(GDK_KEY_Left);
  ASSERT_TRUE(eventually(
      [&] { return root->interfaceOrientation() == InterfaceOrientation::LandscapeRight; }));
  // The presented screens cover the turned screen when their controllers hear of it.
  EXPECT_EQ(log, (std::vector<std::string>{
                     "willRotate, view 0,20 768x1004", "willRotate, view 0,0 768x1024",
                     "didRotate, view 0,20 1024x748", "didRotate, view 0,0 1024x768"}));
  EXPECT_EQ(window->frame(), (Rect{0, 0, 1024, 768}));
  EXPECT_EQ(presented->view()->frame(), window->bounds());
  EXPECT_EQ(platform->application().statusBarOrientation(), InterfaceOrientation::LandscapeRight);
  EXPECT_TRUE(eventually([&] { return screenSize() == Rect{0, 0, 1024, 768}; }));

  pressControlWith(GDK_KEY_Right);
  ASSERT_TRUE(
      eventually([&] { return root->interfaceOrientation() == InterfaceOrientation::Portrait; }));
  EXPECT_TRUE(eventually([&] { return screenSize() == Rect{0, 0, 768, 1024}; }));
}

TEST_F(DeviceScreenTest, ATurnTheScreenRefusesChangesNothingAndSaysSoAndTheStatusBarFollows) {
  launch(UserInterfaceIdiom::Phone);
  EXPECT_FALSE(screen->turn(DeviceScreenWindow::Turn::Clockwise));
  EXPECT_EQ(root->interfaceOrientation(), InterfaceOrientation::Portrait);
  EXPECT_EQ(screen->orientation(), InterfaceOrientation::Portrait);
  EXPECT_TRUE(log.empty());
  EXPECT_TRUE(console->saidSomethingWith("does not turn to landscape left"));
  platform->runLoop().runFor(0.1);
  EXPECT_EQ(screenSize(), (Rect{0, 0, 320, 480}));

  // The status bar strip follows the application.
  EXPECT_TRUE(screen->isStatusBarVisible());
  platform->application().setStatusBarHidden(true, false);
  EXPECT_FALSE(screen->isStatusBarVisible());
  EXPECT_EQ(Screen::main().applicationFrame(), (Rect{0, 0, 320, 480}));
}

TEST_F(DeviceScreenTest, TheDesktopWindowDrivesTheLifeCycle) {
  launch(UserInterfaceIdiom::Phone);
  GtkDesktopApplication& application = platform->application();
  std::vector<std::string> heard;
  NotificationCenter::defaultCenter().addObserver(
      this, "", &application, [&](const Notification& n) {
        // "UIApplication…Notification", by what comes between.
        heard.push_back(n.name.substr(13, n.name.size() - 13 - 12));
      });
  GtkWidget* desktop = GTK_WIDGET(screen->gtkWindow());
  auto focus = [&](bool in) {
    GdkEvent* event = gdk_event_new(GDK_FOCUS_CHANGE);
    event->focus_change.window = GDK_WINDOW(g_object_ref(desktopWindow()));
    event->focus_change.in = in;
    gtk_widget_send_focus_change(desktop, event);
    gdk_event_free(event);
  };
  auto minimize = [&](bool minimized) {
    GdkEvent* event = gdk_event_new(GDK_WINDOW_STATE);
    event->window_state.window = GDK_WINDOW(g_object_ref(desktopWindow()));
    event->window_state.changed_mask = GDK_WINDOW_STATE_ICONIFIED;
    event->window_state.new_window_state =
        minimized ? GDK_WINDOW_STATE_ICONIFIED : GdkWindowState(0);
    gtk_widget_event(desktop, event);
    gdk_event_free(event);
  };

  focus(true);
  focus(false);
  EXPECT_EQ(application.applicationState(), Application::State::Inactive);
  focus(true);
  minimize(true);
  EXPECT_EQ(application.applicationState(), Application::State::Background);
  minimize(false);
  EXPECT_EQ(application.applicationState(), Application::State::Active);
  gtk_window_close(screen->gtkWindow());
  EXPECT_TRUE(
      eventually([&] { return application.applicationState() == Application::State::Background; }));
  EXPECT_FALSE(gtk_widget_get_visible(desktop));
  application.terminateOnce();
  application.terminateOnce();
  EXPECT_EQ(heard, (std::vector<std::string>{
                       "WillResignActive", "DidBecomeActive", "WillResignActive",
                       "DidEnterBackground", "WillEnterForeground", "DidBecomeActive",
                       "WillResignActive", "DidEnterBackground", "WillTerminate"}));
  NotificationCenter::defaultCenter().removeObserver(this);
}

TEST_F(DeviceScreenTest, ABackgroundTaskOutlivesTheClosedWindowUntilItsTimeRunsOut) {
  launch(UserInterfaceIdiom::Phone);
  GtkDesktopApplication& application = platform->application();
  application.setBackgroundAllowance(0.05);
  bool expired = false;
  application.beginBackgroundTask([&] { expired = true; });  // and does not end it
  gtk_window_close(screen->gtkWindow());
  EXPECT_TRUE(eventually([&] { return application.activeBackgroundTaskCount() == 0; }));
  EXPECT_TRUE(expired);
  EXPECT_TRUE(console->saidSomethingWith("did not end when its time ran out"));
}

TEST_F(DeviceScreenTest, AViewIsPaintedOnceMoreThanATwentiethOfItDiffersFromItsCorner) {
  launch(UserInterfaceIdiom::Phone);
  auto banner = std::make_shared<View>(Rect{0, 410, 320, 50});
  banner->setBackgroundColor(Color::white());
  auto mark = std::make_shared<View>(Rect{312, 0, 8, 50});  // a fortieth of the banner
  mark->setBackgroundColor(Color::black());
  banner->addSubview(mark);
  root->view()->addSubview(banner);
  auto paintedWhenAt = [&](Rect place) {
    GtkWidget* widget = GtkViewPeer::of(*mark).widget();
    EXPECT_TRUE(eventually([&] { return placeOnScreen(widget, stage) == place; }));
    auto picture = screen->snapshot();
    return picture && screen->isPainted(*banner, *picture.get());
  };
  EXPECT_FALSE(paintedWhenAt({312, 430, 8, 50}));
  mark->setFrame({300, 0, 20, 50});  // an eighth
  EXPECT_TRUE(paintedWhenAt({300, 430, 20, 50}));
}

}  // namespace
}  // namespace platform::gtk
