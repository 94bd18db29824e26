#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "ads/Device/TADOrientations.h"
#include "ads/Opener/TADOpenGate.h"
#include "base/URL.h"
#include "platform/ui/MailComposeViewController.h"

class TADDelegateManager;
class TADNotification;
class TADAdEvents;
class TADWebAppViewController;
class TADPressRecord;
namespace platform {
class ViewController;
class WebView;
}  // namespace platform

// Carries out what leaves an ad page: "open" messages, clicks that the banner opens, mail
// addresses and addresses that are not web pages. Each web view delegate owns one.
//
// Every opening passes TADOpenGate first, as asked for by the opener's source: the kind of web
// view it serves and that web view, whose press allows the one opening. An opener that was not
// told its source opens nothing.
//
// Screens (the in-app browser, the web app screen, the mail composer) are presented over
// viewController and owned by the presentation from then on; without a view controller nothing
// is presented. After each opening the ad is told (didOpen), and follows its click tracking.
//
// Leaving the application for another one waits for click trackings under way: at most three
// waits of kTrackingWait seconds in a row, counted by one repeat counter that all openers share
// and that returns to 0 whenever an address is handed to the operating system.
//
// Openers are made with init() (or std::make_shared); deferred work keeps the opener alive.
class TADOpener : public platform::MailComposeViewControllerDelegate,
                  public std::enable_shared_from_this<TADOpener> {
 public:
  static constexpr double kTrackingWait = 0.3;
  static constexpr int32_t kMaximumTrackingWaits = 3;

  static std::shared_ptr<TADOpener> init() { return std::make_shared<TADOpener>(); }
  ~TADOpener() override;

  // Acts on an "open" message by its "a" parameter (with "u", "html" and "o"):
  //   browser, video     the in-app browser on the click address
  //   webapp             the web app screen on the click address, or on "html" without one
  //   anything else      openApp with the click address
  // A message with no valid "u" does nothing, but for a "webapp" one with "html". The click is
  // counted only when the message opens something (canOpen).
  virtual void openNotification(const TADNotification& notification);
  // Hands url to the operating system, after any click tracking under way (see above).
  virtual void openApp(const std::optional<base::URL>& url);
  // Present the in-app browser or the web app screen with the orientations it allows.
  virtual void openBrowserToURL(const std::optional<base::URL>& url,
                                TADOrientations supportedOrientations);
  virtual void openWebApp(const std::optional<base::URL>& url,
                          TADOrientations supportedOrientations);
  virtual void openWebAppWithHTML(const std::optional<std::string>& html,
                                  TADOrientations supportedOrientations);
  // A new web app screen with this opener's opening web view and delegate manager; the opener
  // does not keep it.
  std::shared_ptr<TADWebAppViewController> webAppOrientations(
      TADOrientations supportedOrientations);
  // Presents the mail composer filled from a "mailto:" address: To is the recipient text exactly
  // as written; "cc" and "bcc" are split at every ","; "subject"; "body" as plain text.
  virtual void openEmailComposer(const std::optional<base::URL>& url);
  // Dismisses the composer, whatever the result, and gives the keyboard back to viewController.
  void mailComposeControllerDidFinishWithResult(platform::MailComposeViewController& controller,
                                                platform::MailComposeResult result,
                                                const std::optional<base::Error>& error) override;
  // Tells the ad that something opened for it.
  void didOpen();
  // Whether an opening of this kind would happen now: there is an address (a web app may do
  // without), a controller to present the screens and the mail composer over that presents
  // nothing yet, and the gate lets this opener's source through. Changes nothing: a click is
  // counted only when this holds, so that a click is counted exactly when something opens.
  bool canOpen(TADOpenGate::Opening opening, const std::optional<base::URL>& url) const;
  // How many times something has opened through this opener, for a caller that must know
  // whether a call opened anything.
  uint64_t openingCount() const { return openingCount_; }

  // The orientations of an "o" parameter: "p" portrait, "l" landscape, anything else any.
  static TADOrientations orientationsFromParameter(const std::optional<std::string>& o);
  // The shared repeat counter, for tests that must start from a known state.
  static int32_t repeatCount() { return repeatCounter(); }
  static void resetRepeatCount() { repeatCounter() = 0; }

  std::shared_ptr<TADDelegateManager> delegateManager() const { return delegateManager_; }
  void setDelegateManager(std::shared_ptr<TADDelegateManager> manager) {
    delegateManager_ = std::move(manager);
  }
  // The controller over which screens and the composer are presented; not kept alive.
  std::shared_ptr<platform::ViewController> viewController() const {
    return viewController_.lock();
  }
  void setViewController(std::weak_ptr<platform::ViewController> controller) {
    viewController_ = std::move(controller);
  }
  const std::optional<base::URL>& referringURL() const { return referringURL_; }
  void setReferringURL(std::optional<base::URL> url) { referringURL_ = std::move(url); }
  std::shared_ptr<platform::WebView> openingWebView() const { return openingWebView_.lock(); }
  void setOpeningWebView(std::weak_ptr<platform::WebView> webView) {
    openingWebView_ = std::move(webView);
  }
  // What asks this opener to open things: the kind of web view, the web view itself and the
  // record of its presses, when it keeps one (none kept alive).
  TADOpenGate::Source sourceKind() const { return sourceKind_; }
  std::shared_ptr<platform::WebView> sourceWebView() const { return sourceWebView_.lock(); }
  void setSource(TADOpenGate::Source kind, std::weak_ptr<platform::WebView> webView,
                 std::weak_ptr<TADPressRecord> presses = {}) {
    sourceKind_ = kind;
    sourceWebView_ = std::move(webView);
    sourcePresses_ = std::move(presses);
  }
  // The ad the openings are for (not kept alive); none for a screen of no ad.
  std::shared_ptr<TADAdEvents> adController() const { return adController_.lock(); }
  void setAdController(std::weak_ptr<TADAdEvents> controller) {
    adController_ = std::move(controller);
  }

 private:
  static int32_t& repeatCounter();
  // Whether the gate lets this opener's source open this, using the press up.
  bool admitted(TADOpenGate::Opening opening, const std::optional<base::URL>& url) const;
  // Whether the navigation that asks carries the user's gesture (see TADOpenGate).
  bool askedWithGesture() const;
  // A screen opened for a click: didOpen, and the ad hears of the click.
  void opened();
  // The leaving itself, once admitted: the waits below come back here, not through the gate.
  void leaveForApp(const base::URL& url);
  // Posts leaveForApp(url) again after kTrackingWait, when the waits allow; answers whether it
  // did.
  bool waitForTrackings(const base::URL& url);

  std::shared_ptr<TADDelegateManager> delegateManager_;
  std::weak_ptr<platform::ViewController> viewController_;
  std::optional<base::URL> referringURL_;
  std::weak_ptr<platform::WebView> openingWebView_;
  std::weak_ptr<TADAdEvents> adController_;
  TADOpenGate::Source sourceKind_ = TADOpenGate::Source::BuildPage;
  std::weak_ptr<platform::WebView> sourceWebView_;
  std::weak_ptr<TADPressRecord> sourcePresses_;
  uint64_t openingCount_ = 0;
};
