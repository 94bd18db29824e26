#include "platform/ui/View.h"

#include <gtest/gtest.h>

#include "platform/sim/SimPlatform.h"
#include "platform/ui/Button.h"
#include "platform/ui/Window.h"

namespace platform {
namespace {

class ViewTest : public ::testing::Test {
 protected:
  sim::SimPlatform platform;
};

TEST_F(ViewTest, SubviewsAreOwnedAndMoveBetweenSuperviews) {
  auto a = std::make_shared<View>(Rect{0, 0, 100, 100});
  auto b = std::make_shared<View>(Rect{0, 0, 100, 100});
  a->addSubview(std::make_shared<View>(Rect{1, 2, 3, 4}));
  std::weak_ptr<View> child = a->subviews().back();
  ASSERT_FALSE(child.expired());  // the superview keeps it alive
  b->addSubview(child.lock());
  EXPECT_TRUE(a->subviews().empty());
  EXPECT_EQ(child.lock()->superview(), b);
  child.lock()->removeFromSuperview();
  EXPECT_TRUE(child.expired());
  EXPECT_EQ(sim::SimViewPeer::of(*a).calls(), (std::vector<std::string>{"addSubview"}));

  // A view knows the window of its superviews.
  auto window = std::make_shared<Window>(Rect{0, 0, 320, 480});
  auto inner = std::make_shared<View>();
  a->addSubview(inner);
  EXPECT_EQ(inner->window(), nullptr);
  window->addSubview(a);
  EXPECT_EQ(inner->window(), window.get());
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

TEST_F(ViewTest, ButtonsActOnClicksOnlyWhenVisibleAndTouchable) {
  auto button = std::make_shared<Button>(Rect{0, 0, 80, 40});
  int taps = 0;
  button->setTitle("Stop");
  button->setAction([&] { ++taps; });
  auto& peer = sim::SimButtonPeer::of(*button);
  peer.tap();
  button->setHidden(true);
  peer.tap();
  button->setHidden(false);
  button->setUserInteractionEnabled(false);
  peer.tap();
  EXPECT_EQ(taps, 1);
  EXPECT_EQ(sim::SimViewPeer::of(*button).calls().front(), "title Stop");
}

TEST_F(ViewTest, AClickThatReleasesTheButtonFinishesItsAction) {
  auto holder = std::make_shared<View>(Rect{0, 0, 100, 100});
  holder->addSubview(std::make_shared<Button>(Rect{0, 0, 80, 40}));
  std::weak_ptr<Button> weak = std::static_pointer_cast<Button>(holder->subviews().back());
  bool finished = false;
  weak.lock()->setAction([&] {
    weak.lock()->removeFromSuperview();
    finished = !weak.expired();
  });
  sim::SimButtonPeer::of(*weak.lock()).tap();
  EXPECT_TRUE(finished);
  EXPECT_TRUE(weak.expired());
}

// Records which views a touch reached.
class TouchRecorder : public View {
 public:
  TouchRecorder(const Rect& frame, std::vector<View*>& log) : View(frame), log_(log) {}
  View* hitTest(const Point& point) override {
    View* hit = View::hitTest(point);
    log_.push_back(hit);
    return hit;
  }

 private:
  std::vector<View*>& log_;
};

TEST_F(ViewTest, HitTestingFindsTheTopmostTouchableViewAndTouchesReachTheView) {
  std::vector<View*> log;
  auto root = std::make_shared<View>(Rect{0, 0, 320, 480});
  auto below = std::make_shared<View>(Rect{0, 0, 100, 100});
  auto above = std::make_shared<TouchRecorder>(Rect{50, 50, 100, 100}, log);
  auto inner = std::make_shared<View>(Rect{10, 10, 20, 20});
  root->addSubview(below);
  root->addSubview(above);
  above->addSubview(inner);
  const std::pair<Point, View*> cases[] = {{{10, 10}, below.get()},
                                           {{55, 55}, above.get()},
                                           {{65, 65}, inner.get()},
                                           {{200, 200}, root.get()},
                                           {{-1, 5}, nullptr}};
  for (const auto& [point, hit] : cases)
    EXPECT_EQ(root->hitTest(point), hit) << point.x << "," << point.y;
  above->setUserInteractionEnabled(false);
  EXPECT_EQ(root->hitTest({65, 65}), below.get());  // neither it nor its subviews take touches
  above->setUserInteractionEnabled(true);
  below->setHidden(true);
  EXPECT_EQ(root->hitTest({10, 10}), root.get());

  log.clear();
  sim::SimViewPeer::of(*above).touch({15, 15});
  EXPECT_EQ(log, (std::vector<View*>{inner.get()}));
}

}  // namespace
}  // namespace platform
