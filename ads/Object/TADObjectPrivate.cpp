#include "ads/Object/TADObjectPrivate.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

#include "ads/Network/TADCachedFile.h"
#include "ads/Network/TADClickTracker.h"
#include "ads/Notification/TADNotificationCenter.h"
#include "ads/Object/TADBuildPageWatcher.h"
#include "ads/Request/TADRequestError.h"
#include "ads/Request/TADRequestPrivate.h"
#include "ads/Statistics/TADStatistics.h"
#include "ads/Statistics/TADStatisticsCore.h"
#include "ads/Statistics/TADStatisticsParameters.h"
#include "ads/Timing/TADTiming.h"
#include "ads/Utility/TADConfiguration.h"
#include "ads/Utility/TADIdentifierUtilities.h"
#include "ads/Utility/TADMacros.h"
#include "ads/Utility/TADNetworkUtilities.h"
#include "ads/View/TADBannerView.h"
#include "ads/View/TADBannerWebViewDelegate.h"
#include "ads/View/TADWebView.h"
#include "platform/Application.h"
#include "platform/Clock.h"
#include "platform/Console.h"
#include "platform/Platform.h"
#include "platform/UserDefaults.h"
#include "signals/TADSignals.h"

namespace {

constexpr std::string_view kScriptPath = "/avmo/sdk-core-v40.js";
constexpr std::string_view kBuildFunction = "AVMO_buildAdURL";
constexpr std::string_view kExpiryRecord = "TADObjectPrivate";
constexpr std::string_view kExpiryKey = "expireDate";

// Whether the platform has announced that the application finished launching; watched from the
// first ad object on.
bool& didAppFinishLaunching() {
  static bool launched = false;
  return launched;
}

// Registers once per notification center: a platform installed anew (as tests do) brings a new
// one.
void watchForLaunch() {
  static const int observer = 0;
  auto& center = platform::NotificationCenter::defaultCenter();
  if (didAppFinishLaunching() || center.registrationCount(&observer) > 0) return;
  center.addObserver(&observer, std::string(platform::Application::kDidFinishLaunchingNotification),
                     nullptr, [](const platform::Notification&) {
                       didAppFinishLaunching() = true;
                       platform::NotificationCenter::removeObserverFromDefaultCenter(&observer);
                     });
}

base::Dictionary rectEntry(const platform::Rect& rect) {
  return base::Dictionary{{"x", static_cast<float>(rect.minX())},
                          {"y", static_cast<float>(rect.minY())},
                          {"w", static_cast<float>(rect.width())},
                          {"h", static_cast<float>(rect.height())}};
}

std::optional<std::string> textOf(const base::Value& userInfo, std::string_view key) {
  const base::Dictionary* dictionary = userInfo.asDictionary();
  const base::Value* value = dictionary ? dictionary->find(key) : nullptr;
  const std::string* text = value ? value->asString() : nullptr;
  return text ? std::optional<std::string>(*text) : std::nullopt;
}

std::string trimmed(std::string_view text, std::string_view blanks) {
  size_t first = text.find_first_not_of(blanks);
  if (first == std::string_view::npos) return {};
  size_t last = text.find_last_not_of(blanks);
  return std::string(text.substr(first, last - first + 1));
}

int32_t orientationFromString(const std::string& text) {
  if (text == "any") return 1;
  if (text == "portrait") return 2;
  if (text == "landscape") return 3;
  return 0;
}

}  // namespace

TADObjectPrivate::TADObjectPrivate(const platform::Rect&)
    : delegateManager_(std::make_shared<TADDelegateManager>()) {}

std::shared_ptr<TADObjectPrivate> TADObjectPrivate::initWithFrame(const platform::Rect& frame) {
  watchForLaunch();
  auto object = std::make_shared<TADObjectPrivate>(frame);
  object->createWebViews(frame);
  object->registerForNotifications();
  return object;
}

std::shared_ptr<TADObjectPrivate> TADObjectPrivate::initWithView(
    const std::shared_ptr<TADBannerView>& view) {
  auto object = initWithFrame(view->bounds());
  object->adView_ = view;
  view->addSubview(object->webView_);
  return object;
}

void TADObjectPrivate::createWebViews(const platform::Rect& frame) {
  webView_ = TADWebView::initWithFrame(frame);
  webView_->setScalesPageToFit(false);
  webView_->setMediaPlaybackRequiresUserAction(true);
  webView_->setHidden(true);
  webViewDelegate_ = TADBannerWebViewDelegate::initWithObjectPrivate(shared_from_this());
}

void TADObjectPrivate::registerForNotifications() {
  using platform::Application;
  auto& center = platform::NotificationCenter::defaultCenter();
  std::weak_ptr<TADObjectPrivate> weak = weak_from_this();
  auto on = [&](std::string_view name, void (TADObjectPrivate::*action)()) {
    center.addObserver(this, std::string(name), nullptr,
                       [weak, action](const platform::Notification&) {
                         if (auto self = weak.lock()) ((*self).*action)();
                       });
  };
  if (TADIdentifierUtilities::sharedInstance().isOSAtLeastMajor(4, 0, 0)) {
    on(Application::kDidEnterBackgroundNotification, &TADObjectPrivate::deactivateReloadTimer);
    on(Application::kWillEnterForegroundNotification, &TADObjectPrivate::activateReloadTimer);
  } else {
    on(Application::kWillResignActiveNotification, &TADObjectPrivate::deactivateReloadTimer);
    on(Application::kDidBecomeActiveNotification, &TADObjectPrivate::activateReloadTimer);
  }
  on("TADViewControllerWillPresentFullScreen", &TADObjectPrivate::deactivateReloadTimer);
  on("TADViewControllerDidRelinquishFullScreen", &TADObjectPrivate::activateReloadTimer);
  on(Application::kDidBecomeActiveNotification, &TADObjectPrivate::runDueReload);
}

TADObjectPrivate::~TADObjectPrivate() {
  platform::NotificationCenter::removeObserverFromDefaultCenter(this);
  if (webView_) {
    webView_->setDelegate({});
    if (platform::Platform::isInstalled()) webView_->loadHTMLString("", std::nullopt);
    webView_.reset();
  }
  webViewDelegate_.reset();
  resetBuildAdWebView();
  adUnitID_.clear();
  if (buildAdJS_) {
    buildAdJS_->setDelegate({});
    buildAdJS_.reset();
  }
  setAdHTML(nullptr);
  request_.reset();
  delegateManager_.reset();
  for (const auto& tracker : trackers_)
    tracker->reset();
  trackers_.clear();
  pendingTrackingURLs_.clear();
  pendingClickURLs_.clear();
  platform::RunLoop::cancelOnMain(this);
}

// --- Accepting a load ------------------------------------------------------------------------

std::shared_ptr<TADRequestPrivate> TADObjectPrivate::privateRequestWithRequest(
    const std::shared_ptr<TADRequest>& request) {
  if (!request) return std::make_shared<TADRequestPrivate>();
  return std::dynamic_pointer_cast<TADRequestPrivate>(request);
}

void TADObjectPrivate::loadRequest(const std::shared_ptr<TADRequest>& request) {
  loadPrivateRequest(privateRequestWithRequest(request), false);
}

void TADObjectPrivate::loadInterstitialRequest(const std::shared_ptr<TADRequest>& request) {
  std::shared_ptr<TADRequestPrivate> source = privateRequestWithRequest(request);
  if (source) source->setInterstitialAd(true);
  loadPrivateRequest(source, false);
}

bool TADObjectPrivate::isMakingRequest() const {
  return !(state_ == kStateNew || state_ == kStatePageScriptUnavailable || state_ == kStateShown ||
           state_ == kStateFailed);
}

void TADObjectPrivate::resetLaunchForTesting() {
  didAppFinishLaunching() = false;
}

bool TADObjectPrivate::isAppActive() {
  if (!platform::Platform::isInstalled()) return true;
  if (platform::Application::shared().applicationState() == platform::Application::State::Active) {
    return true;
  }
  return !didAppFinishLaunching();
}

bool TADObjectPrivate::supportsMinimumRequirementsForRequest() {
  if (TADRequestPrivate::deviceAtLeastMinimumOSMajorVersion(3, 0)) return true;
  delegateManager_->didFailToReceiveAdWithError(
      TADRequestError::errorWithCode(TADRequestErrorOSTooOld, request_.get()));
  changeState(kStateFailed);
  return false;
}

void TADObjectPrivate::loadPrivateRequest(const std::shared_ptr<TADRequestPrivate>& request,
                                          bool autoRefresh) {
  if (isMakingRequest()) return;
  if (!isAppActive()) return;
  if (!supportsMinimumRequirementsForRequest()) return;
  hasAutoRefreshed_ = autoRefresh;
  if (!request_ || request != request_) {
    request_ = request ? std::static_pointer_cast<TADRequestPrivate>(request->copy())
                       : std::make_shared<TADRequestPrivate>();
  }
  TADStatistics& statistics = TADStatistics::sharedStatistics();
  if (!statistics.timingNamed(kTADParameterTimeSinceFirstRequest)) {
    statistics.startTimingNamed(kTADParameterTimeSinceFirstRequest);
  }
  request_->setCounter(statistics.incrementAdRequestCount());
  changeState(kStateBuildingAdAddress);
  loadTimer_ = platform::RunLoop::main().startTimer(loadTimeLimit_, [this] { loadTimedOut(); });
  ensureSupportFiles();
}

void TADObjectPrivate::changeState(int32_t state) {
  if (state == state_) return;
  state_ = state;
  if (state == kStateShown) {
    if (webView_) webView_->setTouched(false);
    timeLastLoaded_ = TADTiming::counter();
    backoffSeconds_ = kFirstRetrySeconds;
    retrySeconds_ = 0;
    // The refresh fell due while the page was on its way: the next comes a full period on.
    if (reloadDue_) scheduleReloadTimer(reloadSeconds_);
  }
  if (state == kStateShown || state == kStateFailed) {
    loadTimer_.stop();
    scriptAnswerTimer_.stop();
  }
}

// --- The page script ---------------------------------------------------------------------------

base::URL TADObjectPrivate::jsBuildAdURL() {
  return *base::URL::fromString(TADAdNetwork::staticContentOrigin() + std::string(kScriptPath));
}

void TADObjectPrivate::ensureSupportFiles() {
  if (!buildAdJS_) {
    changeState(kStateFetchingPageScript);
    buildAdJS_ = TADCachedFile::initWithDelegate(weak_from_this(), jsBuildAdURL(),
                                                 TADCachedFile::Storage::PageScript);
  }
  std::optional<TADStatisticsCore> record;
  record.emplace(std::string(kExpiryRecord));
  const base::Value* stored = record->objectForKey(kExpiryKey);
  const base::Date* expiry = stored ? stored->asDate() : nullptr;
  base::Date now = platform::Clock::shared().now();
  std::optional<std::string> script = buildAdJS_->content();
  if (expiry && script && !script->empty() && !(*expiry < now)) {
    record.reset();
    cachedFileDownloadDidEnd(*buildAdJS_);
    return;
  }
  record->setDate(now.addingTimeInterval(kScriptLifetime), std::string(kExpiryKey));
  record->synchronize();
  changeState(kStateFetchingPageScript);
  buildAdJS_->validate();
}

void TADObjectPrivate::failedToDownloadJavaScript() {
  changeState(kStatePageScriptUnavailable);
  if (buildAdJS_ && buildAdJS_->hasContent()) {
    buildAdUrl();
    return;
  }
  fail(TADRequestErrorNetwork, kStatePageScriptUnavailable);
}

std::string TADObjectPrivate::buildPageText(const std::string& script,
                                            const std::string& parameterJSON) {
  std::string page = "<html><head><script>";
  page += script;
  page += "</script>";
  page += "<script>" + std::string(kBuildFunction) + "(" + parameterJSON + ");</script>";
  page += "</head><body></body></html>";
  return page;
}

void TADObjectPrivate::buildAdUrl() {
  std::optional<std::string> script = buildAdJS_ ? buildAdJS_->content() : std::nullopt;
  if (!script || script->empty()) {
    // A stored copy that reads empty is no copy: going back to the failure would loop.
    if (state_ != kStatePageScriptUnavailable) {
      failedToDownloadJavaScript();
    } else {
      fail(TADRequestErrorNetwork, kStatePageScriptUnavailable);
    }
    return;
  }
  changeState(kStateBuildingAdAddress);
  base::Dictionary parameters = request_->parameters();
  addAdditionalParameters(parameters);
  base::Value value(std::move(parameters));
  std::string json = TADMacros::jsonify(&value).value_or("");
  setupBuildAdWebView();
  buildAdWebView_->loadHTMLString(buildPageText(*script, json),
                                  base::URL::fromString(TADAdNetwork::adServerOrigin()));
}

void TADObjectPrivate::addAdditionalParameters(base::Dictionary& parameters) const {
  if (!adUnitID_.empty()) parameters.set("slotname", adUnitID_);
  if (request_ && request_->isInterstitialAd()) {
    parameters.set("format", "interstitial_mb");
    return;
  }
  std::shared_ptr<platform::View> view = adView();
  if (!view) view = webView_;
  if (!view) return;
  parameters.set("ad_frame", rectEntry(view->frame()));
  parameters.set("ad_bounds", rectEntry(view->bounds()));
}

void TADObjectPrivate::setupBuildAdWebView() {
  resetBuildAdWebView();
  buildAdWebView_ = std::make_shared<platform::WebView>(platform::Rect{0, 0, 1, 1});
  buildAdWebView_->setHidden(true);
  buildAdWebViewDelegate_ = TADWebViewDelegate::init(TADOpenGate::Source::BuildPage);
  buildAdWebView_->setDelegate(buildAdWebViewDelegate_);
  auto& center = TADNotificationCenter::defaultCenter();
  std::weak_ptr<TADObjectPrivate> weak = weak_from_this();
  const void* sender = buildAdWebView_.get();
  center.addObserver(this, "loadAdURL", sender, [weak](const platform::Notification& n) {
    if (auto self = weak.lock()) self->loadAdURL(n.userInfo);
  });
  center.addObserver(this, "invalidRequest", sender, [weak](const platform::Notification& n) {
    if (auto self = weak.lock()) self->refuseAnswer("Invalid Request", n.userInfo);
  });
  center.addObserver(this, "unableToServe", sender, [weak](const platform::Notification& n) {
    if (auto self = weak.lock()) self->refuseAnswer("Unable to serve", n.userInfo);
  });
  // A page that cannot load or whose web process ends never answers: the load fails on the next
  // pass (not inside the page's own callback, since failing tears the page down), unless it has
  // ended otherwise by then.
  std::weak_ptr<platform::WebView> page = buildAdWebView_;
  buildAdWebViewWatcher_ =
      std::make_shared<TADBuildPageWatcher>(buildAdWebViewDelegate_, [this, weak, page] {
        platform::RunLoop::main().post(0, this, [weak, page] {
          auto self = weak.lock();
          if (self && self->buildAdWebView_ && self->buildAdWebView_ == page.lock()) {
            self->fail(TADRequestErrorNetwork);
          }
        });
      });
  buildAdWebView_->setDelegate(buildAdWebViewWatcher_);
  scriptAnswerTimer_ =
      platform::RunLoop::main().startTimer(scriptAnswerTimeLimit_, [this] { loadTimedOut(); });
}

void TADObjectPrivate::resetBuildAdWebView() {
  scriptAnswerTimer_.stop();
  if (!buildAdWebView_) return;
  const void* sender = buildAdWebView_.get();
  if (platform::Platform::isInstalled()) {
    auto& center = TADNotificationCenter::defaultCenter();
    for (const char* name : {"loadAdURL", "invalidRequest", "unableToServe"}) {
      center.removeObserver(this, name, sender);
    }
  }
  buildAdWebView_->setDelegate({});
  buildAdWebView_->stopLoading();
  buildAdWebView_.reset();
  buildAdWebViewDelegate_.reset();
  buildAdWebViewWatcher_.reset();
}

// --- The script's answers ----------------------------------------------------------------------

void TADObjectPrivate::loadAdURL(const base::Value& userInfo) {
  resetBuildAdWebView();
  const base::Dictionary* parameters = userInfo.asDictionary();
  if (parameters && parameters->contains("errors")) {
    fail(TADRequestErrorInvalidRequest);
    return;
  }
  std::optional<base::URL> url;
  if (auto text = textOf(userInfo, "url")) url = base::URL::fromString(*text);
  if (!url) {
    // An answer without a usable address is as good as none: the load would hang in state 4.
    fail(TADRequestErrorInvalidRequest);
    return;
  }
  changeState(kStateFetchingAdPage);
  std::optional<std::string> type = textOf(userInfo, "type");
  tad_gig(TADRequestPrivate::requestTypeFromString(type), TADRequest::sdkVersion());
  base::Dictionary signals = request_->spamSignals();
  if (!signals.empty()) {
    if (auto signed_ = TADNetworkUtilities::appendQueryParameters(signals, *url)) url = signed_;
  }
  if (type == "dizudi") {
    if (auto numbered = TADNetworkUtilities::appendQueryKey("seq_num", base::Value("1"), *url)) {
      url = numbered;
    }
  }
  TADStatistics::sharedStatistics().startTimingNamed(kTADParameterPriorRequestLatency);
  loadHTMLFromURL(*url);
}

void TADObjectPrivate::refuseAnswer(const char* what, const base::Value& userInfo) {
  resetBuildAdWebView();
  base::Value info = userInfo;
  std::string text = TADMacros::jsonify(&info).value_or("");
  platform::Console::log("<Talvik> " + std::string(what) + ": " + text);
  fail(TADRequestErrorInvalidRequest);
}

// --- The ad page -------------------------------------------------------------------------------

void TADObjectPrivate::loadHTMLFromURL(const base::URL& url) {
  auto page = TADCachedFile::initWithDelegate(weak_from_this(), url);
  // Each ad fetches its page anew, and its copy is deleted when the next ad replaces it: a copy
  // that is not meant to outlive the process is not worth two flushes to disk on every ad.
  page->setDurable(false);
  setAdHTML(std::move(page));
}

void TADObjectPrivate::setAdHTML(std::shared_ptr<TADCachedFile> file) {
  if (file == adHTML_) return;
  if (adHTML_) {
    adHTML_->setDelegate({});
    adHTML_->invalidate();
    adHTML_.reset();
  }
  adHTML_ = std::move(file);
  if (adHTML_) adHTML_->validate();
  pendingTrackingURLs_.clear();
  pendingClickURLs_.clear();
}

std::optional<std::string> TADObjectPrivate::adHTMLString() const {
  return adHTML_ ? adHTML_->content() : std::nullopt;
}

std::optional<base::URL> TADObjectPrivate::adHTMLBaseURL() const {
  return adHTML_ ? std::optional<base::URL>(adHTML_->httpDestinationURL()) : std::nullopt;
}

void TADObjectPrivate::cachedFileDownloadDidEnd(TADCachedFile& file) {
  if (&file == buildAdJS_.get()) {
    buildAdUrl();
  } else if (&file == adHTML_.get()) {
    processHTTPHeaders(file);
    showAd();
  }
}

void TADObjectPrivate::cachedFileDownloadDidFail(TADCachedFile& file,
                                                 const std::optional<base::Error>&) {
  if (&file == buildAdJS_.get()) {
    failedToDownloadJavaScript();
  } else if (&file == adHTML_.get()) {
    failedAdRequest(file);
  }
}

std::optional<base::Error> TADObjectPrivate::cachedFileShouldRedirectToURL(TADCachedFile& file,
                                                                           const base::URL&) {
  processHTTPHeaders(file);
  return std::nullopt;
}

void TADObjectPrivate::appendURLsFromHeader(std::vector<base::URL>& list,
                                            const std::optional<std::string>& header) {
  if (!header) return;
  std::string_view rest = *header;
  while (true) {
    size_t blank = rest.find(' ');
    std::string piece = trimmed(rest.substr(0, blank), " \t");
    if (auto url = base::URL::fromString(piece); url && !url->absoluteString().empty()) {
      list.push_back(*url);
    }
    if (blank == std::string_view::npos) break;
    rest.remove_prefix(blank + 1);
  }
}

void TADObjectPrivate::processHTTPHeaders(const TADCachedFile& file) {
  const auto& headers = file.httpHeaders();
  if (!headers) return;
  appendURLsFromHeader(pendingTrackingURLs_, headers->value("X-Avmo-Tracking-Urls"));
  appendURLsFromHeader(pendingClickURLs_, headers->value("X-Avmo-Click-Tracking-Urls"));
  if (auto orientation = headers->value("X-Avmo-Orientation")) {
    if (int32_t code = orientationFromString(*orientation)) supportedOrientations_ = code;
  }
  if (auto timeout = headers->value("X-Avmo-Interstitial-Timeout"); timeout && !timeout->empty()) {
    platform::UserDefaults::standard().setObject(
        "applicationTimeout", base::Value(std::strtof(timeout->c_str(), nullptr)));
  }
}

void TADObjectPrivate::showAd() {
  std::string text = trimmed(adHTMLString().value_or(""), " \t\r\n\v\f");
  std::optional<base::URL> base = adHTMLBaseURL();
  if (text.empty()) {
    takeRefreshPeriodFromHeaders();
    fail(TADRequestErrorNoAd);
    return;
  }
  addReloadInformationFromHeaders();
  changeState(kStateShowing);
  webView_->loadHTMLString(text, base);
}

void TADObjectPrivate::failedAdRequest(const TADCachedFile& file) {
  int status = file.httpStatusCode();
  int64_t code = TADRequestErrorNetwork;
  if (status == 400) {
    platform::Console::log(
        "<Talvik> Server rejected ad parameters.  Typically this is because the ad unit ID is "
        "incorrect.");
    code = TADRequestErrorInvalidRequest;
  } else if (status > 400) {
    code = TADRequestErrorServer;
  }
  takeRefreshPeriodFromHeaders();
  fail(code);
}

// Ends the load in flight with code, leaving the object in state (7, or 2 when the page script
// could not be had): loads are accepted again and a retry comes, so that no failure silences the
// banner for good. The retry is scheduled before the application hears of the failure, which may
// start a load of its own.
void TADObjectPrivate::fail(int64_t code, int32_t state) {
  resetBuildAdWebView();
  loadTimer_.stop();
  changeState(state);
  scheduleRetry();
  delegateManager_->didFailToReceiveAdWithError(
      TADRequestError::errorWithCode(code, request_.get()));
}

void TADObjectPrivate::bannerPageDidFail(const base::Error& error) {
  if (state_ == kStateShowing) {
    fail(TADRequestErrorNetwork);
  } else if (state_ == kStateShown && !TADBuildPageWatcher::isCancellation(error) &&
             !reloadTimer_.isValid()) {
    scheduleRetry();
  }
}

void TADObjectPrivate::loadTimedOut() {
  platform::Console::log("<Talvik> The ad took too long to load.");
  if (buildAdJS_) buildAdJS_->cancel();
  if (adHTML_) adHTML_->cancel();
  if (state_ == kStateShowing) {
    // Failed first: the stopped page reports a failure of its own, which is no second outcome.
    changeState(kStateFailed);
    if (webView_) webView_->stopLoading();
  }
  fail(TADRequestErrorTimeout);
}

// --- Tracking ----------------------------------------------------------------------------------

void TADObjectPrivate::trackURLs(const std::vector<base::URL>& urls) {
  for (const base::URL& url : urls) {
    auto tracker = TADClickTracker::init();
    tracker->setDelegate(weak_from_this());
    tracker->trackURL(url);
    trackers_.insert(tracker);
  }
}

void TADObjectPrivate::trackerDidFailWithError(TADClickTracker&,
                                               const std::optional<base::Error>&) {
  platform::RunLoop::main().post(0, this, [this] { cleanupTrackers(); });
}

void TADObjectPrivate::trackerDidRedirect(TADClickTracker&, const base::URL&) {
  platform::RunLoop::main().post(0, this, [this] { cleanupTrackers(); });
}

void TADObjectPrivate::cleanupTrackers() {
  std::erase_if(trackers_, [](const auto& tracker) { return tracker->hasTracked(); });
}

// --- Refresh -----------------------------------------------------------------------------------

double TADObjectPrivate::refreshSecondsFromHeader(std::string_view text) {
  std::string number = trimmed(text, " \t");
  size_t digits = number.find_first_not_of("0123456789");
  if (digits == 0) return 0;
  if (digits != std::string::npos) {
    // A fraction: one point, then digits to the end.
    if (number[digits] != '.' || digits + 1 == number.size() ||
        number.find_first_not_of("0123456789", digits + 1) != std::string::npos) {
      return 0;
    }
  }
  // Read the same in every locale; a number too large for a double is none.
  double seconds = 0;
  std::errc error = std::from_chars(number.data(), number.data() + number.size(), seconds,
                                    std::chars_format::fixed)
                        .ec;
  return error == std::errc() && std::isfinite(seconds) && seconds > 0 ? seconds : 0;
}

void TADObjectPrivate::addReloadInformationFromHeaders() {
  double seconds = reloadSeconds_;
  if (adHTML_ && adHTML_->httpHeaders()) {
    auto rate = adHTML_->httpHeaders()->value("X-Avmo-Refresh-Rate");
    if (rate && !rate->empty()) seconds = refreshSecondsFromHeader(*rate);
  }
  scheduleReloadTimer(seconds);
}

// A failed ad's answer may still name the period that its retry then follows.
void TADObjectPrivate::takeRefreshPeriodFromHeaders() {
  if (!adHTML_ || !adHTML_->httpHeaders()) return;
  auto rate = adHTML_->httpHeaders()->value("X-Avmo-Refresh-Rate");
  if (double seconds = rate ? refreshSecondsFromHeader(*rate) : 0; seconds > 0) {
    reloadSeconds_ = seconds;
  }
}

void TADObjectPrivate::scheduleReloadTimer(double seconds) {
  if (startReloadTimer(seconds)) reloadSeconds_ = seconds;
}

// The one place the timer starts: never on a period that is not finite and above 0, which would
// bring the reload round on every pass.
bool TADObjectPrivate::startReloadTimer(double seconds) {
  resetReloadTimer();
  reloadDue_ = false;
  if (!std::isfinite(seconds) || seconds <= 0) return false;
  reloadTimer_ = platform::RunLoop::main().startTimer(seconds, [this] { reloadCurrentRequest(); });
  return true;
}

void TADObjectPrivate::scheduleRetry() {
  if (reloadSeconds_ > 0) {
    retrySeconds_ = reloadSeconds_;
  } else {
    retrySeconds_ = backoffSeconds_;
    backoffSeconds_ = std::min(backoffSeconds_ * 2, kLongestRetrySeconds);
  }
  startReloadTimer(retrySeconds_);
}

void TADObjectPrivate::resetReloadTimer() {
  reloadTimer_.stop();
}

void TADObjectPrivate::activateReloadTimer() {
  if (retrySeconds_ > 0) {
    startReloadTimer(retrySeconds_);
  } else {
    scheduleReloadTimer(reloadSeconds_);
  }
}

void TADObjectPrivate::deactivateReloadTimer() {
  resetReloadTimer();
}

void TADObjectPrivate::reloadCurrentRequest() {
  // Dropped, the reload would leave no timer, and the banner would never come back. The load in
  // flight ends in a shown ad, which then starts the next period, or in a failure and its retry;
  // an inactive application runs it when it is active again.
  if (isMakingRequest() || !isAppActive()) {
    reloadDue_ = true;
    return;
  }
  loadPrivateRequest(request_, true);
}

void TADObjectPrivate::runDueReload() {
  if (reloadDue_ && !reloadTimer_.isValid()) reloadCurrentRequest();
}

void TADObjectPrivate::cancelPendingActions() {
  platform::RunLoop::cancelOnMain(this);
  resetReloadTimer();
  loadTimer_.stop();
  scriptAnswerTimer_.stop();
}
