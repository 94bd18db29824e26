#include "ads/Object/TADObjectPrivate.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "ads/Formats/TADMacros.h"
#include "ads/Notification/TADNotificationCenter.h"
#include "ads/Statistics/TADStatisticsCore.h"
#include "platform/Application.h"
#include "platform/core/NotificationCenter.h"
#include "platform/net/URLError.h"
#include "platform/storage/UserDefaults.h"
#include "tests/ads/Object/AdObjectFixture.h"
#include "tests/support/FolderFlushes.h"

namespace {

using State = TADObjectPrivate::State;
using Reply = scriptedhttp::ScriptedReply;

class TADObjectPrivateTest : public AdObjectFixture {
 protected:
  std::vector<int64_t> failureCodes() const {
    std::vector<int64_t> codes;
    for (const auto& error : delegate->errors)
      codes.push_back(error->code());
    return codes;
  }
  base::Date expiry() {
    TADStatisticsCore record = TADStatisticsCore::initWithIdentifier("TADObjectPrivate");
    return *record.objectForKey("expireDate")->asDate();
  }
  // Runs the loop over seconds of virtual time, but for no more than cap passes; answers the
  // passes. A reload that comes round on every pass reaches the cap without moving the clock.
  int passesOver(double seconds, int cap = 100) {
    int passes = 0;
    platform.runLoop().advanceUntil([&] { return ++passes >= cap; }, seconds);
    return passes;
  }
  // Seconds until the next load builds its address, or -1 when none comes within a long wait.
  double secondsToNextLoad() {
    double from = platform.runLoop().now();
    bool came =
        platform.runLoop().advanceUntil([&] { return object().buildAdWebView() != nullptr; }, 1000);
    return came ? platform.runLoop().now() - from : -1;
  }
  static base::Error pageError(platform::URLError::Code code) {
    return platform::URLError::make(code, "http://ads.talvik.test/ad");
  }
};

TEST_F(TADObjectPrivateTest, ALoadBuildsTheAddressInTheScriptPageFetchesTheAdAndShowsIt) {
  view->setAdUnitID("a17c52f0d3b8e46");
  test_support::FolderFlushes flushes;
  load();
  EXPECT_EQ(object().state(), State::BuildingAdAddress);
  ASSERT_EQ(buildPeer().loadedHTML().size(), 1u);
  const auto& page = buildPeer().loadedHTML()[0];
  EXPECT_EQ(page.baseURL->absoluteString(), "http://ads.talvik.test");
  const std::string prefix =
      std::string("<html><head><script>") + kScriptText + "</script><script>AVMO_buildAdURL(";
  const std::string suffix = ");</script></head><body></body></html>";
  ASSERT_TRUE(page.html.starts_with(prefix) && page.html.ends_with(suffix)) << page.html;
  auto parameters = TADMacros::readJson(
      page.html.substr(prefix.size(), page.html.size() - prefix.size() - suffix.size()));
  ASSERT_TRUE(parameters);
  EXPECT_EQ(*parameters->find("slotname"), base::Value("a17c52f0d3b8e46"));
  EXPECT_EQ(*parameters->find("ad_frame"),
            base::Value(base::Dictionary{{"x", 0}, {"y", 430}, {"w", 320}, {"h", 50}}));
  EXPECT_EQ(*parameters->find("ad_bounds"),
            base::Value(base::Dictionary{{"x", 0}, {"y", 0}, {"w", 320}, {"h", 50}}));
  auto buildView = std::weak_ptr(object().buildAdWebView());
  EXPECT_EQ(buildView.lock()->frame(), (platform::Rect{0, 0, 1, 1}));

  int heardByOthers = 0;  // the answer is its run's alone
  auto& center = TADNotificationCenter::defaultCenter();
  center.addObserver(&heardByOthers, "loadAdURL", nullptr,
                     [&](const platform::Notification&) { ++heardByOthers; });
  answer("loadAdURL?url=http%3A%2F%2Fads.talvik.test%2Fad&type=dizudi");
  center.removeObserver(&heardByOthers);
  EXPECT_EQ(heardByOthers, 0);
  EXPECT_EQ(object().buildAdWebView(), nullptr);  // the run ends with the answer
  ASSERT_EQ(requestsFor(kAd), 1);
  EXPECT_TRUE(
      platform.urlLoading().sentRequests().back().url().absoluteString().ends_with("&seq_num=1"));
  EXPECT_EQ(object().state(), State::Showing);
  EXPECT_EQ(bannerPeer().loadedHTML().back().html, "<p>ad</p>");
  EXPECT_TRUE(view->webView()->isHidden());
  // The ad's page reaches its engine unscaled, with no detected numbers, and with inline media
  // that waits for the user.
  EXPECT_EQ(bannerPeer().settings(),
            (platform::WebViewSettings{.scalesPageToFit = false,
                                       .dataDetectorTypes = platform::kDataDetectorNone,
                                       .allowsInlineMediaPlayback = true,
                                       .mediaPlaybackRequiresUserAction = true,
                                       .mediaPlaybackAllowsAirPlay = true,
                                       .scrollsToTop = true}));
  // The script's copy is kept and trusted for a day, so it is flushed to disk; the ad page's is
  // not.
  EXPECT_EQ(flushes.made(), 1);

  finishBanner();
  EXPECT_EQ(object().state(), State::Shown);
  EXPECT_FALSE(view->webView()->isHidden());
  EXPECT_FALSE(bannerPeer().settings().scrollsToTop);  // the banner's page keeps its place
  EXPECT_EQ(delegate->events, (std::vector<std::string>{"receive"}));
  EXPECT_EQ(object().request()->counter(), 1);
}

TEST_F(TADObjectPrivateTest, ALoadInFlightOrInTheBackgroundAfterLaunchIsDroppedSilently) {
  load();
  load();  // in flight
  EXPECT_EQ(requestsFor(scriptURL()), 1);
  answerAd();
  finishBanner();
  platform.application().enterBackground();
  load();
  EXPECT_EQ(object().state(), State::Shown);
  EXPECT_EQ(delegate->events, (std::vector<std::string>{"receive"}));
}

TEST_F(TADObjectPrivateTest, TheScriptIsFetchedOnceADayTheExpiryMovingWhenTheCheckStarts) {
  base::Date start = platform.clock().now();
  loadToShown();
  EXPECT_EQ(expiry(), start.addingTimeInterval(86400));
  platform.runLoop().advance(86400);  // exactly at the expiry the copy still counts
  loadToShown();
  EXPECT_EQ(requestsFor(scriptURL()), 1);
  platform.runLoop().advance(1);
  load();
  EXPECT_EQ(requestsFor(scriptURL()), 2);
  EXPECT_EQ(expiry(), platform.clock().now().addingTimeInterval(86400));
}

TEST_F(TADObjectPrivateTest, AFailedScriptFetchUsesTheStoredCopyOrFailsWithCode2) {
  serveScript(Reply::fail(platform::URLError::CannotConnectToHost));
  load();
  EXPECT_EQ(object().state(), State::PageScriptUnavailable);
  EXPECT_EQ(failureCodes(), (std::vector<int64_t>{2}));
  EXPECT_EQ(object().buildAdWebView(), nullptr);

  serveScript(Reply::ok(kScriptText));
  platform.clock().setNow(platform.clock().now().addingTimeInterval(86401));
  load();
  answerAd();
  finishBanner();  // stored now
  serveScript(Reply::withStatus(500));
  platform.clock().setNow(platform.clock().now().addingTimeInterval(86401));
  load();
  EXPECT_EQ(object().state(), State::BuildingAdAddress);
  EXPECT_EQ(failureCodes(), (std::vector<int64_t>{2}));
}

TEST_F(TADObjectPrivateTest, RefusingAnswersFailWithCode0AndLeaveTheObjectAbleToLoad) {
  const std::pair<const char*, std::vector<std::string>> cases[] = {
      {"loadAdURL?errors=bad", {}},
      {"invalidRequest?why=slot", {"<Talvik> Invalid Request: {\"why\":\"slot\"}"}},
      {"unableToServe?why=none", {"<Talvik> Unable to serve: {\"why\":\"none\"}"}},
  };
  for (const auto& [message, console] : cases) {
    SCOPED_TRACE(message);
    delegate->errors.clear();
    platform.console().clear();
    load();
    answer(message);
    EXPECT_EQ(failureCodes(), (std::vector<int64_t>{0}));
    EXPECT_EQ(platform.console().lines(), console);
    EXPECT_EQ(object().state(), State::Failed);
    EXPECT_EQ(object().buildAdWebView(), nullptr);
  }
}

// A transient failure backs off, whatever period its answer names; a server that has no ad or
// refuses the request is answered like a shown ad, on the period its answer names or the last one.
// No period is shorter than ten seconds.
TEST_F(TADObjectPrivateTest, ServerFailuresGiveTheirCodesAndOnlyTransientOnesBackOff) {
  const Reply::Fields tiny{{"X-Avmo-Refresh-Rate", "0.001"}};
  serveAd(Reply::ok("<p>ad</p>", tiny));
  loadToShown();
  EXPECT_EQ(object().reloadSeconds(), 10);
  const std::vector<std::string> rejected{
      "<Talvik> Server rejected ad parameters.  Typically this is because the ad unit ID is "
      "incorrect."};
  struct Case {
    Reply reply;
    int64_t code;
    double secondsToNextLoad;
  };
  Case cases[] = {
      {Reply::withStatus(500, tiny), 3, 30},
      {Reply::withStatus(503, tiny), 3, 60},
      {Reply::fail(platform::URLError::CannotConnectToHost), 2, 120},
      {Reply::withStatus(400, tiny), 0, 10},
      {Reply::withStatus(404), 3, 30},  // the back-off starts afresh after an answer
      {Reply::ok(" \r\n\t ", {{"X-Avmo-Refresh-Rate", "45"}}), 1, 45},
      {Reply::ok(" "), 1, 45},  // the last period
      {Reply::withStatus(500), 3, 45},
  };
  double delay = 10;
  for (Case& c : cases) {
    SCOPED_TRACE(c.code);
    delegate->errors.clear();
    platform.console().clear();
    serveAd(std::move(c.reply));
    ASSERT_EQ(secondsToNextLoad(), delay);
    answerAd();
    EXPECT_EQ(failureCodes(), (std::vector<int64_t>{c.code}));
    EXPECT_EQ(object().state(), State::Failed);
    EXPECT_EQ(platform.console().lines(), c.code == 0 ? rejected : std::vector<std::string>{});
    delay = c.secondsToNextLoad;
  }
  EXPECT_EQ(secondsToNextLoad(), delay);
}

TEST_F(TADObjectPrivateTest, HeadersOfEveryResponseInARedirectChainAddUpInOrder) {
  serve(kAd, Reply::withStatus(
                 302, {{"Location", "/ad2"},
                       {"X-Avmo-Click-Tracking-Urls", "http://t.example/c1"},
                       {"X-Avmo-Tracking-Urls", "http://t.example/i1  http://t.example/i2"},
                       {"X-Avmo-Orientation", "portrait"}}));
  serve("http://ads.talvik.test/ad2",
        Reply::ok("<p>ad</p>", {{"X-Avmo-Click-Tracking-Urls", "http://t.example/c2"},
                                {"X-Avmo-Orientation", "sideways"},
                                {"X-Avmo-Interstitial-Timeout", "2.5"}}));
  load();
  answerAd();
  auto texts = [](const std::vector<base::URL>& urls) {
    std::vector<std::string> out;
    for (const auto& url : urls)
      out.push_back(url.absoluteString());
    return out;
  };
  EXPECT_EQ(texts(object().pendingClickURLs()),
            (std::vector<std::string>{"http://t.example/c1", "http://t.example/c2"}));
  EXPECT_EQ(texts(object().pendingTrackingURLs()),
            (std::vector<std::string>{"http://t.example/i1", "http://t.example/i2"}));
  EXPECT_EQ(object().supportedOrientations(), TADOrientations::Portrait);
  const base::Value* timeout = platform.userDefaults().objectForKey("applicationTimeout");
  ASSERT_NE(timeout, nullptr);
  EXPECT_EQ(*timeout, base::Value(2.5f));
  EXPECT_EQ(object().adHTMLBaseURL()->absoluteString(), "http://ads.talvik.test/ad2");

  finishBanner();  // the impressions are followed, and the trackers dropped a pass after
  EXPECT_EQ(requestsFor("http://t.example/i"), 2);
  finishBanner();  // a later page of the shown ad is no second impression
  EXPECT_EQ(requestsFor("http://t.example/i"), 2);
  platform.runLoop().advance(1);
  EXPECT_TRUE(object().pendingTrackers().empty());

  // The next ad's page starts the lists afresh; the orientations stay until an answer names
  // others.
  serveAd(Reply::ok("<p>next</p>"));
  load();
  answerAd();
  EXPECT_EQ(object().adHTMLString(), "<p>next</p>");
  EXPECT_TRUE(object().pendingClickURLs().empty() && object().pendingTrackingURLs().empty());
  EXPECT_EQ(object().supportedOrientations(), TADOrientations::Portrait);
}

TEST_F(TADObjectPrivateTest, TheRefreshFollowsTheHeaderAndKeepsTheLastPeriodWithoutOne) {
  serveAd(Reply::ok("<p>ad</p>", {{"X-Avmo-Refresh-Rate", "30"}}));
  loadToShown();
  EXPECT_FALSE(view->hasAutoRefreshed());
  serveAd(Reply::ok("<p>ad</p>"));
  platform.runLoop().advance(29.9);
  EXPECT_EQ(requestsFor(kAd), 1);
  platform.runLoop().advance(0.1);
  answerAd();
  finishBanner();
  EXPECT_EQ(requestsFor(kAd), 2);
  EXPECT_TRUE(view->hasAutoRefreshed());
  EXPECT_TRUE(object().isReloadTimerRunning());  // the period kept without the header

  serveAd(Reply::ok("<p>ad</p>", {{"X-Avmo-Refresh-Rate", "abc"}}));  // names no period
  loadToShown();
  EXPECT_FALSE(view->hasAutoRefreshed());
  EXPECT_FALSE(object().isReloadTimerRunning());
  EXPECT_EQ(object().reloadSeconds(), 30);
  platform.application().enterBackground();
  platform.application().enterForeground();  // the kept period serves the resumption
  EXPECT_TRUE(object().isReloadTimerRunning());
}

TEST_F(TADObjectPrivateTest, ARefreshDueDuringALoadWhileInactiveOrPausedIsNeitherRepeatedNorLost) {
  // Due while the banner still loads the page: not again until the ad is shown, however short the
  // period, then a full period after.
  serveAd(Reply::ok("<p>ad</p>", {{"X-Avmo-Refresh-Rate", "0.001"}}));
  load();
  answerAd();
  EXPECT_LT(passesOver(15), 10);
  EXPECT_EQ(object().state(), State::Showing);
  finishBanner();
  EXPECT_TRUE(object().isReloadTimerRunning());

  // Due while the window is not the active one: the refresh runs when it is again.
  serveAd(Reply::ok("<p>ad</p>", {{"X-Avmo-Refresh-Rate", "30"}}));
  platform.runLoop().advance(10);
  answerAd();
  finishBanner();
  platform.application().resignActive();
  platform.runLoop().advance(60);
  EXPECT_EQ(object().buildAdWebView(), nullptr);
  platform.application().becomeActive();
  EXPECT_NE(object().buildAdWebView(), nullptr);

  // Due while its owner pauses refresh (its banner cannot be seen): the refresh runs at the end
  // of the pause, and only then.
  answerAd();
  finishBanner();
  object().setRefreshPaused(true);
  platform.runLoop().advance(60);
  EXPECT_EQ(object().buildAdWebView(), nullptr);
  object().setRefreshPaused(false);
  EXPECT_NE(object().buildAdWebView(), nullptr);
}

// Each failure that passes by itself is followed by a retry that shows the next ad, with one
// report of the failure.
TEST_F(TADObjectPrivateTest, TheBannerComesBackAfterEveryPassingFailure) {
  struct Case {
    const char* what;
    std::function<void()> breakIt, mendIt;
    std::vector<std::string> events;
  };
  const Case cases[] = {
      {"page script unreachable, no stored copy",
       [&] {
         serveScript(Reply::fail(platform::URLError::CannotConnectToHost));
         load();
       },
       [&] { serveScript(Reply::ok(kScriptText)); },
       {"fail"}},
      {"build page fails to load",
       [&] {
         load();
         buildPeer().failLoad(pageError(platform::URLError::Unknown));
         platform.runLoop().runUntilIdle();
       },
       [] {},
       {"fail"}},
      {"ad page unreachable",
       [&] {
         serveAd(Reply::fail(platform::URLError::CannotConnectToHost));
         load();
         answerAd();
       },
       [&] { serveAd(Reply::ok("<p>ad</p>")); },
       {"fail"}},
      {"the shown ad's web process ends",
       [&] {
         loadToShown();
         bannerPeer().failLoad(pageError(platform::URLError::Cancelled));  // a refused navigation
         platform.runLoop().advance(600);
         EXPECT_FALSE(object().isReloadTimerRunning());
         bannerPeer().failLoad(pageError(platform::URLError::Unknown));
       },
       [] {},
       {"receive"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    delegate->events.clear();
    c.breakIt();
    EXPECT_EQ(delegate->events, c.events);
    EXPECT_EQ(object().buildAdWebView(), nullptr);
    c.mendIt();
    ASSERT_EQ(secondsToNextLoad(), 30);
    answerAd();
    finishBanner();
    EXPECT_EQ(delegate->events.back(), "receive");
    EXPECT_EQ(object().state(), State::Shown);
  }
}

// What the page reports after its load has ended (the page stopped at the time limit, a late
// failure after a page with no ad) is no second outcome.
TEST_F(TADObjectPrivateTest, ALoadReportsOneOutcomeWhateverItsPageReportsAfterIt) {
  load();
  answerAd();
  platform.runLoop().advance(30);
  EXPECT_EQ(bannerPeer().commands().back(), "stopLoading");
  bannerPeer().failLoad(pageError(platform::URLError::Cancelled));
  EXPECT_EQ(failureCodes(), (std::vector<int64_t>{5}));

  serveAd(Reply::ok(" "));
  platform.runLoop().advance(30);
  answerAd();
  bannerPeer().failLoad(pageError(platform::URLError::Unknown));
  EXPECT_EQ(failureCodes(), (std::vector<int64_t>{5, 1}));
}

TEST_F(TADObjectPrivateTest, BackgroundAndFullScreenNoticesPauseAndRestartTheFullPeriod) {
  serveAd(Reply::ok("<p>ad</p>", {{"X-Avmo-Refresh-Rate", "30"}}));
  loadToShown();
  struct Pause {
    std::function<void()> pause, resume;
  };
  auto& center = platform.notificationCenter();
  int other = 0;
  const Pause pauses[] = {
      {[&] { platform.application().enterBackground(); },
       [&] { platform.application().enterForeground(); }},
      {[&] { center.post("TADViewControllerWillPresentFullScreen", &other); },
       [&] { center.post("TADViewControllerDidRelinquishFullScreen", &other); }},
  };
  int ads = 1;
  for (const Pause& p : pauses) {
    platform.runLoop().advance(20);
    p.pause();
    const size_t heard = delegate->events.size();
    platform.runLoop().advance(100);
    EXPECT_EQ(delegate->events.size(), heard);  // no load started, nor failed, while paused
    EXPECT_EQ(requestsFor(kAd), ads);
    p.resume();
    platform.application().becomeActive();
    platform.runLoop().advance(29);
    EXPECT_EQ(requestsFor(kAd), ads);
    platform.runLoop().advance(1);
    answerAd();
    finishBanner();
    EXPECT_EQ(requestsFor(kAd), ++ads);
  }
}

TEST_F(TADObjectPrivateTest, ALoadThatNeverEndsFailsWithATimeoutAndIsRetried) {
  serveAd(Reply::ok("<p>ad</p>", {{"X-Avmo-Refresh-Rate", "60"}}));
  loadToShown();
  // A script that never answers: ten seconds.
  platform.runLoop().advance(60);
  auto buildView = std::weak_ptr(object().buildAdWebView());
  platform.runLoop().advance(10);
  EXPECT_TRUE(buildView.expired());
  EXPECT_EQ(object().state(), State::Failed);
  EXPECT_EQ(failureCodes(), (std::vector<int64_t>{5}));
  EXPECT_TRUE(object().isReloadTimerRunning());

  // A banner page that never finishes: thirty seconds for the whole load.
  platform.runLoop().advance(60);
  answerAd();
  EXPECT_EQ(object().state(), State::Showing);
  platform.runLoop().advance(30);
  EXPECT_EQ(object().state(), State::Failed);
  EXPECT_EQ(failureCodes(), (std::vector<int64_t>{5, 5}));
  EXPECT_EQ(bannerPeer().commands().back(), "stopLoading");
}

TEST_F(TADObjectPrivateTest, TheObjectGoesWithItsViewLeavingNoRegistrationOrFetch) {
  load();
  std::weak_ptr<TADObjectPrivate> weak = TADObjectPrivate::ofView(*view);
  const void* key = weak.lock().get();
  view.reset();
  EXPECT_TRUE(weak.expired());
  EXPECT_EQ(platform.notificationCenter().registrationCount(key), 0u);
  platform.runLoop().advance(60);
  EXPECT_TRUE(delegate->events.empty());
}

// Between loads an empty page is loaded ahead for the next build page, into the page that answered
// last (no page is loaded only to be cleared). It serves exactly one request, and only while it is
// whole; the page script reaches a page once per request, whether the page loaded ahead serves it,
// is dropped, or the script changed since it was loaded.
TEST_F(TADObjectPrivateTest, APagePreparedBetweenLoadsServesOneRequestAndRunsNoScriptOfItsOwn) {
  // The pages that the script's text reached: loaded whole, or written into a page loaded ahead.
  auto runs = [](SimWebViewPeer& peer, const std::string& script) {
    auto holds = [&](const std::string& text) { return text.find(script) != std::string::npos; };
    return std::ranges::count_if(peer.evaluatedScripts(), holds) +
           std::ranges::count_if(peer.loadedHTML(), [&](auto& load) { return holds(load.html); });
  };
  auto prepare = [&] {
    platform.runLoop().advance(TADObjectPrivate::kPrepareDelay);
    return object().preparedBuildAdWebView();
  };
  load();
  std::weak_ptr<platform::WebView> answered = object().buildAdWebView();
  answerAd();
  finishBanner();
  EXPECT_EQ(object().preparedBuildAdWebView(), nullptr);  // not while the banner's page loads
  const std::string newScript = "function AVMO_buildAdURL(q) {}";
  // Whether the page loaded ahead breaks (its web process ends), and whether the script changes.
  for (auto [breaks, scriptChanges] : {std::pair{false, false}, {true, false}, {false, true}}) {
    SCOPED_TRACE(std::to_string(breaks) + std::to_string(scriptChanges));
    std::shared_ptr<platform::WebView> page = prepare();
    ASSERT_TRUE(page);
    EXPECT_EQ(page, answered.lock());
    SimWebViewPeer& peer = SimWebViewPeer::of(*page);
    EXPECT_EQ(peer.loadedHTML().back().html, "<html><head></head><body></body></html>");
    if (breaks) {
      peer.failLoad(platform::URLError::make(platform::URLError::Unknown, "about:blank"));
    } else {
      peer.finishLoad();
    }
    if (scriptChanges) {
      serveScript(Reply::ok(newScript));
      platform.runLoop().advance(86401);
    }
    const std::string script = scriptChanges ? newScript : kScriptText;
    const auto earlierRuns = runs(peer, script);
    load();
    EXPECT_EQ(object().preparedBuildAdWebView(), nullptr);
    EXPECT_EQ(object().buildAdWebView() == page, !breaks);
    EXPECT_EQ(runs(peer, script) - earlierRuns + (breaks ? runs(buildPeer(), script) : 0), 1);
    if (!breaks) {
      EXPECT_TRUE(peer.evaluatedScripts().back().starts_with(
          "document.open();document.write('<html><head><script>" + script +
          "</script><script>AVMO_buildAdURL({\""));
    }
    answered = object().buildAdWebView();
    std::weak_ptr<platform::WebView> used = page;
    page.reset();
    answerAd();
    finishBanner();
    EXPECT_EQ(used.expired(), breaks);
  }
  EXPECT_EQ(delegate->events, std::vector<std::string>(4, "receive"));
}

// The roads a load takes, each step a legal change; and changes no load makes, refused.
TEST(TADObjectPrivateStates, LoadsTakeOnlyTheTableTransitions) {
  const std::vector<std::vector<State>> roads = {
      {State::New, State::BuildingAdAddress, State::FetchingPageScript, State::BuildingAdAddress,
       State::FetchingAdPage, State::Showing, State::Shown, State::BuildingAdAddress,
       State::FetchingAdPage, State::Showing, State::Failed, State::BuildingAdAddress},
      {State::New, State::BuildingAdAddress, State::FetchingPageScript,
       State::PageScriptUnavailable, State::BuildingAdAddress, State::Failed},
      {State::Failed, State::BuildingAdAddress, State::FetchingPageScript,
       State::PageScriptUnavailable, State::Failed},
      {State::Shown, State::Failed, State::Failed},
  };
  for (const auto& road : roads) {
    for (size_t i = 1; i < road.size(); ++i) {
      EXPECT_TRUE(TADObjectPrivate::isLegalTransition(road[i - 1], road[i])) << i;
    }
  }
  const std::pair<State, State> refused[] = {
      {State::New, State::Shown},
      {State::Failed, State::Showing},
      {State::Shown, State::Showing},
      {State::FetchingAdPage, State::BuildingAdAddress},
      {State::Showing, State::FetchingAdPage},
      {State::Failed, State::PageScriptUnavailable},
      {State::Shown, State::New},
  };
  for (const auto& [from, to] : refused) {
    EXPECT_FALSE(TADObjectPrivate::isLegalTransition(from, to))
        << static_cast<int>(from) << "->" << static_cast<int>(to);
  }
}

}  // namespace
