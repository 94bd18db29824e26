#pragma once

#include <functional>
#include <memory>

#include "platform/ui/Geometry.h"
#include "platform/ui/View.h"

namespace platform {

// How a presented controller covers the screen, and how it comes in, by the platform's numbers.
enum class ModalPresentationStyle {
  FullScreen = 0,
  PageSheet = 1,
  FormSheet = 2,
  CurrentContext = 3
};
enum class ModalTransitionStyle { CoverVertical = 0, FlipHorizontal = 1, CrossDissolve = 2 };

// Manages one screenful: its root view, made on first use, the appearance calls in the
// platform's order, rotation, and modal presentation of another controller over the whole screen.
// Controllers are made with std::make_shared.
class ViewController : public std::enable_shared_from_this<ViewController> {
 public:
  ViewController() = default;
  virtual ~ViewController() = default;
  ViewController(const ViewController&) = delete;
  ViewController& operator=(const ViewController&) = delete;

  // The root view, loaded (loadView, then viewDidLoad) on first access.
  std::shared_ptr<View> view();
  bool isViewLoaded() const { return view_ != nullptr; }
  void setView(std::shared_ptr<View> view) { view_ = std::move(view); }

  virtual void loadView();  // a plain view filling the application frame
  virtual void viewDidLoad() {}
  virtual void viewWillAppear(bool /*animated*/) {}
  virtual void viewDidAppear(bool /*animated*/) {}
  virtual void viewWillDisappear(bool /*animated*/) {}
  virtual void viewDidDisappear(bool /*animated*/) {}
  virtual void didReceiveMemoryWarning() {}

  // The default keeps the screen upright, as the phone does.
  virtual bool shouldAutorotateToInterfaceOrientation(InterfaceOrientation orientation) {
    return orientation == InterfaceOrientation::Portrait;
  }
  virtual void willRotateToInterfaceOrientation(InterfaceOrientation /*to*/) {}
  virtual void didRotateFromInterfaceOrientation(InterfaceOrientation /*from*/) {}
  InterfaceOrientation interfaceOrientation() const { return orientation_; }

  // Shows controller over the whole screen above this one. Does nothing while this controller
  // already presents one.
  void presentModalViewController(const std::shared_ptr<ViewController>& controller, bool animated);
  // Takes away the controller that this one presents, or — called on the presented one — itself.
  void dismissModalViewControllerAnimated(bool animated);
  std::shared_ptr<ViewController> modalViewController() const { return modal_; }
  ModalPresentationStyle modalPresentationStyle() const { return presentationStyle_; }
  void setModalPresentationStyle(ModalPresentationStyle style) { presentationStyle_ = style; }
  ModalTransitionStyle modalTransitionStyle() const { return transitionStyle_; }
  void setModalTransitionStyle(ModalTransitionStyle style) { transitionStyle_ = style; }
  // The controller that presents this one.
  std::shared_ptr<ViewController> parentViewController() const { return parent_.lock(); }
  // Takes the keyboard focus back into this controller's view, as after a screen over it went.
  void becomeFirstResponder() { view()->becomeFirstResponder(); }

  // The user asked to leave this screen the desktop's way (the Escape key) while it is the
  // topmost one presented. A screen with a close control of its own acts as that control does and
  // answers true; the default keeps the screen and answers false.
  virtual bool performEscape() { return false; }

  // Asks the topmost controller (this or the ones it presents) whether to turn to orientation,
  // and turns the whole chain when it agrees: every controller hears willRotate…, then layout
  // (given by a backend that lays the turned screen out) runs, then every controller hears
  // didRotate… with the views at their new size. Answers whether the screen turned.
  bool rotateTo(InterfaceOrientation orientation, const std::function<void()>& layout = {});

 private:
  // Passes Escape to the topmost screen of the chain this presented controller starts.
  bool escapeFromTopmost();

  std::shared_ptr<View> view_;
  std::shared_ptr<ViewController> modal_;
  std::weak_ptr<ViewController> parent_;
  InterfaceOrientation orientation_ = InterfaceOrientation::Portrait;
  ModalPresentationStyle presentationStyle_ = ModalPresentationStyle::FullScreen;
  ModalTransitionStyle transitionStyle_ = ModalTransitionStyle::CoverVertical;
};

}  // namespace platform
