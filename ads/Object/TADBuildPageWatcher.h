#pragma once

#include <functional>
#include <memory>

#include "platform/ui/WebView.h"

class TADWebViewDelegate;

// Stands between the hidden build page and the delegate that reads its messages. Every event goes
// on to that delegate; a failed load of the page or the end of its web process is also reported
// to pageFailed, so that the load can end then rather than at its time limit. A cancelled load is
// no failure of the page: a navigation refused on its way (a page message) ends as one, and the
// page goes on. A finished load is also reported to pageLoaded, if given.
class TADBuildPageWatcher : public platform::WebViewDelegate {
 public:
  TADBuildPageWatcher(std::weak_ptr<TADWebViewDelegate> delegate, std::function<void()> pageFailed,
                      std::function<void()> pageLoaded = {});

  bool webViewShouldStartLoadWithRequest(platform::WebView& webView,
                                         const platform::URLRequest& request,
                                         platform::WebViewNavigationType navigationType) override;
  void webViewDidStartLoad(platform::WebView& webView) override;
  void webViewDidFinishLoad(platform::WebView& webView) override;
  void webViewDidFailLoadWithError(platform::WebView& webView, const base::Error& error) override;

  // Whether error is a load that was stopped or refused rather than one that broke.
  static bool isCancellation(const base::Error& error);

 private:
  std::weak_ptr<TADWebViewDelegate> delegate_;
  std::function<void()> pageFailed_;
  std::function<void()> pageLoaded_;
};
