#include "platform/ui/ViewController.h"

#include "platform/ui/Screen.h"
#include "platform/ui/ViewBackend.h"

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
  modal_ = controller;
  controller->parent_ = weak_from_this();
  controller->orientation_ = orientation_;

  // Laid out before it hears that it will appear, so that it can build on its size; it has
  // appeared once it is in place, after the slide.
  ViewBackend& views = ViewBackend::current();
  views.presentModalView(*myView, controller->view());
  views.closeModalViewOnEscape(*controller->view(), [weakController = std::weak_ptr(controller)] {
    auto presented = weakController.lock();
    return presented && presented->escapeFromTopmost();
  });
  controller->viewWillAppear(animated);
  viewWillDisappear(animated);
  auto appeared = [self = shared_from_this(), controller, animated] {
    self->viewDidDisappear(animated);
    controller->viewDidAppear(animated);
  };
  if (animated)
    views.slideModalView(controller->view(), true, appeared);
  else
    appeared();
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
  auto gone = [self = shared_from_this(), leaving, animated] {
    if (leaving->isViewLoaded()) ViewBackend::current().dismissModalView(*leaving->view_);
    leaving->parent_.reset();
    leaving->viewDidDisappear(animated);
    self->viewDidAppear(animated);
  };
  if (animated && leaving->isViewLoaded())
    ViewBackend::current().slideModalView(leaving->view_, false, gone);
  else
    gone();
}

// Only a screen still presented answers: one sliding away has been closed already.
bool ViewController::escapeFromTopmost() {
  std::shared_ptr<ViewController> parent = parent_.lock();
  if (!parent || parent->modal_.get() != this) return false;
  ViewController* top = this;
  while (top->modal_)
    top = top->modal_.get();
  return top->performEscape();
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
