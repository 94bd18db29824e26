#include "platform/ViewController.h"

#include "platform/Application.h"
#include "platform/Screen.h"
#include "platform/Window.h"

namespace platform {

std::shared_ptr<View> ViewController::view() {
  if (!view_) {
    loadView();
    if (!view_) view_ = std::make_shared<View>(Screen::main().applicationFrame());
    viewDidLoad();
  }
  return view_;
}

void ViewController::loadView() {
  view_ = std::make_shared<View>(Screen::main().applicationFrame());
}

void ViewController::presentModalViewController(const std::shared_ptr<ViewController>& controller,
                                                bool animated) {
  if (!controller || modal_ || controller.get() == this) return;
  std::shared_ptr<View> myView = view();
  Window* window = myView->window();
  modal_ = controller;
  controller->parent_ = weak_from_this();
  controller->orientation_ = orientation_;

  std::shared_ptr<View> modalView = controller->view();
  modalView->setFrame(window ? window->bounds() : Screen::main().bounds());
  controller->viewWillAppear(animated);
  viewWillDisappear(animated);
  if (window) {
    window->addSubview(modalView);
  } else {
    myView->addSubview(modalView);
  }
  viewDidDisappear(animated);
  controller->viewDidAppear(animated);
}

void ViewController::dismissModalViewControllerAnimated(bool animated) {
  if (!modal_) {
    if (auto parent = parent_.lock()) parent->dismissModalViewControllerAnimated(animated);
    return;
  }
  // Dismiss whatever the presented controller presents first.
  if (modal_->modal_) modal_->dismissModalViewControllerAnimated(animated);
  std::shared_ptr<ViewController> leaving = std::move(modal_);
  modal_.reset();
  leaving->viewWillDisappear(animated);
  viewWillAppear(animated);
  if (leaving->isViewLoaded()) leaving->view_->removeFromSuperview();
  leaving->parent_.reset();
  leaving->viewDidDisappear(animated);
  viewDidAppear(animated);
}

bool ViewController::rotateTo(InterfaceOrientation orientation,
                              const std::function<void()>& layout) {
  ViewController* top = this;
  while (top->modal_)
    top = top->modal_.get();
  if (orientation == top->orientation_) return false;
  if (!top->shouldAutorotateToInterfaceOrientation(orientation)) return false;
  InterfaceOrientation from = orientation_;
  for (ViewController* c = this; c; c = c->modal_.get())
    c->willRotateToInterfaceOrientation(orientation);
  for (ViewController* c = this; c; c = c->modal_.get())
    c->orientation_ = orientation;
  if (layout) layout();
  for (ViewController* c = this; c; c = c->modal_.get())
    c->didRotateFromInterfaceOrientation(from);
  return true;
}

}  // namespace platform
