#include "ads/View/TADBannerView.h"

#include <gtest/gtest.h>

#include "ads/Object/TADObjectPrivate.h"
#include "ads/Request/TADRequestPrivate.h"
#include "ads/Utility/TADPrivateUtilities.h"
#include "ads/View/TADWebView.h"
#include "platform/NotificationCenter.h"
#include "platform/ViewController.h"
#include "platform/sim/SimPlatform.h"
#include "tests/ads/RecordingBannerDelegate.h"
#include "tests/ads/StandInContributors.h"

namespace {

class TADBannerViewTest : public ::testing::Test {
 protected:
  platform::sim::SimPlatform platform;
  ScopedStandIns standIns;
  std::shared_ptr<TADBannerView> view = TADBannerView::initWithFrame({0, 410, 320, 50});
  std::shared_ptr<RecordingBannerDelegate> delegate = std::make_shared<RecordingBannerDelegate>();
  std::shared_ptr<platform::ViewController> root = std::make_shared<platform::ViewController>();
};

TEST_F(TADBannerViewTest, AViewLivesWithItsAdObjectAndTakesItAlongWhenItGoes) {
  auto bare = TADBannerView::init();
  EXPECT_EQ(bare->frame(), (platform::Rect{0, 0, 0, 0}));
  EXPECT_EQ(bare->backgroundColor(), platform::Color::clear());
  std::weak_ptr<TADObjectPrivate> object = bare->privateObject();
  ASSERT_FALSE(object.expired());
  EXPECT_EQ(object.lock()->adView(), bare);

  const void* key = bare.get();
  platform::NotificationCenter::defaultCenter().addObserver(key, "x", nullptr, [](auto&) {});
  bare.reset();
  EXPECT_TRUE(object.expired());
  EXPECT_EQ(TADPrivateUtilities::privateObjectForKey<TADObjectPrivate>(key), nullptr);
  EXPECT_EQ(platform::NotificationCenter::defaultCenter().registrationCount(key), 0u);
}

TEST_F(TADBannerViewTest, PropertiesBelongToTheAdObject) {
  view->setAdUnitID("a17c52f0d3b8e46");
  view->setRootViewController(root);
  view->setDelegate(delegate);
  auto object = view->privateObject();
  EXPECT_EQ(object->adUnitID(), "a17c52f0d3b8e46");
  EXPECT_EQ(view->adUnitID(), "a17c52f0d3b8e46");
  EXPECT_EQ(object->rootViewController(), root);
  EXPECT_EQ(object->delegateManager()->bannerDelegate(), delegate);
  EXPECT_EQ(object->delegateManager()->adView(), view);
  EXPECT_FALSE(view->hasAutoRefreshed());
  EXPECT_EQ(view->webView()->superview().get(), view.get());

  root.reset();  // neither the controller nor the delegate is kept alive by the view
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
  EXPECT_EQ(view->privateObject()->request(), nullptr);  // nothing was loaded
}

TEST_F(TADBannerViewTest, TheAdObjectLoadsItsOwnCopyOfTheRequest) {
  view->setRootViewController(root);
  auto request = TADRequest::request();
  request->addKeyword("first");
  view->loadRequest(request);
  auto copy = view->privateObject()->request();
  ASSERT_NE(copy, nullptr);
  EXPECT_NE(copy.get(), request.get());
  request->setGender(2);
  request->addKeyword("shared");
  EXPECT_EQ(copy->gender(), 0);
  EXPECT_EQ(copy->keywords()->size(), 2u);
}

}  // namespace
