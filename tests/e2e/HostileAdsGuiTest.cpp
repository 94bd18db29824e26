// Ads written to do harm, shown by the library in the real web view (WebKitGTK under Xvfb) from a
// hostile ad network on a loopback port. Nothing an ad does without the user's press may leave the
// program, save a file, cover the screen or bring the program down.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "ads/Object/TADObjectPrivate.h"
#include "ads/Request/TADRequest.h"
#include "ads/Statistics/TADStatisticsCore.h"
#include "ads/Utility/TADConfiguration.h"
#include "ads/View/TADBannerView.h"
#include "ads/View/TADWebView.h"
#include "platform/SearchPaths.h"
#include "platform/ViewController.h"
#include "platform/Window.h"
#include "platform/gtk/GtkViewPeer.h"
#include "platform/gtk/GtkWebViewPeer.h"
#include "tests/e2e/BannerScreenFixture.h"
#include "tests/e2e/HostileAdNetwork.h"
#include "tests/platform/gtk/GtkTestPlatform.h"
#include "tests/platform/gtk/XTestInput.h"

namespace {

using hostile::HostileAdNetwork;
namespace fs = std::filesystem;
namespace gtk_testing = platform::gtk::testing;

// What the desktop of these tests hands to a recording program: addresses of this scheme.
constexpr const char* kHandledTypes[] = {"x-scheme-handler/http", "x-scheme-handler/tel"};

// The user's folders of this test program: its home, where downloads would land, and a desktop
// whose handlers of kHandledTypes write the address they were given to a file instead of opening
// anything. Set before GLib reads them, which it does once.
class UserFolders {
 public:
  UserFolders() {
    home_ = root_ / "home";
    fs::create_directories(home_ + "/Downloads");
    fs::create_directories(root_ / "config");
    fs::create_directories(root_ / "data/applications");
    ::setenv("HOME", home_.c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (root_ / "config").c_str(), 1);
    ::setenv("XDG_DATA_HOME", (root_ / "data").c_str(), 1);
    std::ofstream(root_ / "config/user-dirs.dirs") << "XDG_DOWNLOAD_DIR=\"$HOME/Downloads\"\n";
    std::ofstream defaults(root_ / "config/mimeapps.list");
    defaults << "[Default Applications]\n";
    int number = 0;
    for (const char* type : kHandledTypes) {
      std::string name = "record-" + std::to_string(++number) + ".desktop";
      std::ofstream(root_ / ("data/applications/" + name))
          << "[Desktop Entry]\nType=Application\nName=Record\nExec=sh -c 'echo \"$1\" >> "
          << openedFile() << "' sh %u\nMimeType=" << type << ";\n";
      defaults << type << "=" << name << "\n";
    }
  }
  static UserFolders& shared() {
    static UserFolders folders;
    return folders;
  }

  const std::string& home() const { return home_; }
  std::string openedFile() const { return root_ / "opened"; }
  // Each test starts with nothing handed out.
  void forgetOpened() const { fs::remove(openedFile()); }
  // The addresses handed to another application so far.
  std::vector<std::string> opened() const {
    std::vector<std::string> lines;
    std::ifstream file(openedFile());
    for (std::string line; std::getline(file, line);)
      lines.push_back(line);
    return lines;
  }
  // Every file under the home folder.
  std::vector<std::string> filesAtHome() const {
    std::vector<std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(home_))
      if (!entry.is_directory()) files.push_back(entry.path());
    return files;
  }

 private:
  test_support::TemporaryFolder root_;
  std::string home_;
};

// Before main: GLib keeps the first home and user folders it reads.
[[maybe_unused]] const UserFolders& kUserFolders = UserFolders::shared();

class HostileAdsGuiTest : public BannerScreenFixture {
 protected:
  void SetUp() override {
    UserFolders::shared().forgetOpened();
    launchBanner(network.origin(), "hostile-slot");
    if (HasFatalFailure()) return;
    object()->setTimeLimits(2, 2);
    watchForCovers();
  }
  void TearDown() override {
    if (coverWatch_) g_source_remove(coverWatch_);
    BannerScreenFixture::TearDown();
  }

  // Serves html (with these header fields) as the next ad and shows it in the banner, at least a
  // moment ago (a press right after the load is no click).
  void showAd(std::string html, HostileAdNetwork::Fields headers = {}) {
    network.serveAd(std::move(html), std::move(headers));
    banner->loadRequest(TADRequest::request());
    ASSERT_EQ(nextEvent(), "receive");
    platform->runLoop().runFor(0.3);
  }
  // Whether the banner's page comes to answer script with text within seconds.
  bool adComesToSay(const std::string& script, const std::string& text, double seconds = 5) {
    // An answer may come after this returns.
    auto answer = std::make_shared<std::optional<std::string>>();
    auto ask = [&] {
      answer->reset();
      banner->webView()->evaluateJavaScript(script,
                                            [answer](const std::string& a) { *answer = a; });
    };
    ask();
    return eventually(
        [&] {
          if (!*answer) return false;
          if (**answer == text) return true;
          ask();
          return false;
        },
        seconds);
  }
  bool saidOnConsole(const std::string& text) { return console->saidSomethingWith(text); }
  // Waits until the console says text or something covers the program; answers what covered it.
  std::vector<std::string> coversBefore(const std::string& text) {
    eventually([&] { return saidOnConsole(text) || !covers.empty(); });
    return covers;
  }

  // Notes, every tenth of a second, what came over the program since the test began: windows
  // (a print dialog, a menu) and widgets inside the banner's web view (WebKit's own dialogs).
  // Windows are closed as soon as they are seen, so that one that runs a loop of its own gives
  // the test back.
  void watchForCovers() {
    GList* windows = gtk_window_list_toplevels();
    for (GList* w = windows; w; w = w->next)
      known_.insert(w->data);
    g_list_free(windows);
    coverWatch_ = g_timeout_add(100, lookForCovers, this);
  }
  static gboolean lookForCovers(gpointer self) {
    auto* test = static_cast<HostileAdsGuiTest*>(self);
    GList* windows = gtk_window_list_toplevels();
    for (GList* w = windows; w; w = w->next) {
      auto* widget = GTK_WIDGET(w->data);
      if (test->known_.contains(widget) || !gtk_widget_get_visible(widget)) continue;
      test->note(widget);
      if (GTK_IS_DIALOG(widget)) gtk_dialog_response(GTK_DIALOG(widget), GTK_RESPONSE_CANCEL);
      gtk_widget_hide(widget);
    }
    g_list_free(windows);
    if (test->banner && test->banner->webView()) {
      gtk_container_forall(
          GTK_CONTAINER(test->bannerWidget()),
          [](GtkWidget* child, gpointer self) {
            auto* test = static_cast<HostileAdsGuiTest*>(self);
            if (gtk_widget_get_visible(child) && !test->known_.contains(child)) test->note(child);
          },
          test);
    }
    return G_SOURCE_CONTINUE;
  }
  void note(GtkWidget* cover) {
    known_.insert(cover);
    covers.emplace_back(G_OBJECT_TYPE_NAME(cover));
  }

  HostileAdNetwork network;
  // What came over the program, by type name.
  std::vector<std::string> covers;

 private:
  // The windows there were at the start, and the covers noted since.
  std::set<void*> known_;
  guint coverWatch_ = 0;
};

TEST_F(HostileAdsGuiTest, AnUntouchedAdsDownloadsSaveNothing) {
  network.route("/payload", HostileAdNetwork::Response::ok(
                                "payload", {{"Content-Type", "application/octet-stream"}}));
  showAd(
      "<a id='link' download='payload.bin' href='/payload'></a><a id='blob' download='b.bin'></a>"
      "<script>blob.href = URL.createObjectURL(new Blob(['blob']));"
      "setTimeout(() => { link.click(); blob.click(); link.click(); }, 50)</script>");
  ASSERT_TRUE(eventually([&] {
    return saidOnConsole("Refused a download") || !UserFolders::shared().filesAtHome().empty();
  }));
  platform->runLoop().runFor(1);
  EXPECT_EQ(UserFolders::shared().filesAtHome(), std::vector<std::string>{});
}

TEST_F(HostileAdsGuiTest, PrintingDialogsAndPasswordsOfAnUntouchedAdShowNothing) {
  showAd(
      "<title>ad</title><script>setTimeout(() => { window.print();"
      "for (let i = 0; i < 50; ++i) alert(i); document.title = "
      "[String(alert('a')), confirm('b'), JSON.stringify(prompt('c', 'd'))].join(' ');"
      "}, 50)</script>");
  // Answered at once, as though the user had said no.
  EXPECT_TRUE(adComesToSay("document.title", "undefined false null"));
  EXPECT_TRUE(saidOnConsole("<Talvik> Refused to print a web page."));
  // Once a second is enough.
  EXPECT_EQ(std::count(console->lines.begin(), console->lines.end(),
                       "<Talvik> Refused to show an alert of a web page."),
            1);
  EXPECT_EQ(covers, std::vector<std::string>{});

  network.route("/private", HostileAdNetwork::Response::withStatus(
                                401, {{"WWW-Authenticate", "Basic realm=\"ad\""}}));
  banner->webView()->evaluateJavaScript("location = '/private'", nullptr);
  EXPECT_EQ(coversBefore("password"), std::vector<std::string>{});
}

// What a menu offers (a new window, a download, printing) would leave the page without the
// library's say.
TEST_F(HostileAdsGuiTest, APressOfTheOtherButtonOpensNoMenu) {
  showAd("<body style='height: 50px'><a href='/landing'><img src='/missing.png'></a></body>");
  pressBanner(3);
  EXPECT_EQ(coversBefore("context menu"), std::vector<std::string>{});
}

// One press lets one address out: a page that asks again every 700 ms after it asks nothing more.
TEST_F(HostileAdsGuiTest, OnePressOpensAnotherApplicationOnce) {
  showAd(
      "<body style='height: 50px' onmousedown=\"const open = () => location = "
      "'gmsg://x/open?a=app&u=' + encodeURIComponent(location.origin + '/landing');"
      "open(); setInterval(open, 700)\"></body>");
  pressBanner();
  ASSERT_TRUE(eventually([&] { return !UserFolders::shared().opened().empty(); }));
  eventually([&] { return UserFolders::shared().opened().size() > 1; }, 2.5);
  EXPECT_EQ(UserFolders::shared().opened(), std::vector<std::string>{network.url("/landing")});
}

// A number to call goes to the desktop's program for it, as from a browser of the desktop: after
// the user's press, and never by the page alone.
TEST_F(HostileAdsGuiTest, APressedCallLinkReachesTheDesktopsHandlerAndAnUnpressedOneDoesNot) {
  showAd(
      "<body style='height: 50px' onmousedown=\"location = 'tel:123'\">"
      "<script>setTimeout(() => location = 'tel:666', 600)</script></body>");
  ASSERT_TRUE(eventually([&] { return saidOnConsole("the user has not pressed it."); }));
  pressBanner();
  ASSERT_TRUE(eventually([&] { return !UserFolders::shared().opened().empty(); }));
  platform->runLoop().runFor(0.5);
  EXPECT_EQ(UserFolders::shared().opened(), std::vector<std::string>{"tel:123"});
}

// What the page script does as it is read happens once for each ad, as though each ad had a build
// page of its own, loaded when the ad is asked for: whether a page loaded ahead serves the ad,
// whether it breaks first, and whether the script changed after it was loaded.
TEST_F(HostileAdsGuiTest, ThePageScriptRunsOncePerAdWhateverBecomesOfThePageLoadedAhead) {
  network.route("/beacon", HostileAdNetwork::Response::ok(""));
  const std::string beacon =
      "var beacon = new XMLHttpRequest(); beacon.open('GET', '/beacon?' + Date.now(), false);"
      "beacon.send();\n";
  network.serveScriptBeginningWith(beacon);
  auto loadedAhead = [&] {
    // Time for the page ahead to load, and for the script in it to run if it would.
    if (!eventually([&] { return object()->preparedBuildAdWebView() != nullptr; })) return false;
    platform->runLoop().runFor(0.5);
    return true;
  };
  showAd("<p>first</p>");
  EXPECT_EQ(network.requestsFor("/beacon"), 1u);
  for (const char* what : {"served", "broken", "changed"}) {
    SCOPED_TRACE(what);
    const size_t before = network.requestsFor("/beacon");
    ASSERT_TRUE(loadedAhead());
    EXPECT_EQ(network.requestsFor("/beacon"), before);
    if (what == std::string("broken")) {
      auto& ahead = static_cast<platform::gtk::GtkWebViewPeer&>(
          object()->preparedBuildAdWebView()->webViewPeer());
      webkit_web_view_terminate_web_process(ahead.webView());
      platform->runLoop().runFor(0.5);
    } else if (what == std::string("changed")) {
      network.serveScriptBeginningWith("var changed = 1;\n" + beacon);
      TADStatisticsCore record{"TADObjectPrivate"};
      record.removeObjectForKey("expireDate");
      record.synchronize();
    }
    showAd("<p>next</p>");
    EXPECT_EQ(network.requestsFor("/beacon"), before + 1);
  }
}

}  // namespace
