#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "ads/Delegate/TADDelegateManager.h"
#include "ads/Notification/TADNotificationCenter.h"
#include "ads/Statistics/TADStatistics.h"
#include "ads/View/TADRelinquishableScreen.h"
#include "platform/sim/SimPlatform.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/Window.h"
#include "tests/ads/RecordingBannerDelegate.h"
#include "tests/support/LibraryStateGuard.h"

// The application's window with its own root controller on the simulated platform, a delegate
// manager that records the banner events, and every notice posted on the default center.
class ScreenTestFixture : public ::testing::Test {
 protected:
  ScreenTestFixture() {
    window_->setRootViewController(root_);
    window_->makeKeyAndVisible();
    manager_->setBannerDelegate(banner_);
    TADNotificationCenter::defaultCenter().addObserver(
        this, "", nullptr, [this](const platform::Notification& n) {
          if (n.name.rfind("TADViewController", 0) == 0) notices_.push_back(n.name);
        });
  }
  // A screen holds itself until it is closed: close what a test left open.
  ~ScreenTestFixture() override {
    if (auto screen =
            std::dynamic_pointer_cast<TADRelinquishableScreen>(root_->modalViewController()))
      screen->relinquishScreen();
    platform_.runLoop().runUntilIdle();
    TADNotificationCenter::defaultCenter().removeObserver(this);
  }

  platform::sim::SimPlatform platform_;
  test_support::LibraryStateGuard state_;
  std::shared_ptr<platform::Window> window_ =
      std::make_shared<platform::Window>(platform::Rect{0, 0, 320, 480});
  std::shared_ptr<platform::ViewController> root_ = std::make_shared<platform::ViewController>();
  std::shared_ptr<TADDelegateManager> manager_ = std::make_shared<TADDelegateManager>();
  std::shared_ptr<RecordingBannerDelegate> banner_ = std::make_shared<RecordingBannerDelegate>();
  std::vector<std::string> notices_;
};
