// A banner ad against the reference ad network on a loopback port, in the real web view: how long
// a load takes next to the least it could take, what one refresh asks of the network, and whether
// the program's memory grows over hundreds of refreshes. Google Benchmark's loop does not fit a
// GUI loop that must run between the start and the end of each measurement, so this is a small
// program of its own; it needs a display (run it under xvfb-run).
//
//   live_ad_bench [--loads N] [--refreshes N] [--period SECONDS] [--network ORIGIN]
//
// With --network, the ad network is another process (tad-reference-network --refresh SECONDS,
// whose period then counts) and only the resident size is measured, free of the embedded
// network's log.

#include <gtk/gtk.h>
#include <libsoup/soup.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "adnetwork/AdNetwork.h"
#include "ads/Configuration/TADAdNetwork.h"
#include "ads/Delegate/TADBannerViewDelegate.h"
#include "ads/Network/TADCachedFile.h"
#include "ads/Object/TADObjectPrivate.h"
#include "ads/Request/TADRequest.h"
#include "ads/View/TADBannerView.h"
#include "bench/ProcessMemory.h"
#include "platform/glibsupport/GlibPtr.h"
#include "platform/gtk/GtkPlatform.h"
#include "platform/gtk/GtkWebContext.h"
#include "platform/storage/UserDefaults.h"
#include "platform/ui/Screen.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/WebView.h"
#include "platform/ui/Window.h"

namespace {

using Clock = std::chrono::steady_clock;
namespace glib = platform::glib;
using adnetwork::AdNetwork;
constexpr platform::Rect kBannerFrame{0, 430, 320, 50};

double since(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  size_t middle = values.size() / 2;
  return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

class TimingDelegate : public TADBannerViewDelegate {
 public:
  void adViewDidReceiveAd(const std::shared_ptr<TADBannerView>&) override {
    ++received;
    at = Clock::now();
  }
  void adViewDidFailToReceiveAdWithError(const std::shared_ptr<TADBannerView>&,
                                         const TADRequestError&) override {
    ++failed;
  }
  int received = 0;
  int failed = 0;
  Clock::time_point at;
};

class FinishDelegate : public platform::WebViewDelegate {
 public:
  void webViewDidFinishLoad(platform::WebView&) override { finished = true; }
  void webViewDidFailLoadWithError(platform::WebView&, const base::Error&) override {
    finished = true;
  }
  bool finished = false;
};

class Bench {
 public:
  // With an origin, the library is pointed at that network (another process, which keeps its own
  // request log) and only memory can be measured.
  bool start(const std::string& externalNetwork) {
    if (!externalNetwork.empty()) {
      TADAdNetwork::pointAt(externalNetwork);
    } else {
      auto started = AdNetwork::start({});
      if (!started) {
        return report("the ad network did not start: " + started.error().localizedDescription());
      }
      network_ = std::move(*started);
      network_->setRefreshSeconds(0);
      network_->pinCreative("landing");
      TADAdNetwork::pointAt(network_->origin());
    }
    platform::gtk::GtkPlatform::Options options;
    options.resourcePath = "/nonexistent";
    options.userDefaults = std::make_shared<platform::UserDefaults>();
    options.webContext =
        std::make_shared<platform::gtk::GtkWebContext>(folder_ + "/data", folder_ + "/cache");
    auto platform = platform::gtk::GtkPlatform::create(options);
    if (!platform) return report(platform.error().localizedDescription());
    platform_ = std::move(*platform);
    bool launched = platform_->launch([&] {
      window_ = std::make_shared<platform::Window>(platform::Screen::main().bounds());
      window_->setRootViewController(root_);
      window_->makeKeyAndVisible();
      banner_ = TADBannerView::initWithFrame(kBannerFrame);
      banner_->setAdUnitID("bench-slot");
      banner_->setRootViewController(root_);
      banner_->setDelegate(delegate_);
      // Refreshes as often as the period asks: what one costs is the measure, not the floor.
      TADObjectPrivate::ofView(*banner_)->setRefreshLimits(0, TADObjectPrivate::kFirstRetrySeconds);
      root_->view()->addSubview(banner_);
      return true;
    });
    return launched || report("the platform did not launch");
  }

  ~Bench() {
    if (banner_) TADObjectPrivate::ofView(*banner_)->cancelPendingActions();
    std::filesystem::remove_all(folder_);
  }

  // One load from loadRequest to did-receive-ad, in milliseconds, with the phase it was in at
  // each step (script answered, ad page fetched); negative when it failed.
  struct Load {
    double total = -1;
    double scriptAnswered = 0;
    double pageFetched = 0;
  };
  Load load() {
    int received = delegate_->received;
    int failed = delegate_->failed;
    auto object = TADObjectPrivate::ofView(*banner_);
    Load result;
    Clock::time_point begin = Clock::now();
    banner_->loadRequest(TADRequest::request());
    TADObjectPrivate::State state = object->state();
    loop().runUntil(
        [&] {
          TADObjectPrivate::State now = object->state();
          if (now != state && now == TADObjectPrivate::State::FetchingAdPage) {
            result.scriptAnswered = since(begin);
          }
          if (now != state && now == TADObjectPrivate::State::Showing) {
            result.pageFetched = since(begin);
          }
          state = now;
          return delegate_->received > received || delegate_->failed > failed;
        },
        30);
    if (delegate_->received > received) {
      result.total = std::chrono::duration<double, std::milli>(delegate_->at - begin).count();
    }
    return result;
  }

  // Lets the loop run idle for a while, so that the next measurement does not pay for the tail of
  // the one before (the web process drawing the page it has just shown, tracking requests).
  void settle() {
    loop().runUntil([] { return false; }, 0.2);
  }

  // Makes the next load fetch the page script anew: no stored copy, no date.
  void forgetScript() {
    platform::UserDefaults::standard().removeObjectForKey("talvik_stats_TADObjectPrivate");
    std::filesystem::remove(scriptCopyPath());
  }

  // The floor of a load: one GET of the last ad page, then the same HTML in a plain web view of
  // the banner's size until it has finished loading.
  struct Floor {
    double get = -1;
    double render = -1;
  };
  Floor floor() {
    Floor result;
    std::string url = network_->origin() + lastAdPath();
    auto message = glibsupport::adopt(soup_message_new("GET", url.c_str()));
    struct Outcome {
      bool done = false;
      std::string body;
    } outcome;
    Clock::time_point begin = Clock::now();
    soup_session_send_and_read_async(
        session_.get(), message.get(), G_PRIORITY_DEFAULT, nullptr,
        [](GObject* source, GAsyncResult* asyncResult, gpointer data) {
          auto* outcome = static_cast<Outcome*>(data);
          glibsupport::GBytesPtr body(
              soup_session_send_and_read_finish(SOUP_SESSION(source), asyncResult, nullptr));
          if (body) {
            gsize size = 0;
            const char* bytes = static_cast<const char*>(g_bytes_get_data(body.get(), &size));
            outcome->body.assign(bytes, size);
          }
          outcome->done = true;
        },
        &outcome);
    loop().runUntil([&] { return outcome.done; }, 30);
    result.get = since(begin);
    if (outcome.body.empty()) return result;

    // The banner's web view is made once and loads every ad; so does the floor's.
    if (!floorView_) floorView_ = makeView();
    result.render = render(*floorView_, outcome.body, url);
    return result;
  }

  std::shared_ptr<platform::WebView> makeView() {
    auto view = std::make_shared<platform::WebView>(kBannerFrame);
    root_->view()->addSubview(view);
    return view;
  }
  // Milliseconds from loading html into view to its finished load; negative when it never ends.
  double render(platform::WebView& view, const std::string& html, const std::string& url) {
    auto finish = std::make_shared<FinishDelegate>();
    view.setDelegate(finish);
    Clock::time_point begin = Clock::now();
    view.loadHTMLString(html, base::URL::fromString(url));
    bool finished = loop().runUntil([&] { return finish->finished; }, 30);
    double elapsed = since(begin);
    view.setDelegate({});
    return finished ? elapsed : -1;
  }

  // Refreshes on period until count more ads have been received; answers whether they were.
  bool refresh(int count, double period) {
    int target = delegate_->received + count;
    return loop().runUntil([&] { return delegate_->received >= target; }, count * (period + 5));
  }
  void setPeriod(double seconds) {
    if (network_) network_->setRefreshSeconds(seconds);
  }
  void stopRefreshing() { TADObjectPrivate::ofView(*banner_)->cancelPendingActions(); }

  std::vector<AdNetwork::LoggedRequest> requests() const {
    return network_ ? network_->requests() : std::vector<AdNetwork::LoggedRequest>{};
  }
  int failures() const { return delegate_->failed; }
  glib::GlibRunLoop& loop() { return platform_->runLoop(); }

 private:
  bool report(const std::string& what) {
    std::fprintf(stderr, "live_ad_bench: %s\n", what.c_str());
    return false;
  }
  std::string lastAdPath() const {
    std::string path;
    for (const auto& request : network_->requests()) {
      if (request.path != "/ad") continue;
      path = "/ad?";
      for (const auto& [key, value] : request.query) {
        path += glibsupport::GCharPtr(g_uri_escape_string(key.c_str(), nullptr, false)).get();
        path += "=";
        path += glibsupport::GCharPtr(g_uri_escape_string(value.c_str(), nullptr, false)).get();
        path += "&";
      }
      path.pop_back();
    }
    return path;
  }
  // Where the library keeps its copy of the page script: a page-script file of the same address
  // names the same copy.
  static std::string scriptCopyPath() {
    auto file = TADCachedFile::initWithDelegate({}, TADObjectPrivate::jsBuildAdURL(),
                                                TADCachedFile::Storage::PageScript);
    return file->filePath().value_or("");
  }

  std::string folder_ =
      glibsupport::GCharPtr(g_dir_make_tmp("live-ad-bench-XXXXXX", nullptr)).get();
  std::unique_ptr<AdNetwork> network_;
  std::unique_ptr<platform::gtk::GtkPlatform> platform_;
  std::shared_ptr<platform::Window> window_;
  std::shared_ptr<platform::ViewController> root_ = std::make_shared<platform::ViewController>();
  std::shared_ptr<TADBannerView> banner_;
  std::shared_ptr<platform::WebView> floorView_;
  std::shared_ptr<TimingDelegate> delegate_ = std::make_shared<TimingDelegate>();
  glibsupport::GObjectPtr<SoupSession> session_ = glibsupport::adopt(soup_session_new());
};

void measureLatency(Bench& bench, int loads) {
  std::vector<double> stored, fresh, floorGet, floorRender, floorTotal, script, page;
  std::vector<double> freshScript;
  for (int i = 0; i < loads; ++i) {
    bench.forgetScript();
    bench.settle();
    Bench::Load freshLoad = bench.load();
    bench.settle();
    Bench::Load storedLoad = bench.load();
    bench.settle();
    Bench::Floor floor = bench.floor();
    if (freshLoad.total < 0 || storedLoad.total < 0 || floor.render < 0) {
      std::fprintf(stderr, "live_ad_bench: load %d failed\n", i);
      continue;
    }
    fresh.push_back(freshLoad.total);
    freshScript.push_back(freshLoad.scriptAnswered);
    stored.push_back(storedLoad.total);
    script.push_back(storedLoad.scriptAnswered);
    page.push_back(storedLoad.pageFetched - storedLoad.scriptAnswered);
    floorGet.push_back(floor.get);
    floorRender.push_back(floor.render);
    floorTotal.push_back(floor.get + floor.render);
  }
  double floorMs = median(floorTotal);
  std::printf("ad-load latency, medians of %zu rounds (ms):\n", stored.size());
  std::printf("  floor: GET %.1f + plain web view %.1f = %.1f\n", median(floorGet),
              median(floorRender), floorMs);
  std::printf(
      "  script stored: %.1f (ratio %.2f); script answered at %.1f, ad page fetched "
      "%.1f later, shown %.1f after that\n",
      median(stored), median(stored) / floorMs, median(script), median(page),
      median(stored) - median(script) - median(page));
  std::printf("  script fresh:  %.1f (ratio %.2f); script answered at %.1f\n", median(fresh),
              median(fresh) / floorMs, median(freshScript));
}

void measureRequests(Bench& bench, int refreshes, double period) {
  bench.setPeriod(period);
  bench.load();
  bench.refresh(3, period);  // steady state
  size_t from = bench.requests().size();
  if (!bench.refresh(refreshes, period)) std::fprintf(stderr, "live_ad_bench: refreshes stalled\n");
  std::vector<AdNetwork::LoggedRequest> log = bench.requests();
  std::map<std::string, int> byPath;
  for (size_t i = from; i < log.size(); ++i)
    ++byPath[log[i].path.rfind("/creative/", 0) == 0 ? "/creative/… (page resources)"
                                                     : log[i].path];
  std::printf("requests per refresh over %d refreshes:\n", refreshes);
  for (const auto& [path, count] : byPath)
    std::printf("  %-32s %.2f\n", path.c_str(), static_cast<double>(count) / refreshes);
}

// The text the embedded network keeps in its request log, which lives in this process and grows
// with every request by design.
size_t logBytes(const std::vector<AdNetwork::LoggedRequest>& log) {
  size_t bytes = 0;
  for (const auto& request : log) {
    bytes += request.method.size() + request.path.size() + request.fault.size();
    for (const auto& [key, value] : request.query)
      bytes += key.size() + value.size();
    for (const auto& [key, value] : request.headers)
      bytes += key.size() + value.size();
  }
  return bytes;
}

void measureMemory(Bench& bench, int refreshes, double period) {
  if (refreshes <= 0) return;  // no window to measure, nor a first and last to compare
  constexpr int kWindow = 20;
  bench.setPeriod(period);
  std::printf("resident size every %d refreshes (KB; program, web engine processes):\n", kWindow);
  std::vector<long> selves;
  for (int done = 0; done < refreshes; done += kWindow) {
    if (!bench.refresh(kWindow, period)) {
      std::fprintf(stderr, "live_ad_bench: refreshes stalled\n");
      return;
    }
    ResidentMemory now = residentMemory();
    selves.push_back(now.self);
    std::printf(
        "  after %3d: %ld (anonymous %ld)  %ld  (the network's request log holds %zu KB of "
        "text)\n",
        done + kWindow, now.self, now.selfAnonymous, now.children,
        logBytes(bench.requests()) / 1024);
  }
  // Noise: the spread between successive windows once the first has warmed up.
  long spread = 0;
  for (size_t i = 2; i < selves.size(); ++i)
    spread = std::max(spread, std::labs(selves[i] - selves[i - 1]));
  std::printf(
      "  growth from 20 to %d: %ld KB; largest step between successive windows after the "
      "first: %ld KB; failures: %d\n",
      refreshes, selves.back() - selves.front(), spread, bench.failures());
  bench.stopRefreshing();
}

}  // namespace

int main(int argc, char** argv) {
  int loads = 15;
  int refreshes = 300;
  double period = 0.05;
  std::string externalNetwork;
  for (int i = 1; i + 1 < argc; i += 2) {
    std::string option = argv[i];
    if (option == "--loads") loads = std::atoi(argv[i + 1]);
    if (option == "--refreshes") refreshes = std::atoi(argv[i + 1]);
    if (option == "--period") period = std::atof(argv[i + 1]);
    if (option == "--network") externalNetwork = argv[i + 1];
  }
  std::string caches =
      glibsupport::GCharPtr(g_dir_make_tmp("live-ad-bench-caches-XXXXXX", nullptr)).get();
  ::setenv("XDG_CACHE_HOME", caches.c_str(), 1);
  int status = EXIT_FAILURE;
  {
    Bench bench;
    if (bench.start(externalNetwork)) {
      if (externalNetwork.empty()) {
        measureLatency(bench, loads);
        measureRequests(bench, 20, period);
      } else {
        bench.load();
      }
      measureMemory(bench, refreshes, period);
      status = EXIT_SUCCESS;
    }
  }
  std::filesystem::remove_all(caches);
  return status;
}
