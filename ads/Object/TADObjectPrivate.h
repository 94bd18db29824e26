#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "ads/Delegate/TADDelegateManager.h"
#include "ads/Network/TADCachedFileDelegate.h"
#include "ads/Object/TADAdPage.h"
#include "ads/Object/TADAppLaunch.h"
#include "ads/Object/TADPageScript.h"
#include "ads/Object/TADRefreshPauses.h"
#include "ads/Object/TADRefreshTimer.h"
#include "ads/Object/TADScriptRun.h"
#include "ads/Object/TADTrackerSet.h"
#include "ads/ObjectPort/TADAdEvents.h"
#include "ads/ObjectPort/TADAdObject.h"
#include "ads/Request/TADRequestError.h"
#include "base/URL.h"
#include "base/Value.h"
#include "platform/ui/Geometry.h"

class TADBannerView;
class TADBannerWebViewDelegate;
class TADClickTracker;
class TADRequest;
class TADRequestPrivate;
class TADWebView;
namespace platform {
class ViewController;
class WebView;
}  // namespace platform

// The ad object behind a banner view, and the one owner of its load. It takes a request, makes
// sure of the ad network's page script (fetched at most once a day, the stored copy standing in
// when a fetch fails), runs the script in a hidden page (TADScriptRun) to turn the request
// parameters into an ad address, fetches the ad page (TADAdPage, which reads the server's headers)
// and hands the page to the banner web view. The web layer reports what then happens through
// TADAdEvents (the page finished or failed, a click, an opened screen); only the object moves its
// state. A one-shot timer (TADRefreshTimer) reloads the same request on the server's period; it
// pauses while the application is in the background or any full-screen ad view is up, and
// waits while its owner pauses it (setRefreshPaused).
//
// One load at a time: a load asked for while another is in flight is dropped without a word.
// Every accepted load ends, within its load time limit at the latest, in did-receive-ad or in
// exactly one failure. A transient failure (network, server, time limit) is followed by a retry
// on the same timer after kFirstRetrySeconds, doubling with each one in a row up to
// kLongestRetrySeconds, never sooner than the last period; the next shown ad starts the doubling
// afresh. A server that has no ad or refuses the request is reloaded on its period, as a shown
// ad is. No period is shorter than kShortestPeriodSeconds (see TADRefreshTimer). A refresh or
// retry that falls due while a load is in flight, or while the application is
// inactive, is not lost: it comes a full period after the shown ad, or as soon as the application
// is active again. The owner calls cancelPendingActions before letting the object go.
class TADObjectPrivate : public TADAdObject,
                         public TADAdEvents,
                         public TADCachedFileDelegate,
                         public std::enable_shared_from_this<TADObjectPrivate> {
 public:
  // The road of a load, in order, with the numbers it has always had.
  enum class State : int32_t {
    New = 0,
    FetchingPageScript = 1,
    PageScriptUnavailable = 2,
    BuildingAdAddress = 3,
    FetchingAdPage = 4,
    Showing = 5,
    Shown = 6,
    Failed = 7,
  };
  // Every change of state the object makes (from, to); staying put is no change. A load starts
  // from any state but one in flight; it ends in Shown or Failed, or in PageScriptUnavailable
  // when no script is at hand.
  static constexpr std::pair<State, State> kTransitions[] = {
      {State::New, State::BuildingAdAddress},
      {State::New, State::Failed},
      {State::FetchingPageScript, State::PageScriptUnavailable},
      {State::FetchingPageScript, State::BuildingAdAddress},
      {State::FetchingPageScript, State::Failed},
      {State::PageScriptUnavailable, State::BuildingAdAddress},
      {State::PageScriptUnavailable, State::Failed},
      {State::BuildingAdAddress, State::FetchingPageScript},
      {State::BuildingAdAddress, State::PageScriptUnavailable},
      {State::BuildingAdAddress, State::FetchingAdPage},
      {State::BuildingAdAddress, State::Failed},
      {State::FetchingAdPage, State::Showing},
      {State::FetchingAdPage, State::Failed},
      {State::Showing, State::Shown},
      {State::Showing, State::Failed},
      {State::Shown, State::BuildingAdAddress},
      {State::Shown, State::Failed},
      {State::Failed, State::BuildingAdAddress},
  };
  // Whether the object may go from one state to the other: staying put, or a change in the table.
  static constexpr bool isLegalTransition(State from, State to) {
    if (from == to) return true;
    for (const auto& [tableFrom, tableTo] : kTransitions) {
      if (tableFrom == from && tableTo == to) return true;
    }
    return false;
  }

  // The page script gets this long to answer, and a whole load (script, ad page, showing) this
  // long to end; past either the load fails with a timeout and the refresh is scheduled.
  static constexpr double kScriptAnswerTimeLimit = 10;
  static constexpr double kLoadTimeLimit = 30;
  // After an ad is shown or has failed, an empty page for the next build page is loaded ahead
  // this much later, once the web process has drawn what it just loaded.
  static constexpr double kPrepareDelay = 0.05;
  // The page script's lifetime from the start of its latest check.
  static constexpr double kScriptLifetime = TADPageScript::kLifetime;
  // The back-off after transient failures, and the shortest period.
  static constexpr double kFirstRetrySeconds = TADRefreshTimer::kFirstRetrySeconds;
  static constexpr double kLongestRetrySeconds = TADRefreshTimer::kLongestRetrySeconds;
  static constexpr double kShortestPeriodSeconds = TADRefreshTimer::kShortestPeriodSeconds;
  // A navigation of the shown ad is a click only this long after the showing.
  static constexpr double kClickDelay = 0.15;
  // This object's time limits, the two above unless set; a setting applies from the next load.
  // For tests and benchmarks that cannot wait the full limits.
  void setTimeLimits(double scriptAnswerSeconds, double loadSeconds) {
    scriptAnswerTimeLimit_ = scriptAnswerSeconds;
    loadTimeLimit_ = loadSeconds;
  }
  // This object's shortest period and first retry, the constants above unless set.
  void setRefreshLimits(double shortestPeriodSeconds, double firstRetrySeconds) {
    reloadTimer_.setLimits(shortestPeriodSeconds, firstRetrySeconds);
  }
  double scriptAnswerTimeLimit() const { return scriptAnswerTimeLimit_; }
  double loadTimeLimit() const { return loadTimeLimit_; }

  // An ad object serving view, filling its bounds, its banner web view added to the view.
  static std::shared_ptr<TADObjectPrivate> initWithView(const std::shared_ptr<TADBannerView>& view);
  // The ad object of view (which banner views make through TADAdObject).
  static std::shared_ptr<TADObjectPrivate> ofView(const TADBannerView& view);
  // An ad object with no view, its banner web view of that frame.
  static std::shared_ptr<TADObjectPrivate> initWithFrame(const platform::Rect& frame);
  // The object alone; initWithFrame makes its web views of frame and registers it.
  explicit TADObjectPrivate(const platform::Rect& frame);
  ~TADObjectPrivate() override;
  TADObjectPrivate(const TADObjectPrivate&) = delete;
  TADObjectPrivate& operator=(const TADObjectPrivate&) = delete;

  const std::string& adUnitID() const override { return adUnitID_; }
  void setAdUnitID(std::string adUnitID) override { adUnitID_ = std::move(adUnitID); }
  std::shared_ptr<platform::ViewController> rootViewController() const override {
    return rootViewController_.lock();
  }
  // Also the controller over which the banner's clicks present their screens.
  void setRootViewController(std::weak_ptr<platform::ViewController> controller) override;
  const std::shared_ptr<TADDelegateManager>& delegateManager() const override {
    return delegateManager_;
  }
  std::shared_ptr<TADBannerView> adView() const { return adView_.lock(); }
  std::shared_ptr<TADWebView> webView() const override { return webView_; }
  std::shared_ptr<TADRequestPrivate> request() const { return request_; }
  State state() const { return state_; }
  double timeLastLoaded() const { return timeLastLoaded_; }
  bool hasAutoRefreshed() const override { return hasAutoRefreshed_; }
  TADOrientations supportedOrientations() const { return adPage_.supportedOrientations(); }
  double reloadSeconds() const { return reloadTimer_.reloadSeconds(); }
  bool isReloadTimerRunning() const { return reloadTimer_.isRunning(); }
  std::vector<base::URL> pendingTrackingURLs() const { return adPage_.pendingTrackingURLs(); }
  std::vector<base::URL> pendingClickURLs() const { return adPage_.pendingClickURLs(); }
  const std::set<std::shared_ptr<TADClickTracker>>& pendingTrackers() const {
    return trackers_->trackers();
  }
  const std::shared_ptr<TADCachedFile>& adHTML() const { return adPage_.adHTML(); }
  std::optional<std::string> adHTMLString() const { return adPage_.adHTMLString(); }
  // The ad page's address after redirects.
  std::optional<base::URL> adHTMLBaseURL() const { return adPage_.adHTMLBaseURL(); }
  // The hidden page of the script run in flight, if any.
  std::shared_ptr<platform::WebView> buildAdWebView() const {
    return scriptRun_ ? scriptRun_->buildAdWebView() : nullptr;
  }
  // The hidden page loaded ahead for the next script run, if any.
  std::shared_ptr<platform::WebView> preparedBuildAdWebView() const {
    return preparedRun_ ? preparedRun_->buildAdWebView() : nullptr;
  }
  // The page script's address, on the configured static host.
  static base::URL jsBuildAdURL() { return TADPageScript::url(); }

  // Starts loading an ad for request (a default request when there is none). The object works
  // on its own copy, so later changes to request do not reach the load.
  void loadRequest(const std::shared_ptr<TADRequest>& request) override;
  // The same for a full-screen ad; nothing in this program asks for one yet.
  void loadInterstitialRequest(const std::shared_ptr<TADRequest>& request);
  void loadPrivateRequest(const std::shared_ptr<TADRequestPrivate>& request, bool autoRefresh);
  // Whether a load is in flight, so that a new one is dropped.
  bool isMakingRequest() const;
  // Stops delayed work and the refresh timer; the object goes quiet until the next load.
  void cancelPendingActions() override;
  // While paused, refreshes and retries wait: one that falls due is kept, and runs when the
  // pause ends. Loads asked for meanwhile go ahead. For an owner that knows when its ad cannot
  // be seen, or whose program asks.
  void setRefreshPaused(bool paused);
  bool isRefreshPaused() const { return refreshPaused_; }

  // The object's own copy for request: a default request for none, request itself when it is a
  // private request.
  static std::shared_ptr<TADRequestPrivate> privateRequestWithRequest(
      const std::shared_ptr<TADRequest>& request);
  // Active, or not yet launched: a load asked for during launch goes ahead.
  static bool isAppActive() { return TADAppLaunch::isAppActive(); }
  // Forgets that the application launched, for a test that installs a new platform.
  static void resetLaunchForTesting() { TADAppLaunch::reset(); }

  // The web layer's reports. A finished banner page shows the ad being shown. A failed one fails
  // the load while the ad is being shown; once it is shown, a failure that may have left the
  // banner blank (its web process ended, a page of the ad's own that broke) brings a retry
  // unless a refresh is already on its way.
  void adPageDidFinish() override;
  void adPageDidFail(const base::Error& error) override;
  std::optional<Click> isClick(platform::WebViewNavigationType navigationType) override;
  // Follows the ad's click tracking addresses.
  void adScreenDidOpen() override;
  // Tells the application's delegate of the click.
  void adWasClicked() override;

  // The cached files' callbacks (script and ad page, told apart by identity).
  void cachedFileDownloadDidFail(TADCachedFile& file,
                                 const std::optional<base::Error>& error) override;
  void cachedFileDownloadDidEnd(TADCachedFile& file) override;
  base::Expected<void> cachedFileShouldRedirectToURL(TADCachedFile& file,
                                                     const base::URL& url) override;

 private:
  // The one way the state changes. Debug builds log a change missing from kTransitions and abort.
  void changeState(State state);
  // Follows each address with a click tracker of its own, kept until it has tracked.
  void trackURLs(const std::vector<base::URL>& urls) { trackers_->track(urls); }
  void registerForNotifications();
  bool supportsMinimumRequirementsForRequest();
  void ensureSupportFiles();
  void failedToDownloadJavaScriptWithError(const std::optional<base::Error>& error = std::nullopt);
  void buildAdUrl();
  void addAdditionalParameters(base::Dictionary& parameters) const;
  // The hidden build page runs script on json (TADScriptRun) until it answers; only one at a
  // time. An empty page prepared ahead at the same origin serves it, else a whole one.
  void setupBuildAdWebView(const std::string& script, const std::string& json);
  void prepareBuildAdWebView();
  void resetBuildAdWebView();
  void scriptAnswered(TADScriptRun::Answer answer, const base::Value& parameters);
  void loadAdURL(const base::Value& userInfo);
  void invalidRequest(const base::Value& userInfo) { refuseAnswer("Invalid Request", userInfo); }
  void unableToServe(const base::Value& userInfo) { refuseAnswer("Unable to serve", userInfo); }
  void refuseAnswer(const char* what, const base::Value& userInfo);
  void showAd();
  void failedAdRequestWithError(const TADCachedFile& file, const std::optional<base::Error>& error);
  void fail(int64_t code, State state = State::Failed,
            std::optional<double> answerPeriod = std::nullopt, TADRequestError::Cause cause = {});
  void runDueReload();
  void addReloadInformationFromHeaders();
  void activateReloadTimer();
  void deactivateReloadTimer();
  void reloadCurrentRequest();
  void loadTimedOut();

  std::weak_ptr<TADBannerView> adView_;
  std::string adUnitID_;
  std::shared_ptr<TADDelegateManager> delegateManager_;
  std::weak_ptr<platform::ViewController> rootViewController_;
  std::shared_ptr<TADWebView> webView_;
  std::shared_ptr<TADBannerWebViewDelegate> webViewDelegate_;
  std::unique_ptr<TADScriptRun> scriptRun_;
  std::unique_ptr<TADScriptRun> preparedRun_;
  // The run that answered last, whose page the next prepared run loads its empty page into.
  std::unique_ptr<TADScriptRun> endedRun_;
  platform::RunLoop::Timer prepareTimer_;
  std::shared_ptr<TADCachedFile> buildAdJS_;
  TADAdPage adPage_;
  std::shared_ptr<TADRequestPrivate> request_;
  State state_ = State::New;
  double timeLastLoaded_ = 0;
  std::shared_ptr<TADTrackerSet> trackers_ = std::make_shared<TADTrackerSet>();
  TADRefreshTimer reloadTimer_;
  std::unique_ptr<TADRefreshPauses> refreshPauses_;
  bool hasAutoRefreshed_ = false;
  bool refreshPaused_ = false;
  double scriptAnswerTimeLimit_ = kScriptAnswerTimeLimit;
  double loadTimeLimit_ = kLoadTimeLimit;
  // The time limit of the load in flight.
  platform::RunLoop::Timer loadTimer_;
};
