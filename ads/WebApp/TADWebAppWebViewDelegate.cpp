#include "ads/WebApp/TADWebAppWebViewDelegate.h"

#include "ads/Device/TADIdentifierUtilities.h"
#include "ads/Notification/TADNotificationCenter.h"
#include "ads/Request/TADRequest.h"
#include "ads/Statistics/TADStatistics.h"
#include "ads/View/TADWebView.h"
#include "ads/WebApp/TADWebAppViewControllerPrivate.h"
#include "platform/Platform.h"
#include "platform/core/RunLoop.h"

namespace {
// Long enough for the page's scripts that still run after its screen has gone.
constexpr double kPageAfterlifeSeconds = 2.0;
}  // namespace

std::shared_ptr<TADWebAppWebViewDelegate> TADWebAppWebViewDelegate::initWithWebAppPrivate(
    const std::shared_ptr<TADWebAppViewControllerPrivate>& screen) {
  auto delegate = std::make_shared<TADWebAppWebViewDelegate>();
  delegate->screen_ = screen;
  return delegate;
}

void TADWebAppWebViewDelegate::setPendingOnShow(bool pending) {
  pendingOnShow_ = pending;
  auto screen = screen_.lock();
  if (screen && screen->webView && !screen->webView->isLoading()) postOnShowEvent();
}

void TADWebAppWebViewDelegate::postOnShowEvent() {
  if (!pendingOnShow_ || calledOnShow_) return;
  auto screen = screen_.lock();
  if (!screen) return;
  base::Dictionary info;
  info.set("version", base::Value(TADRequest::sdkVersion()));
  if (auto submodel = TADIdentifierUtilities::sharedInstance().deviceSubmodel())
    info.set("device", base::Value(*submodel));
  TADNotificationCenter::defaultCenter().postJSNotification("onshow", info, screen->webView.get());
  pendingOnShow_ = false;
  calledOnShow_ = true;
}

void TADWebAppWebViewDelegate::loadedFirstPage(platform::WebView& webView) {
  TADWebViewDelegate::loadedFirstPage(webView);
  auto screen = screen_.lock();
  if (!screen || !screen->loadingSpinner) return;
  screen->loadingSpinner->removeFromSuperview();
  screen->loadingSpinner.reset();
}

void TADWebAppWebViewDelegate::webViewDidStartLoad(platform::WebView& webView) {
  TADStatistics& statistics = TADStatistics::sharedStatistics();
  if (!statistics.timingNamed("plpl")) statistics.startTimingNamed("plpl");
  TADWebViewDelegate::webViewDidStartLoad(webView);
}

void TADWebAppWebViewDelegate::webViewDidFinishLoad(platform::WebView& webView) {
  TADStatistics& statistics = TADStatistics::sharedStatistics();
  if (!statistics.timingNamed("plpd")) {
    statistics.endTimingNamed("plpl");
    statistics.startTimingNamed("plpd");
  }
  TADWebViewDelegate::webViewDidFinishLoad(webView);
  postOnShowEvent();
}

// The delegate lives on in the tasks that release it, so a run loop that goes first takes it
// along.
void TADWebAppWebViewDelegate::releaseWithWebView(std::shared_ptr<TADWebView> webView) {
  setViewController({});
  screen_.reset();
  if (!platform::Platform::isInstalled()) return;
  auto self = std::static_pointer_cast<TADWebAppWebViewDelegate>(shared_from_this());
  platform::RunLoop::main().post(
      kPageAfterlifeSeconds, nullptr,
      [self, webView = std::move(webView)] { self->delayedRelease(webView); });
}

void TADWebAppWebViewDelegate::delayedRelease(const std::shared_ptr<TADWebView>& webView) {
  if (webView) {
    webView->setDelegate({});
    webView->loadHTMLString("", std::nullopt);
  }
  // Given up after this pass: this very call runs inside the delegate.
  platform::RunLoop::main().post(0, nullptr, [self = shared_from_this()] {});
}
