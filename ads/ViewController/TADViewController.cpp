#include "ads/ViewController/TADViewController.h"

#include "ads/Device/TADIdentifierUtilities.h"
#include "ads/Notification/TADNotificationCenter.h"
#include "ads/Registry/TADPrivateUtilities.h"
#include "ads/Statistics/TADStatistics.h"
#include "platform/Application.h"
#include "platform/Platform.h"
#include "platform/core/Console.h"
#include "platform/core/RunLoop.h"
#include "platform/ui/Window.h"

namespace {

constexpr double kAppearanceCallDelaySeconds = 0.6;

bool statusBarCallsTakeAnimationStyle() {
  return TADIdentifierUtilities::sharedInstance().isOSAtLeastMajor(3, 2, 0);
}

}  // namespace

std::shared_ptr<TADViewController> TADViewController::init() {
  return make<TADViewController>();
}

void TADViewController::setUp() {
  TADPrivateUtilities::setPrivateObject(createPrivateData(), this);
  setSupportedOrientations(TADOrientations::Any);
  std::shared_ptr<platform::View> root = view();
  root->setAutoresizingMask(platform::kAutoresizingFlexibleWidth |
                            platform::kAutoresizingFlexibleHeight);
  root->setOpaque(true);
  root->setBackgroundColor(platform::Color::black());
  root->setClipsToBounds(true);
  setModalTransitionStyle(platform::ModalTransitionStyle::CoverVertical);

  // Pages post their messages with their web view as object, so the screen's own page may
  // restrict its orientations as well as a message naming the root view.
  std::weak_ptr<platform::ViewController> weakSelf = weak_from_this();
  TADNotificationCenter::defaultCenter().addObserver(
      this, "settings", nullptr, [this, weakSelf](const platform::Notification& notification) {
        auto keep = weakSelf.lock();
        if (!keep || !isViewInScreen(notification.object)) return;
        settingsChanged(notification.userInfo);
      });
}

bool TADViewController::isViewInScreen(const void* object) const {
  if (!object) return false;
  if (isViewLoaded() && object == const_cast<TADViewController*>(this)->view().get()) return true;
  return object == screenWebView();
}

std::shared_ptr<TADViewControllerPrivate> TADViewController::createPrivateData() const {
  return std::make_shared<TADViewControllerPrivate>();
}

// A screen still held by the run loop goes with it when the platform shuts down: then nobody is
// left to hear that it was dismissed.
TADViewController::~TADViewController() {
  if (presentedFirst_ && platform::Platform::isInstalled()) {
    if (auto companion = privateData(); companion && companion->delegateManager)
      companion->delegateManager->didDismissScreen();
  }
  platform::NotificationCenter::removeObserverFromDefaultCenter(this);
  platform::RunLoop::cancelOnMain(this);
  TADPrivateUtilities::removePrivateObjectForKey(this);
}

std::shared_ptr<TADViewControllerPrivate> TADViewController::privateData() const {
  return TADPrivateUtilities::privateObjectForKey(this);
}

void TADViewController::settingsChanged(const base::Value& userInfo) {
  std::optional<std::string> text;
  if (const base::Dictionary* info = userInfo.asDictionary()) {
    text = info->stringForKey(kTADSupportedOrientationsKey);
  }
  setSupportedOrientations(orientationFromString(text));
}

TADOrientations TADViewController::orientationFromString(
    const std::optional<std::string_view>& text) {
  return orientationsFromString(text);
}

bool TADViewController::shouldAutorotateToInterfaceOrientation(
    platform::InterfaceOrientation orientation) {
  switch (supportedOrientations()) {
    case TADOrientations::Portrait:
      return !platform::isLandscape(orientation);
    case TADOrientations::Landscape:
      return platform::isLandscape(orientation);
    default:
      return true;
  }
}

bool TADViewController::isFirstTADViewController() const {
  std::shared_ptr<platform::ViewController> parent = parentViewController();
  return !dynamic_cast<TADViewController*>(parent.get());
}

std::shared_ptr<platform::ViewController> TADViewController::presenterFor(
    const std::shared_ptr<platform::ViewController>& controller) {
  if (dynamic_cast<TADViewController*>(controller.get())) return controller;
  std::shared_ptr<platform::Window> keyWindow = platform::Application::shared().keyWindow();
  std::shared_ptr<platform::ViewController> root =
      keyWindow ? keyWindow->rootViewController() : nullptr;
  return root ? root : controller;
}

bool TADViewController::canPresentFromViewController(
    const std::shared_ptr<platform::ViewController>& controller) {
  return controller && !presenterFor(controller)->modalViewController();
}

// A presenter that already presents a screen would ignore this one, which would then hold itself
// for ever, waiting for a close that can never come.
bool TADViewController::presentFromViewController(
    const std::shared_ptr<platform::ViewController>& controller) {
  if (!controller) {
    platform::Console::log("<Talvik> No UIViewController supplied to the ad.  Cannot continue.");
    return false;
  }
  if (presenterFor(controller)->modalViewController()) {
    platform::Console::log("<Talvik> Another screen is already up: this one is not presented.");
    return false;
  }
  auto companion = privateData();
  view()->setUserInteractionEnabled(false);
  self_ = shared_from_this();
  TADNotificationCenter::defaultCenter().post(std::string(TADViewControllerWillPresentFullScreen),
                                              this);

  if (dynamic_cast<TADViewController*>(controller.get())) {
    companion->interactingWithParent = false;
    controller->presentModalViewController(shared_from_this(), true);
    return true;
  }

  presentedFirst_ = true;
  companion->interactingWithParent = true;
  delegateManager()->willPresentScreen();
  hideStatusBar();
  platform::Application& application = platform::Application::shared();
  companion->publisherIdleTimerDisabled = application.isIdleTimerDisabled();
  application.setIdleTimerDisabled(true);
  presentSelfFrom(controller);
  return true;
}

// Older systems had no presentation styles: every screen covered the status bar. Since they
// came, only a full-screen one does.
void TADViewController::hideStatusBar() {
  if (statusBarCallsTakeAnimationStyle() &&
      modalPresentationStyle() != platform::ModalPresentationStyle::FullScreen)
    return;
  platform::Application& application = platform::Application::shared();
  setStatusBarWasHidden(application.isStatusBarHidden());
  if (!statusBarWasHidden()) application.setStatusBarHidden(true, false);
}

void TADViewController::restoreStatusBar() {
  if (statusBarCallsTakeAnimationStyle() &&
      modalPresentationStyle() != platform::ModalPresentationStyle::FullScreen)
    return;
  if (!statusBarWasHidden()) platform::Application::shared().setStatusBarHidden(false, false);
}

void TADViewController::presentSelfFrom(
    const std::shared_ptr<platform::ViewController>& controller) {
  std::shared_ptr<platform::Window> keyWindow = platform::Application::shared().keyWindow();
  std::shared_ptr<platform::ViewController> root =
      keyWindow ? keyWindow->rootViewController() : nullptr;
  if (root) {
    root->presentModalViewController(shared_from_this(), true);
    return;
  }
  controller->presentModalViewController(shared_from_this(), true);
  std::weak_ptr<platform::ViewController> weakSelf = weak_from_this();
  platform::RunLoop::main().post(kAppearanceCallDelaySeconds, this, [weakSelf] {
    if (auto screen = weakSelf.lock()) screen->viewDidAppear(true);
  });
}

// The platform's own call and the explicit delayed one may both arrive: only the first acts.
void TADViewController::viewDidAppear(bool animated) {
  if (view()->isUserInteractionEnabled()) return;
  platform::ViewController::viewDidAppear(animated);
  view()->setUserInteractionEnabled(true);
  auto companion = privateData();
  if (isFirstTADViewController() && companion->interactingWithParent)
    companion->interactingWithParent = false;
}

void TADViewController::relinquishScreen() {
  relinquish(true);
}

void TADViewController::relinquishScreenAtOnce() {
  relinquish(false);
}

void TADViewController::relinquish(bool animated) {
  view()->setUserInteractionEnabled(false);
  // Given up after this pass, so the screen outlives the call that closes it; one closed at once
  // lives as long as its caller holds it.
  if (self_ && animated) platform::RunLoop::main().post(0, nullptr, [held = std::move(self_)] {});
  self_.reset();
  std::shared_ptr<platform::ViewController> parent = parentViewController();
  auto companion = privateData();
  if (isFirstTADViewController()) {
    companion->interactingWithParent = true;
    delegateManager()->willDismissScreen();
    restoreStatusBar();
    platform::Application::shared().setIdleTimerDisabled(companion->publisherIdleTimerDisabled);
  } else {
    companion->interactingWithParent = false;
  }
  std::shared_ptr<platform::ViewController> keep = shared_from_this();
  if (parent) parent->dismissModalViewControllerAnimated(animated);
  TADNotificationCenter::defaultCenter().post(std::string(TADViewControllerDidRelinquishFullScreen),
                                              this);
}

void TADViewController::viewDidDisappear(bool animated) {
  platform::ViewController::viewDidDisappear(animated);
  TADStatistics& statistics = TADStatistics::sharedStatistics();
  statistics.endTimingNamed("plpd");
  statistics.endTimingNamed("pcl");
  auto companion = privateData();
  if (isFirstTADViewController() && companion->interactingWithParent)
    companion->interactingWithParent = false;
}

TADOrientations TADViewController::supportedOrientations() const {
  auto companion = privateData();
  return companion ? companion->supportedOrientations : TADOrientations::Any;
}

void TADViewController::setSupportedOrientations(TADOrientations orientations) {
  if (orientations == TADOrientations::None) return;
  if (auto companion = privateData()) companion->supportedOrientations = orientations;
}

std::shared_ptr<platform::WebView> TADViewController::openingWebView() const {
  auto companion = privateData();
  return companion ? companion->openingWebView.lock() : nullptr;
}

void TADViewController::setOpeningWebView(std::weak_ptr<platform::WebView> webView) {
  if (auto companion = privateData()) companion->openingWebView = std::move(webView);
}

std::shared_ptr<TADDelegateManager> TADViewController::delegateManager() {
  auto companion = privateData();
  if (!companion->delegateManager)
    companion->delegateManager = std::make_shared<TADDelegateManager>();
  return companion->delegateManager;
}

void TADViewController::setDelegateManager(std::shared_ptr<TADDelegateManager> manager) {
  privateData()->delegateManager = std::move(manager);
}

bool TADViewController::statusBarWasHidden() const {
  auto companion = privateData();
  return companion && companion->statusBarWasHidden;
}

void TADViewController::setStatusBarWasHidden(bool hidden) {
  if (auto companion = privateData()) companion->statusBarWasHidden = hidden;
}
