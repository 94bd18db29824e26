// The soundboard as the desktop program shows it: real widgets under Xvfb, real clips decoded by
// GStreamer into a sink that keeps real time.

#include <gtest/gtest.h>

#include "Classes/quillbeckAppDelegate.h"
#include "Classes/quillbeckDesktopBackends.h"
#include "Classes/quillbeckInterface.h"
#include "ads/View/TADBannerView.h"
#include "platform/audio/GstAudioPlayer.h"
#include "platform/gtk/GtkButtonPeer.h"
#include "tests/platform/audio/GstPipelineState.h"
#include "tests/platform/gtk/GtkTestPlatform.h"

namespace {

using platform::audio::testing::positionOf;
using platform::audio::testing::stateOf;

class SoundboardGuiTest : public ::testing::Test {
 protected:
  void launch() {
    platform = platform::gtk::testing::makePlatform(console, platform::UserInterfaceIdiom::Phone,
                                                    std::string(TAD_SOURCE_DIR) + "/assets/clips");
    ASSERT_TRUE(platform);
    quillbeckDesktopBackends::addTo(*platform, platform::audio::GstAudioBackend::Output::Silent);
    ASSERT_TRUE(
        platform->launch([] { return quillbeckInterface::loadMainInterface() != nullptr; }));
    auto delegate =
        std::dynamic_pointer_cast<quillbeckAppDelegate>(platform->application().delegate());
    ASSERT_TRUE(delegate);
    screen = delegate->viewController();
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
    auto player = std::dynamic_pointer_cast<platform::audio::GstAudioPlayer>(screen->audioPlayer());
    return player ? player->pipeline() : nullptr;
  }

  std::shared_ptr<platform::gtk::testing::RecordingConsole> console =
      std::make_shared<platform::gtk::testing::RecordingConsole>();
  std::unique_ptr<platform::gtk::GtkPlatform> platform;
  std::shared_ptr<quillbeckViewController> screen;
};

// The desktop program end to end: the real clips decoded and cut off by the next press, and the
// window's close ending the sound. The screen's buttons and banner, turning and the clip rules
// themselves are covered by the simulated soundboard and the platform's own suites.
TEST_F(SoundboardGuiTest, ThePhoneScreenPlaysTheRealClipsUntilTheWindowCloses) {
  launch();
  press("quor-ren-dal");
  auto kept = glibsupport::retain(pipeline());
  GstElement* first = kept.get();
  ASSERT_TRUE(first);
  ASSERT_TRUE(eventually([&] { return positionOf(first) >= 0.4; }));
  double firstReached = positionOf(first);
  press("vadro");
  EXPECT_EQ(stateOf(first), GST_STATE_NULL);  // its player is gone, and its sound with it
  auto third = glibsupport::retain(pipeline());
  ASSERT_TRUE(third);
  ASSERT_TRUE(eventually([&] { return stateOf(third.get()) == GST_STATE_PLAYING; }));
  EXPECT_LT(positionOf(third.get()), firstReached);

  gtk_window_close(platform->deviceScreen()->gtkWindow());
  EXPECT_TRUE(eventually([&] {
    return platform->application().applicationState() == platform::Application::State::Background;
  }));
  screen.reset();
  platform.reset();
  EXPECT_EQ(stateOf(third.get()), GST_STATE_NULL);
}

}  // namespace
