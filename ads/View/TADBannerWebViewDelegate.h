#pragma once

#include <memory>

#include "ads/View/TADWebViewDelegate.h"

class TADAdEvents;
class TADDelegateManager;

// The delegate of the banner's web view. It reports the page's finished and failed loads to the
// ad (TADAdEvents), which alone decides what they mean for its load, and asks the ad whether a
// navigation is a click on the shown ad (isClick). A click goes to the in-app browser, or to the
// web app screen when the ad says so, and never loads inside the banner; it is counted in the
// statistics only when something opens for it.
//
// What a click or the page opens passes the gate as the banner's (TADOpenGate): a press in the
// banner lets one thing out, and only for a moment.
class TADBannerWebViewDelegate : public TADWebViewDelegate {
 public:
  // Installs itself on webView for the ad; its opener (a fresh TADOpener unless one is given)
  // reports its openings to the ad and its screens to delegateManager.
  static std::shared_ptr<TADBannerWebViewDelegate> initWithObjectPrivate(
      const std::shared_ptr<TADAdEvents>& ad, const std::shared_ptr<platform::WebView>& webView,
      std::shared_ptr<TADDelegateManager> delegateManager,
      std::shared_ptr<TADOpener> opener = nullptr);
  TADBannerWebViewDelegate(std::shared_ptr<TADOpener> opener, std::weak_ptr<TADAdEvents> ad);
  ~TADBannerWebViewDelegate() override;

  bool webViewShouldStartLoadWithRequest(platform::WebView& webView,
                                         const platform::URLRequest& request,
                                         platform::WebViewNavigationType navigationType) override;
  void webViewDidFinishLoad(platform::WebView& webView) override;
  void webViewDidFailLoadWithError(platform::WebView& webView, const base::Error& error) override;

 private:
  std::weak_ptr<TADAdEvents> ad_;
  std::weak_ptr<platform::WebView> webView_;
};
