// The soundboard as the desktop program shows it: real widgets under Xvfb, real clips decoded by
// GStreamer into a sink that keeps real time.

#include <gdk/gdkkeysyms.h>
#include <gtest/gtest.h>

#include "Classes/quillbeckAppDelegate.h"
#include "Classes/quillbeckInterface.h"
#include "ads/View/TADBannerView.h"
#include "platform/gtk/GstAudioPlayer.h"
#include "platform/gtk/GtkButtonPeer.h"
#include "tests/platform/gtk/GtkTestPlatform.h"
#include "tests/platform/gtk/XTestInput.h"

namespace {

using platform::gtk::testing::placeOnScreen;
using platform::gtk::testing::positionOf;
using platform::gtk::testing::stateOf;

class SoundboardGuiTest : public ::testing::Test {
 protected:
  void launch(platform::UserInterfaceIdiom idiom) {
    platform = platform::gtk::testing::makePlatform(console, idiom,
                                                    std::string(TAD_SOURCE_DIR) + "/assets/clips");
    ASSERT_TRUE(platform);
    ASSERT_TRUE(
        platform->launch([] { return quillbeckInterface::loadMainInterface() != nullptr; }));
    auto delegate =
        std::dynamic_pointer_cast<quillbeckAppDelegate>(platform->application().delegate());
    ASSERT_TRUE(delegate);
    screen = delegate->viewController();
    stage = platform->deviceScreen()->stage();
    ASSERT_TRUE(eventually([&] {
      return gtk_widget_get_mapped(platform::gtk::GtkViewPeer::of(*screen->bannerView()).widget());
    }));
  }
  bool eventually(const std::function<bool()>& done) {
    return platform->runLoop().runUntil(done, 5);
  }
  void press(const std::string& title) {
    for (const auto& view : screen->view()->subviews()) {
      auto button = std::dynamic_pointer_cast<platform::Button>(view);
      if (button && button->title() == title) {
        gtk_button_clicked(platform::gtk::GtkButtonPeer::of(*button).button());
        return;
      }
    }
    ADD_FAILURE() << "no button " << title;
  }
  GstElement* pipeline() {
    auto player = std::dynamic_pointer_cast<platform::gtk::GstAudioPlayer>(screen->audioPlayer());
    return player ? player->pipeline() : nullptr;
  }
  GtkWidget* widgetOf(platform::View& view) {
    return platform::gtk::GtkViewPeer::of(view).widget();
  }

  std::shared_ptr<platform::gtk::testing::RecordingConsole> console =
      std::make_shared<platform::gtk::testing::RecordingConsole>();
  std::unique_ptr<platform::gtk::GtkPlatform> platform;
  std::shared_ptr<quillbeckViewController> screen;
  GtkWidget* stage = nullptr;
};

TEST_F(SoundboardGuiTest, ThePhoneScreenHoldsFifteenButtonsAndTheBannerAlongItsBottomEdge) {
  launch(platform::UserInterfaceIdiom::Phone);
  std::vector<GtkButton*> buttons;
  platform::gtk::testing::collectButtons(stage, buttons);
  EXPECT_EQ(buttons.size(), 15u);
  double height = screen->view()->frame().height();
  EXPECT_EQ(screen->bannerView()->frame(), (platform::Rect{0, height - 50, 320, 50}));
  GtkWidget* banner = widgetOf(*screen->bannerView());
  EXPECT_TRUE(eventually([&] {
    return placeOnScreen(banner, widgetOf(*screen->view())) ==
           platform::Rect{0, height - 50, 320, 50};
  }));
  EXPECT_EQ(placeOnScreen(banner, stage), (platform::Rect{0, 480 - 50, 320, 50}));
}

TEST_F(SoundboardGuiTest, PressingClip3WhileClip1SoundsEndsClip1AndPlaysClip3FromItsStart) {
  launch(platform::UserInterfaceIdiom::Phone);
  press("quor-ren-dal");
  auto kept = platform::glib::retain(pipeline());
  GstElement* first = kept.get();
  ASSERT_TRUE(first);
  ASSERT_TRUE(eventually([&] { return positionOf(first) >= 0.4; }));
  EXPECT_EQ(stateOf(first), GST_STATE_PLAYING);
  double firstReached = positionOf(first);

  press("vadro");
  EXPECT_EQ(stateOf(first), GST_STATE_NULL);  // its player is gone, and its sound with it
  GstElement* third = pipeline();
  ASSERT_TRUE(third);
  ASSERT_TRUE(eventually([&] { return stateOf(third) == GST_STATE_PLAYING; }));
  EXPECT_LT(positionOf(third), firstReached);
  EXPECT_TRUE(screen->audioPlayer()->isPlaying());
}

TEST_F(SoundboardGuiTest, OnTheTabletATurnLeavesTheBannerAtItsLoadTimeFrame) {
  launch(platform::UserInterfaceIdiom::Pad);
  platform::Rect atLoad{0, 1004 - 50, 320, 50};
  ASSERT_EQ(screen->bannerView()->frame(), atLoad);
  platform::gtk::testing::pressControlWith(platform->deviceScreen()->gtkWindow(), GDK_KEY_Left);
  ASSERT_TRUE(eventually([&] { return platform::isLandscape(screen->interfaceOrientation()); }));
  EXPECT_EQ(screen->view()->frame(), (platform::Rect{0, 20, 1024, 748}));
  EXPECT_EQ(screen->bannerView()->frame(), atLoad);
  EXPECT_TRUE(eventually([&] {
    return placeOnScreen(widgetOf(*screen->bannerView()), widgetOf(*screen->view())) == atLoad &&
           placeOnScreen(stage, stage) == platform::Rect{0, 0, 1024, 768};
  }));
}

TEST_F(SoundboardGuiTest, ThePhoneScreenRefusesLandscape) {
  launch(platform::UserInterfaceIdiom::Phone);
  platform::gtk::testing::pressControlWith(platform->deviceScreen()->gtkWindow(), GDK_KEY_Left);
  EXPECT_TRUE(eventually([&] { return console->saidSomethingWith("does not turn to landscape"); }));
  EXPECT_EQ(screen->interfaceOrientation(), platform::InterfaceOrientation::Portrait);
  EXPECT_EQ(placeOnScreen(stage, stage), (platform::Rect{0, 0, 320, 480}));
}

TEST_F(SoundboardGuiTest, ClosingTheWindowWhileAClipPlaysEndsTheClipWithTheProgram) {
  launch(platform::UserInterfaceIdiom::Phone);
  press("heth-quorrim");
  auto playing = platform::glib::retain(pipeline());
  gtk_window_close(platform->deviceScreen()->gtkWindow());
  EXPECT_TRUE(eventually([&] {
    return platform->application().applicationState() == platform::Application::State::Background;
  }));
  screen.reset();
  platform.reset();
  EXPECT_EQ(stateOf(playing.get()), GST_STATE_NULL);
}

}  // namespace
