#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "adnetwork/AdNetwork.h"
#include "adnetwork/PageScript.h"
#include "base/URL.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/WebView.h"
#include "platform/ui/Window.h"
#include "tests/platform/gtk/GtkTestPlatform.h"

// The network's page script and a creative, run by WebKit as the library runs them: what they say
// arrives as message addresses ("gmsg://x/<name>?…") in the web view's navigation decisions.
namespace {

using adnetwork::AdNetwork;

// Refuses message addresses, as the library does, and keeps them.
class MessageRecorder : public platform::WebViewDelegate {
 public:
  bool webViewShouldStartLoadWithRequest(platform::WebView&, const platform::URLRequest& request,
                                         platform::WebViewNavigationType) override {
    if (request.url().scheme() != "gmsg") return true;
    messages.push_back(request.url());
    return false;
  }
  void webViewDidFinishLoad(platform::WebView&) override { ++finishes; }

  // The first message of that name, if any.
  const base::URL* message(const std::string& name) const {
    for (const base::URL& url : messages) {
      if (url.percentEncodedPath() == "/" + name) return &url;
    }
    return nullptr;
  }

  std::vector<base::URL> messages;
  int finishes = 0;
};

std::map<std::string, std::string> queryOf(const base::URL& url) {
  std::map<std::string, std::string> query;
  std::string text = url.query().value_or("");
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('&', start);
    if (end == std::string::npos) end = text.size();
    std::string pair = text.substr(start, end - start);
    size_t equals = pair.find('=');
    if (equals != std::string::npos) {
      query[pair.substr(0, equals)] = base::percentDecode(pair.substr(equals + 1));
    }
    start = end + 1;
  }
  return query;
}

class AdNetworkGuiTest : public platform::gtk::testing::PhonePlatformTest {
 protected:
  void SetUp() override {
    auto started = AdNetwork::start({});
    ASSERT_TRUE(started);
    network = std::move(*started);
    launch([&](platform::Window&) {
      webView = std::make_shared<platform::WebView>(platform::Rect{0, 0, 320, 50});
      webView->setDelegate(recorder);
      root->view()->addSubview(webView);
    });
  }

  // The build page as the library composes it, on the ad server's origin, with the script as the
  // network serves it while it refuses refusedSlots.
  const base::URL* build(const std::string& parameters, const std::string& answer,
                         const std::set<std::string>& refusedSlots = {}) {
    std::string page =
        "<html><head><script>" +
        adnetwork::PageScript::text(adnetwork::PageScript::Variant::Sound, refusedSlots) +
        "</script><script>AVMO_buildAdURL(" + parameters + ");</script></head><body></body></html>";
    webView->loadHTMLString(page, base::URL::fromString(network->origin()));
    eventually([&] { return recorder->message(answer) != nullptr; });
    return recorder->message(answer);
  }

  std::unique_ptr<AdNetwork> network;
  std::shared_ptr<platform::WebView> webView;
  std::shared_ptr<MessageRecorder> recorder = std::make_shared<MessageRecorder>();
};

TEST_F(AdNetworkGuiTest, PageScriptGivesEachOfItsThreeAnswers) {
  EXPECT_TRUE(build("{\"js\":\"avmo-sdk-i-v4.1.1\"}", "invalidRequest"));

  const base::URL* refused =
      build("{\"slotname\":\"closed-slot\"}", "unableToServe", {"other", "closed-slot"});
  ASSERT_TRUE(refused);
  EXPECT_EQ(queryOf(*refused)["slotname"], "closed-slot");

  const base::URL* answer = build(
      "{\"slotname\":\"gui slot\",\"preqs\":3,\"ad_frame\":{\"x\":0,\"y\":430,\"w\":320,\"h\":50},"
      "\"kw\":[\"a\",\"b\"]}",
      "loadAdURL");
  ASSERT_TRUE(answer);
  auto fields = queryOf(*answer);
  EXPECT_EQ(fields["type"], "sentrel");
  auto address = base::URL::fromString(fields["url"]);
  ASSERT_TRUE(address) << fields["url"];
  EXPECT_EQ(address->absoluteString().rfind(network->origin() + "/ad?", 0), 0u);
  auto parameters = queryOf(*address);
  EXPECT_EQ(parameters["slotname"], "gui slot");
  EXPECT_EQ(parameters["preqs"], "3");
  EXPECT_EQ(parameters["ad_frame"], "{\"x\":0,\"y\":430,\"w\":320,\"h\":50}");
  EXPECT_EQ(parameters["kw"], "[\"a\",\"b\"]");
  EXPECT_EQ(parameters["type"], "sentrel");
}

// The probe creative asks which addresses open, shows the answer it is sent, and logs.
TEST_F(AdNetworkGuiTest, ProbeCreativeAsksShowsAndLogs) {
  ASSERT_TRUE(network->pinCreative("probe"));
  webView->loadRequest(platform::URLRequest(*base::URL::fromString(network->origin() + "/ad")));
  ASSERT_TRUE(eventually([&] { return recorder->message("canOpenURLs") != nullptr; }));
  EXPECT_EQ(queryOf(*recorder->message("canOpenURLs"))["urls"], "tel:,sms:,mailto:");
  EXPECT_EQ(queryOf(*recorder->message("log"))["string"], "probe creative 1 shown");

  platform::gtk::testing::evaluateIn(
      *platform, *webView, "AVMO_ReceiveMessage('openableURLs', {'tel:': true, 'sms:': false})");
  EXPECT_TRUE(platform::gtk::testing::pageComesToSay(
      *platform, *webView, "document.getElementById('answer').textContent",
      "tel: yes \u00b7 sms: no"));
}

// The network's pages that open in a web app screen (its own web app, the click-tracked
// creative's landing page) keep their title out of the top-left corner, where the screen's close
// button lies over the page.
TEST_F(AdNetworkGuiTest, PagesOpenedAsAWebAppKeepTheirTitleClearOfTheCloseButton) {
  constexpr double kCloseButtonSide = 32;
  webView->setFrame({0, 0, 320, 480});
  ASSERT_TRUE(network->pinCreative("webapp"));
  webView->loadRequest(platform::URLRequest(*base::URL::fromString(network->origin() + "/ad")));
  ASSERT_TRUE(eventually([&] { return recorder->finishes == 1; }));
  auto opening = base::URL::fromString(platform::gtk::testing::evaluateIn(
      *platform, *webView, "document.getElementById('ad').getAttribute('href')"));
  ASSERT_TRUE(opening);
  const std::string webApp = queryOf(*opening)["html"];
  ASSERT_FALSE(webApp.empty());

  const std::vector<std::pair<std::string, std::function<void()>>> pages = {
      {"web app",
       [&] { webView->loadHTMLString(webApp, base::URL::fromString(network->origin())); }},
      {"landing page", [&] {
         webView->loadRequest(platform::URLRequest(
             *base::URL::fromString(network->origin() + "/landing/tracked/1")));
       }}};
  for (const auto& [name, load] : pages) {
    SCOPED_TRACE(name);
    int finishes = recorder->finishes;
    load();
    ASSERT_TRUE(eventually([&] { return recorder->finishes > finishes; }));
    std::string corner = platform::gtk::testing::evaluateIn(
        *platform, *webView,
        "var r = document.querySelector('h1').getBoundingClientRect(); r.left + ' ' + r.top");
    double left = 0, top = 0;
    ASSERT_EQ(std::sscanf(corner.c_str(), "%lf %lf", &left, &top), 2) << corner;
    EXPECT_TRUE(left >= kCloseButtonSide || top >= kCloseButtonSide) << corner;
  }
}

}  // namespace
