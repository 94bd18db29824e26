#pragma once

#include <memory>

#include "ads/View/TADWebViewDelegate.h"

class TADObjectPrivate;

// The delegate of the banner's web view. It moves the ad object to shown when the ad page has
// loaded (then the application hears did-receive-ad and the impressions are tracked), hands the
// object every failed load (TADObjectPrivate::bannerPageDidFail), and turns touched navigations
// of a shown ad into clicks: the click address goes to the in-app browser, or to the web app
// screen when the ad has click-tracking addresses. A click never loads inside the banner.
//
// What a click or the page opens passes the gate as the banner's (TADOpenGate): a press in the
// banner lets one thing out, and only for a moment.
class TADBannerWebViewDelegate : public TADWebViewDelegate {
 public:
  // Installs itself on the ad object's web view and hands its opener the ad object. The opener
  // is a fresh TADOpener unless one is given.
  static std::shared_ptr<TADBannerWebViewDelegate> initWithObjectPrivate(
      const std::shared_ptr<TADObjectPrivate>& object, std::shared_ptr<TADOpener> opener = nullptr);
  TADBannerWebViewDelegate(std::shared_ptr<TADOpener> opener,
                           std::weak_ptr<TADObjectPrivate> object);
  ~TADBannerWebViewDelegate() override;

  // Whether a navigation of this type is the user's click on the shown ad: shown at least
  // kClickDelay seconds ago, touched, and not a reload or a step through the history.
  bool isClick(platform::WebViewNavigationType navigationType) const;
  static constexpr double kClickDelay = 0.15;

  bool webViewShouldStartLoadWithRequest(platform::WebView& webView,
                                         const platform::URLRequest& request,
                                         platform::WebViewNavigationType navigationType) override;
  void webViewDidFinishLoad(platform::WebView& webView) override;
  void webViewDidFailLoadWithError(platform::WebView& webView, const base::Error& error) override;

 private:
  std::weak_ptr<TADObjectPrivate> object_;
};
