#include "platform/View.h"

#include <gtest/gtest.h>

#include "platform/Button.h"
#include "platform/Window.h"
#include "platform/sim/SimPlatform.h"

namespace platform {
namespace {

class ViewTest : public ::testing::Test {
 protected:
  sim::SimPlatform platform;
};

TEST_F(ViewTest, SubviewsAreOwnedAndMoveBetweenSuperviews) {
  auto a = std::make_shared<View>(Rect{0, 0, 100, 100});
  auto b = std::make_shared<View>(Rect{0, 0, 100, 100});
  std::weak_ptr<View> child;
  {
    auto c = std::make_shared<View>(Rect{1, 2, 3, 4});
    child = c;
    a->addSubview(c);
  }
  ASSERT_FALSE(child.expired());  // the superview keeps it alive
  b->addSubview(child.lock());
  EXPECT_TRUE(a->subviews().empty());
  EXPECT_EQ(child.lock()->superview(), b);
  child.lock()->removeFromSuperview();
  EXPECT_TRUE(child.expired());
  EXPECT_EQ(sim::SimViewPeer::of(*a).calls(), (std::vector<std::string>{"addSubview"}));
}

TEST_F(ViewTest, AutoresizingSharesASizeChangeAmongFlexibleParts) {
  auto parent = std::make_shared<View>(Rect{0, 0, 320, 480});
  auto fixed = std::make_shared<View>(Rect{0, 430, 320, 50});
  auto stretched = std::make_shared<View>(Rect{10, 10, 300, 400});
  auto bottomBar = std::make_shared<View>(Rect{0, 430, 320, 50});
  stretched->setAutoresizingMask(kAutoresizingFlexibleWidth | kAutoresizingFlexibleHeight);
  bottomBar->setAutoresizingMask(kAutoresizingFlexibleTopMargin | kAutoresizingFlexibleWidth);
  parent->addSubview(fixed);
  parent->addSubview(stretched);
  parent->addSubview(bottomBar);
  parent->setFrame({0, 0, 480, 320});
  EXPECT_EQ(fixed->frame(), (Rect{0, 430, 320, 50}));
  EXPECT_EQ(stretched->frame(), (Rect{10, 10, 460, 240}));
  EXPECT_EQ(bottomBar->frame(), (Rect{0, 270, 480, 50}));
}

TEST_F(ViewTest, AViewKnowsItsWindow) {
  auto window = std::make_shared<Window>(Rect{0, 0, 320, 480});
  auto inner = std::make_shared<View>();
  auto outer = std::make_shared<View>();
  outer->addSubview(inner);
  EXPECT_EQ(inner->window(), nullptr);
  window->addSubview(outer);
  EXPECT_EQ(inner->window(), window.get());
}

TEST_F(ViewTest, ButtonsActOnlyWhenVisibleAndTouchable) {
  auto button = std::make_shared<Button>(Rect{0, 0, 80, 40});
  int taps = 0;
  button->setTitle("Stop");
  button->setAction([&] { ++taps; });
  button->sendActions();
  button->setHidden(true);
  button->sendActions();
  button->setHidden(false);
  button->setUserInteractionEnabled(false);
  button->sendActions();
  EXPECT_EQ(taps, 1);
  EXPECT_EQ(sim::SimViewPeer::of(*button).calls().front(), "title Stop");
}

}  // namespace
}  // namespace platform
