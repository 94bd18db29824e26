#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ads/Opener/TADOpenGate.h"
#include "ads/View/TADPageConsole.h"
#include "base/URL.h"
#include "base/Value.h"
#include "platform/ui/Geometry.h"
#include "platform/ui/WebView.h"

class TADClickTracker;
class TADNotification;
class TADOpener;
namespace platform {
class ViewController;
}

// Posted on the default notification center, with the web view as object, for every navigation
// of an ad web view: "u" is the address and, for a page message, "a" its name.
inline constexpr std::string_view TADWebViewDelegateDidReceiveWebAction = "didReceiveWebAction";

// The delegate of every ad web view. Before a load starts it looks at the address: page messages
// (TADNotification) are acted on and never load; web addresses (base::URL::isWebURL) and "about"
// addresses load in place; "file" addresses are refused; mail addresses and every other scheme go
// to the opener, whose gate lets them out only at the user's press (TADOpenGate). The delegate
// knows which kind of web view it serves and tells its opener so, with the web view that asks.
//
// Messages, by exact name, first match acting:
//   click u        track u with the click signals appended
//   close          relinquish the screen, when the view controller is a full-screen screen
//   httpTrack u    track u as it is
//   log string     the value on the console as it is, with no prefix (TADPageConsole: escaped,
//                  cut at 1 KB, marked only where it would pass for the library's, at most 10 a
//                  second)
//   open           the opener's openNotification
//   touch tx ty td hand the touch to the signals component (-1 for a missing value)
//   vibrate        vibrate the device, while the application is active and at most once in
//                  kSecondsBetweenVibrations
//   canOpenURLs urls  answer the page with "openableURLs": which of the comma-separated
//                  addresses some application opens
//   evalInOpener js   on a later pass, run js in the opening web view and answer the page with
//                  "evalJavaScriptInOpenerResult"; nothing without an opening web view
//   anything else  didReceiveOtherMessage: posted on the default center on a later pass, named
//                  after the message, with the web view as object and the parameters as user
//                  info
//
// After every finished load the page hears the application's orientation; loadedFirstPage is
// called once per delegate, at the first. Subclasses adapt this to the banner, the in-app
// browser and the web app screen.
class TADWebViewDelegate : public platform::WebViewDelegate,
                           public std::enable_shared_from_this<TADWebViewDelegate> {
 public:
  static constexpr double kSecondsBetweenVibrations = 1;

  static std::shared_ptr<TADWebViewDelegate> init(
      TADOpenGate::Source source = TADOpenGate::Source::BuildPage);
  // opener: the delegate's own; a fresh TADOpener when none is given. source: the kind of web
  // view served; by default the build page, which opens nothing.
  explicit TADWebViewDelegate(std::shared_ptr<TADOpener> opener = nullptr,
                              TADOpenGate::Source source = TADOpenGate::Source::BuildPage);
  ~TADWebViewDelegate() override;
  TADWebViewDelegate(const TADWebViewDelegate&) = delete;
  TADWebViewDelegate& operator=(const TADWebViewDelegate&) = delete;

  bool webViewShouldStartLoadWithRequest(platform::WebView& webView,
                                         const platform::URLRequest& request,
                                         platform::WebViewNavigationType navigationType) override;
  void webViewDidStartLoad(platform::WebView& webView) override;
  void webViewDidFinishLoad(platform::WebView& webView) override;
  void webViewDidFailLoadWithError(platform::WebView& webView, const base::Error& error) override;
  // Called once per delegate, after its first finished load.
  virtual void loadedFirstPage(platform::WebView& webView);

  // Tells the page of webView the orientation as an angle: portrait 0, upside down 180,
  // landscape right 90, landscape left -90; any other value sends nothing.
  static void notifyWebViewOfOrientationChange(platform::WebView& webView,
                                               platform::InterfaceOrientation orientation);
  // Runs parameters' "js" in the opening web view and sends its result to webView.
  void evaluateJavaScriptInOpener(const base::Dictionary& parameters,
                                  const std::shared_ptr<platform::WebView>& webView);
  void processCanOpenURLs(const std::vector<std::string>& urls, platform::WebView& webView);
  void processTouchSignals(const std::optional<base::Dictionary>& parameters);
  // The integer reading of the key's text (leading blanks skipped, an optional sign, the digits
  // up to the first other character, 0 without any, clamped to 32 bits); -1 when it is missing.
  static int32_t intForKey(std::string_view key, const std::optional<base::Dictionary>& dictionary);
  // Follows the address with the delegate's click tracker, the click signals appended when asked
  // for and the address has an "ai" value. A missing or invalid address starts nothing.
  void trackURLString(const std::optional<std::string>& urlString, bool appendSpamSignals);

  bool hasLoadedAtLeastOnce() const { return hasLoadedAtLeastOnce_; }
  TADOpenGate::Source source() const { return source_; }
  const std::shared_ptr<TADOpener>& opener() const { return opener_; }
  std::shared_ptr<platform::ViewController> viewController() const {
    return viewController_.lock();
  }
  void setViewController(std::weak_ptr<platform::ViewController> controller) {
    viewController_ = std::move(controller);
  }
  std::shared_ptr<platform::WebView> openingWebView() const { return openingWebView_.lock(); }
  void setOpeningWebView(std::weak_ptr<platform::WebView> webView) {
    openingWebView_ = std::move(webView);
  }

 protected:
  // A page message that no row above acts on (one whose address names none included).
  virtual void didReceiveOtherMessage(const TADNotification& message, const base::URL& url,
                                      platform::WebView& webView);

 private:
  void postWebAction(platform::WebView& webView, base::Dictionary userInfo);
  void handleNotification(const TADNotification& notification, const base::URL& url,
                          platform::WebView& webView);
  void relinquishScreen();
  void evaluateInOpenerLater(const std::optional<base::Dictionary>& parameters,
                             platform::WebView& webView);
  void vibrateUnlessTooSoon();

  bool hasLoadedAtLeastOnce_ = false;
  TADOpenGate::Source source_;
  std::shared_ptr<TADOpener> opener_;
  std::shared_ptr<TADClickTracker> tracker_;
  std::weak_ptr<platform::ViewController> viewController_;
  std::weak_ptr<platform::WebView> openingWebView_;
  TADPageConsole console_;
  // Monotonic seconds of the last vibration; none before the first.
  std::optional<double> lastVibration_;
};
