#include <gtest/gtest.h>

#include <fstream>

#include "Classes/quillbeckAppDelegate.h"
#include "Classes/quillbeckClips.h"
#include "Classes/quillbeckInterface.h"
#include "Classes/quillbeckiPad.h"
#include "ads/Object/TADObjectPrivate.h"
#include "ads/Request/TADRequestPrivate.h"
#include "ads/View/TADBannerView.h"
#include "platform/sim/SimPlatform.h"
#include "platform/ui/Button.h"
#include "tests/support/TemporaryFolder.h"

namespace {

// A resource folder with every clip as a playable file, but for "trelm" (missing) and "kavrith"
// (present but not audio).
std::string makeResources() {
  static const test_support::TemporaryFolder dir;  // made once for every case of the program
  const std::string audioHead("\0\0\0\030ftypM4A \0\0\0\0", 16);
  for (const quillbeckClip& clip : kClips) {
    if (clip.resource == "trelm") continue;
    std::ofstream(dir / (std::string(clip.resource) + ".m4a"), std::ios::binary)
        << (clip.resource == "kavrith" ? "not audio at all" : audioHead);
  }
  return dir.path();
}

class SoundboardTest : public ::testing::Test {
 protected:
  platform::sim::SimPlatform platform{makeResources()};
  std::shared_ptr<quillbeckAppDelegate> delegate;
  std::shared_ptr<quillbeckViewController> screen;

  void launch() {
    delegate = quillbeckInterface::loadMainInterface();
    platform.application().finishLaunching();
    screen = delegate->viewController();
    platform.audio().clearEvents();
  }
  const std::vector<std::string>& audio() { return platform.audio().events(); }
  std::shared_ptr<platform::Button> button(const std::string& title) {
    for (const auto& view : screen->view()->subviews()) {
      auto b = std::dynamic_pointer_cast<platform::Button>(view);
      if (b && b->title() == title) return b;
    }
    return nullptr;
  }
};

TEST_F(SoundboardTest, LaunchShowsTheUprightPhoneScreenWithTheBannerAlongItsBottomEdge) {
  launch();
  ASSERT_TRUE(screen);
  EXPECT_EQ(dynamic_cast<quillbeckiPad*>(screen.get()), nullptr);  // the phone screen
  EXPECT_TRUE(delegate->window()->isKeyWindow());
  EXPECT_EQ(delegate->window()->rootViewController(), screen);
  std::shared_ptr<TADBannerView> banner = screen->bannerView();
  ASSERT_TRUE(banner);
  EXPECT_EQ(banner->superview(), screen->view());
  EXPECT_EQ(banner->frame(),
            (platform::Rect{0, 410, 320, 50}));  // 460-point view below the status bar
  EXPECT_EQ(banner->adUnitID(), "a17c52f0d3b8e46");
  EXPECT_EQ(banner->rootViewController(), screen);
  EXPECT_EQ(banner->delegate(), nullptr);
  auto request = TADObjectPrivate::ofView(*banner)->request();
  ASSERT_TRUE(request);
  EXPECT_TRUE(request->isTesting());
  EXPECT_FALSE(screen->rotateTo(platform::InterfaceOrientation::LandscapeLeft));  // stays upright
  EXPECT_EQ(screen->interfaceOrientation(), platform::InterfaceOrientation::Portrait);
}

TEST_F(SoundboardTest, TheTabletScreenTurnsButItsBannerKeepsItsLoadTimeFrame) {
  platform.becomeTablet();
  launch();
  ASSERT_NE(dynamic_cast<quillbeckiPad*>(screen.get()), nullptr);
  platform::Rect atLoad{0, 1004 - 50, 320, 50};
  EXPECT_EQ(screen->bannerView()->frame(), atLoad);
  EXPECT_TRUE(screen->rotateTo(platform::InterfaceOrientation::LandscapeLeft));
  screen->view()->setFrame({0, 0, 1024, 748});  // the window lays the turned view out
  EXPECT_EQ(screen->bannerView()->frame(), atLoad);
  for (auto o : {platform::InterfaceOrientation::PortraitUpsideDown,
                 platform::InterfaceOrientation::LandscapeRight}) {
    EXPECT_TRUE(screen->shouldAutorotateToInterfaceOrientation(o));
  }
}

// Another clip or the same one again: the sounding one is cut off and the new one starts from the
// beginning (a clip lasts two seconds).
TEST_F(SoundboardTest, APressCutsOffTheSoundingClipAndPlaysItsOwnFromTheStart) {
  launch();
  screen->quorrendal(nullptr);
  platform.runLoop().advance(0.5);
  screen->vadro(nullptr);
  platform.runLoop().advance(1);
  screen->vadro(nullptr);
  platform.runLoop().advance(1.5);
  ASSERT_TRUE(screen->audioPlayer());
  EXPECT_TRUE(screen->audioPlayer()->isPlaying());
  EXPECT_EQ(platform.audio().livePlayerCount(), 1u);
  EXPECT_EQ(audio(), (std::vector<std::string>{"create quor-ren-dal.m4a", "play quor-ren-dal.m4a",
                                               "dispose quor-ren-dal.m4a", "create vadro.m4a",
                                               "play vadro.m4a", "dispose vadro.m4a",
                                               "create vadro.m4a", "play vadro.m4a"}));
}

TEST_F(SoundboardTest, StopSilencesTheClipAndKeepsThePlayerUntilTheNextPress) {
  launch();
  screen->stop(nullptr);  // before any clip: nothing
  EXPECT_TRUE(audio().empty());
  screen->gorvin(nullptr);
  screen->stop(nullptr);
  screen->stop(nullptr);
  ASSERT_TRUE(screen->audioPlayer());
  EXPECT_FALSE(screen->audioPlayer()->isPlaying());
  screen->thessa(nullptr);
  platform.runLoop().advance(10);  // thessa ends by itself
  screen->stop(nullptr);
  screen->plimsk(nullptr);
  EXPECT_EQ(audio(),
            (std::vector<std::string>{
                "create gorvin.m4a", "play gorvin.m4a", "stop gorvin.m4a", "stop gorvin.m4a",
                "dispose gorvin.m4a", "create thessa.m4a", "play thessa.m4a", "finish thessa.m4a",
                "stop thessa.m4a", "dispose thessa.m4a", "create plimsk.m4a", "play plimsk.m4a"}));
}

TEST_F(SoundboardTest, AClipThatCannotBePlayedOrIsMissingGivesASilentPress) {
  launch();
  screen->draskel(nullptr);
  screen->kavrith(nullptr);  // present, not audio
  EXPECT_EQ(screen->audioPlayer(), nullptr);
  EXPECT_TRUE(platform.console().lines().empty());
  screen->fennock(nullptr);
  screen->trelm(nullptr);  // missing from the resources
  EXPECT_EQ(screen->audioPlayer(), nullptr);
  EXPECT_EQ(platform.audio().livePlayerCount(), 0u);
  ASSERT_EQ(platform.console().lines().size(), 1u);
  EXPECT_NE(platform.console().lines()[0].find("trelm.m4a is missing from "), std::string::npos);
  screen->stop(nullptr);  // nothing to stop
  screen->nalvestor(nullptr);
  ASSERT_TRUE(screen->audioPlayer());
  EXPECT_TRUE(screen->audioPlayer()->isPlaying());
}

TEST_F(SoundboardTest, EveryButtonPlaysItsOwnClip) {
  launch();
  for (const quillbeckClip& clip : kClips) {
    auto b = button(std::string(clip.resource));
    ASSERT_TRUE(b) << clip.resource;
    platform.audio().clearEvents();
    platform::sim::SimButtonPeer::of(*b).tap();
    if (clip.resource == "trelm" || clip.resource == "kavrith") continue;
    EXPECT_EQ(audio().back(), "play " + std::string(clip.resource) + ".m4a");
  }
  platform::sim::SimButtonPeer::of(*button("Stop")).tap();
  EXPECT_EQ(audio().back(), "stop pruvane.m4a");
  EXPECT_EQ(screen->actionNamed("nonsense:"), nullptr);
}

TEST_F(SoundboardTest, TheScreenGoesWithTheApplicationThatHoldsIt) {
  launch();
  std::weak_ptr<quillbeckViewController> watched = screen;
  screen->hethquorrim(nullptr);
  screen.reset();
  delegate.reset();
  platform.application().setDelegate(nullptr);
  EXPECT_TRUE(watched.expired());  // buttons and the player do not keep it alive
  EXPECT_EQ(audio().back(), "dispose heth-quorrim.m4a");
}

}  // namespace
