#include "ads/View/TADBannerView.h"

#include "ads/Delegate/TADDelegateManager.h"
#include "ads/ObjectPort/TADAdObject.h"
#include "ads/Registry/TADPrivateUtilities.h"
#include "ads/Request/TADRequestError.h"
#include "platform/Platform.h"
#include "platform/core/Console.h"
#include "platform/core/NotificationCenter.h"

std::shared_ptr<TADBannerView> TADBannerView::initWithFrame(const platform::Rect& frame) {
  auto view = std::make_shared<TADBannerView>(Passkey{}, frame);
  view->commonInitializer();
  return view;
}

std::shared_ptr<TADBannerView> TADBannerView::init() {
  return initWithFrame({});
}

TADBannerView::TADBannerView(Passkey, const platform::Rect& frame) : platform::View(frame) {}

// Assistive technologies present the banner as what it is, a region of the screen the ad is in.
void TADBannerView::commonInitializer() {
  setBackgroundColor(platform::Color::clear());
  setAccessibilityLabel(std::string(kAccessibilityLabel));
  setAccessibilityRole(platform::AccessibilityRole::Landmark);
  auto view = std::static_pointer_cast<TADBannerView>(shared_from_this());
  TADPrivateUtilities::setPrivateObject(TADAdObject::makeForView(view), this);
}

TADBannerView::~TADBannerView() {
  if (auto object = privateObject()) object->cancelPendingActions();
  platform::NotificationCenter::removeObserverFromDefaultCenter(this);
  TADPrivateUtilities::removePrivateObjectForKey(this);
}

std::shared_ptr<TADAdObject> TADBannerView::privateObject() const {
  return TADPrivateUtilities::privateObjectForKey(this);
}

std::string TADBannerView::adUnitID() const {
  return privateObject()->adUnitID();
}

void TADBannerView::setAdUnitID(std::string adUnitID) {
  privateObject()->setAdUnitID(std::move(adUnitID));
}

std::shared_ptr<platform::ViewController> TADBannerView::rootViewController() const {
  return privateObject()->rootViewController();
}

void TADBannerView::setRootViewController(std::weak_ptr<platform::ViewController> controller) {
  privateObject()->setRootViewController(std::move(controller));
}

std::shared_ptr<TADBannerViewDelegate> TADBannerView::delegate() const {
  return privateObject()->delegateManager()->bannerDelegate();
}

void TADBannerView::setDelegate(std::weak_ptr<TADBannerViewDelegate> delegate) {
  const auto& manager = privateObject()->delegateManager();
  manager->setBannerDelegate(std::move(delegate));
  manager->setAdView(std::static_pointer_cast<TADBannerView>(shared_from_this()));
}

bool TADBannerView::hasAutoRefreshed() const {
  return privateObject()->hasAutoRefreshed();
}

std::shared_ptr<TADWebView> TADBannerView::webView() const {
  return privateObject()->webView();
}

void TADBannerView::loadRequest(const std::shared_ptr<TADRequest>& request) {
  std::shared_ptr<TADAdObject> object = privateObject();
  if (!object->rootViewController()) {
    platform::Console::log(
        "<Talvik> Must set the rootViewController property of TADBannerView before calling "
        "loadRequest:");
    object->delegateManager()->didFailToReceiveAdWithError(
        TADRequestError::errorWithCode(TADRequestErrorInvalidRequest, request.get()));
    return;
  }
  object->loadRequest(request);
}
