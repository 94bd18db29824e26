#include "ads/Object/TADBuildPageWatcher.h"

#include "ads/View/TADWebViewDelegate.h"
#include "platform/net/URLError.h"

TADBuildPageWatcher::TADBuildPageWatcher(std::weak_ptr<TADWebViewDelegate> delegate,
                                         std::function<void()> pageFailed,
                                         std::function<void()> pageLoaded)
    : delegate_(std::move(delegate)),
      pageFailed_(std::move(pageFailed)),
      pageLoaded_(std::move(pageLoaded)) {}

bool TADBuildPageWatcher::webViewShouldStartLoadWithRequest(
    platform::WebView& webView, const platform::URLRequest& request,
    platform::WebViewNavigationType navigationType) {
  auto delegate = delegate_.lock();
  return delegate && delegate->webViewShouldStartLoadWithRequest(webView, request, navigationType);
}

void TADBuildPageWatcher::webViewDidStartLoad(platform::WebView& webView) {
  if (auto delegate = delegate_.lock()) delegate->webViewDidStartLoad(webView);
}

void TADBuildPageWatcher::webViewDidFinishLoad(platform::WebView& webView) {
  if (auto delegate = delegate_.lock()) delegate->webViewDidFinishLoad(webView);
  if (pageLoaded_) pageLoaded_();
}

void TADBuildPageWatcher::webViewDidFailLoadWithError(platform::WebView& webView,
                                                      const base::Error& error) {
  if (auto delegate = delegate_.lock()) delegate->webViewDidFailLoadWithError(webView, error);
  // Last: the owner tears the page, and this watcher with it, down.
  if (!isCancellation(error) && pageFailed_) pageFailed_();
}

bool TADBuildPageWatcher::isCancellation(const base::Error& error) {
  return error.domain() == platform::URLError::kDomain &&
         error.code() == platform::URLError::Cancelled;
}
