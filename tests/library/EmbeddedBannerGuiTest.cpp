// A banner in a host program's own window, on the host's own loop: where its files go, where the
// screen that a click opens appears, and how the banner, its window and the host may go.

#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <signal.h>
#include <tad/tad-gobject.h>
#include <tad/tad.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <mutex>
#include <sstream>
#include <string>
#include <vector>

#include "tests/platform/gtk/XTestInput.h"
#include "tests/support/TemporaryFolder.h"

namespace {

namespace fs = std::filesystem;

class RecordingDelegate : public tad::BannerDelegate, public tad::BannerTrackingDelegate {
 public:
  void bannerDidReceiveAd(tad::Banner&) override { events.push_back("receive"); }
  // The code, the HTTP status and whether an underlying error came, then the text.
  void bannerDidFailToReceiveAd(tad::Banner&, const tad::RequestError& error) override {
    std::string line = "fail " + std::to_string(static_cast<int>(error.code));
    if (error.httpStatus) line += " HTTP " + std::to_string(*error.httpStatus);
    if (error.underlyingError && !error.underlyingError->description.empty()) line += " underlying";
    events.push_back(line + ": " + error.description);
  }
  void bannerDidRecordImpression(tad::Banner&) override { events.push_back("impression"); }
  void bannerDidRecordClick(tad::Banner&) override { events.push_back("click"); }
  void bannerWillPresentScreen(tad::Banner&) override { events.push_back("present"); }
  void bannerWillDismissScreen(tad::Banner&) override { events.push_back("willDismiss"); }
  void bannerDidDismissScreen(tad::Banner&) override { events.push_back("didDismiss"); }
  std::vector<std::string> events;
};

// Whether done() comes to hold within seconds while the default main context runs, as the host's
// loop would run it.
bool eventually(const std::function<bool()>& done, double seconds = 20) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    g_main_context_iteration(nullptr, FALSE);
  }
  return true;
}

void runFor(double seconds) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  eventually([&] { return std::chrono::steady_clock::now() > deadline; }, seconds + 1);
}

// The files under folder, as paths relative to it.
std::vector<std::string> filesUnder(const fs::path& folder) {
  std::vector<std::string> found;
  std::error_code error;
  for (const auto& entry : fs::recursive_directory_iterator(folder, error))
    found.push_back(fs::relative(entry.path(), folder).string());
  return found;
}

// The warnings and criticals that GLib and GTK log, as "domain: message", and the records of the
// library's domain whatever their level, as "<level> <TAD_SOURCE>: message"; each also written out
// as GLib would.
std::mutex loggedLock;
std::vector<std::string> logged;
std::vector<std::string> loggedByTheLibrary;

GLogWriterOutput recordWarnings(GLogLevelFlags level, const GLogField* fields, gsize count,
                                gpointer) {
  std::string domain;
  std::string message;
  std::string source;
  for (gsize i = 0; i < count; ++i) {
    const char* value = static_cast<const char*>(fields[i].value);
    std::string text =
        fields[i].length < 0 ? std::string(value) : std::string(value, fields[i].length);
    if (std::string_view(fields[i].key) == "GLIB_DOMAIN") domain = text;
    if (std::string_view(fields[i].key) == "MESSAGE") message = text;
    if (std::string_view(fields[i].key) == "TAD_SOURCE") source = text;
  }
  std::lock_guard<std::mutex> hold(loggedLock);
  if (level & (G_LOG_LEVEL_ERROR | G_LOG_LEVEL_CRITICAL | G_LOG_LEVEL_WARNING))
    logged.push_back(domain + ": " + message);
  if (domain == "Tad") {
    const char* name = level & G_LOG_LEVEL_MESSAGE ? "message"
                       : level & G_LOG_LEVEL_INFO  ? "info"
                                                   : "other";
    loggedByTheLibrary.push_back(std::string(name) + " " + source + ": " + message);
  }
  return g_log_writer_default(level, fields, count, nullptr);
}

// What the program writes to stderr while the capture lives, readable as it comes.
class StderrCapture {
 public:
  StderrCapture() : file_(std::tmpfile()), saved_(::dup(STDERR_FILENO)) {
    std::fflush(stderr);
    ::dup2(::fileno(file_), STDERR_FILENO);
  }
  ~StderrCapture() {
    std::fflush(stderr);
    ::dup2(saved_, STDERR_FILENO);
    ::close(saved_);
    std::fclose(file_);
  }
  StderrCapture(const StderrCapture&) = delete;
  StderrCapture& operator=(const StderrCapture&) = delete;

  std::vector<std::string> lines() const {
    std::fflush(stderr);
    std::string text;
    char block[4096];
    ssize_t got = 0;
    // At an offset: the file's own position is stderr's, which must stay at its end.
    while ((got = ::pread(::fileno(file_), block, sizeof block, off_t(text.size()))) > 0)
      text.append(block, size_t(got));
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);)
      lines.push_back(line);
    return lines;
  }

 private:
  FILE* file_;
  int saved_;
};

class EmbeddedBannerGuiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    prepare();
    makeHost();
    makeWindowWithBanner();
  }
  // A display, the folders and the network; no host yet.
  void prepare() {
    static bool recording = (g_log_set_writer_func(recordWarnings, nullptr, nullptr), true);
    (void)recording;
    {
      std::lock_guard<std::mutex> hold(loggedLock);
      logged.clear();
    }
    // Before GTK or GLib read them.
    for (const char* variable : {"XDG_CACHE_HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME"}) {
      fs::create_directories(home / variable);
      ::setenv(variable, (home / variable).c_str(), 1);
    }
    ASSERT_TRUE(gtk_init_check(nullptr, nullptr));
    startNetwork();
    ASSERT_FALSE(origin.empty());
  }
  void makeHost() {
    std::string error;
    host = tad::Host::create(
        {"org.example.HostTest", "Host Test", "2.0", "host-cache", "host-settings", "host-data"},
        nullptr, &error);
    ASSERT_TRUE(host) << error;
    ASSERT_TRUE(host->setAdNetwork(origin));
  }
  void makeWindowWithBanner() {
    banner = std::make_unique<tad::Banner>("host-test-unit");
    banner->setDelegate(delegate);
    makeWindowAround(banner->widget());
  }
  // The C face: a TadBanner under a TadHost, its signals recorded as the C++ delegate's events are.
  void makeCHostAndBanner() {
    GError* error = nullptr;
    cHost = tad_host_new(nullptr, "org.example.HostTest", "Host Test", "2.0", &error);
    ASSERT_TRUE(cHost) << error->message;
    ASSERT_TRUE(tad_host_set_ad_network(cHost, origin.c_str(), nullptr));
    cBanner = GTK_WIDGET(g_object_ref_sink(tad_banner_new("host-test-unit")));
    for (const Recorder& recorder : recorders)
      g_signal_connect(cBanner, recorder.signal, G_CALLBACK(Recorder::record), (gpointer)&recorder);
    g_signal_connect(cBanner, "did-fail-to-receive-ad", G_CALLBACK(recordFailure), &events());
    makeWindowAround(cBanner);
  }
  void makeWindowAround(GtkWidget* bannerWidget) {
    window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_default_size(GTK_WINDOW(window), 480, 300);
    GtkWidget* column = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
    gtk_box_pack_start(GTK_BOX(column), gtk_label_new("The host's own text"), TRUE, TRUE, 0);
    gtk_box_pack_end(GTK_BOX(column), bannerWidget, FALSE, FALSE, 0);
    gtk_container_add(GTK_CONTAINER(window), column);
    gtk_widget_show_all(window);
  }
  void TearDown() override {
    if (cBanner) endBanner();
    banner.reset();
    if (window) gtk_widget_destroy(std::exchange(window, nullptr));
    if (cHost) g_object_unref(std::exchange(cHost, nullptr));
    host.reset();
    if (network) {
      ::kill(network, SIGTERM);
      g_spawn_close_pid(network);
    }
  }

  // The reference network as its own program, serving the landing-page creative only, logging
  // every request, with networkOptions.
  void startNetwork() {
    std::vector<std::string> arguments{TAD_ADNETWORK_PROGRAM, "--creative", "landing", "--log",
                                       requestLog().string()};
    arguments.insert(arguments.end(), networkOptions.begin(), networkOptions.end());
    std::vector<char*> argv;
    for (std::string& argument : arguments)
      argv.push_back(argument.data());
    argv.push_back(nullptr);
    int output = -1;
    GError* error = nullptr;
    if (!g_spawn_async_with_pipes(nullptr, argv.data(), nullptr, G_SPAWN_DEFAULT, nullptr, nullptr,
                                  &network, nullptr, &output, nullptr, &error)) {
      ADD_FAILURE() << error->message;
      g_error_free(error);
      return;
    }
    char character = 0;
    while (::read(output, &character, 1) == 1 && character != '\n')
      origin += character;
    ::close(output);
  }

  fs::path requestLog() const { return fs::path(home.path()) / "requests.jsonl"; }
  std::string requestsLogged() const {
    std::ifstream file(requestLog());
    return std::string(std::istreambuf_iterator<char>(file), {});
  }

  void showAnAd(const tad::Request& request = tad::Request()) {
    banner->loadRequest(request);
    bool painted = false;
    bool answered = false;
    banner->whenAdPainted(20, [&](bool result) {
      painted = result;
      answered = true;
    });
    ASSERT_TRUE(eventually([&] { return answered; }, 25));
    ASSERT_TRUE(painted) << (delegate->events.empty() ? "" : delegate->events.back());
  }

  // A real press in the middle of the banner (the C++ one unless another widget is named).
  void clickTheBanner(GtkWidget* target = nullptr) {
    int x = 0;
    int y = 0;
    gtk_widget_translate_coordinates(target ? target : banner->widget(), window,
                                     tad::Banner::kWidth / 2, tad::Banner::kHeight / 2, &x, &y);
    platform::gtk::testing::movePointer(GTK_WINDOW(window), x, y);
    platform::gtk::testing::click(GTK_WINDOW(window));
  }

  // The window shown over the host's, if there is one.
  GtkWindow* coverWindow() const {
    GtkWindow* cover = nullptr;
    GList* toplevels = gtk_window_list_toplevels();
    for (GList* item = toplevels; item; item = item->next) {
      GtkWindow* candidate = GTK_WINDOW(item->data);
      if (candidate != GTK_WINDOW(window) && gtk_widget_get_mapped(GTK_WIDGET(candidate)) &&
          gtk_window_get_transient_for(candidate) == GTK_WINDOW(window))
        cover = candidate;
    }
    g_list_free(toplevels);
    return cover;
  }

  // As a program lets its banner go: destroyed unless its window took it along, then unreferenced.
  void endBanner() {
    if (gtk_widget_get_parent(cBanner)) gtk_widget_destroy(cBanner);
    g_object_unref(std::exchange(cBanner, nullptr));
  }

  // "fail <code>[ HTTP <status>][ underlying]: <message>", as the delegate's failures read.
  static void recordFailure(TadBanner*, GError* error, guint status, GError* underlying,
                            std::vector<std::string>* events) {
    std::string line = error->domain == TAD_ERROR ? "fail " : "fail in another domain ";
    line += std::to_string(error->code);
    if (status) line += " HTTP " + std::to_string(status);
    if (underlying && *underlying->message) line += " underlying";
    events->push_back(line + ": " + error->message);
  }

  void showAnAdInC() {
    tad_banner_load_request(TAD_BANNER(cBanner), nullptr);
    std::pair<bool, GError*> answer{false, nullptr};
    tad_banner_wait_for_ad_painted(
        TAD_BANNER(cBanner), 20,
        [](GObject* source, GAsyncResult* result, gpointer data) {
          auto* answer = static_cast<std::pair<bool, GError*>*>(data);
          answer->first = true;
          tad_banner_wait_for_ad_painted_finish(TAD_BANNER(source), result, &answer->second);
        },
        &answer);
    ASSERT_TRUE(eventually([&] { return answer.first; }, 25));
    ASSERT_EQ(answer.second, nullptr) << answer.second->message;
  }

  std::vector<std::string>& events() { return delegate->events; }
  // Asks the banner of either face for an ad.
  void requestAd() {
    if (cBanner) {
      tad_banner_load_request(TAD_BANNER(cBanner), nullptr);
    } else {
      banner->loadRequest(tad::Request());
    }
  }

  test_support::TemporaryFolder home;
  std::vector<std::string> networkOptions{"--refresh", "0"};
  GPid network = 0;
  std::string origin;
  std::unique_ptr<tad::Host> host;
  GtkWidget* window = nullptr;
  std::unique_ptr<tad::Banner> banner;
  std::shared_ptr<RecordingDelegate> delegate = std::make_shared<RecordingDelegate>();
  struct Recorder {
    const char* signal;
    const char* event;
    std::vector<std::string>* events;
    static void record(TadBanner*, const Recorder* recorder) {
      recorder->events->push_back(recorder->event);
    }
  };
  const std::vector<Recorder> recorders{
      {"did-receive-ad", "receive", &events()},
      {"did-record-impression", "impression", &events()},
      {"did-record-click", "click", &events()},
      {"will-present-screen", "present", &events()},
      {"will-dismiss-screen", "willDismiss", &events()},
      {"did-dismiss-screen", "didDismiss", &events()},
      {"will-leave-application", "leave", &events()},
  };
  TadHost* cHost = nullptr;
  GtkWidget* cBanner = nullptr;  // a reference of the test's own, as a program may keep
};

// The C face alone, with no C++ host or banner.
class CBannerGuiTest : public EmbeddedBannerGuiTest {
 protected:
  void SetUp() override {
    prepare();
    makeCHostAndBanner();
  }
};

// Ads that name the shortest period the library keeps.
class CBannerRefreshTest : public CBannerGuiTest {
 protected:
  void SetUp() override {
    networkOptions = {"--refresh", "10"};
    CBannerGuiTest::SetUp();
  }
};

TEST_F(EmbeddedBannerGuiTest, TheHostsIdentityNamesTheFoldersTheLibraryKeepsItsFilesIn) {
  showAnAd();
  EXPECT_EQ(delegate->events.front(), "receive");
  host.reset();  // the library hears that the program ends and saves its settings
  const fs::path root = home.path();
  EXPECT_TRUE(
      fs::exists(root / "XDG_CONFIG_HOME" / "host-settings" / "org.example.HostTest.gvariant"));
  // Some of what the folders hold is made by the web engine's own processes, in their own time.
  EXPECT_TRUE(
      eventually([&] { return !filesUnder(root / "XDG_CACHE_HOME" / "host-cache").empty(); }, 5));
  EXPECT_TRUE(eventually(
      [&] { return fs::is_directory(root / "XDG_DATA_HOME" / "host-data" / "WebKit"); }, 5));
  // Nothing under the soundboard's name, nor under the program's.
  for (const char* base : {"XDG_CACHE_HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME"}) {
    for (const char* other : {"org.quillbeck.Soundboard", "quillbeck", g_get_prgname()})
      EXPECT_FALSE(fs::exists(root / base / other)) << base << "/" << other;
  }
}

// The screen a click opens covers the host window's content, modal, at its place and size.
// Escape in it closes the screen as its close control would; the host window then takes presses
// again, and a second screen closes the same way.
TEST_F(EmbeddedBannerGuiTest, AScreenFromTheBannerCoversTheHostsWindowUntilEscapeClosesIt) {
  showAnAd();
  runFor(0.3);  // a press right after the ad appeared is no click
  auto coversTheHost = [&](GtkWindow* cover) {
    int hostX = 0, hostY = 0, coverX = 0, coverY = 0;
    gdk_window_get_origin(gtk_widget_get_window(window), &hostX, &hostY);
    gdk_window_get_origin(gtk_widget_get_window(GTK_WIDGET(cover)), &coverX, &coverY);
    return coverX == hostX && coverY == hostY &&
           gtk_widget_get_allocated_width(GTK_WIDGET(cover)) ==
               gtk_widget_get_allocated_width(window) &&
           gtk_widget_get_allocated_height(GTK_WIDGET(cover)) ==
               gtk_widget_get_allocated_height(window);
  };
  const std::vector<std::string> once{"receive", "present", "click", "willDismiss", "didDismiss"};
  for (int round = 1; round <= 2; ++round) {
    SCOPED_TRACE(round);
    clickTheBanner();
    GtkWindow* cover = nullptr;
    ASSERT_TRUE(eventually([&] { return (cover = coverWindow()) != nullptr; }));
    EXPECT_TRUE(gtk_window_get_modal(cover));
    EXPECT_TRUE(eventually([&] { return coversTheHost(cover); }));
    runFor(1);  // the screen has slid in and its close control is live
    platform::gtk::testing::pressKey(cover, GDK_KEY_Escape);
    ASSERT_TRUE(eventually([&] { return coverWindow() == nullptr; }, 10));
    ASSERT_TRUE(eventually([&] { return delegate->events.back() == "didDismiss"; }, 5));
    std::vector<std::string> expected{"receive", "impression"};
    for (int i = 0; i < round; ++i)
      expected.insert(expected.end(), once.begin() + 1, once.end());
    EXPECT_EQ(delegate->events, expected);
    EXPECT_EQ(gtk_grab_get_current(), nullptr);  // nothing modal holds the input any more
    runFor(0.3);
  }
}

// Assistive technologies find the program's widget as an advertisement, a landmark, with the web
// view of the ad's page beneath it and no other name or landmark on the way.
TEST_F(EmbeddedBannerGuiTest, AssistiveTechnologiesFindTheBannerAsAnAdvertisement) {
  showAnAd();
  AtkObject* advertisement = gtk_widget_get_accessible(banner->widget());
  EXPECT_STREQ(atk_object_get_name(advertisement), "Advertisement");
  EXPECT_EQ(atk_object_get_role(advertisement), ATK_ROLE_LANDMARK);
  // The web view among the widget's descendants, and its accessible object.
  std::function<GtkWidget*(GtkWidget*)> webViewIn = [&](GtkWidget* widget) -> GtkWidget* {
    if (std::string_view(G_OBJECT_TYPE_NAME(widget)) == "WebKitWebView") return widget;
    if (!GTK_IS_CONTAINER(widget)) return nullptr;
    GList* children = gtk_container_get_children(GTK_CONTAINER(widget));
    GtkWidget* found = nullptr;
    for (GList* child = children; child && !found; child = child->next)
      found = webViewIn(GTK_WIDGET(child->data));
    g_list_free(children);
    return found;
  };
  GtkWidget* webView = webViewIn(banner->widget());
  ASSERT_TRUE(webView);
  AtkObject* page = gtk_widget_get_accessible(webView);
  std::vector<std::string> path;
  std::function<bool(AtkObject*)> reachesThePage = [&](AtkObject* node) {
    if (node == page) return true;
    for (int i = 0; i < atk_object_get_n_accessible_children(node); ++i) {
      AtkObject* child = atk_object_ref_accessible_child(node, i);
      const char* name = atk_object_get_name(child);
      path.push_back(std::string(atk_role_get_name(atk_object_get_role(child))) + " " +
                     (name ? name : ""));
      const bool found = reachesThePage(child);
      g_object_unref(child);
      if (found) return true;
      path.pop_back();
    }
    return false;
  };
  ASSERT_TRUE(reachesThePage(advertisement));
  for (const std::string& step : path) {
    EXPECT_EQ(step.find("landmark"), std::string::npos) << ::testing::PrintToString(path);
    EXPECT_EQ(step.find("Advertisement"), std::string::npos) << ::testing::PrintToString(path);
  }
}

// How a program may end with a banner: which face it uses, what it makes first, whether the
// in-app browser is up, and in which order the window, the banner and the host go. Every order is
// clean; those that destroy a C++ host before its banner, or make the banner before any host, are
// told so with one critical and go on (a C banner's own reference to its host forgives the host
// going first). A screen still up when the program ends closes, and the delegate hears it go.
enum class Start { Cpp, CppBannerFirst, C };

struct LifetimeScene {
  const char* name;
  Start start;
  bool browserUp;
  const char* endOrder;  // "window", "banner" and "host", in the order they go
  const char* critical;  // the start of the one critical expected, or nothing
  std::vector<std::string> events;
};

const char* const kNoHostFailure =
    "fail 0: Request Error: No tad::Host is alive: tad::Host::create must come before the banner.";
const std::vector<std::string> kShown{"receive", "impression"};
const std::vector<std::string> kClosed{"receive", "impression",  "present",
                                       "click",   "willDismiss", "didDismiss"};
const char* const kHostGone = "Tad: tad::Host destroyed while 1 tad::Banner(s) live";

const LifetimeScene kLifetimeScenes[] = {
    {"WindowBannerHost", Start::Cpp, false, "window banner host", "", kShown},
    {"BannerWindowHost", Start::Cpp, false, "banner window host", "", kShown},
    {"BannerHostWindow", Start::Cpp, false, "banner host window", "", kShown},
    {"WindowBannerHostWithBrowser", Start::Cpp, true, "window banner host", "", kClosed},
    {"BannerWindowHostWithBrowser", Start::Cpp, true, "banner window host", "", kClosed},
    {"HostWhileTheBannerLives",
     Start::Cpp,
     false,
     "host window banner",
     kHostGone,
     {"receive", "impression", kNoHostFailure}},
    {"HostWhileTheBrowserIsUp",
     Start::Cpp,
     true,
     "host banner window",
     kHostGone,
     {"receive", "impression", "present", "click", "willDismiss", "didDismiss", kNoHostFailure}},
    {"BannerWithNoHost",
     Start::CppBannerFirst,
     false,
     "window banner host",
     "Tad: tad::Banner made with no tad::Host alive: tad::Host::create must come first",
     {kNoHostFailure}},
    {"CWindowBannerHost", Start::C, false, "window banner host", "", kShown},
    {"CBannerWindowHost", Start::C, false, "banner window host", "", kShown},
    {"CHostWindowBanner", Start::C, false, "host window banner", "", kShown},
    {"CHostBannerWindow", Start::C, false, "host banner window", "", kShown},
    {"CWindowFirstWithBrowser", Start::C, true, "window banner host", "", kClosed},
    {"CHostFirstWithBrowser", Start::C, true, "host banner window", "", kClosed},
};

void PrintTo(const LifetimeScene& scene, std::ostream* out) {
  *out << scene.name;
}

class EmbeddedBannerLifetimeTest : public EmbeddedBannerGuiTest,
                                   public ::testing::WithParamInterface<LifetimeScene> {
 protected:
  void SetUp() override { prepare(); }

  // Whether a window of the program's or the library's is still on screen.
  static bool anyWindowMapped() {
    bool mapped = false;
    GList* toplevels = gtk_window_list_toplevels();
    for (GList* item = toplevels; item; item = item->next)
      mapped = mapped || gtk_widget_get_mapped(GTK_WIDGET(item->data));
    g_list_free(toplevels);
    return mapped;
  }
};

TEST_P(EmbeddedBannerLifetimeTest, EndsCleanlyInAnyOrder) {
  const LifetimeScene& scene = GetParam();
  if (scene.start == Start::C) {
    makeCHostAndBanner();
    ASSERT_NO_FATAL_FAILURE(showAnAdInC());
    EXPECT_TRUE(tad_banner_get_shows_ad(TAD_BANNER(cBanner)));
    // The widget is what assistive technologies find: one landmark named for what it is.
    AtkObject* accessible = gtk_widget_get_accessible(cBanner);
    EXPECT_STREQ(atk_object_get_name(accessible), "Advertisement");
    EXPECT_EQ(atk_object_get_role(accessible), ATK_ROLE_LANDMARK);
  } else if (scene.start == Start::CppBannerFirst) {
    makeWindowWithBanner();
    makeHost();
    // The banner stays one without ads, a widget of the banner's size where the program put it.
    banner->loadRequest(tad::Request());
    EXPECT_TRUE(eventually([&] { return !delegate->events.empty(); }, 5));
    EXPECT_TRUE(GTK_IS_EVENT_BOX(banner->widget()));
    EXPECT_TRUE(gtk_widget_get_mapped(banner->widget()));
    EXPECT_EQ(gtk_widget_get_allocated_height(banner->widget()), tad::Banner::kHeight);
    EXPECT_FALSE(banner->showsAd());
  } else {
    makeHost();
    makeWindowWithBanner();
    ASSERT_NO_FATAL_FAILURE(showAnAd());
  }
  if (scene.browserUp) {
    runFor(0.3);  // a press right after the ad appeared is no click
    clickTheBanner(cBanner);
    ASSERT_TRUE(eventually([&] { return coverWindow() != nullptr; }));
    runFor(1);
  }
  std::istringstream order(scene.endOrder);
  for (std::string going; order >> going;) {
    SCOPED_TRACE(going);
    if (going == "window") {
      gtk_widget_destroy(std::exchange(window, nullptr));
    } else if (going == "banner") {
      if (cBanner) endBanner();
      banner.reset();
    } else if (cHost) {
      g_object_unref(std::exchange(cHost, nullptr));
    } else {
      host.reset();
      // A banner left without its host shows nothing more and says why when asked for an ad.
      if (banner) banner->loadRequest(tad::Request());
    }
    runFor(0.5);
    // A screen over the window goes with it, even while the banner stays.
    if (!window) {
      EXPECT_FALSE(anyWindowMapped());
    }
  }
  EXPECT_EQ(delegate->events, scene.events);
  std::lock_guard<std::mutex> hold(loggedLock);
  std::vector<std::string> expected;
  if (*scene.critical) expected.push_back(scene.critical);
  ASSERT_EQ(logged.size(), expected.size()) << ::testing::PrintToString(logged);
  for (size_t i = 0; i < expected.size(); ++i)
    EXPECT_EQ(logged[i].rfind(expected[i], 0), 0u) << logged[i];
}

INSTANTIATE_TEST_SUITE_P(Scenes, EmbeddedBannerLifetimeTest, ::testing::ValuesIn(kLifetimeScenes),
                         [](const auto& info) { return std::string(info.param.name); });

// The identifier the host gives names this device among a request's test devices: the ad server
// hears that test ads are wanted.
TEST_F(EmbeddedBannerGuiTest, TheHostsDeviceIdentifierAsksForTestAdsOnThisDevice) {
  tad::Request request;
  request.setTestDevices({"another-device", host->deviceIdentifier()});
  showAnAd(request);
  EXPECT_NE(requestsLogged().find("\"adtest\":\"on\""), std::string::npos);
}

// The privacy signals a request sets reach the ad server through the page script, and only
// those; where they say the ad may not be personalised, the server's log says why.
struct PrivacyScene {
  const char* name;
  std::function<void(tad::Request&)> set;
  std::vector<std::string> sent;  // the query's privacy keys, as the log writes them
  const char* nonPersonalised;
};

const PrivacyScene kPrivacyScenes[] = {
    {"NoneSet", [](tad::Request&) {}, {}, ""},
    {"RegimeWithConsent",
     [](tad::Request& request) {
       request.setConsentRegimeApplies(true);
       request.setConsentString("ads");
       request.setUSPrivacyString("choices-7");
       request.setChildDirectedTreatment(false);
     },
     {"\"cns_reg\":\"1\"", "\"cns\":\"ads\"", "\"usp\":\"choices-7\"", "\"cdt\":\"0\""},
     ""},
    {"ChildDirected",
     [](tad::Request& request) { request.setChildDirectedTreatment(true); },
     {"\"cdt\":\"1\""},
     "child-directed"},
};

void PrintTo(const PrivacyScene& scene, std::ostream* out) {
  *out << scene.name;
}

class EmbeddedBannerPrivacyTest : public EmbeddedBannerGuiTest,
                                  public ::testing::WithParamInterface<PrivacyScene> {};

TEST_P(EmbeddedBannerPrivacyTest, TheSignalsSetReachTheAdServer) {
  const PrivacyScene& scene = GetParam();
  tad::Request request;
  scene.set(request);
  showAnAd(request);
  std::istringstream lines(requestsLogged());
  std::string adLine;
  for (std::string line; std::getline(lines, line);) {
    if (line.find("\"path\":\"/ad\"") != std::string::npos) adLine = line;
  }
  ASSERT_FALSE(adLine.empty()) << requestsLogged();
  size_t keysSent = 0;
  for (const char* key : {"\"cns_reg\":", "\"cns\":", "\"usp\":", "\"cdt\":"})
    keysSent += adLine.find(key) != std::string::npos;
  EXPECT_EQ(keysSent, scene.sent.size()) << adLine;
  for (const std::string& pair : scene.sent)
    EXPECT_NE(adLine.find(pair), std::string::npos) << pair << " in " << adLine;
  EXPECT_NE(adLine.find("\"nonPersonalised\":\"" + std::string(scene.nonPersonalised) + "\""),
            std::string::npos)
      << adLine;
}

INSTANTIATE_TEST_SUITE_P(Signals, EmbeddedBannerPrivacyTest, ::testing::ValuesIn(kPrivacyScenes),
                         [](const auto& info) { return std::string(info.param.name); });

// Whatever keeps the banner from being seen holds its ad object's refresh back, as the program's
// own pause does; undone, refresh goes on (and one that fell due meanwhile comes at once, as the
// C face's refresh test shows through its pause).
TEST_F(EmbeddedBannerGuiTest, RefreshWaitsWhileTheBannerCannotBeSeenOrIsPaused) {
  GtkWidget* bannerWidget = banner->widget();
  // As the window manager reports a window minimised or withdrawn, and back.
  auto reportWindowState = [&](int state) {
    GdkEvent* event = gdk_event_new(GDK_WINDOW_STATE);
    event->window_state.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(window)));
    event->window_state.changed_mask =
        GdkWindowState(GDK_WINDOW_STATE_ICONIFIED | GDK_WINDOW_STATE_WITHDRAWN);
    event->window_state.new_window_state = GdkWindowState(state);
    gtk_widget_event(window, event);
    gdk_event_free(event);
  };
  const std::pair<const char*, std::function<void(bool)>> ways[] = {
      {"paused", [&](bool on) { on ? banner->pauseRefresh() : banner->resumeRefresh(); }},
      {"banner hidden",
       [&](bool on) { on ? gtk_widget_hide(bannerWidget) : gtk_widget_show(bannerWidget); }},
      {"window hidden", [&](bool on) { on ? gtk_widget_hide(window) : gtk_widget_show(window); }},
      {"minimised", [&](bool on) { reportWindowState(on ? GDK_WINDOW_STATE_ICONIFIED : 0); }},
      {"withdrawn", [&](bool on) { reportWindowState(on ? GDK_WINDOW_STATE_WITHDRAWN : 0); }},
  };
  ASSERT_TRUE(eventually([&] { return gtk_widget_get_mapped(bannerWidget); }));
  EXPECT_FALSE(banner->isRefreshPaused());
  for (const auto& [name, hide] : ways) {
    SCOPED_TRACE(name);
    hide(true);
    EXPECT_TRUE(eventually([&] { return banner->isRefreshPaused(); }, 5));
    hide(false);
    EXPECT_TRUE(eventually([&] { return !banner->isRefreshPaused(); }, 5));
  }
}

// A failed load says what the ad server answered and what failed underneath, when it knows.
struct FailureScene {
  const char* name;
  const char* fault;
  const char* event;
};

const FailureScene kFailureScenes[] = {
    {"ServerError", "ad:503",
     "fail 3 HTTP 503: Request Error: Server error processing the request."},
    {"ParametersRefused", "ad:400",
     "fail 0 HTTP 400: Request Error: Invalid ad request parameter(s).  Check the Xcode console "
     "for details."},
    {"NoAd", "ad:empty", "fail 1 HTTP 200: Request Error: No ad to show."},
    {"ConnectionClosed", "ad:close",
     "fail 2 HTTP 200 underlying: Request Error: A network error occurred."},
};

void PrintTo(const FailureScene& scene, std::ostream* out) {
  *out << scene.name;
}

// Both faces tell a failure alike: the C face's signal what the delegate hears, in the library's
// error domain.
template <typename Face>
class Failing : public Face, public ::testing::WithParamInterface<FailureScene> {
 protected:
  void SetUp() override {
    this->networkOptions = {"--refresh", "0", "--fault", this->GetParam().fault};
    Face::SetUp();
  }
  void expectTheFailureTold() {
    this->requestAd();
    ASSERT_TRUE(eventually([&] { return !this->events().empty(); }, 20));
    EXPECT_EQ(this->events().front(), this->GetParam().event);
  }
};
using EmbeddedBannerFailureTest = Failing<EmbeddedBannerGuiTest>;
using CBannerFailureTest = Failing<CBannerGuiTest>;

TEST_P(EmbeddedBannerFailureTest, TellsTheStatusAndTheUnderlyingError) {
  expectTheFailureTold();
}
TEST_P(CBannerFailureTest, TellsTheStatusAndTheUnderlyingError) {
  expectTheFailureTold();
}

INSTANTIATE_TEST_SUITE_P(Faults, EmbeddedBannerFailureTest, ::testing::ValuesIn(kFailureScenes),
                         [](const auto& info) { return std::string(info.param.name); });
INSTANTIATE_TEST_SUITE_P(Faults, CBannerFailureTest, ::testing::ValuesIn(kFailureScenes),
                         [](const auto& info) { return std::string(info.param.name); });

// Where a line of the library's own (the note that every load of a testing request writes) and a
// page's console line (the creative's) go for each writer a program may choose; each row's
// writer is handed both, and passes them on as it likes. Of the lines on stderr (whole lines, as
// they are), in GLib's log and handed to the writer, the rows list those two, by kind.
struct LogRoute {
  const char* name;
  tad::LogWriter passOn;  // none: no writer set
  std::vector<std::string> onStderr;
  std::vector<std::string> inGLib;
};

const LogRoute kLogRoutes[] = {
    {"NothingSet", nullptr, {"library", "page"}, {}},
    {"GLib", tad::glibLogWriter, {}, {"message library", "info page"}},
    {"Quiet", [](const tad::LogRecord&) {}, {}, {}},
    {"PagesQuiet",
     [](const tad::LogRecord& record) {
       if (record.source != tad::LogSource::Page) tad::defaultLogWriter(record);
     },
     {"library"},
     {}},
};

void PrintTo(const LogRoute& route, std::ostream* out) {
  *out << route.name;
}

class EmbeddedBannerLogTest : public EmbeddedBannerGuiTest,
                              public ::testing::WithParamInterface<LogRoute> {
 protected:
  // Ads of a creative whose page writes a console line as it is shown.
  void SetUp() override {
    networkOptions = {"--refresh", "0", "--creative", "probe"};
    EmbeddedBannerGuiTest::SetUp();
  }
  void TearDown() override {
    tad::setLogWriter({});
    EmbeddedBannerGuiTest::TearDown();
  }

  // "library" or "page" for the text of one of the two lines, else nothing.
  static std::string kindOf(std::string_view text) {
    if (text ==
        "<Talvik> \"testing\" property has been deprecated.  Use \"testDevices\" "
        "instead.")
      return "library";
    return text.starts_with("probe creative ") && text.ends_with(" shown") ? "page" : "";
  }
};

TEST_P(EmbeddedBannerLogTest, TheProgramRoutesOrQuietsTheLines) {
  const LogRoute& route = GetParam();
  std::vector<std::string> handed;  // "<level> <source>" of the two lines
  if (route.passOn) {
    tad::setLogWriter([&handed, &route](const tad::LogRecord& record) {
      if (!kindOf(record.text).empty()) {
        handed.push_back(std::string(record.level == tad::LogLevel::Message ? "message" : "info") +
                         (record.source == tad::LogSource::Page ? " page" : " library"));
      }
      route.passOn(record);
    });
  }
  {
    std::lock_guard<std::mutex> hold(loggedLock);
    loggedByTheLibrary.clear();
  }
  StderrCapture capture;
  auto onStderr = [&] {
    std::vector<std::string> kinds;
    for (const std::string& line : capture.lines())
      if (!kindOf(line).empty()) kinds.push_back(kindOf(line));
    return kinds;
  };
  tad::Request request;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  request.setTesting(true);
#pragma GCC diagnostic pop
  ASSERT_NO_FATAL_FAILURE(showAnAd(request));
  // The page's line comes last.
  ASSERT_TRUE(
      eventually([&] { return route.passOn ? handed.size() == 2 : onStderr().size() == 2; }, 10));
  if (route.passOn) {
    EXPECT_EQ(handed, (std::vector<std::string>{"message library", "info page"}));
  }
  EXPECT_EQ(onStderr(), route.onStderr);
  std::vector<std::string> inGLib;
  std::lock_guard<std::mutex> hold(loggedLock);
  for (const std::string& record : loggedByTheLibrary) {
    size_t colon = record.find(": ");
    if (!kindOf(std::string_view(record).substr(colon + 2)).empty())
      inGLib.push_back(record.substr(0, colon));
  }
  EXPECT_EQ(inGLib, route.inGLib);
}

INSTANTIATE_TEST_SUITE_P(Routes, EmbeddedBannerLogTest, ::testing::ValuesIn(kLogRoutes),
                         [](const auto& info) { return std::string(info.param.name); });

// A second host, or an address that is no origin, is refused in the host's error domain.
TEST_F(CBannerGuiTest, TheHostRefusesASecondHostAndAnAddressThatIsNoOrigin) {
  GError* error = nullptr;
  EXPECT_EQ(tad_host_new(nullptr, "org.example.Second", nullptr, nullptr, &error), nullptr);
  ASSERT_NE(error, nullptr);
  EXPECT_TRUE(g_error_matches(error, TAD_HOST_ERROR, TAD_HOST_ERROR_UNAVAILABLE)) << error->message;
  g_clear_error(&error);
  EXPECT_FALSE(tad_host_set_ad_network(cHost, "http://ads.example/ads", &error));
  EXPECT_TRUE(g_error_matches(error, TAD_HOST_ERROR, TAD_HOST_ERROR_INVALID_ORIGIN));
  g_clear_error(&error);
  EXPECT_TRUE(tad_host_set_ad_network(cHost, "http://ads.example/", nullptr));
  char* device = tad_host_get_device_identifier(cHost);
  EXPECT_GT(strlen(device), 0u);
  g_free(device);
}

// Refresh paused through the property waits, and resumed comes at once when it fell due.
TEST_F(CBannerRefreshTest, RefreshPausedThroughThePropertyWaitsUntilResumed) {
  g_object_set(cBanner, "refresh-paused", TRUE, nullptr);
  ASSERT_NO_FATAL_FAILURE(showAnAdInC());
  runFor(11);
  EXPECT_EQ(events(), (std::vector<std::string>{"receive", "impression"}));
  tad_banner_resume_refresh(TAD_BANNER(cBanner));
  EXPECT_FALSE(tad_banner_get_refresh_paused(TAD_BANNER(cBanner)));
  EXPECT_TRUE(eventually([&] { return events().size() >= 4; }, 5));
}

}  // namespace
