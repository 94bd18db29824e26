#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/gtk/GtkWebProcess.h"
#include "platform/gtk/GtkWebViewPeer.h"
#include "platform/net/URLError.h"
#include "platform/ui/WebView.h"
#include "platform/ui/Window.h"
#include "tests/platform/gtk/GtkTestPlatform.h"
#include "tests/platform/gtk/XTestInput.h"
#include "tests/support/LoopbackHTTPServer.h"
#include "tests/support/RefusingPort.h"

// The web view on WebKitGTK, with real pages: what a page does is read back from it by script.
namespace platform::gtk {
namespace {

using test_support::LoopbackHTTPServer;

struct Decision {
  std::string url;
  int type;
  std::string userAgent;
  bool mainFrame;
};

// Refuses message URLs and whatever else a test names; lets the rest load.
class RecordingDelegate : public WebViewDelegate {
 public:
  bool webViewShouldStartLoadWithRequest(WebView& webView, const URLRequest& request,
                                         WebViewNavigationType type) override {
    const std::string& url = request.url().absoluteString();
    decisions.push_back({url, static_cast<int>(type),
                         request.valueForHTTPHeaderField("User-Agent").value_or(""),
                         webView.isMainFrameNavigation()});
    const std::string& scheme = request.url().scheme();
    return scheme != "gmsg" && scheme != "norvak";
  }
  void webViewDidStartLoad(WebView&) override { ++starts; }
  void webViewDidFinishLoad(WebView&) override { ++finishes; }
  void webViewDidFailLoadWithError(WebView&, const base::Error& error) override {
    failures.push_back(error);
    if (onFailure) onFailure();
  }

  const Decision* decisionFor(const std::string& url) const {
    for (const Decision& decision : decisions) {
      if (decision.url == url) return &decision;
    }
    return nullptr;
  }
  size_t decisionCount(const std::string& url) const {
    size_t count = 0;
    for (const Decision& decision : decisions)
      count += decision.url == url;
    return count;
  }

  std::vector<Decision> decisions;
  int starts = 0;
  int finishes = 0;
  std::vector<base::Error> failures;
  std::function<void()> onFailure;
};

// Records the touches that reach it, as a web view of the library does.
using TouchedWebView = testing::TouchRecording<WebView>;

class GtkWebViewTest : public testing::PhonePlatformTest {
 protected:
  void SetUp() override {
    launch([&](Window&) {
      webView = std::make_shared<TouchedWebView>(Rect{0, 0, 320, 400});
      webView->setDelegate(delegate);
      root->view()->addSubview(webView);
    });
    ASSERT_TRUE(eventually([&] { return gtk_widget_get_mapped(widget()); }));
  }

  GtkWidget* widget() { return GTK_WIDGET(peer().webView()); }
  GtkWebViewPeer& peer() { return static_cast<GtkWebViewPeer&>(webView->webViewPeer()); }

  void load(const std::string& html, const std::string& base) {
    int finished = delegate->finishes;
    webView->loadHTMLString(html, base::URL::fromString(base));
    ASSERT_TRUE(eventually([&] { return delegate->finishes > finished; })) << html;
  }
  void loadAndWait(const URLRequest& request) {
    int finished = delegate->finishes;
    webView->loadRequest(request);
    ASSERT_TRUE(eventually([&] { return delegate->finishes > finished; }));
  }
  std::string evaluate(const std::string& script) {
    return testing::evaluateIn(*platform, *webView, script);
  }
  bool pageComesToSay(const std::string& script, const std::string& text) {
    return testing::pageComesToSay(*platform, *webView, script, text);
  }
  bool decided(const std::string& url) {
    return eventually([&] { return delegate->decisionFor(url) != nullptr; });
  }
  static size_t windowCount() {
    GList* windows = gtk_window_list_toplevels();
    size_t count = g_list_length(windows);
    g_list_free(windows);
    return count;
  }

  std::shared_ptr<RecordingDelegate> delegate = std::make_shared<RecordingDelegate>();
  std::shared_ptr<TouchedWebView> webView;
};

constexpr const char* kPage = R"(<title>Start</title>
<a id="message" href="gmsg://x/unknownThing?k=v">message</a>
<a id="blank" target="_blank" href="gmsg://x/blank">blank</a>
<form id="form" action="gmsg://x/unknownThing"><input name="k" value="v"></form>
<iframe srcdoc="<p>inner</p>"></iframe>)";

TEST_F(GtkWebViewTest, EveryNavigationToAMessageURLIsDecidedAndRefusedWithNothingLoaded) {
  load(kPage, "http://page.example/start");
  const std::string message = "gmsg://x/unknownThing?k=v";
  struct Case {
    const char* how;
    const char* script;
    int type;
  };
  const Case cases[] = {
      {"location", "location = 'gmsg://x/unknownThing?k=v'", 5},
      {"link", "document.getElementById('message').click()", 0},
      {"form", "document.getElementById('form').submit()", 1},
      {"location in a frame", "frames[0].location = 'gmsg://x/unknownThing?k=v'", 5},
      {"a frame's source",
       "var f = document.createElement('iframe'); f.src = 'gmsg://x/unknownThing?k=v';"
       "document.body.appendChild(f)",
       5},
  };
  // The one sub-frame navigation that WebKitGTK lets tell apart: an inline frame document.
  ASSERT_TRUE(decided("about:srcdoc"));
  EXPECT_FALSE(delegate->decisionFor("about:srcdoc")->mainFrame);
  EXPECT_TRUE(delegate->decisionFor("http://page.example/start")->mainFrame);
  int starts = delegate->starts;
  for (const Case& c : cases) {
    delegate->decisions.clear();
    evaluate(c.script);
    ASSERT_TRUE(decided(message)) << c.how;
    EXPECT_EQ(delegate->decisionFor(message)->type, c.type) << c.how;
  }
  // Nothing was fetched or shown in the page or its frames: no error page anywhere.
  EXPECT_EQ(evaluate("document.title + ' ' + location.href"), "Start http://page.example/start");
  EXPECT_EQ(evaluate("frames[0].document.body.textContent"), "inner");
  EXPECT_EQ(evaluate("frames[1].location.href"), "about:blank");
  EXPECT_EQ(delegate->starts, starts);
  EXPECT_TRUE(delegate->failures.empty());
  EXPECT_EQ(webView->currentURL()->absoluteString(), "http://page.example/start");
}

// An allowed page loads in place, with the user agent the decision saw.
TEST_F(GtkWebViewTest, RequestsGoWithTheirHeaderFieldsAndHistoryIsDecidedByKind) {
  LoopbackHTTPServer server;
  server.route(
      "/ad", LoopbackHTTPServer::Response::ok("<title>Ad</title><a id='next' href='/next'>next</a>",
                                              {{"Content-Type", "text/html"}}));
  server.route("/next", LoopbackHTTPServer::Response::ok("<title>Next</title>",
                                                         {{"Content-Type", "text/html"}}));
  URLRequest request(*base::URL::fromString(server.url("/ad")));
  request.setValue("http://referrer.example/page", "Referer");
  loadAndWait(request);
  ASSERT_EQ(server.requestCount(), 1u);
  EXPECT_EQ(server.requests()[0].header("Referer"), "http://referrer.example/page");
  EXPECT_EQ(delegate->decisionFor(server.url("/ad"))->type, 5);
  EXPECT_FALSE(webView->canGoBack());

  int finished = delegate->finishes;
  evaluate("document.getElementById('next').click()");
  ASSERT_TRUE(eventually([&] { return delegate->finishes > finished; }));
  EXPECT_EQ(evaluate("document.title"), "Next");
  EXPECT_EQ(webView->currentURL()->absoluteString(), server.url("/next"));
  const Decision* clicked = delegate->decisionFor(server.url("/next"));
  ASSERT_TRUE(clicked);
  EXPECT_EQ(clicked->type, 0);
  ASSERT_EQ(server.requestCount(), 2u);
  const std::optional<std::string> sent = server.requests()[1].header("User-Agent");
  EXPECT_EQ(sent, clicked->userAgent);
  ASSERT_TRUE(webView->canGoBack());
  delegate->decisions.clear();
  webView->goBack();
  ASSERT_TRUE(eventually([&] { return delegate->finishes > finished + 1; }));
  EXPECT_EQ(evaluate("document.title"), "Ad");
  EXPECT_TRUE(webView->canGoForward());
  webView->reload();
  ASSERT_TRUE(eventually([&] { return delegate->finishes > finished + 2; }));

  ASSERT_EQ(delegate->decisions.size(), 2u);
  EXPECT_EQ(delegate->decisions[0].type, 2);
  EXPECT_EQ(delegate->decisions[1].type, 3);
  // The user agent also goes on requests that WebKit would not send itself (a message URL, from
  // a frame).
  evaluate(
      "var f = document.createElement('iframe'); f.src = 'gmsg://x/ua';"
      "document.body.appendChild(f)");
  ASSERT_TRUE(decided("gmsg://x/ua"));
  EXPECT_EQ(sent, delegate->decisionFor("gmsg://x/ua")->userAgent);
}

TEST_F(GtkWebViewTest, NewWindowsAreDecidedAndNeverOpenOneOfTheirOwn) {
  LoopbackHTTPServer server;
  server.route("/landing", LoopbackHTTPServer::Response::ok("<title>Landing</title>",
                                                            {{"Content-Type", "text/html"}}));
  load(std::string("<a id='landing' target='_blank' href='/landing'>landing</a>") + kPage,
       server.url("/"));
  size_t windows = windowCount();

  evaluate("document.getElementById('blank').click()");
  ASSERT_TRUE(decided("gmsg://x/blank"));
  EXPECT_EQ(delegate->decisionFor("gmsg://x/blank")->type, 0);
  evaluate("window.open('gmsg://x/opened')");
  ASSERT_TRUE(decided("gmsg://x/opened"));
  EXPECT_EQ(evaluate("document.title"), "Start");

  // Allowed, the page loads here, decided once.
  int finished = delegate->finishes;
  evaluate("document.getElementById('landing').click()");
  ASSERT_TRUE(eventually([&] { return delegate->finishes > finished; }));
  EXPECT_EQ(evaluate("document.title"), "Landing");
  EXPECT_EQ(delegate->decisionCount(server.url("/landing")), 1u);
  EXPECT_EQ(windowCount(), windows);
}

// Scripts answer with their result as text.
TEST_F(GtkWebViewTest, AViewMadeWhileAnotherLivesRunsItsOwnPagesWithItsOwnSettings) {
  load("<title>First</title>", "http://page.example/");
  const std::pair<const char*, const char*> answers[] = {{"1 + 2", "3"},
                                                         {"[1, 'a']", "1,a"},
                                                         {"undefined", ""},
                                                         {"null", ""},
                                                         {"throw new Error('no')", ""}};
  for (const auto& [script, text] : answers)
    EXPECT_EQ(evaluate(script), text) << script;
  auto second = std::make_shared<WebView>(Rect{0, 0, 10, 10});
  auto secondDelegate = std::make_shared<RecordingDelegate>();
  second->setDelegate(secondDelegate);
  second->setMediaPlaybackRequiresUserAction(!webView->mediaPlaybackRequiresUserAction());
  second->loadHTMLString("<title>Second</title>", base::URL::fromString("http://other.example/"));
  ASSERT_TRUE(eventually([&] { return secondDelegate->finishes == 1; }));
  auto* secondView = static_cast<GtkWebViewPeer&>(second->webViewPeer()).webView();
  EXPECT_NE(webkit_web_view_get_settings(secondView),
            webkit_web_view_get_settings(peer().webView()));
  EXPECT_EQ(webkit_settings_get_media_playback_requires_user_gesture(
                webkit_web_view_get_settings(peer().webView())),
            webView->mediaPlaybackRequiresUserAction());
  EXPECT_EQ(evaluate("document.title"), "First");
}

TEST_F(GtkWebViewTest, LoadsThatFailAndWebProcessesThatEndAreFailedLoads) {
  test_support::RefusingPort port;
  webView->loadRequest(URLRequest(*base::URL::fromString(port.url("/ad"))));
  ASSERT_TRUE(eventually([&] { return !delegate->failures.empty(); }));
  EXPECT_EQ(delegate->failures[0].code(), URLError::CannotConnectToHost);
  EXPECT_EQ(delegate->finishes, 0);
  // No error page of WebKit's own.
  EXPECT_EQ(evaluate("document.body ? document.body.textContent : ''"), "");

  // A redirect to any scheme but http and https is refused before the client hears of it, and
  // ends the load.
  LoopbackHTTPServer server;
  server.route("/ad", LoopbackHTTPServer::Response::redirect("gmsg://x/redirected"));
  webView->loadRequest(URLRequest(*base::URL::fromString(server.url("/ad"))));
  ASSERT_TRUE(eventually([&] { return delegate->failures.size() == 2; }));
  EXPECT_FALSE(delegate->decisionFor("gmsg://x/redirected"));
  EXPECT_EQ(delegate->failures[1].code(), URLError::Cancelled);
  EXPECT_TRUE(console->saidSomethingWith("<Talvik> Refused a redirect to the scheme \"gmsg\"."));

  load("<title>Shown</title>", "http://page.example/");
  webkit_web_view_terminate_web_process(peer().webView());
  ASSERT_TRUE(eventually([&] { return delegate->failures.size() == 3; }));
  EXPECT_EQ(delegate->failures[2].domain(), URLError::kDomain);
}

// A hidden web view that only loaded pages from text leaves its WebKit view to the next web view
// made, with nothing of its earlier life in it. A view with a history, one that was on screen and
// one whose web process ended are not reused, nor is a waiting view whose web process ends.
TEST_F(GtkWebViewTest, AHiddenViewsWebKitViewServesTheNextWithNothingOfItsEarlierLife) {
  GtkWebContext& context = *testing::testWebContext();
  auto make = [](const std::shared_ptr<RecordingDelegate>& heard) {
    auto view = std::make_shared<WebView>(Rect{0, 0, 1, 1});
    view->setDelegate(heard);
    return view;
  };
  auto nativeOf = [](WebView& view) {
    return glibsupport::retain(static_cast<GtkWebViewPeer&>(view.webViewPeer()).webView());
  };
  auto loaded = [&](RecordingDelegate& heard, int finishes) {
    return eventually([&] { return heard.finishes >= finishes; });
  };
  auto earlierHeard = std::make_shared<RecordingDelegate>();
  auto earlier = make(earlierHeard);
  earlier->setMediaPlaybackRequiresUserAction(false);
  earlier->loadHTMLString(
      "<script>var earlier = 1; setInterval(() => location = 'gmsg://x/late', 5)</script>",
      base::URL::fromString("http://page.example/"));
  ASSERT_TRUE(eventually([&] { return earlierHeard->decisionFor("gmsg://x/late") != nullptr; }));
  auto native = nativeOf(*earlier);
  earlier.reset();
  EXPECT_EQ(context.waitingViews(), 1u);
  ASSERT_TRUE(eventually([&] { return context.hasReadyView(); }));

  auto heard = std::make_shared<RecordingDelegate>();
  auto later = make(heard);
  ASSERT_EQ(nativeOf(*later).get(), native.get());
  EXPECT_FALSE(later->currentURL());
  EXPECT_FALSE(later->isLoading());
  EXPECT_TRUE(webkit_settings_get_media_playback_requires_user_gesture(
      webkit_web_view_get_settings(native.get())));
  EXPECT_EQ(testing::evaluateIn(*platform, *later, "typeof earlier"), "undefined");
  later->loadHTMLString("<title>Later</title>", base::URL::fromString("http://page.example/"));
  ASSERT_TRUE(loaded(*heard, 1));
  EXPECT_EQ(heard->starts, 1);
  EXPECT_EQ(heard->decisions.size(), 1u);
  EXPECT_FALSE(later->canGoBack());

  later.reset();
  ASSERT_TRUE(eventually([&] { return context.hasReadyView(); }));
  webkit_web_view_terminate_web_process(native.get());
  EXPECT_TRUE(eventually([&] { return context.waitingViews() == 0; }));

  auto withHistory = make(heard);
  withHistory->loadRequest(URLRequest(*base::URL::fromString("data:text/html,history")));
  ASSERT_TRUE(loaded(*heard, 2));
  withHistory.reset();
  auto shown = make(heard);
  window->rootViewController()->view()->addSubview(shown);
  ASSERT_TRUE(
      eventually([&] { return gtk_widget_get_realized(GTK_WIDGET(nativeOf(*shown).get())); }));
  shown->removeFromSuperview();
  shown.reset();
  auto ended = make(heard);
  ended->loadHTMLString("<title>Ended</title>", std::nullopt);
  ASSERT_TRUE(loaded(*heard, 3));
  webkit_web_view_terminate_web_process(nativeOf(*ended).get());
  ASSERT_TRUE(eventually([&] { return heard->failures.size() > 0; }));
  ended.reset();
  EXPECT_EQ(context.waitingViews(), 0u);
}

// A context can start the first ad's web process before any page needs it: the view, given an
// empty page at once, goes to the first ad as it is, and the first hidden page joins its process
// rather than starting one (it is not kept for another page); the hidden pages after it have one
// of their own. Views made without hardware acceleration keep it off.
TEST_F(GtkWebViewTest, AContextStartsTheFirstAdsProcessAheadAndOnlyTheFirstHiddenPageJoinsIt) {
  const test_support::TemporaryFolder folder;
  GtkWebContext context(folder / "data", folder / "cache");
  context.setHardwareAccelerated(false);
  size_t running = GtkWebProcess::running().size();
  context.startWebProcess();
  context.startWebProcess();
  EXPECT_EQ(GtkWebProcess::running().size(), running + 1);

  glibsupport::GObjectPtr<GtkWidget> ad = context.takeWebView(WebViewRole::Ad);
  auto* adView = WEBKIT_WEB_VIEW(ad.get());
  EXPECT_TRUE(GtkWebContext::processOf(adView));
  ASSERT_TRUE(eventually([&] { return !GtkWebContext::isStarting(adView); }));
  glibsupport::GObjectPtr<GtkWidget> joining = context.takeWebView();
  webkit_web_view_load_html(WEBKIT_WEB_VIEW(joining.get()), "", nullptr);
  EXPECT_EQ(GtkWebProcess::running().size(), running + 1);
  for (GtkWidget* view : {ad.get(), joining.get()}) {
    EXPECT_EQ(webkit_settings_get_hardware_acceleration_policy(
                  webkit_web_view_get_settings(WEBKIT_WEB_VIEW(view))),
              WEBKIT_HARDWARE_ACCELERATION_POLICY_NEVER);
  }
  context.giveBack(std::move(joining));
  EXPECT_EQ(context.waitingViews(), 0u);

  glibsupport::GObjectPtr<GtkWidget> apart = context.takeWebView();
  webkit_web_view_load_html(WEBKIT_WEB_VIEW(apart.get()), "", nullptr);
  EXPECT_EQ(GtkWebProcess::running().size(), running + 2);
  context.startWebProcess();
  EXPECT_EQ(GtkWebProcess::running().size(), running + 2);
  gtk_widget_destroy(apart.get());
  gtk_widget_destroy(ad.get());
}

// WebKit ends the web process of a page that is redirected to a local file, and goes on using the
// views of that process after it has said so: the view whose client drops it then, and a view
// waiting to be handed out again, are closed only after that, and the program lives on.
TEST_F(GtkWebViewTest, ViewsOfAWebProcessThatWebKitEndsGoWithoutTakingTheProgramDown) {
  GtkWebContext& context = *testing::testWebContext();
  auto hiddenHeard = std::make_shared<RecordingDelegate>();
  auto hidden = std::make_shared<WebView>(Rect{0, 0, 1, 1});
  hidden->setDelegate(hiddenHeard);
  hidden->loadHTMLString("<p>hidden</p>", base::URL::fromString("http://page.example/"));
  ASSERT_TRUE(eventually([&] { return hiddenHeard->finishes == 1; }));
  hidden.reset();
  ASSERT_TRUE(eventually([&] { return context.hasReadyView(); }));

  LoopbackHTTPServer server;
  server.route("/go", LoopbackHTTPServer::Response::redirect("file:///etc/passwd"));
  load("<title>Page</title>", server.url("/"));
  delegate->onFailure = [&] {
    webView->removeFromSuperview();
    webView.reset();
  };
  auto heard = delegate;
  webView->evaluateJavaScript("location = '/go'", nullptr);
  ASSERT_TRUE(eventually([&] { return !heard->failures.empty(); }));
  EXPECT_FALSE(heard->decisionFor("file:///etc/passwd"));
  EXPECT_TRUE(eventually([&] { return context.waitingViews() == 0; }));
}

TEST_F(GtkWebViewTest, APressOnThePageIsATouchOfTheViewAndReachesThePage) {
  load("<body style='height: 300px' onmousedown='document.title = \"pressed\"'></body>",
       "http://page.example/");
  GtkWindow* screen = platform->deviceScreen()->gtkWindow();
  Rect place = testing::placeOnScreen(widget(), GTK_WIDGET(screen));
  testing::movePointer(screen, static_cast<int>(place.minX()) + 40,
                       static_cast<int>(place.minY()) + 30);
  testing::click(screen);
  ASSERT_TRUE(eventually([&] { return !webView->touches.empty(); }));
  EXPECT_EQ(webView->touches[0], (Point{40, 30}));
  EXPECT_TRUE(pageComesToSay("document.title", "pressed"));
  EXPECT_EQ(webView->touches.size(), 1u);
}

}  // namespace
}  // namespace platform::gtk
