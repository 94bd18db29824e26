#include "ads/Opener/TADOpenGate.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "ads/Browser/TADBrowserController.h"
#include "ads/Registry/TADPrivateUtilities.h"
#include "ads/View/TADRelinquishableScreen.h"
#include "ads/WebApp/TADWebAppViewController.h"
#include "tests/ads/Object/AdObjectFixture.h"

namespace {

using Source = TADOpenGate::Source;
using Opening = TADOpenGate::Opening;
using Verdict = TADOpenGate::Verdict;
using Type = platform::WebViewNavigationType;
using platform::sim::SimWebViewPeer;

std::optional<base::URL> url(const char* text) {
  return text ? base::URL::fromString(text) : std::nullopt;
}

TEST(TADOpenGateDecisionTest, OnlyAFreshUnusedPressInAnAdPageOpensAndOnlyAllowedSchemes) {
  const double kNaN = std::nan("");
  const std::optional<double> none;
  // Who asks, the age of the press's activation, whether it was used, what for, the address, the
  // verdict, and whether the asking navigation carried the user's gesture.
  struct Case {
    Source source;
    std::optional<double> age;
    bool used;
    Opening opening;
    const char* address;
    Verdict verdict;
    bool gesture = true;
  };
  const Case cases[] = {
      {Source::Banner, 0.2, false, Opening::OtherApplication, "https://land.example/",
       Verdict::Allowed},
      {Source::Browser, 0.99, false, Opening::Browser, "HTTP://land.example/", Verdict::Allowed},
      {Source::WebApp, 0, false, Opening::MailComposer, "MailTo:a@quillbeck.example",
       Verdict::Allowed},
      {Source::WebApp, 0.2, false, Opening::WebApp, nullptr, Verdict::Allowed},
      {Source::LibraryControl, none, false, Opening::OtherApplication, "http://land.example/",
       Verdict::Allowed},
      // The build page, pressed or not.
      {Source::BuildPage, 0.2, false, Opening::OtherApplication, "http://land.example/",
       Verdict::BuildPage},
      {Source::BuildPage, 0.2, false, Opening::WebApp, nullptr, Verdict::BuildPage},
      // No press, an old or senseless one, a used one.
      {Source::Banner, none, false, Opening::Browser, "http://land.example/", Verdict::NoPress},
      {Source::WebApp, none, false, Opening::WebApp, nullptr, Verdict::NoPress},
      {Source::Banner, 1.0, false, Opening::Browser, "http://land.example/", Verdict::PressExpired},
      {Source::Browser, -0.1, false, Opening::OtherApplication, "http://land.example/",
       Verdict::PressExpired},
      {Source::Banner, kNaN, false, Opening::MailComposer, "mailto:x", Verdict::PressExpired},
      {Source::Banner, 0.2, true, Opening::Browser, "http://land.example/", Verdict::PressUsed},
      // A frame that was not pressed asks while the press is fresh; the toolbar needs none.
      {Source::Banner, 0.2, false, Opening::OtherApplication, "http://land.example/",
       Verdict::NoPress, false},
      {Source::WebApp, 0, false, Opening::WebApp, nullptr, Verdict::NoPress, false},
      {Source::LibraryControl, none, false, Opening::Browser, "http://land.example/",
       Verdict::Allowed, false},
      // Local addresses and schemes, whoever asks and however fresh the press.
      {Source::Banner, 0.2, false, Opening::OtherApplication, "file:///etc/passwd",
       Verdict::LocalAddress},
      {Source::LibraryControl, none, false, Opening::OtherApplication, "FILE:///x",
       Verdict::LocalAddress},
      {Source::WebApp, 0.2, false, Opening::OtherApplication, "http:/etc/passwd",
       Verdict::LocalAddress},
      {Source::Browser, 0.2, false, Opening::Browser, "file:///etc/passwd", Verdict::LocalAddress},
      {Source::Banner, 0.2, false, Opening::WebApp, "https:/etc/passwd", Verdict::LocalAddress},
      {Source::Browser, 0.2, false, Opening::OtherApplication, "tel:123", Verdict::Allowed},
      {Source::Banner, 0.2, false, Opening::OtherApplication, "SMS:123", Verdict::Allowed},
      {Source::Banner, none, false, Opening::OtherApplication, "tel:123", Verdict::NoPress},
      {Source::BuildPage, 0.2, false, Opening::OtherApplication, "tel:1", Verdict::BuildPage},
      {Source::Banner, 0.2, false, Opening::Browser, "tel:123", Verdict::Scheme},
      {Source::Banner, none, false, Opening::OtherApplication, "zz://x", Verdict::Scheme},
      {Source::Banner, 0.2, false, Opening::OtherApplication, "mailto:x", Verdict::Scheme},
      {Source::Banner, 0.2, false, Opening::MailComposer, "http://land.example/", Verdict::Scheme},
      {Source::Browser, 0.2, false, Opening::WebApp, "javascript:alert(1)", Verdict::Scheme},
      {Source::Banner, 0.2, false, Opening::Browser, "httpx://land.example/", Verdict::Scheme},
      {Source::Banner, 0.2, false, Opening::Browser, nullptr, Verdict::NoAddress},
  };
  for (const auto& [source, age, used, opening, address, verdict, gesture] : cases) {
    SCOPED_TRACE(std::string(address ? address : "(none)") + " age " +
                 (age ? std::to_string(*age) : "none"));
    EXPECT_EQ(TADOpenGate::decide(source, age, used, opening, url(address), gesture), verdict);
  }
}

// The banner, the hidden build page, the in-app browser and a web app screen, each asking for
// another application the way a page does: with an "open" message.
class TADOpenGateRoadTest : public AdObjectFixture {
 protected:
  static constexpr const char* kOpenApp = "gmsg://x/open?a=app&u=http%3A%2F%2Fland.example%2Fapp";

  const std::vector<std::string>& opened() { return platform.application().openedURLs(); }
  // How many applications the page of webView opened with one message.
  size_t openFrom(platform::WebView& webView, const char* message = kOpenApp,
                  bool userGesture = true) {
    size_t before = opened().size();
    SimWebViewPeer::of(webView).navigate(message, Type::Other, true, userGesture);
    platform.runLoop().runUntilIdle();
    return opened().size() - before;
  }
  // A press held for seconds, then released.
  void press(platform::WebView& webView, double seconds = 0) {
    webView.hitTest({1, 1});
    platform.runLoop().advance(seconds);
    SimWebViewPeer::of(webView).userInput(platform::WebViewUserInput::PressReleased);
  }
  // The refusal for an untouched page, which names the page.
  static std::string unpressed(const char* page) {
    return std::string("<Talvik> Refused to open another application from ") + page +
           ": the user has not pressed it.";
  }
};

TEST_F(TADOpenGateRoadTest, EachAdPageOpensOneThingPerFreshPressAndTheBuildPageNothing) {
  load();
  std::shared_ptr<platform::WebView> buildPage = object().buildAdWebView();
  ASSERT_TRUE(buildPage);
  press(*buildPage);
  EXPECT_EQ(openFrom(*buildPage), 0u);
  EXPECT_EQ(platform.console().lines(),
            std::vector<std::string>{
                "<Talvik> Refused to open another application from the "
                "build page: the build page never opens anything (a http: address)."});
  answerAd();
  finishBanner();

  auto browser = TADBrowserController::init();
  browser->load(base::URL::fromString("http://land.example/b"));
  browser->viewWillAppear(false);
  auto webApp = TADWebAppViewController::init();
  webApp->load(base::URL::fromString("http://land.example/w"));
  webApp->viewWillAppear(false);
  const std::pair<std::shared_ptr<platform::WebView>, const char*> pages[] = {
      {view->webView(), "the banner"},
      {browser->webView(), "the in-app browser's page"},
      {webApp->webView(), "the web app's page"},
  };
  // Only the pages the user opened show their dialogs.
  EXPECT_FALSE(SimWebViewPeer::of(*buildPage).settings().showsScriptDialogs);
  for (const auto& [webView, name] : pages) {
    SCOPED_TRACE(name);
    EXPECT_EQ(SimWebViewPeer::of(*webView).settings().showsScriptDialogs,
              webView != view->webView());
    platform.console().clear();
    EXPECT_EQ(openFrom(*webView), 0u);
    EXPECT_EQ(platform.console().lines(), std::vector<std::string>{unpressed(name)});

    press(*webView);
    EXPECT_EQ(openFrom(*webView) + openFrom(*webView), 1u);  // the trap: again and again
    press(*webView);
    platform.runLoop().advance(TADOpenGate::kActivationLifetime);
    EXPECT_EQ(openFrom(*webView), 0u);
  }
  EXPECT_EQ(opened(), std::vector<std::string>(3, "http://land.example/app"));
}

// The activation lives from the press through the hold to a second after the release, whether
// the press was a pointer's or a key's, and only the pressed frame spends it.
TEST_F(TADOpenGateRoadTest, APressCountsFromItsReleaseAndBelongsToThePressedFrame) {
  loadToShown();
  platform::WebView& banner = *view->webView();
  SimWebViewPeer& page = SimWebViewPeer::of(banner);
  using Input = platform::WebViewUserInput;
  const double kHalf = TADOpenGate::kActivationLifetime / 2;
  const std::function<void()> presses[] = {
      [&] { press(banner, 3); },  // held three seconds
      [&] {
        page.userInput(Input::KeyPressed);
        platform.runLoop().advance(2);
        page.userInput(Input::KeyReleased);
      },
  };
  for (const auto& pressAndRelease : presses) {
    platform.console().clear();
    pressAndRelease();
    platform.runLoop().advance(kHalf);                 // the click handler waits a moment
    EXPECT_EQ(openFrom(banner, kOpenApp, false), 0u);  // another frame polls "open"
    EXPECT_EQ(platform.console().lines(), std::vector<std::string>{unpressed("the banner")});
    EXPECT_EQ(openFrom(banner), 1u);
  }
  // Held, a press is live however long ago it went down; released, for a second.
  banner.hitTest({1, 1});
  platform.runLoop().advance(5);
  EXPECT_EQ(openFrom(banner), 1u);
  page.userInput(Input::KeyPressed);
  page.userInput(Input::KeyReleased);
  platform.runLoop().advance(TADOpenGate::kActivationLifetime);
  EXPECT_EQ(openFrom(banner), 0u);
}

// Beside web addresses, a fresh press lets out the few schemes that a desktop hands to a program
// of its own, and only where the desktop has one; every other scheme and every local address
// stays in, and a refusal leaves the press unused.
TEST_F(TADOpenGateRoadTest, APressLetsDesktopSchemesOutToTheDesktopsHandlersOnly) {
  loadToShown();
  platform::WebView& banner = *view->webView();
  platform.application().setHandledSchemes({"http", "https", "mailto", "tel", "sms"});
  const std::string from = "<Talvik> Refused to open another application from the banner: ";
  const std::string notAllowed =
      " scheme is not allowed; only http, https, tel, sms and geo "
      "addresses go there.";
  // The address the page navigates to, whether the user pressed first, and the refusal if any.
  const std::tuple<const char*, bool, std::string> cases[] = {
      {"tel:123", false, unpressed("the banner")},
      {"tel:123", true, ""},
      {"gmsg://x/open?a=call&u=tel%3A555", true, ""},
      {"sms:555?body=hi", true, ""},
      {"geo:52.1,4.3", true, from + "no application of the desktop takes geo: addresses."},
      {"gmsg://x/open?a=app&u=mailto%3Ax%40y.example%3Fattach%3D%2Fetc%2Fpasswd", true,
       from + "the mailto:" + notAllowed},
      {"javascript:alert(1)", true, from + "the javascript:" + notAllowed},
      {"data:text/html,hi", true, from + "the data:" + notAllowed},
      {"webcal://cal.example/feed", true, from + "the webcal:" + notAllowed},
      {"Zz-Launch://x", true, from + "the zz-launch:" + notAllowed},
      {"gmsg://x/open?a=app&u=file%3A%2F%2F%2Fetc%2Fpasswd", true,
       from + "the file: address is local."},
      {"gmsg://x/open?a=call&u=http%3A%2Fetc%2Fpasswd", true, from + "the http: address is local."},
  };
  for (const auto& [address, pressed, refusal] : cases) {
    SCOPED_TRACE(address);
    platform.console().clear();
    platform.runLoop().advance(TADOpenGate::kActivationLifetime);
    if (pressed) press(banner);
    EXPECT_EQ(openFrom(banner, address), refusal.empty() ? 1u : 0u);
    EXPECT_EQ(platform.console().lines(),
              refusal.empty() ? std::vector<std::string>{} : std::vector<std::string>{refusal});
    // A refusal leaves the press for the next asking; an opening spends it.
    EXPECT_EQ(openFrom(banner), pressed && !refusal.empty() ? 1u : 0u);
  }
  std::vector<std::string> addresses = opened();
  std::erase(addresses, "http://land.example/app");
  EXPECT_EQ(addresses, (std::vector<std::string>{"tel:123", "tel:555", "sms:555?body=hi"}));
}

// The second press comes while the first screen slides in; the banner is still under it.
TEST_F(TADOpenGateRoadTest, ADoublePressOnTheBannerPresentsOneScreenAndKeepsNoOther) {
  loadToShown();
  platform.runLoop().advance(1);
  auto click = [this] {
    press(*view->webView());
    return bannerPeer().navigate("http://land.example/p", Type::LinkClicked);
  };
  EXPECT_FALSE(click());
  std::shared_ptr<platform::ViewController> first = root->modalViewController();
  ASSERT_TRUE(std::dynamic_pointer_cast<TADBrowserController>(first));
  const size_t companions = TADPrivateUtilities::count();

  EXPECT_FALSE(click());
  platform.runLoop().runUntilIdle();
  EXPECT_EQ(root->modalViewController(), first);
  EXPECT_EQ(TADPrivateUtilities::count(), companions);
  EXPECT_EQ(delegate->events, (std::vector<std::string>{"receive", "present"}));
  std::dynamic_pointer_cast<TADRelinquishableScreen>(first)->relinquishScreen();
  platform.runLoop().runUntilIdle();
}

// A page that asks again and again is heard ten times a second, and of the rest in one line.
TEST_F(TADOpenGateRoadTest, RefusalsAreWrittenTenASecondAndTheRestCountedInOneLine) {
  loadToShown();
  platform.console().clear();
  for (int i = 0; i < 25; ++i)
    openFrom(*view->webView());
  platform.runLoop().advance(1);
  std::vector<std::string> expected(10, unpressed("the banner"));
  expected.push_back(
      "<Talvik> dropped 15 refusals of the open gate (at most 10 a second are written)");
  EXPECT_EQ(platform.console().lines(), expected);
}

}  // namespace
