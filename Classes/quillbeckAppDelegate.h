#pragma once

#include <memory>

#include "Classes/quillbeckViewController.h"
#include "platform/Application.h"
#include "platform/ui/Window.h"

// The application's delegate: on launch it installs the soundboard screen in the window and shows
// it. Both are given to it by the main interface.
class quillbeckAppDelegate : public platform::ApplicationDelegate {
 public:
  const std::shared_ptr<platform::Window>& window() const { return window_; }
  void setWindow(std::shared_ptr<platform::Window> window) { window_ = std::move(window); }
  const std::shared_ptr<quillbeckViewController>& viewController() const { return viewController_; }
  void setViewController(std::shared_ptr<quillbeckViewController> controller) {
    viewController_ = std::move(controller);
  }

  bool applicationDidFinishLaunching(platform::Application& application) override;

 private:
  std::shared_ptr<platform::Window> window_;
  std::shared_ptr<quillbeckViewController> viewController_;
};
