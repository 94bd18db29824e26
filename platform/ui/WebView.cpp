#include "platform/ui/WebView.h"

#include "platform/core/RunLoop.h"
#include "platform/ui/ViewBackend.h"

namespace platform {

WebView::WebView(const Rect& frame, WebViewRole role)
    : View(frame),
      runLoop_(RunLoop::main().weak_from_this()),
      webPeer_(ViewBackend::current().makeWebViewPeer(peer(), *this, role)) {
  webPeer_->settingsChanged(settings_);
}

WebView::~WebView() {
  // Results that have arrived but not yet been handed over are dropped.
  if (auto loop = runLoop_.lock()) loop->cancel(this);
}

void WebView::expectPagesFrom(const base::URL& pageURL) {
  if (ViewBackend* views = ViewBackend::installed()) views->expectWebPagesFrom(pageURL);
}

void WebView::loadHTMLString(const std::string& html, const std::optional<base::URL>& baseURL) {
  webPeer_->loadHTMLString(html, baseURL);
}

void WebView::loadRequest(const URLRequest& request) {
  webPeer_->loadRequest(request);
}

void WebView::stopLoading() {
  webPeer_->stopLoading();
}
void WebView::reload() {
  webPeer_->reload();
}
void WebView::goBack() {
  webPeer_->goBack();
}
void WebView::goForward() {
  webPeer_->goForward();
}
bool WebView::canGoBack() const {
  return webPeer_->canGoBack();
}
bool WebView::canGoForward() const {
  return webPeer_->canGoForward();
}
bool WebView::isLoading() const {
  return webPeer_->isLoading();
}
std::optional<base::URL> WebView::currentURL() const {
  return webPeer_->currentURL();
}

// The peer never answers after it (and so this view) is gone; an answer that is waiting for its
// pass is cancelled with the view.
void WebView::evaluateJavaScript(const std::string& script, ScriptCompletion completion) {
  webPeer_->evaluateJavaScript(
      script, [this, completion = std::move(completion)](std::string result) mutable {
        if (!completion) return;
        if (auto loop = runLoop_.lock())
          loop->post(0, this, [completion = std::move(completion), result = std::move(result)] {
            completion(result);
          });
      });
}

void WebView::changeSettings(const std::function<void(WebViewSettings&)>& change) {
  WebViewSettings settings = settings_;
  change(settings);
  if (settings == settings_) return;
  settings_ = settings;
  webPeer_->settingsChanged(settings_);
}

void WebView::setScalesPageToFit(bool scales) {
  changeSettings([&](WebViewSettings& s) { s.scalesPageToFit = scales; });
}
void WebView::setScrollsToTop(bool scrolls) {
  changeSettings([&](WebViewSettings& s) { s.scrollsToTop = scrolls; });
}
void WebView::setDataDetectorTypes(unsigned types) {
  changeSettings([&](WebViewSettings& s) { s.dataDetectorTypes = types; });
}
void WebView::setAllowsInlineMediaPlayback(bool allows) {
  changeSettings([&](WebViewSettings& s) { s.allowsInlineMediaPlayback = allows; });
}
void WebView::setMediaPlaybackRequiresUserAction(bool required) {
  changeSettings([&](WebViewSettings& s) { s.mediaPlaybackRequiresUserAction = required; });
}
void WebView::setMediaPlaybackAllowsAirPlay(bool allows) {
  changeSettings([&](WebViewSettings& s) { s.mediaPlaybackAllowsAirPlay = allows; });
}
void WebView::setShowsScriptDialogs(bool shows) {
  changeSettings([&](WebViewSettings& s) { s.showsScriptDialogs = shows; });
}

// The delegate may release this view from any of its calls: the view lives until the call is
// over (when it is shared at all).
bool WebView::webViewPeerShouldStartLoad(const URLRequest& request, WebViewNavigationType type,
                                         bool mainFrame, bool userGesture) {
  std::shared_ptr<View> keep = weak_from_this().lock();
  std::shared_ptr<WebViewDelegate> delegate = delegate_.lock();
  if (!delegate) return true;
  mainFrameNavigation_ = mainFrame;
  userGestureNavigation_ = userGesture;
  bool allowed = delegate->webViewShouldStartLoadWithRequest(*this, request, type);
  mainFrameNavigation_ = true;
  userGestureNavigation_ = true;
  return allowed;
}

void WebView::webViewPeerUserInput(WebViewUserInput input) {
  std::shared_ptr<View> keep = weak_from_this().lock();
  userInput(input);
}

void WebView::webViewPeerDidStartLoad() {
  std::shared_ptr<View> keep = weak_from_this().lock();
  if (auto delegate = delegate_.lock()) delegate->webViewDidStartLoad(*this);
}

void WebView::webViewPeerDidFinishLoad() {
  std::shared_ptr<View> keep = weak_from_this().lock();
  if (auto delegate = delegate_.lock()) delegate->webViewDidFinishLoad(*this);
}

void WebView::webViewPeerDidFailLoad(const base::Error& error) {
  std::shared_ptr<View> keep = weak_from_this().lock();
  if (auto delegate = delegate_.lock()) delegate->webViewDidFailLoadWithError(*this, error);
}

}  // namespace platform
