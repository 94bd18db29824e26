#include "ads/WebApp/TADWebAppViewControllerPrivate.h"

#include "ads/View/TADWebView.h"
#include "ads/WebApp/TADWebAppWebViewDelegate.h"

TADWebAppViewControllerPrivate::~TADWebAppViewControllerPrivate() {
  if (webViewDelegate) webViewDelegate->releaseWithWebView(std::move(webView));
}
