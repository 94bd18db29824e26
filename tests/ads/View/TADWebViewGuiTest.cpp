#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "ads/View/TADWebView.h"
#include "ads/View/TADWebViewDelegate.h"
#include "platform/ui/Window.h"
#include "tests/platform/gtk/GtkTestPlatform.h"

// Ad pages in a real WebKit web view with the library's delegate: page messages and the library's
// calls back into the page, each read back from the page by script.
namespace {

class TADWebViewGuiTest : public platform::gtk::testing::PhonePlatformTest {
 protected:
  void SetUp() override {
    launch([&](platform::Window&) {
      webView = TADWebView::initWithFrame({0, 0, 320, 400});
      webView->setDelegate(delegate);
      root->view()->addSubview(webView);
    });
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
    return PhonePlatformTest::evaluate(*webView, script);
  }
  bool pageComesToSay(const std::string& script, const std::string& text) {
    return platform::gtk::testing::pageComesToSay(*platform, *webView, script, text);
  }

  std::shared_ptr<TADWebViewDelegate> delegate = TADWebViewDelegate::init();
  std::shared_ptr<TADWebView> webView;
};

// Every way a page navigates reaches the decision (the web view's own suite), and what the library
// does with a message is the sim suites' to pin; here the library's delegate and a real page talk
// both ways: the orientation after the load and after a turn, and a query answered through the
// page's receive function.
TEST_F(TADWebViewGuiTest, ThePageAndTheLibraryTalkBothWays) {
  load(
      "<script>window.onorientationchange = function() {"
      " document.title = 'turned ' + window.orientation; };"
      "function AVMO_ReceiveMessage(name, info) {"
      " document.title = name + ' ' + Object.keys(info).sort().join(' ') + ' '"
      " + typeof info['tel:']; }</script>",
      "http://ads.example/ad");
  EXPECT_TRUE(pageComesToSay("document.title", "turned 0"));
  TADWebViewDelegate::notifyWebViewOfOrientationChange(
      *webView, platform::InterfaceOrientation::LandscapeLeft);
  EXPECT_TRUE(pageComesToSay("document.title", "turned -90"));

  evaluate("location = 'gmsg://x/canOpenURLs?urls=tel:,sms:'");
  EXPECT_TRUE(pageComesToSay("document.title", "openableURLs sms: tel: boolean"));
}

}  // namespace
