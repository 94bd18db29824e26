#pragma once

#include <memory>

#include "platform/ui/View.h"
#include "platform/ui/ViewController.h"

namespace platform {

// The application's window: the view at the top of the hierarchy, filling the screen, showing its
// root view controller's view.
class Window : public View {
 public:
  explicit Window(const Rect& frame);

  // Installs controller, whose view becomes the window's content (loading it if needed).
  void setRootViewController(std::shared_ptr<ViewController> controller);
  std::shared_ptr<ViewController> rootViewController() const { return rootViewController_; }

  // Makes this the application's key window and shows it; the root controller's view appears.
  void makeKeyAndVisible();
  bool isKeyWindow() const;
  bool isVisible() const { return visible_; }

 private:
  std::shared_ptr<ViewController> rootViewController_;
  bool visible_ = false;
};

}  // namespace platform
