#include "platform/ui/ViewController.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/sim/SimPlatform.h"
#include "platform/ui/Window.h"

namespace platform {
namespace {

class Recorder : public ViewController {
 public:
  Recorder(std::string name, std::vector<std::string>& log) : name_(std::move(name)), log_(log) {}
  void viewDidLoad() override { log_.push_back(name_ + " didLoad"); }
  void viewWillAppear(bool) override { log_.push_back(name_ + " willAppear"); }
  void viewDidAppear(bool) override { log_.push_back(name_ + " didAppear"); }
  void viewWillDisappear(bool) override { log_.push_back(name_ + " willDisappear"); }
  void viewDidDisappear(bool) override { log_.push_back(name_ + " didDisappear"); }
  bool shouldAutorotateToInterfaceOrientation(InterfaceOrientation) override { return turns; }
  void didRotateFromInterfaceOrientation(InterfaceOrientation) override {
    log_.push_back(name_ + " didRotate");
  }
  bool turns = false;

 private:
  std::string name_;
  std::vector<std::string>& log_;
};

class ViewControllerTest : public ::testing::Test {
 protected:
  sim::SimPlatform platform;
  std::vector<std::string> log;
  std::shared_ptr<Window> window = std::make_shared<Window>(Rect{0, 0, 320, 480});
  std::shared_ptr<Recorder> root = std::make_shared<Recorder>("root", log);
  std::shared_ptr<Recorder> modal = std::make_shared<Recorder>("modal", log);
};

// The root view loads once below the status bar and appears with the window.
TEST_F(ViewControllerTest, ModalPresentationCoversTheWindowAndUnwindsInOrder) {
  window->setRootViewController(root);
  window->makeKeyAndVisible();
  EXPECT_EQ(root->view()->frame(), (Rect{0, 20, 320, 460}));
  EXPECT_EQ(log, (std::vector<std::string>{"root didLoad", "root willAppear", "root didAppear"}));
  EXPECT_EQ(Application::shared().keyWindow(), window);
  log.clear();
  root->presentModalViewController(modal, true);
  EXPECT_EQ(modal->view()->frame(), window->bounds());
  EXPECT_EQ(modal->view()->superview(), window);
  EXPECT_EQ(modal->parentViewController(), root);
  root->presentModalViewController(std::make_shared<Recorder>("other", log), true);  // ignored
  window->setFrame({0, 0, 480, 320});  // the screen turned: the presented view still covers it
  EXPECT_EQ(modal->view()->frame(), window->bounds());
  modal->dismissModalViewControllerAnimated(true);
  EXPECT_EQ(root->modalViewController(), nullptr);
  EXPECT_EQ(modal->view()->superview(), nullptr);
  EXPECT_EQ(log,
            (std::vector<std::string>{"modal didLoad", "modal willAppear", "root willDisappear",
                                      "root didDisappear", "modal didAppear", "modal willDisappear",
                                      "root willAppear", "modal didDisappear", "root didAppear"}));
}

TEST_F(ViewControllerTest, RotationAsksTheTopmostControllerAndTurnsTheChain) {
  window->setRootViewController(root);
  root->presentModalViewController(modal, false);
  log.clear();
  root->turns = true;
  EXPECT_FALSE(root->rotateTo(InterfaceOrientation::LandscapeLeft));  // the modal one refuses
  modal->turns = true;
  EXPECT_TRUE(root->rotateTo(InterfaceOrientation::LandscapeLeft));
  EXPECT_EQ(root->interfaceOrientation(), InterfaceOrientation::LandscapeLeft);
  EXPECT_EQ(modal->interfaceOrientation(), InterfaceOrientation::LandscapeLeft);
  EXPECT_EQ(log, (std::vector<std::string>{"root didRotate", "modal didRotate"}));
  auto plain = std::make_shared<ViewController>();
  EXPECT_FALSE(plain->rotateTo(InterfaceOrientation::LandscapeRight));  // upright by default
}

}  // namespace
}  // namespace platform
