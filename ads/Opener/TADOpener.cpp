#include "ads/Opener/TADOpener.h"

#include <algorithm>
#include <vector>

#include "ads/Delegate/TADAdEvents.h"
#include "ads/Delegate/TADDelegateManager.h"
#include "ads/Network/TADClickTracker.h"
#include "ads/Notification/TADNotification.h"
#include "ads/Opener/TADOpenerScreens.h"
#include "ads/Opener/TADPressRecord.h"
#include "ads/Statistics/TADStatistics.h"
#include "ads/Utility/TADNetworkUtilities.h"
#include "base/ASCII.h"
#include "platform/Application.h"
#include "platform/RunLoop.h"
#include "platform/ViewController.h"
#include "platform/WebView.h"

namespace {

constexpr std::string_view kMailtoPrefix = "mailto:";

}  // namespace

TADOpener::~TADOpener() {
  platform::RunLoop::cancelOnMain(this);
}

int32_t& TADOpener::repeatCounter() {
  static int32_t counter = 0;
  return counter;
}

TADOrientations TADOpener::orientationsFromParameter(const std::optional<std::string>& o) {
  if (o == "p") return TADOrientations::Portrait;
  if (o == "l") return TADOrientations::Landscape;
  return TADOrientations::Any;
}

void TADOpener::openNotification(const TADNotification& notification) {
  std::optional<std::string> action = notification.parameter("a");
  std::optional<std::string> address = notification.parameter("u");
  std::optional<base::URL> url = address ? base::URL::fromString(*address) : std::nullopt;
  std::optional<std::string> html = notification.parameter("html");
  if (!url && !(html && action == "webapp")) return;

  TADOrientations orientations = orientationsFromParameter(notification.parameter("o"));
  // A refused message is no click; the opening below still says why it is refused.
  TADOpenGate::Opening opening = action == "browser" || action == "video"
                                     ? TADOpenGate::Opening::Browser
                                 : action == "webapp" ? TADOpenGate::Opening::WebApp
                                                      : TADOpenGate::Opening::OtherApplication;
  std::optional<base::URL> clickURL = url;
  if (admissible(opening, url)) {
    TADStatistics& statistics = TADStatistics::sharedStatistics();
    if (url) {
      clickURL = statistics.urlForClick(*url);
    } else {
      statistics.countClickWithoutURL();
    }
  }

  if (action == "browser" || action == "video") {
    openBrowserToURL(clickURL, orientations);
  } else if (action == "webapp") {
    if (clickURL) {
      openWebApp(clickURL, orientations);
    } else {
      openWebAppWithHTML(html, orientations);
    }
  } else {
    // "call", "app", any other action and none: the address leaves the application.
    openApp(clickURL);
  }
}

bool TADOpener::admissible(TADOpenGate::Opening opening,
                           const std::optional<base::URL>& url) const {
  return TADOpenGate::verdictFor(sourcePresses_.lock().get(), sourceKind_, opening, url,
                                 askedWithGesture()) == TADOpenGate::Verdict::Allowed;
}

bool TADOpener::admitted(TADOpenGate::Opening opening, const std::optional<base::URL>& url) const {
  return TADOpenGate::admit(sourcePresses_.lock().get(), sourceKind_, opening, url,
                            askedWithGesture());
}

// The opener is asked from within its web view's decision on the navigation that asks.
bool TADOpener::askedWithGesture() const {
  auto webView = sourceWebView();
  return !webView || webView->isUserGestureNavigation();
}

void TADOpener::openBrowserToURL(const std::optional<base::URL>& url,
                                 TADOrientations supportedOrientations) {
  auto presenter = viewController();
  if (!presenter || !url || !admitted(TADOpenGate::Opening::Browser, url)) return;
  TADOpenerScreens::Setup setup{supportedOrientations, openingWebView_, delegateManager_};
  if (TADOpenerScreens::library().presentBrowser(setup, *url, referringURL_, presenter)) didOpen();
}

std::shared_ptr<TADWebAppViewController> TADOpener::webAppOrientations(
    TADOrientations supportedOrientations) {
  return TADOpenerScreens::library().webApp(
      {supportedOrientations, openingWebView_, delegateManager_});
}

void TADOpener::openWebApp(const std::optional<base::URL>& url,
                           TADOrientations supportedOrientations) {
  auto presenter = viewController();
  if (!presenter || !url || !admitted(TADOpenGate::Opening::WebApp, url)) return;
  auto screen = webAppOrientations(supportedOrientations);
  if (TADOpenerScreens::library().presentWebApp(screen, url, std::nullopt, presenter)) didOpen();
}

void TADOpener::openWebAppWithHTML(const std::optional<std::string>& html,
                                   TADOrientations supportedOrientations) {
  auto presenter = viewController();
  if (!presenter || !html || !admitted(TADOpenGate::Opening::WebApp, std::nullopt)) return;
  auto screen = webAppOrientations(supportedOrientations);
  if (TADOpenerScreens::library().presentWebApp(screen, std::nullopt, html, presenter)) didOpen();
}

void TADOpener::openApp(const std::optional<base::URL>& url) {
  if (!url || !admitted(TADOpenGate::Opening::OtherApplication, url)) return;
  leaveForApp(*url);
}

void TADOpener::leaveForApp(const base::URL& url) {
  didOpen();
  if (TADClickTracker::activeTrackings() && waitForTrackings(url)) return;
  repeatCounter() = 0;
  if (delegateManager_) delegateManager_->willLeaveApplication();
  // The application's own work, not the opener's: it runs even if the opener goes first.
  platform::RunLoop::main().post([url] { platform::Application::shared().openURL(url); });
}

bool TADOpener::waitForTrackings(const base::URL& url) {
  int32_t waitsSoFar = repeatCounter()++;
  if (waitsSoFar >= kMaximumTrackingWaits) return false;
  std::shared_ptr<TADOpener> keep = weak_from_this().lock();
  platform::RunLoop::main().post(kTrackingWait, this, [this, keep, url] { leaveForApp(url); });
  return true;
}

void TADOpener::didOpen() {
  if (auto ad = adController()) ad->adScreenDidOpen();
}

void TADOpener::openEmailComposer(const std::optional<base::URL>& url) {
  auto presenter = viewController();
  if (!presenter || !url || !admitted(TADOpenGate::Opening::MailComposer, url)) return;
  const std::string& text = url->absoluteString();
  std::string rest = text.substr(std::min(text.size(), kMailtoPrefix.size()));

  std::string recipient = rest;
  base::Dictionary fields;
  if (size_t question = rest.find('?'); question != std::string::npos) {
    recipient = rest.substr(0, question);
    fields = TADNetworkUtilities::dictionaryFromQueryString(rest.substr(question + 1));
  }

  auto composer = std::make_shared<platform::MailComposeViewController>();
  composer->setMailComposeDelegate(weak_from_this());
  composer->setToRecipients({recipient});
  if (auto cc = fields.stringForKey("cc")) composer->setCcRecipients(base::split(*cc, ','));
  if (auto bcc = fields.stringForKey("bcc")) composer->setBccRecipients(base::split(*bcc, ','));
  if (auto subject = fields.stringForKey("subject")) composer->setSubject(*subject);
  if (auto body = fields.stringForKey("body")) composer->setMessageBody(*body, false);
  presenter->presentModalViewController(composer, true);
  didOpen();
}

void TADOpener::mailComposeControllerDidFinishWithResult(
    platform::MailComposeViewController& controller, platform::MailComposeResult,
    const std::optional<base::Error>&) {
  controller.dismissModalViewControllerAnimated(true);
}
