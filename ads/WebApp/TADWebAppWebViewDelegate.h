#pragma once

#include <memory>

#include "ads/View/TADWebViewDelegate.h"

class TADWebAppViewControllerPrivate;
class TADWebView;

// The page delegate of the web app screen: measures the landing page, removes the screen's
// spinner after the first page, tells the page "onshow" exactly once (when the screen is up and
// the page loaded, whichever comes last), and keeps the page alive for 2 seconds after its
// screen has gone.
class TADWebAppWebViewDelegate : public TADWebViewDelegate {
 public:
  static std::shared_ptr<TADWebAppWebViewDelegate> initWithWebAppPrivate(
      const std::shared_ptr<TADWebAppViewControllerPrivate>& screen);
  TADWebAppWebViewDelegate() : TADWebViewDelegate(nullptr, TADOpenGate::Source::WebApp) {}

  bool pendingOnShow() const { return pendingOnShow_; }
  // Sends "onshow" at once when the page is not loading.
  void setPendingOnShow(bool pending);
  void postOnShowEvent();
  // Takes over the page from the screen that goes: in 2 seconds the page is stopped and released,
  // then this delegate lets go of itself.
  void releaseWithWebView(std::shared_ptr<TADWebView> webView);
  void delayedRelease(const std::shared_ptr<TADWebView>& webView);

  void loadedFirstPage(platform::WebView& webView) override;
  void webViewDidStartLoad(platform::WebView& webView) override;
  void webViewDidFinishLoad(platform::WebView& webView) override;

 private:
  std::weak_ptr<TADWebAppViewControllerPrivate> screen_;
  bool pendingOnShow_ = false;
  bool calledOnShow_ = false;
};
