#include "ads/View/TADWebView.h"

#include <gtest/gtest.h>

#include "ads/Utility/TADPrivateUtilities.h"
#include "platform/sim/SimPlatform.h"

namespace {

class TADWebViewTest : public ::testing::Test {
 protected:
  platform::sim::SimPlatform platform_;
};

TEST_F(TADWebViewTest, TheCompanionLivesInTheRegistryAsLongAsTheView) {
  size_t before = TADPrivateUtilities::count();
  auto webView = TADWebView::initWithFrame({});
  std::weak_ptr<TADWebViewPrivate> companion = webView->vars();
  EXPECT_EQ(TADPrivateUtilities::count(), before + 1);
  webView.reset();
  EXPECT_EQ(TADPrivateUtilities::count(), before);
  EXPECT_TRUE(companion.expired());
}

TEST_F(TADWebViewTest, OnlyTouchesThatLandOnTheViewCount) {
  auto screen = std::make_shared<platform::View>(platform::Rect{0, 0, 320, 480});
  auto button = std::make_shared<platform::View>(platform::Rect{0, 0, 320, 100});
  auto webView = TADWebView::initWithFrame({0, 430, 320, 50});
  screen->addSubview(button);
  screen->addSubview(webView);

  EXPECT_EQ(screen->hitTest({10, 10}), button.get());
  EXPECT_FALSE(webView->touched());
  EXPECT_EQ(screen->hitTest({10, 440}), webView.get());
  EXPECT_TRUE(webView->touched());
  webView->setTouched(false);
  EXPECT_FALSE(webView->vars()->touched());
}

}  // namespace
