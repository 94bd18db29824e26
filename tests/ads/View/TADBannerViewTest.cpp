#include "ads/View/TADBannerView.h"

#include <gtest/gtest.h>

#include "ads/Object/TADObjectPrivate.h"
#include "ads/Registry/TADPrivateUtilities.h"
#include "ads/Request/TADRequestError.h"
#include "ads/Request/TADRequestPrivate.h"
#include "ads/Statistics/TADStatistics.h"
#include "ads/View/TADWebView.h"
#include "platform/core/NotificationCenter.h"
#include "platform/sim/SimPlatform.h"
#include "platform/ui/ViewController.h"
#include "tests/ads/RecordingBannerDelegate.h"
#include "tests/ads/StandInContributors.h"

namespace {

class TADBannerViewTest : public ::testing::Test {
 protected:
  ~TADBannerViewTest() override { TADStatistics::releaseSharedStatistics(); }

  platform::sim::SimPlatform platform;
  ScopedStandIns standIns;
  std::shared_ptr<TADBannerView> view = TADBannerView::initWithFrame({0, 410, 320, 50});
  std::shared_ptr<RecordingBannerDelegate> delegate = std::make_shared<RecordingBannerDelegate>();
  std::shared_ptr<platform::ViewController> root = std::make_shared<platform::ViewController>();
};

// The object's own going, with a load in flight, is the ad object's test.
TEST_F(TADBannerViewTest, AViewLivesWithItsAdObjectAndKeepsNeitherControllerNorDelegateAlive) {
  auto bare = TADBannerView::init();
  EXPECT_EQ(bare->backgroundColor(), platform::Color::clear());
  std::weak_ptr<TADObjectPrivate> object = TADObjectPrivate::ofView(*bare);
  EXPECT_EQ(object.lock()->adView(), bare);
  EXPECT_EQ(bare->webView()->superview().get(), bare.get());
  const TADBannerView* key = bare.get();
  platform::NotificationCenter::defaultCenter().addObserver(key, "x", nullptr, [](auto&) {});
  bare.reset();
  EXPECT_TRUE(object.expired());
  EXPECT_EQ(TADPrivateUtilities::privateObjectForKey(key), nullptr);
  EXPECT_EQ(platform::NotificationCenter::defaultCenter().registrationCount(key), 0u);

  view->setRootViewController(root);
  view->setDelegate(delegate);
  root.reset();
  delegate.reset();
  EXPECT_EQ(view->rootViewController(), nullptr);
  EXPECT_EQ(view->delegate(), nullptr);
}

TEST_F(TADBannerViewTest, LoadingWithoutARootViewControllerFailsOnceWithTheParameters) {
  view->setDelegate(delegate);
  auto request = TADRequest::request();
  request->addKeyword("shoes");
  view->loadRequest(request);
  platform.runLoop().advance(60);
  EXPECT_EQ(delegate->events, (std::vector<std::string>{"fail"}));
  const base::Error& error = *delegate->errors.at(0);
  EXPECT_EQ(error.code(), TADRequestErrorInvalidRequest);
  EXPECT_EQ(*error.userInfo().find("kw"), base::Value(base::Array{"shoes"}));
  EXPECT_EQ(platform.console().lines(),
            (std::vector<std::string>{"<Talvik> Must set the rootViewController property of "
                                      "TADBannerView before calling loadRequest:"}));
  EXPECT_EQ(TADObjectPrivate::ofView(*view)->request(), nullptr);  // nothing was loaded
}

TEST_F(TADBannerViewTest, TheAdObjectLoadsItsOwnCopyOfTheRequest) {
  view->setRootViewController(root);
  auto request = TADRequest::request();
  request->addKeyword("first");
  view->loadRequest(request);
  auto copy = TADObjectPrivate::ofView(*view)->request();
  ASSERT_NE(copy, nullptr);
  EXPECT_NE(copy.get(), request.get());
  request->setGender(2);
  request->addKeyword("shared");
  EXPECT_EQ(copy->gender(), 0);
  EXPECT_EQ(copy->keywords()->size(), 2u);
}

}  // namespace
