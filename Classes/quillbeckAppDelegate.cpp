#include "Classes/quillbeckAppDelegate.h"

bool quillbeckAppDelegate::applicationDidFinishLaunching(platform::Application&) {
  window_->setRootViewController(viewController_);
  window_->makeKeyAndVisible();
  return true;
}
