#pragma once

// What the GTK backend's tests share: a platform that keeps its console lines, and ways to look
// at what GTK really does.

#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "platform/glibsupport/GlibPtr.h"
#include "platform/gtk/GtkPlatform.h"
#include "platform/ui/Screen.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/WebView.h"
#include "platform/ui/Window.h"
#include "tests/support/TemporaryFolder.h"

namespace platform {
inline void PrintTo(const Rect& r, std::ostream* out) {
  *out << r.minX() << "," << r.minY() << " " << r.width() << "x" << r.height();
}
}  // namespace platform

namespace platform::gtk::testing {

class RecordingConsole : public Console {
 public:
  void write(std::string_view line) override { lines.emplace_back(line); }
  bool saidSomethingWith(std::string_view text) const {
    for (const std::string& line : lines)
      if (line.find(text) != std::string::npos) return true;
    return false;
  }
  std::vector<std::string> lines;
};

// One web context for all the tests of a program, as the program has one; its website data and
// caches live in a temporary folder that goes when the program ends.
inline std::shared_ptr<GtkWebContext> testWebContext() {
  static const test_support::TemporaryFolder folder;
  static auto context = std::make_shared<GtkWebContext>(folder / "data", folder / "cache");
  return context;
}

// Points the library's caches (XDG_CACHE_HOME) at a folder of this test program, not the user's;
// the folder goes when the program ends. Answers its path.
inline const std::string& useTemporaryCacheHome() {
  static const test_support::TemporaryFolder folder;
  [[maybe_unused]] static const int pointed = ::setenv("XDG_CACHE_HOME", folder.path().c_str(), 1);
  return folder.path();
}

// Its web views are made in context, the tests' one unless given.
inline std::unique_ptr<GtkPlatform> makePlatform(std::shared_ptr<RecordingConsole> console,
                                                 UserInterfaceIdiom idiom,
                                                 std::string resources = "/nonexistent",
                                                 std::shared_ptr<GtkWebContext> context = nullptr) {
  GtkPlatform::Options options;
  options.idiom = idiom;
  options.resourcePath = std::move(resources);
  options.console = std::move(console);
  // Tests leave the user's own defaults file alone.
  options.userDefaults = std::make_shared<UserDefaults>();
  options.webContext = context ? std::move(context) : testWebContext();
  auto platform = GtkPlatform::create(options);
  if (!platform) {
    ADD_FAILURE() << platform.error().localizedDescription();
    return nullptr;
  }
  return std::move(*platform);
}

// Launches platform with a key window over the whole device screen whose root controller is root,
// then lets then add what the test needs while the program starts. Answers the window, or nullptr
// when the launch failed.
inline std::shared_ptr<Window> launchWithKeyWindow(GtkPlatform& platform,
                                                   std::shared_ptr<ViewController> root,
                                                   const std::function<void(Window&)>& then = {}) {
  std::shared_ptr<Window> window;
  bool launched = platform.launch([&] {
    window = std::make_shared<Window>(Screen::main().bounds());
    window->setRootViewController(std::move(root));
    window->makeKeyAndVisible();
    if (then) then(*window);
    return true;
  });
  return launched ? window : nullptr;
}

// Runs script in webView's page and waits on the main loop for its text answer.
inline std::string evaluateIn(GtkPlatform& platform, WebView& webView, const std::string& script) {
  std::optional<std::string> result;
  webView.evaluateJavaScript(script, [&](const std::string& text) { result = text; });
  EXPECT_TRUE(platform.runLoop().runUntil([&] { return result.has_value(); }, 10)) << script;
  return result.value_or("(no answer)");
}

// Asks the page again until it answers text: for what the page comes to hear later.
inline bool pageComesToSay(GtkPlatform& platform, WebView& webView, const std::string& script,
                           const std::string& text) {
  for (int attempt = 0; attempt < 1000; ++attempt)
    if (evaluateIn(platform, webView, script) == text) return true;
  return false;
}

// A test on a phone platform of its own: launch() makes it, unless the test has, and starts it
// with a key window whose root controller is root, letting then add what the test needs while
// the program starts.
class PhonePlatformTest : public ::testing::Test {
 protected:
  void launch(const std::function<void(Window&)>& then = {}) {
    if (!platform) platform = makePlatform(console, UserInterfaceIdiom::Phone);
    ASSERT_TRUE(platform);
    window = launchWithKeyWindow(*platform, root, then);
    ASSERT_TRUE(window);
  }
  bool eventually(const std::function<bool()>& done) {
    return platform->runLoop().runUntil(done, 10);
  }
  std::string evaluate(WebView& webView, const std::string& script) {
    return evaluateIn(*platform, webView, script);
  }

  std::shared_ptr<RecordingConsole> console = std::make_shared<RecordingConsole>();
  std::unique_ptr<GtkPlatform> platform;
  std::shared_ptr<ViewController> root = std::make_shared<ViewController>();
  std::shared_ptr<Window> window;
};

// Where widget is drawn on the device screen (the stage), as laid out by GTK.
inline Rect placeOnScreen(GtkWidget* widget, GtkWidget* stage) {
  int x = 0, y = 0;
  gtk_widget_translate_coordinates(widget, stage, 0, 0, &x, &y);
  return Rect(x, y, gtk_widget_get_allocated_width(widget),
              gtk_widget_get_allocated_height(widget));
}

// How many pixels of area (in points, clipped to both pictures) differ between a and b.
inline size_t differingPixels(GdkPixbuf* a, GdkPixbuf* b, Rect area) {
  int left = std::max(0, static_cast<int>(area.minX()));
  int top = std::max(0, static_cast<int>(area.minY()));
  int right =
      std::min({static_cast<int>(area.maxX()), gdk_pixbuf_get_width(a), gdk_pixbuf_get_width(b)});
  int bottom =
      std::min({static_cast<int>(area.maxY()), gdk_pixbuf_get_height(a), gdk_pixbuf_get_height(b)});
  auto pixel = [](GdkPixbuf* picture, int x, int y) {
    const guchar* row = gdk_pixbuf_read_pixels(picture) +
                        static_cast<ptrdiff_t>(y) * gdk_pixbuf_get_rowstride(picture);
    const guchar* p = row + static_cast<ptrdiff_t>(x) * gdk_pixbuf_get_n_channels(picture);
    return std::array<guchar, 3>{p[0], p[1], p[2]};
  };
  size_t count = 0;
  for (int y = top; y < bottom; ++y) {
    for (int x = left; x < right; ++x)
      count += pixel(a, x, y) != pixel(b, x, y);
  }
  return count;
}

// What the display shows of window now, one pixel a point: unlike a snapshot, which draws the
// widgets afresh, this is what was last painted on the screen.
inline glibsupport::GObjectPtr<GdkPixbuf> displayedPixels(GtkWindow* window) {
  GdkWindow* surface = gtk_widget_get_window(GTK_WIDGET(window));
  if (!surface) return {};
  gdk_display_sync(gdk_window_get_display(surface));
  return glibsupport::GObjectPtr<GdkPixbuf>::adopt(gdk_pixbuf_get_from_window(
      surface, 0, 0, gdk_window_get_width(surface), gdk_window_get_height(surface)));
}

// Adds the widgets of type in widget's tree to found, each before its children.
inline void collectWidgets(GtkWidget* widget, GType type, std::vector<GtkWidget*>& found) {
  if (G_TYPE_CHECK_INSTANCE_TYPE(widget, type)) found.push_back(widget);
  if (!GTK_IS_CONTAINER(widget)) return;
  GList* children = gtk_container_get_children(GTK_CONTAINER(widget));
  for (GList* child = children; child; child = child->next)
    collectWidgets(GTK_WIDGET(child->data), type, found);
  g_list_free(children);
}

}  // namespace platform::gtk::testing
