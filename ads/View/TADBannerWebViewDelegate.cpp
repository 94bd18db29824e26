#include "ads/View/TADBannerWebViewDelegate.h"

#include "ads/Object/TADObjectPrivate.h"
#include "ads/Opener/TADOpener.h"
#include "ads/Request/TADRequestPrivate.h"
#include "ads/Statistics/TADStatistics.h"
#include "ads/Statistics/TADStatisticsParameters.h"
#include "ads/Timing/TADTiming.h"
#include "ads/View/TADWebView.h"

std::shared_ptr<TADBannerWebViewDelegate> TADBannerWebViewDelegate::initWithObjectPrivate(
    const std::shared_ptr<TADObjectPrivate>& object, std::shared_ptr<TADOpener> opener) {
  if (!opener) opener = TADOpener::init();
  auto delegate = std::make_shared<TADBannerWebViewDelegate>(std::move(opener), object);
  if (auto webView = object->webView()) webView->setDelegate(delegate);
  delegate->opener()->setAdController(object);
  return delegate;
}

TADBannerWebViewDelegate::TADBannerWebViewDelegate(std::shared_ptr<TADOpener> opener,
                                                   std::weak_ptr<TADObjectPrivate> object)
    : TADWebViewDelegate(std::move(opener), TADOpenGate::Source::Banner),
      object_(std::move(object)) {}

TADBannerWebViewDelegate::~TADBannerWebViewDelegate() {
  if (auto object = object_.lock()) {
    if (auto webView = object->webView()) webView->setDelegate({});
  }
}

bool TADBannerWebViewDelegate::isClick(platform::WebViewNavigationType navigationType) const {
  std::shared_ptr<TADObjectPrivate> object = object_.lock();
  if (!object || object->state() != TADObjectPrivate::kStateShown) return false;
  if (TADTiming::counter() - object->timeLastLoaded() < kClickDelay) return false;
  if (navigationType == platform::WebViewNavigationType::BackForward ||
      navigationType == platform::WebViewNavigationType::Reload) {
    return false;
  }
  return object->webView() && object->webView()->touched();
}

bool TADBannerWebViewDelegate::webViewShouldStartLoadWithRequest(
    platform::WebView& webView, const platform::URLRequest& request,
    platform::WebViewNavigationType navigationType) {
  std::shared_ptr<TADObjectPrivate> object = object_.lock();
  if (!object)
    return TADWebViewDelegate::webViewShouldStartLoadWithRequest(webView, request, navigationType);
  setViewController(object->rootViewController());
  opener()->setDelegateManager(object->delegateManager());
  opener()->setViewController(viewController());
  if (!isClick(navigationType)) {
    return TADWebViewDelegate::webViewShouldStartLoadWithRequest(webView, request, navigationType);
  }
  base::URL clickURL = TADStatistics::sharedStatistics().urlForClick(request.url());
  if (!TADWebViewDelegate::webViewShouldStartLoadWithRequest(webView, request, navigationType)) {
    return false;
  }
  opener()->setReferringURL(webView.currentURL());
  std::string scheme = clickURL.scheme();
  for (char& c : scheme)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (scheme.starts_with("http")) {
    int orientations = object->supportedOrientations();
    if (!object->pendingClickURLs().empty()) {
      opener()->openWebApp(clickURL, orientations);
    } else {
      opener()->openBrowserToURL(clickURL, orientations);
    }
  }
  return false;
}

void TADBannerWebViewDelegate::webViewDidFinishLoad(platform::WebView& webView) {
  TADWebViewDelegate::webViewDidFinishLoad(webView);
  std::shared_ptr<TADObjectPrivate> object = object_.lock();
  if (!object || object->state() != TADObjectPrivate::kStateShowing) return;
  object->changeState(TADObjectPrivate::kStateShown);
  webView.setHidden(false);
  object->delegateManager()->didReceiveAd();
  object->trackURLs(object->pendingTrackingURLs());
  TADStatistics& statistics = TADStatistics::sharedStatistics();
  statistics.endTimingNamed(kTADParameterPriorRequestLatency);
  statistics.startTimingNamed(kTADParameterPriorPreClickLatency);
}

void TADBannerWebViewDelegate::webViewDidFailLoadWithError(platform::WebView& webView,
                                                           const base::Error& error) {
  TADWebViewDelegate::webViewDidFailLoadWithError(webView, error);
  if (std::shared_ptr<TADObjectPrivate> object = object_.lock()) object->bannerPageDidFail(error);
}
