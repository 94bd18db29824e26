// Ads written to do harm, shown by the library in the real web view (WebKitGTK under Xvfb) from a
// hostile ad network on a loopback port. Nothing an ad does without the user's press may leave the
// program, save a file, cover the screen or bring the program down.

#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "ads/Object/TADObjectPrivate.h"
#include "ads/Request/TADRequest.h"
#include "ads/Statistics/TADStatisticsCore.h"
#include "ads/View/TADBannerView.h"
#include "ads/View/TADWebView.h"
#include "platform/gtk/GtkViewPeer.h"
#include "platform/gtk/GtkWebContext.h"
#include "platform/gtk/GtkWebProcess.h"
#include "platform/gtk/GtkWebViewPeer.h"
#include "platform/storage/SearchPaths.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/Window.h"
#include "tests/e2e/BannerScreenFixture.h"
#include "tests/e2e/HostileAdNetwork.h"
#include "tests/platform/gtk/GtkTestPlatform.h"
#include "tests/platform/gtk/XTestInput.h"
#include "tests/support/RefusingPort.h"

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

// Web processes of a size that a page that eats memory reaches within a second or two. Before
// the tests' web context is first used, which fixes it.
constexpr unsigned kMemoryLimitMegabytes = 400;
[[maybe_unused]] const bool kSmallWebProcesses =
    (gtk_testing::testWebContext()->setMemoryLimit(kMemoryLimitMegabytes), true);

// What this program and its web processes have used, as /proc shows them: processes that have
// ended count with what they had used when last seen.
class Usage {
 public:
  // Processor seconds, all of them together.
  double processorSeconds() {
    using platform::gtk::GtkWebProcess;
    seen_[getpid()] = GtkWebProcess::processSeconds(getpid()).value_or(0);
    for (pid_t pid : GtkWebProcess::running())
      seen_[pid] = std::max(seen_[pid], GtkWebProcess::processSeconds(pid).value_or(0));
    double total = 0;
    for (const auto& [pid, seconds] : seen_)
      total += seconds;
    return total;
  }
  // Resident bytes of the web processes running now, together.
  static long webResidentBytes() {
    using platform::gtk::GtkWebProcess;
    long bytes = 0;
    for (pid_t pid : GtkWebProcess::running())
      bytes += GtkWebProcess::residentBytes(pid).value_or(0);
    return bytes;
  }

 private:
  std::map<pid_t, double> seen_;
};

// The bytes of the files under folder.
uintmax_t bytesUnder(const fs::path& folder) {
  uintmax_t bytes = 0;
  std::error_code error;
  for (const auto& entry : fs::recursive_directory_iterator(folder, error))
    if (entry.is_regular_file()) bytes += entry.file_size();
  return bytes;
}

class HostileAdsGuiTest : public BannerScreenFixture {
 protected:
  void SetUp() override {
    UserFolders::shared().forgetOpened();
    // A page silent for three seconds on a busy machine is not going to answer; an ad may use the
    // processor for three seconds in all.
    gtk_testing::testWebContext()->setWatchdogLimits({.pingSeconds = 0.25,
                                                      .unresponsiveSeconds = 3,
                                                      .quietPingSeconds = 1,
                                                      .adProcessorSeconds = 3});
    launchBanner(network.origin(), "hostile-slot");
    if (HasFatalFailure()) return;
    object()->setTimeLimits(2, 2);
    watchForCovers();
  }
  // Ends the program's screen, with its web views, and starts it again, its web views in
  // webContext, as the user would quit the program and start it again.
  void restart(std::shared_ptr<platform::gtk::GtkWebContext> webContext) {
    object()->cancelPendingActions();
    banner.reset();
    window.reset();
    root = std::make_shared<platform::ViewController>();
    platform.reset();
    TADObjectPrivate::resetLaunchForTesting();
    launchBanner(network.origin(), "hostile-slot", std::move(webContext));
    if (HasFatalFailure()) return;
    object()->setTimeLimits(2, 2);
  }
  // A web context of its own over folder, as the program makes one at each start.
  static std::shared_ptr<platform::gtk::GtkWebContext> webContextIn(const fs::path& folder) {
    return std::make_shared<platform::gtk::GtkWebContext>(folder / "data/WebKit",
                                                          folder / "cache/WebKit");
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

// A page's mebibyte console lines come out cut to a bounded length. (How many a second come is
// the web view delegate's suite's: navigations this large come too slowly to show it here.)
TEST_F(HostileAdsGuiTest, AFloodOfMebibyteConsoleLinesWritesBoundedLines) {
  showAd(
      "<script>const line = 'x'.repeat(1 << 20);"
      "setInterval(() => location = 'gmsg://x/log?string=' + line, 50)</script>");
  EXPECT_TRUE(eventually([&] { return saidOnConsole("\u2026 (1047552 more bytes)"); }, 10));
}

// However often a page asks for what is refused, the refusals come at a bounded rate.
TEST_F(HostileAdsGuiTest, AFloodOfRefusedOpeningsWritesBoundedLines) {
  showAd(
      "<script>setInterval(() => location = 'gmsg://x/open?a=browser&u=' +"
      "encodeURIComponent(location.origin + '/landing'), 1)</script>");
  console->lines.clear();
  platform->runLoop().runFor(3);
  size_t refusals = std::count_if(console->lines.begin(), console->lines.end(), [](auto& line) {
    return line.starts_with("<Talvik> Refused to open");
  });
  EXPECT_GT(refusals, 0u);
  EXPECT_LE(refusals, 50u);
}

// An ad that misbehaves loses its web process and says why; the banner goes on with the next ad
// in a fresh process, and nothing of the misbehaving one goes on using the machine.
struct Misbehaviour {
  const char* name;
  const char* what;
  const char* page;
  const char* line;
  friend void PrintTo(const Misbehaviour& ad, std::ostream* out) {
    *out << "an ad that " << ad.what;
  }
};
const Misbehaviour kMisbehaviours[] = {
    {"NeverYielding", "never yields", "<script>setTimeout(() => { for (;;) {} }, 100)</script>",
     "<Talvik> Ended the web process of a page that did not answer for 3 seconds."},
    // 640 MB a second; it stops at 1.5 GB so that where nothing ends it, it does not take the
    // machine.
    {"EatingMemory", "eats memory",
     "<script>const kept = []; const eat = setInterval(() => { for (let i = 0; i < 4; ++i) "
     "kept.push(new Uint8Array(16 << 20).fill(1)); if (kept.length >= 96) clearInterval(eat); }, "
     "100)</script>",
     "<Talvik> WebKit ended the web process of a page that used too much memory."},
    // Busy nine tenths of the time, yet answering.
    {"Heavy", "is heavy",
     "<script>setInterval(() => { const end = Date.now() + 180; while (Date.now() < end) {} }, "
     "200)</script>",
     "<Talvik> Unloaded an ad that used the processor for more than 3 seconds."},
    {"LoadingTooMuch", "loads too much", "<script>fetch('/big').then(r => r.text())</script>",
     "<Talvik> Unloaded an ad that loaded more than 4000000 bytes."},
};

class MisbehavingAdTest : public HostileAdsGuiTest,
                          public ::testing::WithParamInterface<Misbehaviour> {};

TEST_P(MisbehavingAdTest, LosesItsProcessAndTheNextAdComes) {
  const Misbehaviour& ad = GetParam();
  network.route("/big", HostileAdNetwork::Response::ok(std::string(5 << 20, 'x'),
                                                       {{"Content-Type", "text/plain"}}));
  Usage usage;
  double before = usage.processorSeconds();
  showAd(ad.page);
  long peak = 0;
  gint64 start = g_get_monotonic_time();
  auto since = [&] { return static_cast<double>(g_get_monotonic_time() - start) / G_USEC_PER_SEC; };
  bool ended = eventually(
      [&] {
        peak = std::max(peak, Usage::webResidentBytes());
        return saidOnConsole(ad.line);
      },
      20);
  double endedAfter = since();
  bool retrying = object()->isReloadTimerRunning();
  double atEnd = usage.processorSeconds();
  platform->runLoop().runFor(2);
  double quietAfter = usage.processorSeconds() - atEnd;
  // The next ad, asked for at once rather than at the retry.
  network.serveAd("<p>clean</p>");
  banner->loadRequest(TADRequest::request());
  std::string next = nextEvent();
  std::printf(
      "[ %s ] ended: %s after %.1f s, %.1f processor seconds until then, %.2f in the 2 s "
      "after; web processes' peak %ld MB; next ad: %s after %.1f s\n",
      ad.what, ended ? "yes" : "no", endedAfter, atEnd - before, quietAfter, peak >> 20,
      next.c_str(), since());
  EXPECT_TRUE(ended);
  EXPECT_TRUE(retrying) << "the next ad on its way";
  EXPECT_LT(quietAfter, 1.5);
  EXPECT_LT(peak, 3L * kMemoryLimitMegabytes << 20);
  EXPECT_EQ(next, "receive");
  EXPECT_TRUE(adComesToSay("document.body.textContent", "clean"));
}

INSTANTIATE_TEST_SUITE_P(Ads, MisbehavingAdTest, ::testing::ValuesIn(kMisbehaviours),
                         [](const auto& info) { return std::string(info.param.name); });

// A process that stops (as though it waited for what never comes) uses no processor, so its page
// is asked seldom whether it answers; it is ended all the same, and the next ad comes.
TEST_F(HostileAdsGuiTest, AnAdWhoseProcessStopsLosesItAlthoughItUsesNoProcessor) {
  showAd("<p>stopping</p>");
  auto& peer = static_cast<platform::gtk::GtkWebViewPeer&>(banner->webView()->webViewPeer());
  std::optional<pid_t> process = platform::gtk::GtkWebContext::processOf(peer.webView());
  ASSERT_TRUE(process);
  platform->runLoop().runFor(1);
  ASSERT_EQ(kill(*process, SIGSTOP), 0);
  bool ended = eventually(
      [&] { return saidOnConsole("Ended the web process of a page that did not answer"); }, 10);
  kill(*process, SIGCONT);
  EXPECT_TRUE(ended);
  showAd("<p>next</p>");
  EXPECT_TRUE(adComesToSay("document.body.textContent", "next"));
}

// The page script runs in the hidden build page; one that never yields or eats memory loses the
// hidden pages' process, and stalls neither the ad that is shown nor the next build page.
struct PageScriptMisbehaviour {
  const char* name;
  const char* script;
  const char* line;
  friend void PrintTo(const PageScriptMisbehaviour& script, std::ostream* out) {
    *out << script.name;
  }
};
const PageScriptMisbehaviour kPageScriptMisbehaviours[] = {
    {"NeverYielding", "for (;;) {}", "<Talvik> Ended the web process"},
    // 640 MB a second, up to 1.5 GB, never yielding (the page would answer once it did).
    {"EatingMemory",
     "const kept = []; let next = Date.now(); while (kept.length < 96) { if (Date.now() < next) "
     "continue; for (let i = 0; i < 4; ++i) kept.push(new Uint8Array(16 << 20).fill(1)); next += "
     "100; }",
     "<Talvik> WebKit ended the web process of a page that used too much memory."},
};

class MisbehavingPageScriptTest : public HostileAdsGuiTest,
                                  public ::testing::WithParamInterface<PageScriptMisbehaviour> {};

TEST_P(MisbehavingPageScriptTest, StallsNeitherTheBannerNorTheNextAd) {
  // Served before the first ad: the library keeps its copy for a day.
  network.scriptRunsFirst(std::string("if (params.slotname == 'hostile-script') { ") +
                          GetParam().script + " }");
  showAd("<p>shown</p>");
  banner->setAdUnitID("hostile-script");
  banner->loadRequest(TADRequest::request());
  EXPECT_EQ(nextEvent(), "fail");
  EXPECT_TRUE(adComesToSay("document.body.textContent", "shown", 2));
  long peak = 0;
  ASSERT_TRUE(eventually(
      [&] {
        peak = std::max(peak, Usage::webResidentBytes());
        return saidOnConsole(GetParam().line);
      },
      20));
  EXPECT_LT(peak, 3L * kMemoryLimitMegabytes << 20);
  banner->setAdUnitID("hostile-slot");
  showAd("<p>next</p>");
  EXPECT_TRUE(adComesToSay("document.body.textContent", "next"));
}

INSTANTIATE_TEST_SUITE_P(Pages, MisbehavingPageScriptTest,
                         ::testing::ValuesIn(kPageScriptMisbehaviours),
                         [](const auto& info) { return std::string(info.param.name); });

// A service worker would answer for every page of the ad's origin: the next ad's, a landing
// page. None is ever registered, and nothing of an ad reaches the next start of the program.
TEST_F(HostileAdsGuiTest, AnAdsServiceWorkerServesNothingAfterARestart) {
  test_support::TemporaryFolder folder;
  restart(webContextIn(folder.path()));
  ASSERT_FALSE(HasFatalFailure());
  network.route("/worker.js",
                HostileAdNetwork::Response::ok(
                    "self.addEventListener('fetch', e => e.respondWith(new Response('taken')));",
                    {{"Content-Type", "application/javascript"}}));
  showAd(
      "<title>ad</title><script>navigator.serviceWorker.register('/worker.js')"
      ".then(() => navigator.serviceWorker.ready).then(() => document.title = 'ready')</script>");
  adComesToSay("document.title", "ready", 3);
  restart(webContextIn(folder.path()));
  ASSERT_FALSE(HasFatalFailure());
  showAd("<img src='/pixel.png'>");
  EXPECT_TRUE(eventually([&] { return network.requestsFor("/pixel.png") > 0; }, 5));
}

// An ad that fills storage is stopped at its origin's bound, and what it stored is gone when the
// program starts again.
TEST_F(HostileAdsGuiTest, WhatAnAdStoresIsBoundedAndLeavesNothingBehind) {
  test_support::TemporaryFolder folder;
  restart(webContextIn(folder.path()));
  ASSERT_FALSE(HasFatalFailure());
  showAd(
      "<title>ad</title><script>(async () => { let stored = 0; const chunk = 'x'.repeat(1 << 20);"
      "try { const cache = await caches.open('ad');"
      "for (; stored < 40; ++stored) await cache.put('/chunk' + stored, new Response(chunk)); }"
      "catch (e) {} document.title = 'stored ' + stored; })()</script>");
  std::string title;
  ASSERT_TRUE(eventually(
      [&] {
        title = gtk_testing::evaluateIn(*platform, *banner->webView(), "document.title");
        return title.starts_with("stored ");
      },
      20));
  EXPECT_LE(std::stoi(title.substr(7)), 6) << "MiB stored";
  restart(webContextIn(folder.path()));
  ASSERT_FALSE(HasFatalFailure());
  showAd("<p>clean</p>");
  EXPECT_LT(bytesUnder(folder.path()), 1u << 20);
}

// An inline frame of another origin (a sandboxed one: pages reach no other local origin) polls
// "open" all the time; the user presses the ad's own button, whose handler waits a moment before
// it asks. The press is the ad's.
TEST_F(HostileAdsGuiTest, AFrameThatWasNotPressedCannotSpendTheAdsPress) {
  network.route("/poller", HostileAdNetwork::Response::ok(
                               "<script>setInterval(() => location = 'gmsg://x/open?a=app&u=" +
                                   network.url("/stolen") + "', 100)</script>",
                               {{"Content-Type", "text/html"}}));
  showAd(
      "<body style='margin: 0; height: 50px; display: flex'>"
      "<button style='width: 220px' onclick=\"setTimeout(() => location = "
      "'gmsg://x/open?a=app&u=' + encodeURIComponent(location.origin + '/landing'), 300)\">"
      "Go</button><iframe sandbox='allow-scripts' style='width: 100px; border: 0' "
      "src='/poller'></iframe></body>");
  ASSERT_TRUE(eventually([&] { return saidOnConsole("the user has not pressed it"); }));
  pressBanner();
  ASSERT_TRUE(eventually([&] { return !UserFolders::shared().opened().empty(); }));
  platform->runLoop().runFor(1);
  EXPECT_EQ(UserFolders::shared().opened(), std::vector<std::string>{network.url("/landing")});
}

// A press held a while before its release, and Enter and Space on the ad's focused button: each is
// the user's press, and its click opens the ad's address.
TEST_F(HostileAdsGuiTest, ALongPressAndKeysOnAFocusedButtonOpenTheAd) {
  showAd(
      "<body style='margin: 0; height: 50px'><button id='go' style='width: 100%; height: "
      "50px' onclick=\"location = 'gmsg://x/open?a=app&u=' + "
      "encodeURIComponent(location.origin + '/landing')\">Go</button></body>");
  GtkWindow* screen = platform->deviceScreen()->gtkWindow();
  platform::Rect place = gtk_testing::placeOnScreen(bannerWidget(), GTK_WIDGET(screen));
  gtk_testing::movePointer(screen, static_cast<int>(place.minX() + place.width() / 2),
                           static_cast<int>(place.minY() + place.height() / 2));
  gtk_testing::setButton(screen, 1, true);
  platform->runLoop().runFor(1.5);
  gtk_testing::setButton(screen, 1, false);
  ASSERT_TRUE(eventually([&] { return UserFolders::shared().opened().size() == 1; }, 3));

  gtk_widget_grab_focus(bannerWidget());
  for (guint key : {GDK_KEY_Return, GDK_KEY_space}) {
    SCOPED_TRACE(gdk_keyval_name(key));
    size_t before = UserFolders::shared().opened().size();
    ASSERT_TRUE(adComesToSay("go.focus(); document.activeElement.id", "go"));
    gtk_testing::setKey(screen, key, true);
    gtk_testing::setKey(screen, key, false);
    EXPECT_TRUE(eventually([&] { return UserFolders::shared().opened().size() == before + 1; }, 3));
  }
  EXPECT_EQ(UserFolders::shared().opened(), std::vector<std::string>(3, network.url("/landing")));
}

// An ad posts to another service on the user's machine and fetches from a closed port to tell it
// from an open one: neither is reached, both fail alike, and the ad's own origin still answers.
TEST_F(HostileAdsGuiTest, AnAdReachesNoLocalServiceButItsOwnOrigin) {
  test_support::LoopbackHTTPServer service;
  test_support::RefusingPort closed;
  network.route("/own", HostileAdNetwork::Response::ok("own"));
  showAd("<form id='f' method='post' action='" + service.url("/form") +
         "' target='t'><input name='a' value='b'></form><iframe name='t'></iframe><script>"
         "const outcome = (address, init) => fetch(address, init).then(() => 'reached', "
         "() => 'refused');"
         "Promise.all([outcome('" +
         service.url("/post") + "', {method: 'POST', mode: 'no-cors', body: 'x'}), outcome('" +
         closed.url("/") +
         "', {mode: 'no-cors'}), outcome('/own')]).then(r => document.title = r.join(' '));"
         "new Image().src = '" +
         service.url("/image") + "'; f.submit();</script>");
  EXPECT_TRUE(adComesToSay("document.title", "refused refused reached"));
  EXPECT_TRUE(eventually([&] { return saidOnConsole("from a local address other than its own"); }));
  platform->runLoop().runFor(0.5);
  EXPECT_EQ(service.requestCount(), 0u);
}

// Impression trackers on the ad's own server that never answer: the next ads come all the same.
TEST_F(HostileAdsGuiTest, ImpressionTrackersThatNeverAnswerDoNotStopTheNextAds) {
  network.route("/track", HostileAdNetwork::Response::unanswered());
  showAd("<p>an ad</p>",
         {{"X-Avmo-Tracking-Urls", network.url("/track?1") + " " + network.url("/track?2") + " " +
                                       network.url("/track?3")}});
  for (int ad = 0; ad < 2; ++ad) {
    banner->loadRequest(TADRequest::request());
    EXPECT_EQ(nextEvent(), "receive");
  }
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
      TADStatisticsCore record = TADStatisticsCore::initWithIdentifier("TADObjectPrivate");
      record.removeObjectForKey("expireDate");
      record.synchronize();
    }
    showAd("<p>next</p>");
    EXPECT_EQ(network.requestsFor("/beacon"), before + 1);
  }
}

}  // namespace
