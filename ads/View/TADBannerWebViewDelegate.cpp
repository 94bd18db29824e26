#include "ads/View/TADBannerWebViewDelegate.h"

#include "ads/Delegate/TADAdEvents.h"
#include "ads/Opener/TADOpener.h"
#include "ads/Statistics/TADStatistics.h"
#include "base/ASCII.h"

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
  base::URL clickURL = TADStatistics::sharedStatistics().urlForClick(request.url());
  if (!TADWebViewDelegate::webViewShouldStartLoadWithRequest(webView, request, navigationType)) {
    return false;
  }
  opener()->setReferringURL(webView.currentURL());
  if (base::lowercased(clickURL.scheme()).starts_with("http")) {
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
