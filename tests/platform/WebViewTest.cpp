#include "platform/ui/WebView.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "platform/sim/SimPlatform.h"
#include "platform/ui/UnavailableWebViewPeer.h"

namespace platform {
namespace {

using Type = WebViewNavigationType;

// Logs what the web view tells it and refuses the URLs it is told to.
class RecordingDelegate : public WebViewDelegate {
 public:
  bool webViewShouldStartLoadWithRequest(WebView& view, const URLRequest& request,
                                         Type type) override {
    std::string url = request.url().absoluteString();
    log.push_back("should " + url + " " + std::to_string(static_cast<int>(type)) +
                  (view.isMainFrameNavigation() ? "" : " sub"));
    return url != refused;
  }
  void webViewDidStartLoad(WebView&) override { log.push_back("start"); }
  void webViewDidFinishLoad(WebView&) override {
    log.push_back("finish");
    if (onFinish) onFinish();
  }
  void webViewDidFailLoadWithError(WebView&, const base::Error& error) override {
    log.push_back("fail " + std::to_string(error.code()));
  }

  std::vector<std::string> log;
  std::string refused;
  std::function<void()> onFinish;
};

class WebViewTest : public ::testing::Test {
 protected:
  sim::SimPlatform platform;
  std::shared_ptr<WebView> view = std::make_shared<WebView>(Rect{0, 0, 320, 50});
  std::shared_ptr<RecordingDelegate> delegate = std::make_shared<RecordingDelegate>();
  sim::SimWebViewPeer& page = sim::SimWebViewPeer::of(*view);

  void SetUp() override { view->setDelegate(delegate); }
  static base::URL url(std::string_view text) { return *base::URL::fromString(text); }
  void settle() { platform.runLoop().runUntilIdle(); }
  std::string current() { return view->currentURL() ? view->currentURL()->absoluteString() : ""; }
};

TEST_F(WebViewTest, LoadsAreDecidedByTheDelegateOnALaterPassThenStartAndFinish) {
  view->loadRequest(URLRequest(url("http://stopped.example/")));
  view->stopLoading();  // before the engine took it up: nothing of it is heard
  view->loadHTMLString("<p>ad</p>", url("http://ads.example/page"));
  EXPECT_TRUE(delegate->log.empty());
  settle();
  EXPECT_TRUE(view->isLoading());
  page.finishLoad();
  EXPECT_FALSE(view->isLoading());

  URLRequest request(url("http://landing.example/"));
  request.setValue("http://ads.example/page", "Referer");
  view->loadRequest(request);
  settle();
  page.failLoad(base::Error("test", 7));

  delegate->refused = "http://refused.example/";
  view->loadRequest(URLRequest(url("http://refused.example/")));
  settle();
  EXPECT_FALSE(view->isLoading());
  EXPECT_EQ(current(), "http://landing.example/");  // a refused load changes nothing

  EXPECT_EQ(delegate->log,
            (std::vector<std::string>{"should http://ads.example/page 5", "start", "finish",
                                      "should http://landing.example/ 5", "start", "fail 7",
                                      "should http://refused.example/ 5"}));
  ASSERT_EQ(page.loadedHTML().size(), 1u);
  EXPECT_EQ(page.loadedHTML()[0].html, "<p>ad</p>");
  ASSERT_EQ(page.loadedRequests().size(), 3u);
  EXPECT_EQ(page.loadedRequests()[1].valueForHTTPHeaderField("Referer"), "http://ads.example/page");
}

TEST_F(WebViewTest, NavigationsOfEveryKindReachTheDelegateAndSubFramesLoadNothingOfTheMainFrame) {
  // How the page navigates, whether in its main frame, and what the delegate is asked.
  const std::tuple<Type, bool, const char*> cases[] = {
      {Type::LinkClicked, true, "should http://a.example/0 0"},
      {Type::FormSubmitted, true, "should http://a.example/1 1"},
      {Type::FormResubmitted, true, "should http://a.example/4 4"},
      {Type::Other, false, "should http://a.example/5 5 sub"},
      {Type::LinkClicked, false, "should http://a.example/0 0 sub"},
  };
  for (const auto& [type, mainFrame, asked] : cases) {
    delegate->log.clear();
    std::string target = "http://a.example/" + std::to_string(static_cast<int>(type));
    EXPECT_TRUE(page.navigate(target, type, mainFrame));
    std::vector<std::string> expected{asked};
    if (mainFrame) expected.push_back("start");
    EXPECT_EQ(delegate->log, expected);
    EXPECT_TRUE(view->isMainFrameNavigation());
  }
  EXPECT_EQ(current(), "http://a.example/4");
  delegate->refused = "gmsg://x/close";
  EXPECT_FALSE(page.navigate("gmsg://x/close", Type::LinkClicked, false));
}

TEST_F(WebViewTest, HistoryMovesBackAndForwardThroughTheDecision) {
  EXPECT_FALSE(view->canGoBack());
  page.navigate("http://a.example/1", Type::Other);
  page.navigate("http://a.example/2", Type::LinkClicked);
  page.navigate("http://a.example/3", Type::LinkClicked);
  view->goBack();
  settle();
  view->goBack();
  settle();
  EXPECT_FALSE(view->canGoBack());
  EXPECT_TRUE(view->canGoForward());
  view->goForward();
  settle();
  EXPECT_EQ(current(), "http://a.example/2");
  page.navigate("http://a.example/4", Type::LinkClicked);  // drops page 3
  EXPECT_FALSE(view->canGoForward());
  delegate->log.clear();
  view->reload();
  settle();
  delegate->refused = "http://a.example/2";
  view->goBack();  // refused: stays
  settle();
  EXPECT_EQ(current(), "http://a.example/4");
  EXPECT_EQ(delegate->log, (std::vector<std::string>{"should http://a.example/4 3", "start",
                                                     "should http://a.example/2 2"}));
  view->stopLoading();
  EXPECT_FALSE(view->isLoading());
}

TEST_F(WebViewTest, ScriptResultsArriveOnALaterPassAndNotAfterTheViewIsGone) {
  page.answerScript("document.title", "Ad");
  page.setScriptHandler([](const std::string& script) { return "handled " + script; });
  std::vector<std::string> results;
  view->evaluateJavaScript("document.title", [&](const std::string& r) { results.push_back(r); });
  view->evaluateJavaScript("1+1", [&](const std::string& r) { results.push_back(r); });
  EXPECT_TRUE(results.empty());
  platform.runLoop().runUntilIdle();
  EXPECT_EQ(results, (std::vector<std::string>{"Ad", "handled 1+1"}));

  view->evaluateJavaScript("late", [&](const std::string& r) { results.push_back(r); });
  EXPECT_EQ(page.evaluatedScripts(), (std::vector<std::string>{"document.title", "1+1", "late"}));
  view.reset();
  platform.runLoop().runUntilIdle();
  EXPECT_EQ(results.size(), 2u);
}

TEST_F(WebViewTest, ADelegateMayReleaseTheViewFromItsCallsAndAGoneDelegateHearsNothing) {
  std::weak_ptr<WebView> weak = view;
  delegate->onFinish = [&] { view.reset(); };
  view->loadHTMLString("", std::nullopt);
  settle();
  page.finishLoad();
  EXPECT_TRUE(weak.expired());

  view = std::make_shared<WebView>();
  view->setDelegate(delegate);
  delegate.reset();
  EXPECT_TRUE(sim::SimWebViewPeer::of(*view).navigate("http://a.example/", Type::LinkClicked));
}

class EnginelessBackend : public sim::SimViewBackend {
 public:
  std::unique_ptr<WebViewPeer> makeWebViewPeer(ViewPeer&, WebViewPeerClient& client,
                                               WebViewRole) override {
    return std::make_unique<UnavailableWebViewPeer>(client);
  }
};

TEST_F(WebViewTest, WithoutAnEngineEveryLoadFailsOnALaterPass) {
  Platform::current().views = std::make_shared<EnginelessBackend>();
  auto engineless = std::make_shared<WebView>();
  engineless->setDelegate(delegate);
  engineless->loadHTMLString("<p>ad</p>", std::nullopt);
  engineless->loadRequest(URLRequest(url("http://a.example/")));
  EXPECT_TRUE(delegate->log.empty());
  platform.runLoop().runUntilIdle();
  EXPECT_EQ(delegate->log, (std::vector<std::string>{"fail 1", "fail 1"}));
  engineless->loadRequest(URLRequest(url("http://a.example/")));
  engineless.reset();  // a view that goes hears nothing more
  platform.runLoop().runUntilIdle();
  EXPECT_EQ(delegate->log.size(), 2u);
}

}  // namespace
}  // namespace platform
