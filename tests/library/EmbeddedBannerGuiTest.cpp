// A banner in a host program's own window, on the host's own loop: where its files go, and where
// the screen that a click opens appears.

#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <signal.h>
#include <tad/tad.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "tests/platform/gtk/XTestInput.h"
#include "tests/support/TemporaryFolder.h"

namespace {

namespace fs = std::filesystem;

class RecordingDelegate : public tad::BannerDelegate {
 public:
  void bannerDidReceiveAd(tad::Banner&) override { events.push_back("receive"); }
  void bannerDidFailToReceiveAd(tad::Banner&, const tad::RequestError& error) override {
    events.push_back("fail: " + error.description);
  }
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

class EmbeddedBannerGuiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Before GTK or GLib read them.
    for (const char* variable : {"XDG_CACHE_HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME"}) {
      fs::create_directories(home / variable);
      ::setenv(variable, (home / variable).c_str(), 1);
    }
    startNetwork();
    ASSERT_FALSE(origin.empty());
    std::string error;
    host = tad::Host::create(
        {"org.example.HostTest", "Host Test", "2.0", "host-cache", "host-settings", "host-data"},
        nullptr, &error);
    ASSERT_TRUE(host) << error;
    ASSERT_TRUE(host->setAdNetwork(origin));

    window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_default_size(GTK_WINDOW(window), 480, 300);
    GtkWidget* column = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
    gtk_box_pack_start(GTK_BOX(column), gtk_label_new("The host's own text"), TRUE, TRUE, 0);
    banner = std::make_unique<tad::Banner>("host-test-unit");
    banner->setDelegate(delegate);
    gtk_box_pack_end(GTK_BOX(column), banner->widget(), FALSE, FALSE, 0);
    gtk_container_add(GTK_CONTAINER(window), column);
    gtk_widget_show_all(window);
  }
  void TearDown() override {
    banner.reset();
    if (window) gtk_widget_destroy(window);
    host.reset();
    if (network) {
      ::kill(network, SIGTERM);
      g_spawn_close_pid(network);
    }
  }

  // The reference network as its own program, serving the landing-page creative only.
  void startNetwork() {
    const char* argv[] = {TAD_ADNETWORK_PROGRAM, "--creative", "landing",
                          "--refresh",           "0",          nullptr};
    int output = -1;
    GError* error = nullptr;
    if (!g_spawn_async_with_pipes(nullptr, const_cast<char**>(argv), nullptr, G_SPAWN_DEFAULT,
                                  nullptr, nullptr, &network, nullptr, &output, nullptr, &error)) {
      ADD_FAILURE() << error->message;
      g_error_free(error);
      return;
    }
    char character = 0;
    while (::read(output, &character, 1) == 1 && character != '\n')
      origin += character;
    ::close(output);
  }

  void showAnAd() {
    banner->loadRequest(tad::Request());
    bool painted = false;
    bool answered = false;
    banner->whenAdPainted(20, [&](bool result) {
      painted = result;
      answered = true;
    });
    ASSERT_TRUE(eventually([&] { return answered; }, 25));
    ASSERT_TRUE(painted) << (delegate->events.empty() ? "" : delegate->events.back());
  }

  // A real press in the middle of the banner.
  void clickTheBanner() {
    int x = 0;
    int y = 0;
    gtk_widget_translate_coordinates(banner->widget(), window, tad::Banner::kWidth / 2,
                                     tad::Banner::kHeight / 2, &x, &y);
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

  test_support::TemporaryFolder home;
  GPid network = 0;
  std::string origin;
  std::unique_ptr<tad::Host> host;
  GtkWidget* window = nullptr;
  std::unique_ptr<tad::Banner> banner;
  std::shared_ptr<RecordingDelegate> delegate = std::make_shared<RecordingDelegate>();
};

TEST_F(EmbeddedBannerGuiTest, TheHostsIdentityNamesTheFoldersTheLibraryKeepsItsFilesIn) {
  showAnAd();
  EXPECT_EQ(delegate->events.front(), "receive");
  host.reset();  // the library hears that the program ends and saves its settings
  const fs::path root = home.path();
  EXPECT_TRUE(
      fs::exists(root / "XDG_CONFIG_HOME" / "host-settings" / "org.example.HostTest.plist"));
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
  const std::vector<std::string> once{"receive", "present", "willDismiss", "didDismiss"};
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
    std::vector<std::string> expected{"receive"};
    for (int i = 0; i < round; ++i)
      expected.insert(expected.end(), once.begin() + 1, once.end());
    EXPECT_EQ(delegate->events, expected);
    EXPECT_EQ(gtk_grab_get_current(), nullptr);  // nothing modal holds the input any more
    runFor(0.3);
  }
}

// What an origin is, base::URL says; the host takes one and refuses anything more.
TEST_F(EmbeddedBannerGuiTest, TheAdNetworkIsAnHttpOriginAndNothingMore) {
  EXPECT_TRUE(host->setAdNetwork("http://ads.example/"));
  EXPECT_FALSE(host->setAdNetwork("http://ads.example/ads"));
}

}  // namespace
