// The least a program can spend from its start to the first painted ad: a plain GTK window of the
// phone screen's size with one WebKit view of the banner's size along its bottom, which loads an
// ad page from the reference ad network started inside the program (as the soundboard starts
// it) and nothing else: no ad library, no page script, no settings, no sound. It looks for the
// painted ad the way the soundboard's --screenshot does (the window drawn into an image every
// 50 ms, the banner's rectangle counted as painted once more than a twentieth of its pixels differ
// from its top-left one), saves that image as PNG and quits.
//
//   first_ad_floor [--screenshot FILE] [--loads N] [--every SECONDS] [--network ORIGIN]
//                  [--build-page]
//
// It prints on stderr the milliseconds from the process's start (as the kernel records it) to
// the painted ad. With --loads N it loads the ad page N times in all, one after the other, each
// until painted, and then prints the resident size of the program and of its web engine's
// processes (KB), a second after the last load was painted: the floor for memory after N loads
// of the same pages. With --every, each load after the first starts that many seconds after the
// one before was painted, as a banner's refresh timer starts when its ad is shown: the floor for
// the processor time of a refresh at that pace. With --network it loads from that ad network
// (another process) instead.
//
// With --build-page each load first asks the network's page script for the ad address, as a plain
// WebKit program would: a page that names the script by its address on the network (WebKit
// fetches and caches it) and calls it with parameters of the shape and size a banner's request
// has, loaded in a second view that is never put in a window (WebKit gives that view a web process
// of its own, as it does every view made without a related one). The script answers by navigating
// to a page message address; the floor takes the ad address from it at the policy decision, turns
// the navigation down and loads that address in the banner's view. This is the floor for a refresh
// of the library, which runs the same script for each ad in a hidden view apart from the banner's.

#include <gtk/gtk.h>
#include <webkit2/webkit2.h>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>

#include "adnetwork/AdNetwork.h"
#include "bench/ProcessMemory.h"

namespace {

constexpr int kScreenWidth = 320;
constexpr int kScreenHeight = 480;
constexpr int kBannerHeight = 50;
constexpr guint kPollMilliseconds = 50;
constexpr double kTimeLimitSeconds = 15;

// Milliseconds since this process was started, from the kernel's record of its start (in clock
// ticks since boot) and the boot-time clock: dynamic loading and GTK's start count too.
double millisecondsSinceStart() {
  std::ifstream stat("/proc/self/stat");
  std::string text((std::istreambuf_iterator<char>(stat)), {});
  size_t close = text.rfind(')');
  if (close == std::string::npos) return -1;
  // Fields after the command's name start at the third; the start time is the 22nd.
  const char* field = text.c_str() + close + 2;
  for (int i = 3; i < 22 && field; ++i) {
    field = std::strchr(field, ' ');
    if (field) ++field;
  }
  if (!field) return -1;
  double startSeconds = std::strtod(field, nullptr) / static_cast<double>(sysconf(_SC_CLK_TCK));
  timespec now{};
  clock_gettime(CLOCK_BOOTTIME, &now);
  return (static_cast<double>(now.tv_sec) + now.tv_nsec / 1e9 - startSeconds) * 1000;
}

struct Floor {
  std::unique_ptr<adnetwork::AdNetwork> network;
  std::string origin;
  bool buildPage = false;
  // Owned by the floor: never put in a window.
  GtkWidget* buildView = nullptr;
  GtkWidget* window = nullptr;
  GtkWidget* stage = nullptr;
  GtkWidget* view = nullptr;
  std::string screenshot;
  int loads = 1;
  double everySeconds = 0;
  int loadsDone = 0;
  bool loadFinished = false;
  gint64 pollingSince = 0;
  int status = EXIT_SUCCESS;
};

GdkPixbuf* drawWindow(Floor& floor) {
  int width = gtk_widget_get_allocated_width(floor.stage);
  int height = gtk_widget_get_allocated_height(floor.stage);
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
  cairo_t* cr = cairo_create(surface);
  gtk_widget_draw(floor.stage, cr);
  cairo_surface_flush(surface);
  GdkPixbuf* picture = gdk_pixbuf_get_from_surface(surface, 0, 0, width, height);
  cairo_destroy(cr);
  cairo_surface_destroy(surface);
  return picture;
}

bool bannerPainted(GdkPixbuf* picture) {
  const int top = kScreenHeight - kBannerHeight;
  const int bottom = std::min(kScreenHeight, gdk_pixbuf_get_height(picture));
  const int right = std::min(kScreenWidth, gdk_pixbuf_get_width(picture));
  if (bottom <= top || right <= 0) return false;
  const guchar* pixels = gdk_pixbuf_read_pixels(picture);
  const int stride = gdk_pixbuf_get_rowstride(picture);
  const int channels = gdk_pixbuf_get_n_channels(picture);
  auto at = [&](int x, int y) {
    return pixels + static_cast<ptrdiff_t>(y) * stride + static_cast<ptrdiff_t>(x) * channels;
  };
  const guchar* first = at(0, top);
  long differing = 0;
  for (int y = top; y < bottom; ++y) {
    for (int x = 0; x < right; ++x)
      differing += std::memcmp(at(x, y), first, 3) != 0;
  }
  return differing * 20 > static_cast<long>(right) * (bottom - top);
}

// The page script's address and the parameters of a banner's request (made up, of the same keys
// and sizes as the library's), the request's count among them.
std::string buildPageText(int requests) {
  return "<html><head><script src=\"/avmo/sdk-core-v40.js\"></script><script>AVMO_buildAdURL({"
         R"("slotname":"floor-slot-0001","ad_frame":{"x":0,"y":410,"w":320,"h":50},)"
         R"("ad_bounds":{"x":0,"y":0,"w":320,"h":50},"u_w":320,"u_h":480,"u_sd":1,"u_so":"p",)"
         R"("u_audio":1,"app_name":"1.0.floor.example.Floor","platform":"Linux desktop",)"
         R"("submodel":"x86_64","isu":"00000000000000000000000000000000","js":"floor",)"
         R"("session_id":"1","prl":"10","ptime":"1","testing":1,"ios_jb":1,"ios_metadata":{},)"
         R"("preqs":")" +
         std::to_string(requests) + "\"});</script></head><body></body></html>";
}

void loadAd(Floor& floor) {
  floor.loadFinished = false;
  if (floor.buildPage) {
    webkit_web_view_load_html(WEBKIT_WEB_VIEW(floor.buildView),
                              buildPageText(floor.loadsDone + 1).c_str(),
                              (floor.origin + "/").c_str());
    return;
  }
  std::string url = floor.origin + "/ad";
  webkit_web_view_load_uri(WEBKIT_WEB_VIEW(floor.view), url.c_str());
}

// The url parameter of the script's answer (gmsg://x/loadAdURL?type=…&url=…), or empty.
std::string answeredAddress(const char* answer) {
  GUri* uri = g_uri_parse(answer, G_URI_FLAGS_ENCODED_QUERY, nullptr);
  if (!uri) return {};
  std::string address;
  const char* query = g_uri_get_query(uri);
  if (std::strcmp(g_uri_get_path(uri), "/loadAdURL") == 0 && query) {
    GHashTable* fields = g_uri_parse_params(query, -1, "&", G_URI_PARAMS_NONE, nullptr);
    if (fields) {
      auto* url = static_cast<const char*>(g_hash_table_lookup(fields, "url"));
      if (url) address = url;
      g_hash_table_unref(fields);
    }
  }
  g_uri_unref(uri);
  return address;
}

gboolean buildPageDecides(WebKitWebView*, WebKitPolicyDecision* decision,
                          WebKitPolicyDecisionType type, gpointer data) {
  if (type != WEBKIT_POLICY_DECISION_TYPE_NAVIGATION_ACTION) return FALSE;
  WebKitNavigationAction* action = webkit_navigation_policy_decision_get_navigation_action(
      WEBKIT_NAVIGATION_POLICY_DECISION(decision));
  const char* uri = webkit_uri_request_get_uri(webkit_navigation_action_get_request(action));
  if (std::strncmp(uri, "gmsg:", 5) != 0) return FALSE;
  webkit_policy_decision_ignore(decision);
  Floor& floor = *static_cast<Floor*>(data);
  std::string address = answeredAddress(uri);
  if (address.empty()) {
    std::fprintf(stderr, "first_ad_floor: the page script answered %s\n", uri);
    floor.status = EXIT_FAILURE;
    gtk_main_quit();
    return TRUE;
  }
  webkit_web_view_load_uri(WEBKIT_WEB_VIEW(floor.view), address.c_str());
  return TRUE;
}

void finishFirst(Floor& floor, GdkPixbuf* picture) {
  double elapsed = millisecondsSinceStart();
  if (!floor.screenshot.empty() &&
      !gdk_pixbuf_save(picture, floor.screenshot.c_str(), "png", nullptr, nullptr)) {
    std::fprintf(stderr, "first_ad_floor: cannot save %s\n", floor.screenshot.c_str());
    floor.status = EXIT_FAILURE;
  }
  std::fprintf(stderr, "first_ad_floor: first painted ad %.1f ms after start\n", elapsed);
}

gboolean reportResident(gpointer data) {
  ResidentMemory memory = residentMemory();
  std::fprintf(stderr, "first_ad_floor: after %d loads: program %ld KB, web engine %ld KB\n",
               static_cast<Floor*>(data)->loadsDone, memory.self, memory.children);
  gtk_main_quit();
  return G_SOURCE_REMOVE;
}

gboolean poll(gpointer data);

gboolean loadPaced(gpointer data) {
  Floor& floor = *static_cast<Floor*>(data);
  floor.pollingSince = g_get_monotonic_time();
  loadAd(floor);
  g_timeout_add(kPollMilliseconds, poll, data);
  return G_SOURCE_REMOVE;
}

gboolean poll(gpointer data) {
  Floor& floor = *static_cast<Floor*>(data);
  if (floor.loadFinished) {
    GdkPixbuf* picture = drawWindow(floor);
    bool painted = picture && bannerPainted(picture);
    if (painted) {
      if (floor.loadsDone == 0) finishFirst(floor, picture);
      ++floor.loadsDone;
    }
    if (picture) g_object_unref(picture);
    if (painted) {
      if (floor.loadsDone >= floor.loads) {
        if (floor.loads > 1) {
          g_timeout_add(1000, reportResident, data);
        } else {
          gtk_main_quit();
        }
        return G_SOURCE_REMOVE;
      }
      if (floor.everySeconds > 0) {
        g_timeout_add(static_cast<guint>(floor.everySeconds * 1000), loadPaced, data);
        return G_SOURCE_REMOVE;
      }
      floor.pollingSince = g_get_monotonic_time();
      loadAd(floor);
      return G_SOURCE_CONTINUE;
    }
  }
  if ((g_get_monotonic_time() - floor.pollingSince) / 1e6 >= kTimeLimitSeconds) {
    std::fprintf(stderr, "first_ad_floor: no painted ad within %.0f s\n", kTimeLimitSeconds);
    floor.status = EXIT_FAILURE;
    gtk_main_quit();
    return G_SOURCE_REMOVE;
  }
  return G_SOURCE_CONTINUE;
}

void loadChanged(WebKitWebView*, WebKitLoadEvent event, gpointer data) {
  if (event == WEBKIT_LOAD_FINISHED) static_cast<Floor*>(data)->loadFinished = true;
}

// Polling starts once the window has been drawn for the first time, as the soundboard's does.
gboolean firstDraw(GtkWidget* widget, cairo_t*, gpointer data) {
  Floor& floor = *static_cast<Floor*>(data);
  g_signal_handlers_disconnect_by_func(widget, reinterpret_cast<gpointer>(firstDraw), data);
  floor.pollingSince = g_get_monotonic_time();
  g_timeout_add(kPollMilliseconds, poll, data);
  return FALSE;
}

}  // namespace

int main(int argc, char** argv) {
  Floor floor;
  for (int i = 1; i < argc; ++i) {
    std::string argument = argv[i];
    if (argument == "--screenshot" && i + 1 < argc) {
      floor.screenshot = argv[++i];
    } else if (argument == "--loads" && i + 1 < argc) {
      floor.loads = std::max(1, std::atoi(argv[++i]));
    } else if (argument == "--every" && i + 1 < argc) {
      floor.everySeconds = std::max(0.0, std::atof(argv[++i]));
    } else if (argument == "--network" && i + 1 < argc) {
      floor.origin = argv[++i];
    } else if (argument == "--build-page") {
      floor.buildPage = true;
    } else {
      std::fprintf(stderr,
                   "usage: first_ad_floor [--screenshot FILE] [--loads N] [--every SECONDS] "
                   "[--network ORIGIN] [--build-page]\n");
      return 2;
    }
  }
  gtk_init(&argc, &argv);
  if (floor.origin.empty()) {
    auto started = adnetwork::AdNetwork::start({});
    if (!started) {
      std::fprintf(stderr, "first_ad_floor: the ad network did not start: %s\n",
                   started.error().localizedDescription().c_str());
      return EXIT_FAILURE;
    }
    floor.network = std::move(*started);
    floor.origin = floor.network->origin();
  }

  floor.window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  gtk_window_set_default_size(GTK_WINDOW(floor.window), kScreenWidth, kScreenHeight);
  gtk_window_set_resizable(GTK_WINDOW(floor.window), FALSE);
  floor.stage = gtk_fixed_new();
  gtk_widget_set_size_request(floor.stage, kScreenWidth, kScreenHeight);
  gtk_container_add(GTK_CONTAINER(floor.window), floor.stage);
  floor.view = webkit_web_view_new();
  gtk_widget_set_size_request(floor.view, kScreenWidth, kBannerHeight);
  gtk_fixed_put(GTK_FIXED(floor.stage), floor.view, 0, kScreenHeight - kBannerHeight);
  g_signal_connect(floor.view, "load-changed", G_CALLBACK(loadChanged), &floor);
  g_signal_connect(floor.window, "draw", G_CALLBACK(firstDraw), &floor);
  if (floor.buildPage) {
    floor.buildView = GTK_WIDGET(g_object_ref_sink(webkit_web_view_new()));
    g_signal_connect(floor.buildView, "decide-policy", G_CALLBACK(buildPageDecides), &floor);
  }
  g_signal_connect(floor.window, "destroy", G_CALLBACK(gtk_main_quit), nullptr);
  loadAd(floor);
  gtk_widget_show_all(floor.window);
  gtk_main();
  if (floor.buildView) {
    gtk_widget_destroy(floor.buildView);
    g_object_unref(floor.buildView);
  }
  return floor.status;
}
