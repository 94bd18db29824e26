#include "ads/Browser/TADBrowserWebViewDelegate.h"

#include <algorithm>
#include <string>

#include "ads/Browser/TADBrowserController.h"
#include "ads/Statistics/TADStatistics.h"

std::shared_ptr<TADBrowserWebViewDelegate> TADBrowserWebViewDelegate::initWithBrowserController(
    const std::shared_ptr<TADBrowserController>& browser) {
  auto delegate = std::make_shared<TADBrowserWebViewDelegate>();
  delegate->browser_ = browser;
  return delegate;
}

bool TADBrowserWebViewDelegate::webViewShouldStartLoadWithRequest(
    platform::WebView& webView, const platform::URLRequest& request,
    platform::WebViewNavigationType navigationType) {
  if (navigationType == platform::WebViewNavigationType::LinkClicked ||
      navigationType == platform::WebViewNavigationType::FormSubmitted) {
    const base::URL url = request.url();
    TADStatistics& statistics = TADStatistics::sharedStatistics();
    // Only a web address loads here (the base class sends the rest away): only it is counted.
    if (url.isWebURL() && url.hasScheme("https")) {
      statistics.incrementSSLPageNavigationCount();
    } else if (url.isWebURL()) {
      statistics.incrementPageNavigationCount();
    }
  }
  return TADWebViewDelegate::webViewShouldStartLoadWithRequest(webView, request, navigationType);
}

void TADBrowserWebViewDelegate::webViewDidStartLoad(platform::WebView& webView) {
  TADStatistics& statistics = TADStatistics::sharedStatistics();
  if (!statistics.timingNamed("plpl")) statistics.startTimingNamed("plpl");
  TADWebViewDelegate::webViewDidStartLoad(webView);
  refreshToolbar();
}

void TADBrowserWebViewDelegate::webViewDidFinishLoad(platform::WebView& webView) {
  TADStatistics& statistics = TADStatistics::sharedStatistics();
  if (!statistics.timingNamed("plpd")) {
    statistics.endTimingNamed("plpl");
    statistics.startTimingNamed("plpd");
  }
  TADWebViewDelegate::webViewDidFinishLoad(webView);
  refreshToolbar();
}

void TADBrowserWebViewDelegate::webViewDidFailLoadWithError(platform::WebView& webView,
                                                            const base::Error& error) {
  TADWebViewDelegate::webViewDidFailLoadWithError(webView, error);
  refreshToolbar();
}

void TADBrowserWebViewDelegate::refreshToolbar() {
  if (auto browser = browser_.lock()) browser->refreshToolbar();
}
