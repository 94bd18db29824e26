#include "ads/ViewController/TADViewController.h"

#include <gtest/gtest.h>

#include <tuple>

#include "ads/View/TADWebView.h"
#include "ads/WebApp/TADWebAppViewController.h"
#include "tests/ads/ViewController/ScreenTestFixture.h"

namespace {

using platform::InterfaceOrientation;
using TADViewControllerTest = ScreenTestFixture;

const std::string kWill(TADViewControllerWillPresentFullScreen);
const std::string kDid(TADViewControllerDidRelinquishFullScreen);

TEST_F(TADViewControllerTest, WithoutAControllerItSaysSoAndNothingHappens) {
  auto screen = TADViewController::init();
  screen->setDelegateManager(manager_);
  screen->presentFromViewController(nullptr);
  EXPECT_EQ(platform_.console().lines(),
            std::vector<std::string>{
                "<Talvik> No UIViewController supplied to the ad.  Cannot continue."});
  EXPECT_TRUE(notices_.empty());
  EXPECT_TRUE(banner_->events.empty());
  EXPECT_FALSE(platform_.application().isStatusBarHidden());
}

// A browser opened from a web app screen: only the first screen talks to the application's
// delegate, both post their notices, and each screen lives until it is closed.
TEST_F(TADViewControllerTest, OnlyTheFirstScreenTellsTheDelegateAndEveryScreenPostsItsNotices) {
  std::weak_ptr<TADViewController> weakFirst, weakSecond;
  {
    auto first = TADViewController::init();
    auto second = TADViewController::init();
    first->setDelegateManager(manager_);
    second->setDelegateManager(manager_);
    weakFirst = first;
    weakSecond = second;
    first->presentFromViewController(root_);
    second->presentFromViewController(first);
  }
  auto first = weakFirst.lock();
  auto second = weakSecond.lock();
  ASSERT_TRUE(first && second);
  EXPECT_TRUE(first->isFirstTADViewController());
  EXPECT_FALSE(second->isFirstTADViewController());
  EXPECT_EQ(root_->modalViewController(), first);
  EXPECT_EQ(first->modalViewController(), second);
  EXPECT_TRUE(second->view()->isUserInteractionEnabled());
  EXPECT_EQ(banner_->events, std::vector<std::string>{"present"});

  second->relinquishScreen();
  first->relinquishScreen();
  EXPECT_EQ(notices_, (std::vector<std::string>{kWill, kWill, kDid, kDid}));
  EXPECT_EQ(banner_->events, (std::vector<std::string>{"present", "willDismiss"}));
  second.reset();
  first.reset();
  platform_.runLoop().runUntilIdle();
  EXPECT_TRUE(weakFirst.expired() && weakSecond.expired());
  EXPECT_EQ(banner_->events, (std::vector<std::string>{"present", "willDismiss", "didDismiss"}));
}

// A screen asked for while another is up is not presented, changes nothing and is not kept;
// the first is left as it was.
TEST_F(TADViewControllerTest, AScreenAskedForWhileAnotherIsUpIsNeitherPresentedNorKept) {
  auto first = TADViewController::init();
  first->setDelegateManager(manager_);
  ASSERT_TRUE(first->presentFromViewController(root_));
  platform_.runLoop().runUntilIdle();
  platform_.application().setStatusBarHidden(false, false);  // as the application may do
  notices_.clear();
  std::weak_ptr<TADViewController> weakSecond;
  {
    auto second = TADViewController::init();
    second->setDelegateManager(manager_);
    weakSecond = second;
    EXPECT_FALSE(second->presentFromViewController(root_));
  }
  platform_.runLoop().runUntilIdle();
  EXPECT_TRUE(weakSecond.expired());
  EXPECT_EQ(root_->modalViewController(), first);
  EXPECT_TRUE(notices_.empty());
  EXPECT_EQ(banner_->events, std::vector<std::string>{"present"});
  EXPECT_FALSE(platform_.application().isStatusBarHidden());
  EXPECT_EQ(platform_.console().lines(),
            std::vector<std::string>{
                "<Talvik> Another screen is already up: this one is not presented."});
}

// What the application had set before the screen came is what it finds after; the screen only
// puts back what it changed.

TEST(TADViewControllerRestoreTest, StatusBarAndIdleTimerComeBackAsTheApplicationHadThem) {
  // The status bar hidden and the idle timer disabled before, and the screen's calls.
  const std::tuple<bool, bool, std::vector<std::string>> cases[] = {
      {false,
       false,
       {"setStatusBarHidden YES", "setIdleTimerDisabled YES", "setStatusBarHidden NO",
        "setIdleTimerDisabled NO"}},
      {true, false, {"setIdleTimerDisabled YES", "setIdleTimerDisabled NO"}},
      {false, true, {"setStatusBarHidden YES", "setStatusBarHidden NO"}},
  };
  for (const auto& [statusBarHidden, idleTimerDisabled, expected] : cases) {
    SCOPED_TRACE(testing::Message() << statusBarHidden << idleTimerDisabled);
    platform::sim::SimPlatform platform;
    platform.application().setStatusBarHidden(statusBarHidden, false);
    platform.application().setIdleTimerDisabled(idleTimerDisabled);
    const size_t before = platform.application().calls().size();
    auto root = std::make_shared<platform::ViewController>();
    auto screen = TADViewController::init();
    screen->presentFromViewController(root);
    EXPECT_TRUE(platform.application().isStatusBarHidden());
    EXPECT_TRUE(platform.application().isIdleTimerDisabled());
    screen->relinquishScreen();
    EXPECT_EQ(platform.application().isStatusBarHidden(), statusBarHidden);
    EXPECT_EQ(platform.application().isIdleTimerDisabled(), idleTimerDisabled);
    std::vector<std::string> calls = platform.application().calls();
    calls.erase(calls.begin(), calls.begin() + static_cast<std::ptrdiff_t>(before));
    EXPECT_EQ(calls, expected);
  }
}

// Systems before presentation styles had every screen cover the status bar.
TEST_F(TADViewControllerTest, AScreenThatDoesNotCoverEverythingLeavesTheStatusBarAlone) {
  for (auto [system, hidesStatusBar] :
       {std::pair{"4.2.1", false}, {"3.2", false}, {"3.1.3", true}}) {
    platform_.device().setSystemVersion(system);
    auto screen = TADViewController::init();
    screen->setModalPresentationStyle(platform::ModalPresentationStyle::FormSheet);
    screen->presentFromViewController(root_);
    EXPECT_EQ(platform_.application().isStatusBarHidden(), hidesStatusBar) << system;
    EXPECT_TRUE(platform_.application().isIdleTimerDisabled());
    screen->relinquishScreen();
    EXPECT_FALSE(platform_.application().isStatusBarHidden());
    EXPECT_FALSE(platform_.application().isIdleTimerDisabled());
  }
}

TEST_F(TADViewControllerTest, OrientationCodesAllowTheirOrientations) {
  using O = InterfaceOrientation;
  const O all[] = {O::Portrait, O::PortraitUpsideDown, O::LandscapeRight, O::LandscapeLeft};
  using T = TADOrientations;
  const std::pair<T, std::vector<bool>> cases[] = {{T::Any, {true, true, true, true}},
                                                   {T::Portrait, {true, true, false, false}},
                                                   {T::Landscape, {false, false, true, true}}};
  auto screen = TADViewController::init();
  for (const auto& [code, expected] : cases) {
    screen->setSupportedOrientations(code);
    screen->setSupportedOrientations(T::None);  // keeps them
    std::vector<bool> allowed;
    for (O o : all)
      allowed.push_back(screen->shouldAutorotateToInterfaceOrientation(o));
    EXPECT_EQ(allowed, expected) << static_cast<int>(code);
  }
  EXPECT_EQ(TADViewController::orientationFromString("any"), T::Any);
  EXPECT_EQ(TADViewController::orientationFromString("portrait"), T::Portrait);
  EXPECT_EQ(TADViewController::orientationFromString("landscape"), T::Landscape);
  EXPECT_EQ(TADViewController::orientationFromString("Portrait"), T::None);
  EXPECT_EQ(TADViewController::orientationFromString(std::nullopt), T::None);
}

// A page's "settings" message names its web view; it reaches the screen showing that page and
// no other screen.
TEST_F(TADViewControllerTest, ThePagesSettingsMessageRestrictsItsOwnScreen) {
  auto screen = TADWebAppViewController::init();
  auto other = TADWebAppViewController::init();
  screen->presentFromViewController(root_);
  other->viewWillAppear(false);
  base::Dictionary info;
  info.set("supportedorientations", base::Value(std::string("portrait")));
  TADNotificationCenter::defaultCenter().post("settings", screen->webView().get(),
                                              base::Value(info));
  EXPECT_EQ(screen->supportedOrientations(), TADOrientations::Portrait);
  EXPECT_EQ(other->supportedOrientations(), TADOrientations::Any);
  EXPECT_FALSE(root_->rotateTo(InterfaceOrientation::LandscapeLeft));

  info.set("supportedorientations", base::Value(std::string("sideways")));
  TADNotificationCenter::defaultCenter().post("settings", screen->view().get(), base::Value(info));
  EXPECT_EQ(screen->supportedOrientations(), TADOrientations::Portrait);
  screen->relinquishScreen();
}

}  // namespace
