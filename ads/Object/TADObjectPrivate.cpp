#include "ads/Object/TADObjectPrivate.h"

#include <cstdlib>
#include <string>

#include "ads/Configuration/TADAdNetwork.h"
#include "ads/Formats/TADMacros.h"
#include "ads/Network/TADCachedFile.h"
#include "ads/Object/TADAppLaunch.h"
#include "ads/Object/TADBuildPageWatcher.h"
#include "ads/Object/TADObjectParameters.h"
#include "ads/Object/TADPageScript.h"
#include "ads/Object/TADTrackerSet.h"
#include "ads/Request/TADRequestError.h"
#include "ads/Request/TADRequestPrivate.h"
#include "ads/Statistics/TADStatistics.h"
#include "ads/Statistics/TADStatisticsParameters.h"
#include "ads/Timing/TADTiming.h"
#include "ads/View/TADBannerView.h"
#include "ads/View/TADBannerWebViewDelegate.h"
#include "ads/View/TADWebView.h"
#include "base/ASCII.h"
#include "base/Log.h"
#include "platform/Application.h"
#include "platform/Platform.h"
#include "platform/core/Console.h"
#include "signals/TADSignals.h"

namespace {

base::Dictionary rectEntry(const platform::Rect& rect) {
  return base::Dictionary{{"x", static_cast<float>(rect.minX())},
                          {"y", static_cast<float>(rect.minY())},
                          {"w", static_cast<float>(rect.width())},
                          {"h", static_cast<float>(rect.height())}};
}

// What a failed fetch of file knew: the status of its HTTP answer, if one came, and its error.
TADRequestError::Cause causeOf(const TADCachedFile* file, const std::optional<base::Error>& error) {
  TADRequestError::Cause cause;
  if (file && file->httpStatusCode() > 0) cause.httpStatus = file->httpStatusCode();
  if (error) cause.underlying = std::make_shared<const base::Error>(*error);
  return cause;
}

}  // namespace

TADObjectPrivate::TADObjectPrivate(const platform::Rect& frame)
    : delegateManager_(std::make_shared<TADDelegateManager>()),
      webView_(TADWebView::initWithFrame(frame, platform::WebViewRole::Ad)),
      reloadTimer_([this] { reloadCurrentRequest(); }) {
  webView_->setScalesPageToFit(false);
  webView_->setMediaPlaybackRequiresUserAction(true);
  webView_->setHidden(true);
}

std::shared_ptr<TADObjectPrivate> TADObjectPrivate::initWithFrame(const platform::Rect& frame) {
  TADAppLaunch::watch();
  auto object = std::make_shared<TADObjectPrivate>(frame);
  object->webViewDelegate_ = TADBannerWebViewDelegate::initWithObjectPrivate(
      object, object->webView_, object->delegateManager_);
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

// Banner views stand below their objects and make them through the port (TADAdObject): this is
// the object they make, installed as the program starts.
namespace {
[[maybe_unused]] const bool kBannerObjectMaker =
    TADAdObject::installMaker(&TADObjectPrivate::initWithView);
}  // namespace

std::shared_ptr<TADObjectPrivate> TADObjectPrivate::ofView(const TADBannerView& view) {
  return std::dynamic_pointer_cast<TADObjectPrivate>(view.privateObject());
}

void TADObjectPrivate::setRootViewController(std::weak_ptr<platform::ViewController> controller) {
  rootViewController_ = controller;
  if (webViewDelegate_) webViewDelegate_->setViewController(std::move(controller));
}

void TADObjectPrivate::registerForNotifications() {
  std::weak_ptr<TADObjectPrivate> weak = weak_from_this();
  auto call = [weak](void (TADObjectPrivate::*action)()) {
    return [weak, action] {
      if (auto self = weak.lock()) ((*self).*action)();
    };
  };
  refreshPauses_ = std::make_unique<TADRefreshPauses>(
      this, TADRefreshPauses::Actions{call(&TADObjectPrivate::deactivateReloadTimer),
                                      call(&TADObjectPrivate::activateReloadTimer),
                                      call(&TADObjectPrivate::runDueReload)});
}

TADObjectPrivate::~TADObjectPrivate() {
  refreshPauses_.reset();
  if (webView_) {
    webView_->setDelegate({});
    if (platform::Platform::isInstalled()) webView_->loadHTMLString("", std::nullopt);
    webView_.reset();
  }
  webViewDelegate_.reset();
  scriptRun_.reset();
  endedRun_.reset();
  prepareTimer_.stop();
  preparedRun_.reset();
  if (buildAdJS_) {
    buildAdJS_->setDelegate({});
    buildAdJS_.reset();
  }
  adPage_.clear();
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
  return !(state_ == State::New || state_ == State::PageScriptUnavailable ||
           state_ == State::Shown || state_ == State::Failed);
}

bool TADObjectPrivate::supportsMinimumRequirementsForRequest() {
  if (TADRequestPrivate::deviceAtLeastMinimumOSMajorVersion(3, 0)) return true;
  delegateManager_->didFailToReceiveAdWithError(
      TADRequestError::errorWithCode(TADRequestErrorOSTooOld, request_.get()));
  changeState(State::Failed);
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
  changeState(State::BuildingAdAddress);
  prepareTimer_.stop();
  loadTimer_ = platform::RunLoop::main().startTimer(loadTimeLimit_, [this] { loadTimedOut(); });
  ensureSupportFiles();
}

void TADObjectPrivate::changeState(State state) {
  if (state == state_) return;
#ifndef NDEBUG
  if (!isLegalTransition(state_, state)) {
    base::Log::write(base::Log::Level::Critical, base::Log::Source::Library,
                     "TADObjectPrivate: illegal change of state from " +
                         std::to_string(static_cast<int32_t>(state_)) + " to " +
                         std::to_string(static_cast<int32_t>(state)));
    std::abort();
  }
#endif
  state_ = state;
  if (state == State::Shown) {
    if (webView_) webView_->setTouched(false);
    timeLastLoaded_ = TADTiming::counter();
    reloadTimer_.adShown();
  }
  if (state == State::Shown || state == State::Failed) {
    loadTimer_.stop();
    if (scriptRun_) scriptRun_->quiet();
    prepareTimer_ =
        platform::RunLoop::main().startTimer(kPrepareDelay, [this] { prepareBuildAdWebView(); });
  }
}

// --- The page script ---------------------------------------------------------------------------

void TADObjectPrivate::ensureSupportFiles() {
  if (!buildAdJS_) {
    changeState(State::FetchingPageScript);
    buildAdJS_ = TADCachedFile::initWithDelegate(weak_from_this(), jsBuildAdURL(),
                                                 TADCachedFile::Storage::PageScript);
  }
  std::optional<std::string> script = buildAdJS_->content();
  if (TADPageScript::trustStoredCopyOrRenew(script && !script->empty())) {
    cachedFileDownloadDidEnd(*buildAdJS_);
    return;
  }
  changeState(State::FetchingPageScript);
  buildAdJS_->validate();
}

void TADObjectPrivate::failedToDownloadJavaScriptWithError(
    const std::optional<base::Error>& error) {
  changeState(State::PageScriptUnavailable);
  if (buildAdJS_ && buildAdJS_->hasContent()) {
    buildAdUrl();
    return;
  }
  fail(TADRequestErrorNetwork, State::PageScriptUnavailable, std::nullopt,
       causeOf(buildAdJS_.get(), error));
}

void TADObjectPrivate::buildAdUrl() {
  std::optional<std::string> script = buildAdJS_ ? buildAdJS_->content() : std::nullopt;
  if (!script || script->empty()) {
    // A stored copy that reads empty is no copy: going back to the failure would loop.
    if (state_ != State::PageScriptUnavailable) {
      failedToDownloadJavaScriptWithError();
    } else {
      fail(TADRequestErrorNetwork, State::PageScriptUnavailable);
    }
    return;
  }
  changeState(State::BuildingAdAddress);
  base::Dictionary parameters = request_->parameters();
  addAdditionalParameters(parameters);
  base::Value value(std::move(parameters));
  setupBuildAdWebView(*script, TADMacros::jsonify(&value).value_or(""));
}

void TADObjectPrivate::setupBuildAdWebView(const std::string& script, const std::string& json) {
  resetBuildAdWebView();
  std::weak_ptr<TADObjectPrivate> weak = weak_from_this();
  auto handler = [weak](TADScriptRun::Answer answer, const base::Value& parameters) {
    if (auto self = weak.lock()) self->scriptAnswered(answer, parameters);
  };
  std::string origin = TADAdNetwork::adServerOrigin();
  endedRun_.reset();
  std::unique_ptr<TADScriptRun> prepared = std::move(preparedRun_);
  if (prepared && prepared->canRun(origin)) {
    scriptRun_ = std::move(prepared);
    scriptRun_->start(script, json, scriptAnswerTimeLimit_, std::move(handler));
    return;
  }
  prepared.reset();
  scriptRun_ = std::make_unique<TADScriptRun>(script, json, origin, scriptAnswerTimeLimit_,
                                              std::move(handler));
}

// Only between loads: a page loading beside the banner's would slow the ad it shows.
void TADObjectPrivate::prepareBuildAdWebView() {
  if (scriptRun_ || isMakingRequest()) return;
  preparedRun_ = TADScriptRun::prepare(TADAdNetwork::adServerOrigin(), std::move(endedRun_));
}

void TADObjectPrivate::resetBuildAdWebView() {
  endedRun_ = TADScriptRun::end(std::move(scriptRun_));
}

void TADObjectPrivate::addAdditionalParameters(base::Dictionary& parameters) const {
  if (!adUnitID_.empty()) parameters.set(kTADParameterAdSlotID, adUnitID_);
  if (request_ && request_->isInterstitialAd()) {
    parameters.set(kTADParameterAdFormat, "interstitial_mb");
    return;
  }
  std::shared_ptr<platform::View> view = adView();
  if (!view) view = webView_;
  if (!view) return;
  parameters.set(kTADParameterAdFrame, rectEntry(view->frame()));
  parameters.set(kTADParameterAdBounds, rectEntry(view->bounds()));
}

// --- The script's answers ----------------------------------------------------------------------

// Every answer ends the run; its page goes before anything else happens.
void TADObjectPrivate::scriptAnswered(TADScriptRun::Answer answer, const base::Value& parameters) {
  using Answer = TADScriptRun::Answer;
  if (answer == Answer::TimedOut) {
    loadTimedOut();
    return;
  }
  resetBuildAdWebView();
  switch (answer) {
    case Answer::LoadAdURL:
      return loadAdURL(parameters);
    case Answer::InvalidRequest:
      return invalidRequest(parameters);
    case Answer::UnableToServe:
      return unableToServe(parameters);
    default:
      return fail(TADRequestErrorNetwork);
  }
}

void TADObjectPrivate::loadAdURL(const base::Value& userInfo) {
  std::optional<TADScriptRun::AdAnswer> answer = TADScriptRun::adAnswer(userInfo);
  if (!answer) {
    fail(TADRequestErrorInvalidRequest);
    return;
  }
  changeState(State::FetchingAdPage);
  tad_gig(TADRequestPrivate::requestTypeFromString(answer->type), TADRequest::sdkVersion());
  TADStatistics::sharedStatistics().startTimingNamed(kTADParameterPriorRequestLatency);
  adPage_.loadHTMLFromURL(weak_from_this(), TADScriptRun::adAddress(answer->url, answer->type,
                                                                    request_->spamSignals()));
}

void TADObjectPrivate::refuseAnswer(const char* what, const base::Value& userInfo) {
  base::Value info = userInfo;
  std::string text = TADMacros::jsonify(&info).value_or("");
  platform::Console::log("<Talvik> " + std::string(what) + ": " + text);
  fail(TADRequestErrorInvalidRequest);
}

// --- The ad page -------------------------------------------------------------------------------

void TADObjectPrivate::cachedFileDownloadDidEnd(TADCachedFile& file) {
  if (&file == buildAdJS_.get()) {
    buildAdUrl();
  } else if (&file == adPage_.adHTML().get()) {
    adPage_.processHTTPHeaders(file);
    showAd();
  }
}

void TADObjectPrivate::cachedFileDownloadDidFail(TADCachedFile& file,
                                                 const std::optional<base::Error>& error) {
  if (&file == buildAdJS_.get()) {
    failedToDownloadJavaScriptWithError(error);
  } else if (&file == adPage_.adHTML().get()) {
    failedAdRequestWithError(file, error);
  }
}

base::Expected<void> TADObjectPrivate::cachedFileShouldRedirectToURL(TADCachedFile& file,
                                                                     const base::URL&) {
  adPage_.processHTTPHeaders(file);
  return {};
}

void TADObjectPrivate::showAd() {
  std::string text = base::trimmed(adPage_.adHTMLString().value_or(""), " \t\r\n\v\f");
  if (text.empty()) {
    fail(TADRequestErrorNoAd, State::Failed, adPage_.refreshSeconds(),
         causeOf(adPage_.adHTML().get(), std::nullopt));
    return;
  }
  addReloadInformationFromHeaders();
  changeState(State::Showing);
  webView_->loadHTMLString(text, adPage_.adHTMLBaseURL());
}

void TADObjectPrivate::failedAdRequestWithError(const TADCachedFile& file,
                                                const std::optional<base::Error>& error) {
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
  fail(code, State::Failed, adPage_.refreshSeconds(), causeOf(&file, error));
}

// Ends the load in flight with code, leaving the object in state (failed, or page script
// unavailable): loads are accepted again. A transient failure backs off, whatever period its
// answer names, so that no passing failure silences the banner for good; any other is an answer
// and reloads on its period (answerPeriod, when the server's answer names one). The reload is
// scheduled before the application hears of the failure, which may start a load of its own.
void TADObjectPrivate::fail(int64_t code, State state, std::optional<double> answerPeriod,
                            TADRequestError::Cause cause) {
  resetBuildAdWebView();
  loadTimer_.stop();
  changeState(state);
  if (code == TADRequestErrorNetwork || code == TADRequestErrorServer ||
      code == TADRequestErrorTimeout) {
    reloadTimer_.scheduleRetry();
  } else {
    reloadTimer_.scheduleAfterAnswer(answerPeriod.value_or(reloadTimer_.reloadSeconds()));
  }
  delegateManager_->didFailToReceiveAdWithError(
      TADRequestError::errorWithCode(code, request_.get(), std::move(cause)));
}

void TADObjectPrivate::loadTimedOut() {
  platform::Console::log("<Talvik> The ad took too long to load.");
  if (buildAdJS_) buildAdJS_->cancel();
  if (adPage_.adHTML()) adPage_.adHTML()->cancel();
  if (state_ == State::Showing) {
    // Failed first: the stopped page reports a failure of its own, which is no second outcome.
    changeState(State::Failed);
    if (webView_) webView_->stopLoading();
  }
  fail(TADRequestErrorTimeout);
}

// --- What the web layer reports ----------------------------------------------------------------

void TADObjectPrivate::adPageDidFinish() {
  if (state_ != State::Showing) return;
  changeState(State::Shown);
  webView_->setHidden(false);
  webView_->setScrollsToTop(false);
  delegateManager_->didReceiveAd();
  trackURLs(adPage_.pendingTrackingURLs());
  delegateManager_->didRecordImpression();
  TADStatistics& statistics = TADStatistics::sharedStatistics();
  statistics.endTimingNamed(kTADParameterPriorRequestLatency);
  statistics.startTimingNamed(kTADParameterPriorPreClickLatency);
}

void TADObjectPrivate::adPageDidFail(const base::Error& error) {
  if (state_ == State::Showing) {
    fail(TADRequestErrorNetwork, State::Failed, std::nullopt,
         {std::nullopt, std::make_shared<const base::Error>(error)});
  } else if (state_ == State::Shown && !TADBuildPageWatcher::isCancellation(error) &&
             !reloadTimer_.isRunning()) {
    reloadTimer_.scheduleRetry();
  }
}

std::optional<TADAdEvents::Click> TADObjectPrivate::isClick(
    platform::WebViewNavigationType navigationType) {
  if (state_ != State::Shown || TADTiming::counter() - timeLastLoaded_ < kClickDelay) {
    return std::nullopt;
  }
  if (navigationType == platform::WebViewNavigationType::BackForward ||
      navigationType == platform::WebViewNavigationType::Reload || !webView_->touched()) {
    return std::nullopt;
  }
  return Click{!adPage_.pendingClickURLs().empty(), adPage_.supportedOrientations()};
}

void TADObjectPrivate::adScreenDidOpen() {
  trackURLs(adPage_.pendingClickURLs());
}

void TADObjectPrivate::adWasClicked() {
  delegateManager_->didRecordClick();
}

// --- Refresh -----------------------------------------------------------------------------------

// The period the ad page's headers name, else the one used last.
void TADObjectPrivate::addReloadInformationFromHeaders() {
  reloadTimer_.scheduleReloadTimer(adPage_.refreshSeconds().value_or(reloadTimer_.reloadSeconds()));
}

void TADObjectPrivate::activateReloadTimer() {
  reloadTimer_.activate();
}

void TADObjectPrivate::deactivateReloadTimer() {
  reloadTimer_.resetReloadTimer();
}

void TADObjectPrivate::reloadCurrentRequest() {
  // Dropped, the reload would leave no timer, and the banner would never come back. The load in
  // flight ends in a shown ad, which then starts the next period, or in a failure and its retry;
  // an inactive application runs it when it is active again, a paused refresh when the pause
  // ends.
  if (refreshPaused_ || isMakingRequest() || !isAppActive()) {
    reloadTimer_.markDue();
    return;
  }
  loadPrivateRequest(request_, true);
}

void TADObjectPrivate::runDueReload() {
  if (reloadTimer_.isDue()) reloadCurrentRequest();
}

void TADObjectPrivate::setRefreshPaused(bool paused) {
  if (paused == refreshPaused_) return;
  refreshPaused_ = paused;
  if (!paused) runDueReload();
}

void TADObjectPrivate::cancelPendingActions() {
  platform::RunLoop::cancelOnMain(this);
  trackers_->cancelPendingCleanups();
  reloadTimer_.resetReloadTimer();
  loadTimer_.stop();
  if (scriptRun_) scriptRun_->quiet();
}
