#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "ads/Notification/TADNotificationCenter.h"
#include "ads/View/TADWebView.h"
#include "ads/View/TADWebViewDelegate.h"
#include "platform/Window.h"
#include "tests/platform/gtk/GtkTestPlatform.h"
#include "tests/support/LoopbackHTTPServer.h"

// Ad pages in a real WebKit web view with the library's delegate: page messages, pages loading in
// place, and the library's calls back into the page, each read back from the page by script.
namespace {

using platform::gtk::GtkPlatform;
using test_support::LoopbackHTTPServer;

class TADWebViewGuiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform = platform::gtk::testing::makePlatform(console, platform::UserInterfaceIdiom::Phone);
    ASSERT_TRUE(platform);
    window = platform::gtk::testing::launchWithKeyWindow(
        *platform, std::make_shared<platform::ViewController>(), [&](platform::Window& keyWindow) {
          webView = TADWebView::initWithFrame({0, 0, 320, 400});
          webView->setDelegate(delegate);
          keyWindow.rootViewController()->view()->addSubview(webView);
        });
    ASSERT_TRUE(window);
    observe("unknownThing", messages);
    observe(std::string(TADWebViewDelegateDidReceiveWebAction), webActions);
  }
  void TearDown() override { TADNotificationCenter::defaultCenter().removeObserver(this); }

  void observe(std::string name, std::vector<base::Value>& into) {
    const void* object = static_cast<const platform::WebView*>(webView.get());
    TADNotificationCenter::defaultCenter().addObserver(
        this, std::move(name), object,
        [&into](const platform::Notification& n) { into.push_back(n.userInfo); });
  }
  bool eventually(const std::function<bool()>& done) {
    return platform->runLoop().runUntil(done, 10);
  }
  void load(const std::string& html, const std::string& base) {
    bool loaded = false;
    webView->loadHTMLString(html, base::URL::fromString(base));
    ASSERT_TRUE(eventually([&] {
      loaded = loaded || delegate->hasLoadedAtLeastOnce();
      return loaded && !webView->isLoading();
    }));
  }
  std::string evaluate(const std::string& script) {
    return platform::gtk::testing::evaluateIn(*platform, *webView, script);
  }
  bool pageComesToSay(const std::string& script, const std::string& text) {
    return platform::gtk::testing::pageComesToSay(*platform, *webView, script, text);
  }
  static std::string text(const base::Value& userInfo, std::string_view key) {
    const base::Dictionary* dictionary = userInfo.asDictionary();
    const base::Value* value = dictionary ? dictionary->find(key) : nullptr;
    return value && value->asString() ? *value->asString() : "(none)";
  }

  std::shared_ptr<platform::gtk::testing::RecordingConsole> console =
      std::make_shared<platform::gtk::testing::RecordingConsole>();
  std::unique_ptr<GtkPlatform> platform;
  std::shared_ptr<platform::Window> window;
  std::shared_ptr<TADWebViewDelegate> delegate = TADWebViewDelegate::init();
  std::shared_ptr<TADWebView> webView;
  std::vector<base::Value> messages;
  std::vector<base::Value> webActions;
};

TEST_F(TADWebViewGuiTest, APageMessageIsRefusedAndArrivesAsANotificationWithItsParameters) {
  load(R"(<title>Ad</title><a id="message" href="gmsg://x/unknownThing?k=v">m</a>)",
       "http://ads.example/ad");
  const std::pair<const char*, const char*> ways[] = {
      {"location", "location = 'gmsg://x/unknownThing?k=v'"},
      {"a frame",
       "var f = document.createElement('iframe'); f.src = 'gmsg://x/unknownThing?k=v';"
       "document.body.appendChild(f)"},
      {"a link", "document.getElementById('message').click()"},
  };
  for (const auto& [way, script] : ways) {
    size_t before = messages.size();
    evaluate(script);
    ASSERT_TRUE(eventually([&] { return messages.size() > before; })) << way;
    EXPECT_EQ(text(messages.back(), "k"), "v") << way;
  }
  EXPECT_EQ(evaluate("document.title + ' ' + location.href"), "Ad http://ads.example/ad");
  EXPECT_EQ(evaluate("frames[0].location.href"), "about:blank");
}

TEST_F(TADWebViewGuiTest, AnHttpPageLoadsInPlaceAndAFileIsRefused) {
  LoopbackHTTPServer server;
  server.route("/landing", LoopbackHTTPServer::Response::ok("<title>Landing</title>",
                                                            {{"Content-Type", "text/html"}}));
  load("<a id='go' href='/landing'>go</a>", server.url("/ad"));
  evaluate("document.getElementById('go').click()");
  ASSERT_TRUE(pageComesToSay("document.title", "Landing"));

  // (WebKit itself keeps web pages from going to files; a page of the library's own is refused.)
  size_t before = webActions.size();
  webView->loadHTMLString("<title>Local</title>", base::URL::fromString("file:///tmp/local.html"));
  ASSERT_TRUE(eventually([&] { return webActions.size() > before; }));
  EXPECT_EQ(text(webActions.back(), "u"), "file:///tmp/local.html");
  EXPECT_EQ(evaluate("document.title + ' ' + location.href"), "Landing " + server.url("/landing"));
}

TEST_F(TADWebViewGuiTest, ThePageHearsTheOrientationAfterEachLoadAndEachTurn) {
  load(
      "<script>window.onorientationchange = function() {"
      " document.title = 'turned ' + window.orientation; };</script>",
      "http://ads.example/ad");
  EXPECT_TRUE(pageComesToSay("document.title", "turned 0"));
  TADWebViewDelegate::notifyWebViewOfOrientationChange(
      *webView, platform::InterfaceOrientation::LandscapeLeft);
  EXPECT_TRUE(pageComesToSay("document.title", "turned -90"));
}

TEST_F(TADWebViewGuiTest, ACanOpenQueryIsAnsweredThroughThePagesReceiveFunction) {
  load(
      "<script>function AVMO_ReceiveMessage(name, info) {"
      " document.title = name + ' ' + Object.keys(info).sort().join(' ') + ' '"
      " + typeof info['tel:']; }</script>",
      "http://ads.example/ad");
  evaluate("location = 'gmsg://x/canOpenURLs?urls=tel:,sms:'");
  EXPECT_TRUE(pageComesToSay("document.title", "openableURLs sms: tel: boolean"));
}

}  // namespace
