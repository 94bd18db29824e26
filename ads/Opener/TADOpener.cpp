#include "ads/Opener/TADOpener.h"

#include <algorithm>
#include <vector>

#include "ads/Addresses/TADNetworkUtilities.h"
#include "ads/Delegate/TADDelegateManager.h"
#include "ads/Network/TADClickTracker.h"
#include "ads/Notification/TADNotification.h"
#include "ads/ObjectPort/TADAdEvents.h"
#include "ads/Opener/TADOpenerScreens.h"
#include "ads/Opener/TADPressRecord.h"
#include "ads/Statistics/TADStatistics.h"
#include "base/ASCII.h"
#include "base/Utf8Validator.h"
#include "platform/Application.h"
#include "platform/core/RunLoop.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/WebView.h"

namespace {

constexpr std::string_view kMailtoPrefix = "mailto:";

// A page's text as the mail composer shows it: without C0 and C1 controls, DEL, the line and
// paragraph separators and the bidirectional marks, embeddings, overrides and isolates, which
// would let a page turn a subject or an address around or hide part of it; without bytes that are
// no UTF-8 either. Line breaks stay only where asked for (the body).
std::string composerText(std::string_view text, bool keepLineBreaks) {
  std::string out;
  const char* p = text.data();
  const char* end = p + text.size();
  while (p < end) {
    size_t length = base::Utf8Validator::sequenceLength(p, end);
    if (length == 0) {
      ++p;
      continue;
    }
    char32_t c = static_cast<unsigned char>(*p) & (length == 1 ? 0x7F : 0xFF >> (length + 1));
    for (size_t i = 1; i < length; ++i)
      c = (c << 6) | (static_cast<unsigned char>(p[i]) & 0x3F);
    bool hidden = c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x061C || c == 0x200E ||
                  c == 0x200F || c == 0x2028 || c == 0x2029 || (c >= 0x202A && c <= 0x202E) ||
                  (c >= 0x2066 && c <= 0x2069);
    if (!hidden || (keepLineBreaks && c == '\n')) out.append(p, length);
    p += length;
  }
  return out;
}

std::vector<std::string> composerTexts(const std::vector<std::string>& texts) {
  std::vector<std::string> out;
  for (const std::string& text : texts)
    out.push_back(composerText(text, false));
  return out;
}

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
  // A message that opens nothing is no click; the opening below still says why it is refused.
  TADOpenGate::Opening opening = action == "browser" || action == "video"
                                     ? TADOpenGate::Opening::Browser
                                 : action == "webapp" ? TADOpenGate::Opening::WebApp
                                                      : TADOpenGate::Opening::OtherApplication;
  std::optional<base::URL> clickURL = url;
  if (canOpen(opening, url)) {
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

bool TADOpener::canOpen(TADOpenGate::Opening opening, const std::optional<base::URL>& url) const {
  if (opening != TADOpenGate::Opening::OtherApplication) {
    auto presenter = viewController();
    bool presentable = opening == TADOpenGate::Opening::MailComposer
                           ? presenter && !presenter->modalViewController()
                           : TADOpenerScreens::library().canPresent(presenter);
    if (!presentable) return false;
  }
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
  if (TADOpenerScreens::library().presentBrowser(setup, *url, referringURL_, presenter)) opened();
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
  if (TADOpenerScreens::library().presentWebApp(screen, url, std::nullopt, presenter)) opened();
}

void TADOpener::openWebAppWithHTML(const std::optional<std::string>& html,
                                   TADOrientations supportedOrientations) {
  auto presenter = viewController();
  if (!presenter || !html || !admitted(TADOpenGate::Opening::WebApp, std::nullopt)) return;
  auto screen = webAppOrientations(supportedOrientations);
  if (TADOpenerScreens::library().presentWebApp(screen, std::nullopt, html, presenter)) opened();
}

void TADOpener::openApp(const std::optional<base::URL>& url) {
  if (!url || !admitted(TADOpenGate::Opening::OtherApplication, url)) return;
  leaveForApp(*url);
  // Once, whatever the attempts after waits for trackings, each of which tells didOpen again.
  if (auto ad = adController()) ad->adWasClicked();
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
  ++openingCount_;
  if (auto ad = adController()) ad->adScreenDidOpen();
}

void TADOpener::opened() {
  didOpen();
  if (auto ad = adController()) ad->adWasClicked();
}

void TADOpener::openEmailComposer(const std::optional<base::URL>& url) {
  auto presenter = viewController();
  // A controller that presents something already would not show the composer.
  if (!presenter || presenter->modalViewController() || !url ||
      !admitted(TADOpenGate::Opening::MailComposer, url)) {
    return;
  }
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
  composer->setToRecipients({composerText(recipient, false)});
  if (auto cc = fields.stringForKey("cc"))
    composer->setCcRecipients(composerTexts(base::split(*cc, ',')));
  if (auto bcc = fields.stringForKey("bcc"))
    composer->setBccRecipients(composerTexts(base::split(*bcc, ',')));
  if (auto subject = fields.stringForKey("subject"))
    composer->setSubject(composerText(*subject, false));
  if (auto body = fields.stringForKey("body"))
    composer->setMessageBody(composerText(*body, true), false);
  presenter->presentModalViewController(composer, true);
  opened();
}

void TADOpener::mailComposeControllerDidFinishWithResult(
    platform::MailComposeViewController& controller, platform::MailComposeResult,
    const std::optional<base::Error>&) {
  controller.dismissModalViewControllerAnimated(true);
  if (auto presenter = viewController()) presenter->becomeFirstResponder();
}
