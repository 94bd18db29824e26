#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "base/Error.h"
#include "base/URL.h"
#include "platform/core/RunLoop.h"
#include "platform/net/URLRequest.h"
#include "platform/ui/View.h"
#include "platform/ui/WebViewPeer.h"

namespace platform {

class WebView;

// Hears what a web view does and decides which navigations go ahead.
class WebViewDelegate {
 public:
  virtual ~WebViewDelegate() = default;
  // Asked before any navigation — of the main frame or of a sub-frame (see
  // WebView::isMainFrameNavigation) — fetches anything; false refuses it.
  virtual bool webViewShouldStartLoadWithRequest(WebView& /*webView*/,
                                                 const URLRequest& /*request*/,
                                                 WebViewNavigationType /*navigationType*/) {
    return true;
  }
  virtual void webViewDidStartLoad(WebView& /*webView*/) {}
  virtual void webViewDidFinishLoad(WebView& /*webView*/) {}
  virtual void webViewDidFailLoadWithError(WebView& /*webView*/, const base::Error& /*error*/) {}
};

// A view that shows web pages in the backend's engine. Loads are asynchronous: the delegate
// hears each main-frame load start and then finish or fail. Scripts run in the page; their text
// result comes back to a completion on a later run-loop pass. Web views are made with
// std::make_shared, as every view is.
class WebView : public View, private WebViewPeerClient {
 public:
  using ScriptCompletion = std::function<void(const std::string& result)>;

  // role tells the backend what the view is for; a plain web view is a hidden page's.
  explicit WebView(const Rect& frame = {}, WebViewRole role = WebViewRole::Hidden);
  ~WebView() override;

  // Not owned: a delegate that goes away simply stops hearing.
  void setDelegate(std::weak_ptr<WebViewDelegate> delegate) { delegate_ = std::move(delegate); }
  std::shared_ptr<WebViewDelegate> delegate() const { return delegate_.lock(); }

  // Says that pages at pageURL's origin are to come (the program learns where its pages come from
  // before it loads them), so that the first of them need not wait for what the backend readies
  // for a new origin. Does nothing while no platform is installed.
  static void expectPagesFrom(const base::URL& pageURL);

  // Shows html as a page at baseURL (relative addresses in it resolve against it; none gives the
  // page no address of its own).
  void loadHTMLString(const std::string& html, const std::optional<base::URL>& baseURL);
  // Loads request with its header fields (such as "Referer").
  void loadRequest(const URLRequest& request);
  void stopLoading();
  void reload();
  void goBack();
  void goForward();
  bool canGoBack() const;
  bool canGoForward() const;
  bool isLoading() const;
  // Whether the view may go on to hold later pages of its kind (WebViewPeer::holdsLaterPages).
  bool holdsLaterPages() const { return webPeer_->holdsLaterPages(); }
  // The address of the page the view shows or is loading (the current request's URL).
  std::optional<base::URL> currentURL() const;

  // Runs script in the page; completion gets its result as text (empty when the script fails or
  // gives nothing) on a later run-loop pass, and is dropped if the view goes first.
  void evaluateJavaScript(const std::string& script, ScriptCompletion completion);

  const WebViewSettings& settings() const { return settings_; }
  bool scalesPageToFit() const { return settings_.scalesPageToFit; }
  void setScalesPageToFit(bool scales);
  unsigned dataDetectorTypes() const { return settings_.dataDetectorTypes; }
  void setDataDetectorTypes(unsigned types);
  bool allowsInlineMediaPlayback() const { return settings_.allowsInlineMediaPlayback; }
  void setAllowsInlineMediaPlayback(bool allows);
  bool mediaPlaybackRequiresUserAction() const { return settings_.mediaPlaybackRequiresUserAction; }
  void setMediaPlaybackRequiresUserAction(bool required);
  bool mediaPlaybackAllowsAirPlay() const { return settings_.mediaPlaybackAllowsAirPlay; }
  void setMediaPlaybackAllowsAirPlay(bool allows);
  bool scrollsToTop() const { return settings_.scrollsToTop; }
  void setScrollsToTop(bool scrolls);
  bool showsScriptDialogs() const { return settings_.showsScriptDialogs; }
  void setShowsScriptDialogs(bool shows);

  // While the delegate decides on a navigation: whether it is the main frame's (false for a
  // sub-frame's). True at other times.
  bool isMainFrameNavigation() const { return mainFrameNavigation_; }
  // While the delegate decides on a navigation: whether the engine made it while a frame of the
  // page handled the user's input (see WebViewPeerClient). True at other times.
  bool isUserGestureNavigation() const { return userGestureNavigation_; }

  WebViewPeer& webViewPeer() { return *webPeer_; }

 protected:
  // The user's input on the view beside its touches (hitTest).
  virtual void userInput(WebViewUserInput /*input*/) {}

 private:
  bool webViewPeerShouldStartLoad(const URLRequest& request, WebViewNavigationType type,
                                  bool mainFrame, bool userGesture) override;
  void webViewPeerUserInput(WebViewUserInput input) override;
  void webViewPeerDidStartLoad() override;
  void webViewPeerDidFinishLoad() override;
  void webViewPeerDidFailLoad(const base::Error& error) override;
  void changeSettings(const std::function<void(WebViewSettings&)>& change);

  std::weak_ptr<WebViewDelegate> delegate_;
  WebViewSettings settings_;
  bool mainFrameNavigation_ = true;
  bool userGestureNavigation_ = true;
  std::weak_ptr<RunLoop> runLoop_;
  // Made over the view's peer, so it goes before it (members go before the base).
  std::unique_ptr<WebViewPeer> webPeer_;
};

}  // namespace platform
