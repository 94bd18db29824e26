#include "ads/Browser/TADBrowserControllerPrivate.h"

#include "ads/Browser/TADBrowserWebViewDelegate.h"
#include "ads/View/TADWebView.h"

// The page stops with the screen: it must not go on playing or running scripts unseen.
TADBrowserControllerPrivate::~TADBrowserControllerPrivate() {
  if (webView) webView->setDelegate({});
  webViewDelegate.reset();
  if (webView) webView->loadHTMLString("", std::nullopt);
  webView.reset();
}
