#pragma once

#include <memory>

#include "ads/View/TADWebViewDelegate.h"

class TADBrowserController;

// The page delegate of the in-app browser: counts the user's navigations by scheme, measures the
// landing page and keeps the browser's toolbar current.
class TADBrowserWebViewDelegate : public TADWebViewDelegate {
 public:
  static std::shared_ptr<TADBrowserWebViewDelegate> initWithBrowserController(
      const std::shared_ptr<TADBrowserController>& browser);
  TADBrowserWebViewDelegate() : TADWebViewDelegate(nullptr, TADOpenGate::Source::Browser) {}

  bool webViewShouldStartLoadWithRequest(platform::WebView& webView,
                                         const platform::URLRequest& request,
                                         platform::WebViewNavigationType navigationType) override;
  void webViewDidStartLoad(platform::WebView& webView) override;
  void webViewDidFinishLoad(platform::WebView& webView) override;
  void webViewDidFailLoadWithError(platform::WebView& webView, const base::Error& error) override;

 private:
  void refreshToolbar();

  std::weak_ptr<TADBrowserController> browser_;
};
