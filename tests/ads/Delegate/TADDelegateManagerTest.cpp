#include "ads/Delegate/TADDelegateManager.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "ads/Object/TADObjectPrivate.h"
#include "ads/View/TADBannerView.h"
#include "platform/sim/SimPlatform.h"
#include "tests/ads/RecordingBannerDelegate.h"
#include "tests/ads/StandInContributors.h"

namespace {

class TADDelegateManagerTest : public ::testing::Test {
 protected:
  platform::sim::SimPlatform platform;
  ScopedStandIns standIns;
  std::shared_ptr<TADBannerView> view = TADBannerView::initWithFrame({0, 0, 320, 50});
  std::shared_ptr<TADDelegateManager> manager = TADObjectPrivate::ofView(*view)->delegateManager();
  std::shared_ptr<RecordingBannerDelegate> delegate = std::make_shared<RecordingBannerDelegate>();

  void SetUp() override { view->setDelegate(delegate); }
};

TEST_F(TADDelegateManagerTest, EveryEventReachesTheBannerDelegateWithTheView) {
  manager->didReceiveAd();
  manager->didFailToReceiveAdWithError(
      TADRequestError::errorWithCode(TADRequestErrorNoAd, nullptr));
  manager->willPresentScreen();
  manager->willDismissScreen();
  manager->didDismissScreen();
  manager->willLeaveApplication();
  EXPECT_EQ(delegate->events, (std::vector<std::string>{"receive", "fail", "present", "willDismiss",
                                                        "didDismiss", "leave"}));
  for (const auto& named : delegate->views)
    EXPECT_EQ(named, view);
  EXPECT_EQ(delegate->errors.at(0)->code(), TADRequestErrorNoAd);
  EXPECT_EQ(view->delegate(), delegate);
}

class OnlyReceives : public TADBannerViewDelegate {
 public:
  int received = 0;
  void adViewDidReceiveAd(const std::shared_ptr<TADBannerView>&) override { ++received; }
};

TEST_F(TADDelegateManagerTest, ADelegateHearsOnlyWhatItImplementsAndNothingOnceGone) {
  auto partial = std::make_shared<OnlyReceives>();
  view->setDelegate(partial);
  manager->willPresentScreen();
  manager->didReceiveAd();
  EXPECT_EQ(partial->received, 1);

  partial.reset();  // destroyed without being cleared from the view
  manager->didReceiveAd();
  manager->didFailToReceiveAdWithError(TADRequestError::errorWithCode(1, nullptr));
  EXPECT_EQ(view->delegate(), nullptr);
}

// Notes, when called, on which thread it runs and whether the raising thread has moved on.
class WatchesTheCaller : public TADBannerViewDelegate {
 public:
  explicit WatchesTheCaller(const std::atomic<bool>& callerReturned)
      : callerReturned_(callerReturned) {}
  void adViewDidReceiveAd(const std::shared_ptr<TADBannerView>&) override {
    thread = std::this_thread::get_id();
    callerHadReturned = callerReturned_.load();
    called = true;
  }
  std::thread::id thread;
  bool callerHadReturned = true;
  bool called = false;

 private:
  const std::atomic<bool>& callerReturned_;
};

TEST_F(TADDelegateManagerTest, AnEventFromAnotherThreadArrivesOnTheMainThreadWhileTheCallerWaits) {
  std::atomic<bool> callerReturned = false;
  auto watcher = std::make_shared<WatchesTheCaller>(callerReturned);
  view->setDelegate(watcher);
  std::thread worker([&] {
    manager->didReceiveAd();
    callerReturned = true;
  });
  ASSERT_TRUE(platform.runLoop().runUntil([&] { return watcher->called; }));
  worker.join();
  EXPECT_FALSE(watcher->callerHadReturned);
  EXPECT_EQ(watcher->thread, std::this_thread::get_id());
}

// Lets go of the only reference to the banner view — and so of its ad object and the manager —
// from inside the callback.
class ReleasesTheAd : public TADBannerViewDelegate {
 public:
  std::shared_ptr<TADBannerView> held;
  int calls = 0;
  void adViewDidReceiveAd(const std::shared_ptr<TADBannerView>&) override {
    ++calls;
    held.reset();
  }
};

class InterstitialRecorder : public TADInterstitialDelegate {
 public:
  InterstitialRecorder(std::string name, std::vector<std::string>& log)
      : name_(std::move(name)), log_(log) {}
  void interstitialDidReceiveAd(const std::shared_ptr<TADInterstitial>&) override {
    log_.push_back(name_);
  }

 private:
  std::string name_;
  std::vector<std::string>& log_;
};

TEST_F(TADDelegateManagerTest,
       TheManagerAndTheRestOfTheReceiversSurviveADelegateThatReleasesTheAd) {
  auto releaser = std::make_shared<ReleasesTheAd>();
  std::vector<std::string> log;
  auto sdk = std::make_shared<InterstitialRecorder>("sdk", log);
  auto app = std::make_shared<InterstitialRecorder>("app", log);
  std::weak_ptr<TADBannerView> watched = view;
  view->setDelegate(releaser);
  manager->setSdkInterstitialDelegate(sdk);
  manager->setInterstitialDelegate(app);
  releaser->held = std::move(view);
  std::weak_ptr<TADDelegateManager> watchedManager = manager;
  TADDelegateManager* raw = manager.get();
  manager.reset();

  raw->didReceiveAd();
  EXPECT_EQ(releaser->calls, 1);
  EXPECT_TRUE(watched.expired());
  EXPECT_TRUE(watchedManager.expired());  // released once the event was delivered
  EXPECT_EQ(log, (std::vector<std::string>{"sdk", "app"}));
}

}  // namespace
