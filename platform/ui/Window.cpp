#include "platform/ui/Window.h"

#include "platform/ui/ApplicationServices.h"

namespace platform {

Window::Window(const Rect& frame) : View(frame) {}

void Window::setRootViewController(std::shared_ptr<ViewController> controller) {
  if (controller == rootViewController_) return;
  if (rootViewController_ && rootViewController_->isViewLoaded()) {
    rootViewController_->view()->removeFromSuperview();
  }
  rootViewController_ = std::move(controller);
  if (!rootViewController_) return;
  std::shared_ptr<View> content = rootViewController_->view();
  addSubview(content);
  if (visible_) {
    rootViewController_->viewWillAppear(false);
    rootViewController_->viewDidAppear(false);
  }
}

void Window::makeKeyAndVisible() {
  ApplicationServices::current().setKeyWindow(std::static_pointer_cast<Window>(shared_from_this()));
  if (visible_) return;
  visible_ = true;
  setHidden(false);
  if (rootViewController_) {
    rootViewController_->viewWillAppear(false);
    rootViewController_->viewDidAppear(false);
  }
}

bool Window::isKeyWindow() const {
  return ApplicationServices::current().keyWindow().get() == this;
}

}  // namespace platform
