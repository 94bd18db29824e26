#include "ads/View/TADBannerWebViewDelegate.h"

#include "ads/ObjectPort/TADAdEvents.h"
#include "ads/Opener/TADOpener.h"
#include "ads/Statistics/TADStatistics.h"

std::shared_ptr<TADBannerWebViewDelegate> TADBannerWebViewDelegate::initWithObjectPrivate(
    const std::shared_ptr<TADAdEvents>& ad, const std::shared_ptr<platform::WebView>& webView,
    std::shared_ptr<TADDelegateManager> delegateManager, std::shared_ptr<TADOpener> opener) {
  if (!opener) opener = TADOpener::init();
  auto delegate = std::make_shared<TADBannerWebViewDelegate>(std::move(opener), ad);
  if (webView) {
    webView->setDelegate(delegate);
    delegate->webView_ = webView;
  }
  delegate->opener()->setAdController(ad);
  delegate->opener()->setDelegateManager(std::move(delegateManager));
  return delegate;
}

TADBannerWebViewDelegate::TADBannerWebViewDelegate(std::shared_ptr<TADOpener> opener,
                                                   std::weak_ptr<TADAdEvents> ad)
    : TADWebViewDelegate(std::move(opener), TADOpenGate::Source::Banner), ad_(std::move(ad)) {}

TADBannerWebViewDelegate::~TADBannerWebViewDelegate() {
  if (auto webView = webView_.lock()) webView->setDelegate({});
}

bool TADBannerWebViewDelegate::webViewShouldStartLoadWithRequest(
    platform::WebView& webView, const platform::URLRequest& request,
    platform::WebViewNavigationType navigationType) {
  std::shared_ptr<TADAdEvents> ad = ad_.lock();
  std::optional<TADAdEvents::Click> click = ad ? ad->isClick(navigationType) : std::nullopt;
  if (!click) {
    return TADWebViewDelegate::webViewShouldStartLoadWithRequest(webView, request, navigationType);
  }
  // A click is counted when, and only when, something opens for it. The base class opens mail
  // and application addresses itself; a page's "open" message counts its own click, and
  // urlForClick() leaves message addresses alone.
  const base::URL& url = request.url();
  TADStatistics& statistics = TADStatistics::sharedStatistics();
  uint64_t openingsBefore = opener()->openingCount();
  if (!TADWebViewDelegate::webViewShouldStartLoadWithRequest(webView, request, navigationType)) {
    if (opener()->openingCount() != openingsBefore) statistics.urlForClick(url);
    return false;
  }
  opener()->setReferringURL(webView.currentURL());
  if (url.schemeBeginsWithHTTP()) {
    TADOpenGate::Opening opening =
        click->opensWebApp ? TADOpenGate::Opening::WebApp : TADOpenGate::Opening::Browser;
    base::URL clickURL = opener()->canOpen(opening, url) ? statistics.urlForClick(url) : url;
    if (click->opensWebApp) {
      opener()->openWebApp(clickURL, click->orientations);
    } else {
      opener()->openBrowserToURL(clickURL, click->orientations);
    }
  }
  return false;
}

void TADBannerWebViewDelegate::webViewDidFinishLoad(platform::WebView& webView) {
  TADWebViewDelegate::webViewDidFinishLoad(webView);
  if (std::shared_ptr<TADAdEvents> ad = ad_.lock()) ad->adPageDidFinish();
}

void TADBannerWebViewDelegate::webViewDidFailLoadWithError(platform::WebView& webView,
                                                           const base::Error& error) {
  TADWebViewDelegate::webViewDidFailLoadWithError(webView, error);
  if (std::shared_ptr<TADAdEvents> ad = ad_.lock()) ad->adPageDidFail(error);
}
