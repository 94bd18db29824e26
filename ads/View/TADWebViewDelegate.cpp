#include "ads/View/TADWebViewDelegate.h"

#include <climits>

#include "ads/Addresses/TADNetworkUtilities.h"
#include "ads/Device/TADIdentifierUtilities.h"
#include "ads/Network/TADClickTracker.h"
#include "ads/Notification/TADNotification.h"
#include "ads/Notification/TADNotificationCenter.h"
#include "ads/Opener/TADOpener.h"
#include "ads/View/TADRelinquishableScreen.h"
#include "ads/View/TADWebView.h"
#include "base/ASCII.h"
#include "platform/Application.h"
#include "platform/core/Clock.h"
#include "platform/core/Console.h"
#include "platform/core/NotificationCenter.h"
#include "platform/core/RunLoop.h"
#include "platform/ui/ViewController.h"
#include "signals/TADSignals.h"

namespace {

// The web view as a notification object that deferred work keeps alive until it runs.
std::shared_ptr<const void> retainedObject(platform::WebView& webView) {
  return std::shared_ptr<const void>(webView.weak_from_this().lock(), &webView);
}

std::shared_ptr<platform::WebView> sharedWebView(platform::WebView& webView) {
  return std::static_pointer_cast<platform::WebView>(webView.weak_from_this().lock());
}

std::optional<int> orientationAngle(platform::InterfaceOrientation orientation) {
  switch (orientation) {
    case platform::InterfaceOrientation::Portrait:
      return 0;
    case platform::InterfaceOrientation::PortraitUpsideDown:
      return 180;
    case platform::InterfaceOrientation::LandscapeRight:
      return 90;
    case platform::InterfaceOrientation::LandscapeLeft:
      return -90;
  }
  return std::nullopt;
}

}  // namespace

std::shared_ptr<TADWebViewDelegate> TADWebViewDelegate::init(TADOpenGate::Source source) {
  return std::make_shared<TADWebViewDelegate>(nullptr, source);
}

TADWebViewDelegate::TADWebViewDelegate(std::shared_ptr<TADOpener> opener,
                                       TADOpenGate::Source source)
    : source_(source), opener_(opener ? std::move(opener) : TADOpener::init()) {}

TADWebViewDelegate::~TADWebViewDelegate() {
  if (tracker_) tracker_->reset();
}

bool TADWebViewDelegate::webViewShouldStartLoadWithRequest(
    platform::WebView& webView, const platform::URLRequest& request,
    platform::WebViewNavigationType navigationType) {
  // Observers of the web action may let go of this delegate or of the web view.
  auto self = weak_from_this().lock();
  auto view = webView.weak_from_this().lock();
  const base::URL url = request.url();
  if (auto userAgent = request.valueForHTTPHeaderField("User-Agent")) {
    TADNetworkUtilities::setUserAgentString(*userAgent);
  }
  opener_->setViewController(viewController_);
  // Only the library's own ad web views record presses; any other web view has none.
  auto* adWebView = dynamic_cast<TADWebView*>(&webView);
  opener_->setSource(source_, sharedWebView(webView),
                     adWebView ? adWebView->vars() : std::shared_ptr<TADWebViewPrivate>());
  base::Dictionary userInfo{{"u", url.absoluteString()}};

  if (TADNotification::isNotificationURL(url)) {
    std::optional<TADNotification> notification = TADNotification::notificationFromURL(url);
    if (notification) userInfo.set("a", notification->name());
    postWebAction(webView, std::move(userInfo));
    handleNotification(notification.value_or(TADNotification()), url, webView);
    return false;
  }

  // Programmatic loads of a bare address are the library's own, not the page's doing.
  bool isBareProgrammaticLoad =
      navigationType == platform::WebViewNavigationType::Other && url.path().size() < 2;
  if (!isBareProgrammaticLoad) postWebAction(webView, std::move(userInfo));

  if (url.hasScheme("mailto")) {
    opener_->openEmailComposer(url);
    return false;
  }
  if (url.hasScheme("file")) return false;
  if (url.hasScheme("about") || url.isWebURL()) return true;
  opener_->openApp(url);
  return false;
}

void TADWebViewDelegate::postWebAction(platform::WebView& webView, base::Dictionary userInfo) {
  TADNotificationCenter::defaultCenter().post(std::string(TADWebViewDelegateDidReceiveWebAction),
                                              &webView, base::Value(std::move(userInfo)));
}

// A URL that yields no message arrives here as a message without a name: it matches no row and
// its deferred posting finds nothing to post.
void TADWebViewDelegate::handleNotification(const TADNotification& notification,
                                            const base::URL& url, platform::WebView& webView) {
  const std::string& name = notification.name();
  if (name == "click") {
    trackURLString(notification.parameter("u"), true);
  } else if (name == "close") {
    relinquishScreen();
  } else if (name == "httpTrack") {
    trackURLString(notification.parameter("u"), false);
  } else if (name == "log") {
    console_.log(notification.parameter("string").value_or("(null)"));
  } else if (name == "open") {
    opener_->openNotification(notification);
  } else if (name == "touch") {
    processTouchSignals(notification.parameters());
  } else if (name == "vibrate") {
    vibrateUnlessTooSoon();
  } else if (name == "canOpenURLs") {
    std::optional<std::string> urls = notification.parameter("urls");
    processCanOpenURLs(urls ? base::split(*urls, ',') : std::vector<std::string>{}, webView);
  } else if (name == "evalInOpener") {
    evaluateInOpenerLater(notification.parameters(), webView);
  } else {
    didReceiveOtherMessage(notification, url, webView);
  }
}

void TADWebViewDelegate::didReceiveOtherMessage(const TADNotification&, const base::URL& url,
                                                platform::WebView& webView) {
  TADNotificationCenter::defaultCenter().postNotificationFromURL(url, retainedObject(webView), 0);
}

// A page may not shake the device for ever, nor while the user is elsewhere.
void TADWebViewDelegate::vibrateUnlessTooSoon() {
  platform::Application& application = platform::Application::shared();
  if (application.applicationState() != platform::Application::State::Active) return;
  double now = platform::Clock::shared().monotonicSeconds();
  if (lastVibration_ && now - *lastVibration_ < kSecondsBetweenVibrations) return;
  lastVibration_ = now;
  application.vibrate();
}

void TADWebViewDelegate::relinquishScreen() {
  auto controller = viewController();
  if (auto* screen = dynamic_cast<TADRelinquishableScreen*>(controller.get())) {
    screen->relinquishScreen();
  }
}

void TADWebViewDelegate::evaluateInOpenerLater(const std::optional<base::Dictionary>& parameters,
                                               platform::WebView& webView) {
  auto self = weak_from_this().lock();
  if (!openingWebView() || !self) return;
  base::Dictionary request = parameters.value_or(base::Dictionary());
  auto requester = sharedWebView(webView);
  platform::RunLoop::main().post(0, this, [self, request, requester] {
    self->evaluateJavaScriptInOpener(request, requester);
  });
}

void TADWebViewDelegate::evaluateJavaScriptInOpener(
    const base::Dictionary& parameters, const std::shared_ptr<platform::WebView>& webView) {
  auto opening = openingWebView();
  if (!opening) return;
  std::string script = parameters.stringForKey("js").value_or("");
  std::weak_ptr<platform::WebView> requester = webView;
  opening->evaluateJavaScript(script, [requester](const std::string& result) {
    auto target = requester.lock();
    TADNotificationCenter::defaultCenter().postJSNotification(
        "evalJavaScriptInOpenerResult", base::Dictionary{{"result", result}}, target.get());
  });
}

void TADWebViewDelegate::processCanOpenURLs(const std::vector<std::string>& urls,
                                            platform::WebView& webView) {
  base::Dictionary answer = TADIdentifierUtilities::sharedInstance().canOpenURLs(urls);
  TADNotificationCenter::defaultCenter().postJSNotification("openableURLs", answer, &webView);
}

void TADWebViewDelegate::processTouchSignals(const std::optional<base::Dictionary>& parameters) {
  tad_htg(intForKey("tx", parameters), intForKey("ty", parameters), intForKey("td", parameters));
}

int32_t TADWebViewDelegate::intForKey(std::string_view key,
                                      const std::optional<base::Dictionary>& dictionary) {
  const base::Value* value = dictionary ? dictionary->find(key) : nullptr;
  if (!value) return -1;
  std::optional<std::string_view> text = value->asString();
  if (!text) return static_cast<int32_t>(value->toInt64());
  size_t i = 0;
  while (i < text->size() && ((*text)[i] == ' ' || ((*text)[i] >= '\t' && (*text)[i] <= '\r'))) {
    ++i;
  }
  bool negative = false;
  if (i < text->size() && ((*text)[i] == '+' || (*text)[i] == '-')) negative = (*text)[i++] == '-';
  int64_t magnitude = 0;
  for (; i < text->size() && (*text)[i] >= '0' && (*text)[i] <= '9'; ++i) {
    magnitude = std::min<int64_t>(magnitude * 10 + ((*text)[i] - '0'), int64_t{INT32_MAX} + 1);
  }
  int64_t reading = negative ? -magnitude : magnitude;
  return static_cast<int32_t>(std::clamp<int64_t>(reading, INT32_MIN, INT32_MAX));
}

void TADWebViewDelegate::trackURLString(const std::optional<std::string>& urlString,
                                        bool appendSpamSignals) {
  if (!tracker_) tracker_ = TADClickTracker::init();
  std::optional<base::URL> url = urlString ? base::URL::fromString(*urlString) : std::nullopt;
  if (url && appendSpamSignals) {
    if (std::optional<std::string> clickValue =
            TADNetworkUtilities::parameterValueForKey("ai", *url)) {
      std::string signals;
      if (tad_gmcs(*clickValue, signals)) {
        if (auto signedURL = TADNetworkUtilities::appendQueryKey(signals, std::nullopt, *url)) {
          url = std::move(signedURL);
        }
      }
    }
  }
  tracker_->trackURL(url);
}

void TADWebViewDelegate::webViewDidStartLoad(platform::WebView& /*webView*/) {}

void TADWebViewDelegate::webViewDidFinishLoad(platform::WebView& webView) {
  notifyWebViewOfOrientationChange(webView, platform::Application::shared().statusBarOrientation());
  if (hasLoadedAtLeastOnce_) return;
  hasLoadedAtLeastOnce_ = true;
  loadedFirstPage(webView);
}

void TADWebViewDelegate::webViewDidFailLoadWithError(platform::WebView& /*webView*/,
                                                     const base::Error& /*error*/) {}

void TADWebViewDelegate::loadedFirstPage(platform::WebView& /*webView*/) {}

void TADWebViewDelegate::notifyWebViewOfOrientationChange(
    platform::WebView& webView, platform::InterfaceOrientation orientation) {
  std::optional<int> angle = orientationAngle(orientation);
  if (!angle) return;
  webView.evaluateJavaScript("window.__defineGetter__('orientation',function(){return " +
                                 std::to_string(*angle) + ";});window.onorientationchange();",
                             nullptr);
}
