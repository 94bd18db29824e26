#include "ads/View/TADWebViewDelegate.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "ads/Addresses/TADNetworkUtilities.h"
#include "ads/Notification/TADNotification.h"
#include "ads/Notification/TADNotificationCenter.h"
#include "ads/Opener/TADOpener.h"
#include "ads/Registry/TADPrivateUtilities.h"
#include "ads/Statistics/TADStatistics.h"
#include "ads/View/TADRelinquishableScreen.h"
#include "ads/View/TADWebView.h"
#include "platform/sim/SimPlatform.h"
#include "platform/sim/SimWebViewPeer.h"
#include "platform/ui/ViewController.h"
#include "signals/TADSignalRecord.h"
#include "signals/TADSignals.h"
#include "signals/TADSignalsTesting.h"
#include "tests/ads/RecordingOpener.h"
#include "tests/support/LibraryStateGuard.h"
#include "tests/support/TemporaryFolder.h"

namespace {

using Type = platform::WebViewNavigationType;
using platform::sim::SimWebViewPeer;

class FirstPageCountingDelegate : public TADWebViewDelegate {
 public:
  using TADWebViewDelegate::TADWebViewDelegate;
  int firstPages = 0;
  void loadedFirstPage(platform::WebView&) override { ++firstPages; }
};

class Screen : public platform::ViewController, public TADRelinquishableScreen {
 public:
  int relinquished = 0;
  void relinquishScreen() override { ++relinquished; }
};

constexpr double kSignalsClock = 12.5;

class TADWebViewDelegateTest : public ::testing::Test {
 protected:
  TADWebViewDelegateTest() {
    platform_.setCachesDirectory(caches_.path());
    platform_.application().finishLaunching();
    signals::setClockForTesting([] { return kSignalsClock; });
    signals::setStackTraceForTesting([] { return std::string("frame"); });
    webView_->setDelegate(delegate_);
    TADNotificationCenter::defaultCenter().addObserver(
        this, "", nullptr, [this](const platform::Notification& n) { posted_.push_back(n); });
  }
  ~TADWebViewDelegateTest() override {
    TADNotificationCenter::defaultCenter().removeObserver(this);
    delegate_.reset();
  }

  SimWebViewPeer& peer() { return SimWebViewPeer::of(*webView_); }
  bool navigate(const char* url, Type type = Type::LinkClicked) {
    posted_.clear();
    return peer().navigate(url, type);
  }
  std::vector<const platform::Notification*> postedNamed(std::string_view name) const {
    std::vector<const platform::Notification*> found;
    for (const auto& n : posted_)
      if (n.name == name) found.push_back(&n);
    return found;
  }

  platform::sim::SimPlatform platform_;
  test_support::LibraryStateGuard state_;
  test_support::TemporaryFolder caches_;
  std::shared_ptr<platform::WebView> webView_ =
      std::make_shared<platform::WebView>(platform::Rect{0, 0, 320, 50});
  std::shared_ptr<RecordingOpener> opener_ = std::make_shared<RecordingOpener>();
  std::shared_ptr<FirstPageCountingDelegate> delegate_ =
      std::make_shared<FirstPageCountingDelegate>(opener_);
  std::vector<platform::Notification> posted_;
};

TEST_F(TADWebViewDelegateTest, SchemesDecideAndEveryNavigationButABareProgrammaticLoadIsNoticed) {
  // A navigation (its address and kind), its answer, what reached the opener ("" nothing), and
  // the "a" of its web action notice (nullptr: none; "-": a notice without one).
  const std::tuple<const char*, Type, bool, std::string, const char*> cases[] = {
      {"http://a.b/p", Type::Other, true, "", "-"},
      {"http://a.b/", Type::Other, true, "", nullptr},
      {"http://a.b", Type::Other, true, "", nullptr},
      {"http://a.b", Type::LinkClicked, true, "", "-"},
      {"HTTPS://a.b/", Type::Reload, true, "", "-"},
      {"about:blank", Type::LinkClicked, true, "", "-"},
      {"file:///x", Type::LinkClicked, false, "", "-"},
      {"tel:123", Type::LinkClicked, false, "app tel:123", "-"},
      {"itms://x", Type::FormSubmitted, false, "app itms://x", "-"},
      {"MailTo:a?subject=Hi", Type::LinkClicked, false, "mail MailTo:a?subject=Hi", "-"},
      {"GMSG://x/vibrate", Type::LinkClicked, false, "app GMSG://x/vibrate", "-"},
      {"gmsg://x/vibrate", Type::Other, false, "", "vibrate"},
      {"norvak://elsewhere", Type::LinkClicked, false, "", "-"},
      {"norvak://launch?url=http%3A%2F%2Fa.b", Type::LinkClicked, false, "browser http://a.b 1",
       "open"},
  };
  for (const auto& [url, type, loads, openerCall, noticedName] : cases) {
    SCOPED_TRACE(url);
    opener_->calls.clear();
    EXPECT_EQ(navigate(url, type), loads);
    EXPECT_EQ(opener_->calls, openerCall.empty() ? std::vector<std::string>{}
                                                 : std::vector<std::string>{openerCall});
    auto notices = postedNamed(TADWebViewDelegateDidReceiveWebAction);
    ASSERT_EQ(notices.size(), noticedName ? 1u : 0u);
    if (!noticedName) continue;
    base::Dictionary userInfo{{"u", url}};
    if (std::string_view(noticedName) != "-") userInfo.set("a", noticedName);
    EXPECT_EQ(notices[0]->object, webView_.get());
    EXPECT_EQ(notices[0]->userInfo, base::Value(userInfo));
  }
  const auto& platformCalls = platform_.application().calls();
  EXPECT_EQ(std::count(platformCalls.begin(), platformCalls.end(), "vibrate"), 1);
}

TEST_F(TADWebViewDelegateTest, AnUnknownMessageIsPostedOnALaterPassWithTheWebViewAsObject) {
  EXPECT_FALSE(navigate("gmsg://x/unknownThing?k=v"));
  EXPECT_TRUE(postedNamed("unknownThing").empty());
  platform_.runLoop().runUntilIdle();

  auto posted = postedNamed("unknownThing");
  ASSERT_EQ(posted.size(), 1u);
  EXPECT_EQ(posted[0]->object, webView_.get());
  EXPECT_EQ(posted[0]->userInfo, base::Value(base::Dictionary{{"k", "v"}}));
}

// A touch hands the signals minus one for every missing value.
TEST_F(TADWebViewDelegateTest, TouchesGoToTheSignalsAndClickTracksWithThemButHTTPTrackWithout) {
  navigate("gmsg://x/touch?tx=5");
  TADSignalState touched(kSignalsClock);
  touched.recordTouch({5, -1, -1});
  std::string request;
  tad_gmrs(request);
  EXPECT_EQ(request, "sig=" + TADSignalRecord::requestText(touched, kSignalsClock));

  std::string signalsText;
  ASSERT_TRUE(tad_gmcs("A1", signalsText));
  for (const char* message :
       {"gmsg://host/click?u=http%3A%2F%2Fa.b%2Fc",
        "gmsg://host/click?u=http%3A%2F%2Fa.b%2Fc%3Fai%3DA1",
        "gmsg://host/httpTrack?u=http%3A%2F%2Fa.b%2Fd%3Fai%3DA1", "gmsg://host/click"}) {
    navigate(message);
    platform_.runLoop().runUntilIdle();
  }
  std::vector<std::string> sent;
  for (const auto& request : platform_.urlLoading().sentRequests())
    sent.push_back(request.url().absoluteString());
  EXPECT_EQ(sent, (std::vector<std::string>{"http://a.b/c", "http://a.b/c?ai=A1&" + signalsText,
                                            "http://a.b/d?ai=A1"}));
}

TEST_F(TADWebViewDelegateTest, LogWritesThePagesLineAndCanOpenURLsIsAnsweredIntoThePage) {
  navigate("gmsg://x/log?string=hi%0A%3CTalvik%3E%20%1B%5B2Jfake");
  navigate("norvak://log");
  navigate("gmsg://x/log?string=%3CTalvik%3E%20fake");
  EXPECT_EQ(platform_.console().lines(), (std::vector<std::string>{"hi\\n<Talvik> \\x1b[2Jfake",
                                                                   "(null)", "\\x3cTalvik> fake"}));
  navigate("gmsg://x/canOpenURLs?urls=tel:,,zz:");
  navigate("gmsg://x/canOpenURLs");
  EXPECT_EQ(peer().evaluatedScripts(),
            (std::vector<std::string>{
                "AVMO_ReceiveMessage('openableURLs', {\"tel:\":true,\"\":false,\"zz:\":false});",
                "AVMO_ReceiveMessage('openableURLs', {});"}));
}

// Ten lines a second, counted from the first; the rest of the second is dropped and then counted
// in one line.
TEST_F(TADWebViewDelegateTest, APageWritesTenConsoleLinesASecondAndHearsOfTheRestOnce) {
  auto logs = [&](int count) {
    for (int i = 0; i < count; ++i)
      navigate("gmsg://x/log?string=line");
  };
  const std::vector<std::string> ten(10, "line");
  logs(25);
  platform_.runLoop().advance(0.5);
  logs(3);
  EXPECT_EQ(platform_.console().lines(), ten);
  platform_.runLoop().advance(0.5);
  std::vector<std::string> expected = ten;
  expected.push_back(
      "<Talvik> dropped 18 console lines of a page (at most 10 a second are written)");
  EXPECT_EQ(platform_.console().lines(), expected);

  platform_.console().clear();
  logs(10);
  platform_.runLoop().advance(5);
  EXPECT_EQ(platform_.console().lines(), ten);
}

TEST_F(TADWebViewDelegateTest, APageVibratesAtMostOnceASecondAndOnlyWhileTheAppIsActive) {
  auto vibrations = [&] {
    const auto& calls = platform_.application().calls();
    return std::count(calls.begin(), calls.end(), "vibrate");
  };
  auto vibrateAfter = [&](double seconds) {
    platform_.runLoop().advance(seconds);
    navigate("gmsg://x/vibrate");
  };
  for (int i = 0; i < 4; ++i)
    vibrateAfter(0.25);
  EXPECT_EQ(vibrations(), 1);
  vibrateAfter(0.25);
  EXPECT_EQ(vibrations(), 2);

  platform_.application().resignActive();
  vibrateAfter(2);
  platform_.application().enterBackground();
  vibrateAfter(2);
  EXPECT_EQ(vibrations(), 2);
  platform_.application().enterForeground();
  platform_.application().becomeActive();
  vibrateAfter(0);
  EXPECT_EQ(vibrations(), 3);
}

TEST_F(TADWebViewDelegateTest, EvalInOpenerRunsInTheOpeningPageLaterAndAnswersTheAsker) {
  auto opening = std::make_shared<platform::WebView>();
  SimWebViewPeer::of(*opening).answerScript("document.title", "Landing");

  navigate("gmsg://x/evalInOpener?js=document.title");
  platform_.runLoop().runUntilIdle();
  EXPECT_TRUE(SimWebViewPeer::of(*opening).evaluatedScripts().empty());

  delegate_->setOpeningWebView(opening);
  navigate("gmsg://x/evalInOpener?js=document.title");
  EXPECT_TRUE(SimWebViewPeer::of(*opening).evaluatedScripts().empty());
  platform_.runLoop().runUntilIdle();
  EXPECT_EQ(SimWebViewPeer::of(*opening).evaluatedScripts(),
            std::vector<std::string>{"document.title"});
  EXPECT_EQ(peer().evaluatedScripts(),
            std::vector<std::string>{
                "AVMO_ReceiveMessage('evalJavaScriptInOpenerResult', {\"result\":\"Landing\"});"});
}

TEST_F(TADWebViewDelegateTest, CloseRelinquishesOnlyAFullScreenScreen) {
  auto plain = std::make_shared<platform::ViewController>();
  delegate_->setViewController(plain);
  navigate("norvak://closecanvas");

  auto screen = std::make_shared<Screen>();
  delegate_->setViewController(screen);
  navigate("gmsg://x/close");
  EXPECT_EQ(screen->relinquished, 1);
  EXPECT_EQ(opener_->viewController(), screen);
}

TEST_F(TADWebViewDelegateTest, TheRequestsUserAgentIsKeptForTheLibrarysOwnFetches) {
  platform::URLRequest request(*base::URL::fromString("http://a.b/"));
  request.setValue("QuillbeckTest/7", "User-Agent");
  peer().navigate(request, Type::Other);
  EXPECT_EQ(TADNetworkUtilities::userAgentString(), "QuillbeckTest/7");
}

// The page hears the orientation after every finished load and at every turn.
TEST_F(TADWebViewDelegateTest, OrientationScriptsTellTheAngleAndOnlyTheFirstLoadCallsTheHook) {
  platform_.application().setStatusBarOrientation(platform::InterfaceOrientation::LandscapeLeft);
  navigate("http://a.b/p");
  peer().finishLoad();
  navigate("http://a.b/q");
  peer().finishLoad();
  EXPECT_EQ(delegate_->firstPages, 1);
  for (int orientation : {1, 2, 3, 0, 5}) {  // the last two are no orientation
    TADWebViewDelegate::notifyWebViewOfOrientationChange(
        *webView_, static_cast<platform::InterfaceOrientation>(orientation));
  }
  std::vector<std::string> expected;
  for (const char* angle : {"-90", "-90", "0", "180", "90"}) {
    expected.push_back(std::string("window.__defineGetter__('orientation',function(){return ") +
                       angle + ";});window.onorientationchange();");
  }
  EXPECT_EQ(peer().evaluatedScripts(), expected);
}

// The companion lives in the registry exactly as long as the view.
TEST_F(TADWebViewDelegateTest, OnlyTouchesThatLandOnTheAdWebViewCount) {
  size_t before = TADPrivateUtilities::count();
  auto screen = std::make_shared<platform::View>(platform::Rect{0, 0, 320, 480});
  auto webView = TADWebView::initWithFrame({0, 430, 320, 50});
  screen->addSubview(webView);
  screen->hitTest({10, 10});
  EXPECT_FALSE(webView->touched());
  EXPECT_EQ(screen->hitTest({10, 440}), webView.get());
  EXPECT_TRUE(webView->touched());
  webView->removeFromSuperview();
  webView.reset();
  EXPECT_EQ(TADPrivateUtilities::count(), before);
}

}  // namespace
