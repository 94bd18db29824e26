#include "ads/WebApp/TADWebAppViewController.h"

#include "ads/Images/TADIntrinsicImages.h"
#include "ads/Notification/TADNotificationCenter.h"
#include "ads/ObjectPort/TADAdEvents.h"
#include "ads/Opener/TADOpener.h"
#include "ads/Statistics/TADStatistics.h"
#include "ads/View/TADWebView.h"
#include "ads/WebApp/TADWebAppWebViewDelegate.h"
#include "platform/net/URLRequest.h"

namespace {
constexpr platform::Rect kCloseButtonFrame{0, 0, 32, 32};
constexpr double kSpinnerSide = 20;
}  // namespace

std::shared_ptr<TADWebAppViewController> TADWebAppViewController::init() {
  return make<TADWebAppViewController>();
}

void TADWebAppViewController::setUp() {
  TADViewController::setUp();
  vars()->loadingSpinner =
      std::make_shared<platform::ActivityIndicatorView>(platform::ActivityIndicatorStyle::White);
}

std::shared_ptr<TADViewControllerPrivate> TADWebAppViewController::createPrivateData() const {
  return std::make_shared<TADWebAppViewControllerPrivate>();
}

std::shared_ptr<TADWebAppViewControllerPrivate> TADWebAppViewController::vars() const {
  return std::static_pointer_cast<TADWebAppViewControllerPrivate>(privateData());
}

const platform::WebView* TADWebAppViewController::screenWebView() const {
  auto companion = vars();
  return companion ? companion->webView.get() : nullptr;
}

void TADWebAppViewController::load(const std::optional<base::URL>& url) {
  if (!url) return;
  auto companion = vars();
  if (companion->webView) {
    companion->webView->loadRequest(platform::URLRequest(*url));
    return;
  }
  companion->urlToLoad = url;
}

void TADWebAppViewController::loadHTML(const std::optional<std::string>& html,
                                       const std::optional<base::URL>& baseURL) {
  if (!html) return;
  auto companion = vars();
  if (companion->webView) {
    companion->webView->loadHTMLString(*html, baseURL);
    return;
  }
  companion->htmlToLoad = html;
  companion->htmlBaseURLToLoad = baseURL;
}

void TADWebAppViewController::viewWillAppear(bool animated) {
  TADViewController::viewWillAppear(animated);
  if (!vars()->webView) buildScreen();
}

void TADWebAppViewController::buildScreen() {
  auto companion = vars();
  std::shared_ptr<platform::View> root = view();
  const platform::Rect bounds = root->bounds();

  auto webView = TADWebView::initWithFrame(bounds);
  // The user opened this page: its dialogs are shown.
  webView->setShowsScriptDialogs(true);
  companion->webView = webView;
  root->addSubview(webView);

  auto delegate = TADWebAppWebViewDelegate::initWithWebAppPrivate(companion);
  delegate->setViewController(weak_from_this());
  delegate->setOpeningWebView(companion->openingWebView);
  delegate->opener()->setAdController(companion->adController);
  companion->webViewDelegate = delegate;
  webView->setDelegate(delegate);

  if (companion->urlToLoad) {
    webView->loadRequest(platform::URLRequest(*companion->urlToLoad));
    companion->urlToLoad.reset();
  } else if (companion->htmlToLoad) {
    webView->loadHTMLString(*companion->htmlToLoad, companion->htmlBaseURLToLoad);
    companion->htmlToLoad.reset();
    companion->htmlBaseURLToLoad.reset();
  }

  auto closeButton = std::make_shared<platform::Button>(kCloseButtonFrame);
  closeButton->setImage(TADIntrinsicImages::closeButton());
  closeButton->setShowsTouchWhenHighlighted(true);
  closeButton->setUserInteractionEnabled(true);
  std::weak_ptr<platform::ViewController> weakSelf = weak_from_this();
  closeButton->setAction([weakSelf] {
    if (auto screen = std::dynamic_pointer_cast<TADViewController>(weakSelf.lock()))
      screen->relinquishScreen();
  });
  root->addSubview(closeButton);
  companion->closeButton = closeButton;

  if (auto spinner = companion->loadingSpinner) {
    spinner->setFrame({(bounds.width() - kSpinnerSide) * 0.5,
                       (bounds.height() - kSpinnerSide) * 0.5, kSpinnerSide, kSpinnerSide});
    spinner->setAutoresizingMask(platform::kAutoresizingFlexibleLeftMargin |
                                 platform::kAutoresizingFlexibleRightMargin);
    spinner->startAnimating();
    webView->addSubview(spinner);
  }
}

void TADWebAppViewController::viewDidAppear(bool animated) {
  TADViewController::viewDidAppear(animated);
  if (auto delegate = vars()->webViewDelegate) delegate->setPendingOnShow(true);
}

// The page hears that it is hidden before the base ends the screen's timings.
void TADWebAppViewController::viewDidDisappear(bool animated) {
  TADStatistics& statistics = TADStatistics::sharedStatistics();
  statistics.endTimingNamed("plpd");
  statistics.endTimingNamed("pcl");
  TADNotificationCenter::defaultCenter().postJSNotification("onhide", std::nullopt,
                                                            vars()->webView.get());
  TADViewController::viewDidDisappear(animated);
}

void TADWebAppViewController::didRotateFromInterfaceOrientation(
    platform::InterfaceOrientation from) {
  TADViewController::didRotateFromInterfaceOrientation(from);
  if (auto webView = vars()->webView)
    TADWebViewDelegate::notifyWebViewOfOrientationChange(*webView, interfaceOrientation());
}

bool TADWebAppViewController::performEscape() {
  std::shared_ptr<platform::Button> close = vars()->closeButton;
  if (!close) return false;
  close->sendActions();
  return true;
}

std::shared_ptr<TADAdEvents> TADWebAppViewController::adController() const {
  return vars()->adController;
}

void TADWebAppViewController::setAdController(std::shared_ptr<TADAdEvents> controller) {
  vars()->adController = std::move(controller);
}

std::shared_ptr<TADWebView> TADWebAppViewController::webView() const {
  return vars()->webView;
}

void TADWebAppViewController::setWebView(std::shared_ptr<TADWebView> webView) {
  vars()->webView = std::move(webView);
}
