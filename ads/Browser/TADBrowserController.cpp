#include "ads/Browser/TADBrowserController.h"

#include "ads/Browser/TADBrowserWebViewDelegate.h"
#include "ads/Device/TADIdentifierUtilities.h"
#include "ads/Images/TADIntrinsicImages.h"
#include "ads/Opener/TADOpener.h"
#include "ads/Statistics/TADStatistics.h"
#include "ads/View/TADWebView.h"
#include "platform/Application.h"
#include "platform/Device.h"
#include "platform/core/NotificationCenter.h"
#include "platform/core/RunLoop.h"
#include "platform/net/URLRequest.h"

namespace {

constexpr double kToolbarHeight = 44;
constexpr double kLandscapePhoneToolbarHeight = 30;
constexpr double kSpinnerSide = 20;
constexpr int kItemWidth = 27;

bool isTablet() {
  return platform::Device::current().userInterfaceIdiom() == platform::UserInterfaceIdiom::Pad;
}

}  // namespace

std::shared_ptr<TADBrowserController> TADBrowserController::init() {
  return make<TADBrowserController>();
}

void TADBrowserController::setUp() {
  TADViewController::setUp();
  view()->setBackgroundColor(platform::Color::white());
  if (!TADIdentifierUtilities::sharedInstance().isOSAtLeastMajor(4, 0, 0)) return;
  std::weak_ptr<platform::ViewController> weakSelf = weak_from_this();
  platform::NotificationCenter::defaultCenter().addObserver(
      this, std::string(platform::Application::kWillEnterForegroundNotification), nullptr,
      [weakSelf](const platform::Notification&) {
        if (auto browser = std::dynamic_pointer_cast<TADBrowserController>(weakSelf.lock()))
          browser->appDidEnterForeground();
      });
}

TADBrowserController::~TADBrowserController() {
  platform::NotificationCenter::removeObserverFromDefaultCenter(this);
}

std::shared_ptr<TADViewControllerPrivate> TADBrowserController::createPrivateData() const {
  return std::make_shared<TADBrowserControllerPrivate>();
}

std::shared_ptr<TADBrowserControllerPrivate> TADBrowserController::vars() const {
  return std::static_pointer_cast<TADBrowserControllerPrivate>(privateData());
}

const platform::WebView* TADBrowserController::screenWebView() const {
  auto companion = vars();
  return companion ? companion->webView.get() : nullptr;
}

void TADBrowserController::viewWillAppear(bool animated) {
  TADViewController::viewWillAppear(animated);
  if (!vars()->webView) buildScreen();
}

void TADBrowserController::buildScreen() {
  auto companion = vars();
  std::shared_ptr<platform::View> root = view();
  const platform::Rect bounds = root->bounds();

  double toolbarHeight = kToolbarHeight;
  unsigned webViewResizing =
      platform::kAutoresizingFlexibleWidth | platform::kAutoresizingFlexibleHeight;
  unsigned toolbarResizing = platform::kAutoresizingFlexibleWidth |
                             platform::kAutoresizingFlexibleTopMargin |
                             platform::kAutoresizingFlexibleBottomMargin;
  if (!isTablet()) {
    if (TADIdentifierUtilities::sharedInstance().isOrientationLandscape())
      toolbarHeight = kLandscapePhoneToolbarHeight;
    webViewResizing |= platform::kAutoresizingFlexibleBottomMargin;
    toolbarResizing |= platform::kAutoresizingFlexibleHeight;
  }

  auto webView = TADWebView::initWithFrame({0, 0, bounds.width(), bounds.height() - toolbarHeight});
  webView->setAutoresizingMask(webViewResizing);
  root->addSubview(webView);
  webView->setDataDetectorTypes(platform::kDataDetectorAll);
  // The user opened this page, as in a browser of the desktop: its dialogs are shown.
  webView->setShowsScriptDialogs(true);
  companion->webView = webView;

  auto self = std::static_pointer_cast<TADBrowserController>(shared_from_this());
  auto delegate = TADBrowserWebViewDelegate::initWithBrowserController(self);
  delegate->setViewController(weak_from_this());
  delegate->setOpeningWebView(companion->openingWebView);
  companion->webViewDelegate = delegate;
  webView->setDelegate(delegate);

  if (companion->urlToLoad) {
    std::optional<base::URL> url = std::move(companion->urlToLoad);
    std::optional<base::URL> referrer = std::move(companion->referringURLToLoad);
    companion->urlToLoad.reset();
    companion->referringURLToLoad.reset();
    load(url, referrer);
  }

  auto toolbar = std::make_shared<platform::Toolbar>(
      platform::Rect(0, bounds.height() - toolbarHeight, bounds.width(), toolbarHeight));
  toolbar->setAutoresizingMask(toolbarResizing);
  toolbar->setAutoresizesSubviews(true);
  toolbar->setTintColor(platform::Color::black());
  root->addSubview(toolbar);
  companion->toolbar = toolbar;

  createToolbarButtons();
  refreshToolbar();
}

std::shared_ptr<platform::BarButtonItem> TADBrowserController::buttonWithImage(
    const std::shared_ptr<const platform::Image>& image, const std::string& name, int width,
    bool enabled, std::function<void()> action) {
  auto item = platform::BarButtonItem::withImage(image, std::move(action));
  item->setAccessibilityLabel(name);
  item->setWidth(width);
  item->setEnabled(enabled);
  return item;
}

void TADBrowserController::createToolbarButtons() {
  auto companion = vars();
  std::weak_ptr<platform::ViewController> weakSelf = weak_from_this();
  auto act = [weakSelf](void (TADBrowserController::*operation)()) {
    return [weakSelf, operation] {
      if (auto browser = std::dynamic_pointer_cast<TADBrowserController>(weakSelf.lock()))
        ((*browser).*operation)();
    };
  };
  using Kind = platform::BarButtonItem::Kind;

  companion->flexibleSpaceButton = platform::BarButtonItem::flexibleSpace();
  companion->backButton = buttonWithImage(TADIntrinsicImages::browserBackButton(), "Back",
                                          kItemWidth, false, act(&TADBrowserController::back));
  companion->forwardButton =
      buttonWithImage(TADIntrinsicImages::browserForwardButton(), "Forward", kItemWidth, false,
                      act(&TADBrowserController::forward));

  auto spinner =
      std::make_shared<platform::ActivityIndicatorView>(platform::ActivityIndicatorStyle::White);
  spinner->setFrame({0, 0, kSpinnerSide, kSpinnerSide});
  spinner->setAutoresizingMask(platform::kAutoresizingFlexibleLeftMargin |
                               platform::kAutoresizingFlexibleRightMargin);
  companion->spinner = spinner;
  companion->spinnerContainingButton = platform::BarButtonItem::withCustomView(spinner);
  companion->spinnerContainingButton->setWidth(kSpinnerSide);
  companion->spinnerContainingButton->setAccessibilityLabel("Spinner");

  companion->reloadButton =
      platform::BarButtonItem::system(Kind::Refresh, act(&TADBrowserController::reload));
  companion->reloadButton->setWidth(kItemWidth);
  companion->reloadButton->setAccessibilityLabel("Reload");

  companion->safariButton =
      platform::BarButtonItem::system(Kind::Action, act(&TADBrowserController::openInSafari));
  companion->safariButton->setWidth(kItemWidth);
  companion->safariButton->setEnabled(false);
  companion->safariButton->setAccessibilityLabel("View in Safari");

  companion->doneButton =
      platform::BarButtonItem::system(Kind::Done, act(&TADBrowserController::relinquishScreen));
  companion->doneButton->setAccessibilityLabel("Done");

  for (const auto& item : {companion->flexibleSpaceButton, companion->backButton,
                           companion->forwardButton, companion->spinnerContainingButton,
                           companion->reloadButton, companion->safariButton, companion->doneButton})
    item->setIsAccessibilityElement(true);
}

void TADBrowserController::refreshToolbar() {
  auto companion = vars();
  if (!companion->toolbar || !companion->webView || !companion->backButton) return;
  TADWebView& webView = *companion->webView;
  companion->backButton->setEnabled(webView.canGoBack());
  companion->forwardButton->setEnabled(webView.canGoForward());

  const bool loading = webView.isLoading();
  std::shared_ptr<platform::BarButtonItem> middle =
      loading ? companion->spinnerContainingButton : companion->reloadButton;
  if (loading)
    companion->spinner->startAnimating();
  else
    companion->spinner->stopAnimating();
  companion->safariButton->setEnabled(!loading);

  const auto& space = companion->flexibleSpaceButton;
  companion->toolbar->setItems({companion->backButton, space, companion->forwardButton, space,
                                middle, space, companion->safariButton, space,
                                companion->doneButton});
}

void TADBrowserController::load(const std::optional<base::URL>& url) {
  load(url, std::nullopt);
}

void TADBrowserController::load(const std::optional<base::URL>& url,
                                const std::optional<base::URL>& referringURL) {
  if (!url) return;
  auto companion = vars();
  if (!companion->webView) {
    companion->urlToLoad = url;
    companion->referringURLToLoad = referringURL;
    return;
  }
  platform::URLRequest request(*url);
  if (referringURL) request.setValue(referringURL->absoluteString(), "Referer");
  companion->webView->loadRequest(request);
}

void TADBrowserController::back() {
  if (auto webView = vars()->webView; webView && webView->canGoBack()) webView->goBack();
}

void TADBrowserController::forward() {
  if (auto webView = vars()->webView; webView && webView->canGoForward()) webView->goForward();
}

void TADBrowserController::reload() {
  if (auto webView = vars()->webView) webView->reload();
}

void TADBrowserController::stop() {
  if (auto webView = vars()->webView) webView->stopLoading();
}

void TADBrowserController::openInSafari() {
  auto webView = vars()->webView;
  if (!webView) return;
  auto opener = TADOpener::init();
  // The opener may wait for trackings across passes; it lives at least to the end of this one.
  platform::RunLoop::main().post(0, nullptr, [opener] {});
  opener->setDelegateManager(delegateManager());
  // The user pressed the toolbar's own button, which no page can press.
  opener->setSource(TADOpenGate::Source::LibraryControl, webView);
  opener->openApp(webView->currentURL());
  TADStatistics::sharedStatistics().setBreakOutToSafari();
}

void TADBrowserController::appDidEnterForeground() {
  auto delegate = vars()->webViewDelegate;
  if (delegate && delegate->hasLoadedAtLeastOnce()) return;
  std::weak_ptr<platform::ViewController> weakSelf = weak_from_this();
  platform::RunLoop::main().post(0, this, [weakSelf] {
    if (auto browser = std::dynamic_pointer_cast<TADBrowserController>(weakSelf.lock()))
      browser->relinquishScreen();
  });
}

void TADBrowserController::didRotateFromInterfaceOrientation(platform::InterfaceOrientation from) {
  TADViewController::didRotateFromInterfaceOrientation(from);
  if (auto webView = vars()->webView)
    TADWebViewDelegate::notifyWebViewOfOrientationChange(*webView, interfaceOrientation());
}

bool TADBrowserController::performEscape() {
  std::shared_ptr<platform::BarButtonItem> done = vars()->doneButton;
  if (!done || !done->isEnabled()) return false;
  done->tap();
  return true;
}

std::shared_ptr<platform::Toolbar> TADBrowserController::toolbar() const {
  return vars()->toolbar;
}

void TADBrowserController::setToolbar(std::shared_ptr<platform::Toolbar> toolbar) {
  vars()->toolbar = std::move(toolbar);
}

std::shared_ptr<TADWebView> TADBrowserController::webView() const {
  return vars()->webView;
}

void TADBrowserController::setWebView(std::shared_ptr<TADWebView> webView) {
  vars()->webView = std::move(webView);
}
