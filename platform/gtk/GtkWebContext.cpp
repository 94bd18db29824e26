#include "platform/gtk/GtkWebContext.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <initializer_list>
#include <memory>
#include <string_view>
#include <utility>

#include "platform/core/Console.h"
#include "platform/gtk/GtkLocalNetworkFilter.h"
#include "platform/gtk/GtkWebProcess.h"
#include "platform/gtk/GtkWebViewGuard.h"

namespace platform::gtk {

namespace {

// What an empty page loaded from text (which leaves no history) shows as its address.
constexpr const char kEmptyPage[] = "about:blank";

// Memory pressure: WebKit frees caches from half the limit on, and all it can from three
// quarters; at the limit it ends the process. Each look reads the whole memory map of each web
// process (/proc/PID/smaps, megabytes of text for the libraries a web process maps): once a second
// it was most of what an idle program spent, and at WebKit's default of 30 seconds still about
// 5 ms of each refresh. A page that eats memory takes a hundred megabytes a second and more: the
// watchdog of each view looks every second at the kernel's short summary of the view's process
// instead, so WebKit's check is only the backstop for a process the program could not tell, and
// the freeing of caches, neither of which needs it often.
constexpr double kConservativeThreshold = 0.5;
constexpr double kStrictThreshold = 0.75;
constexpr double kKillThreshold = 1.0;
constexpr double kMemoryPollSeconds = 300;

// What an ad's view carries while its first, empty page loads, and the process it started.
constexpr const char kStartingKey[] = "talvik-starting";
constexpr const char kProcessKey[] = "talvik-process";
// What a hidden view carries that runs in the first ad's process.
constexpr const char kLentKey[] = "talvik-lent";

// The one file kept from one run to the next.
constexpr const char kCookieFile[] = "cookies.sqlite";
// Where the rules that keep pages off local addresses are kept, compiled.
constexpr const char kContentRulesFolder[] = "ContentRules";

// The share of a volume that bytes are, as WebKit takes its storage quota.
double shareOfVolume(double bytes) {
  std::error_code error;
  std::filesystem::space_info space = std::filesystem::space(g_get_user_cache_dir(), error);
  if (error || space.capacity == 0) space = std::filesystem::space("/", error);
  if (error || space.capacity == 0) return 0;
  return std::min(1.0, bytes / static_cast<double>(space.capacity));
}

// Removes what is in folder, but for the entries named in keep; nothing unless folder is one of
// WebKit's.
void sweep(const std::string& folder, std::initializer_list<std::string_view> keep = {}) {
  if (!std::string_view(folder).ends_with("/WebKit")) return;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    std::string name = entry.path().filename().string();
    if (std::find(keep.begin(), keep.end(), name) != keep.end()) continue;
    std::filesystem::remove_all(entry.path(), error);
  }
}

// A hidden page's view is one pixel square, so every page overflows it: WebKit shows the page's
// overlay scrollbars as it loads and fades them out two seconds later, waking the page's process
// at the display's rate for three seconds after every page (some 180 wake-ups a refresh in the
// hidden pages' process) for scrollbars nobody sees. Overlay scrollbars take no room, so the page
// is laid out as before, and it can still be scrolled. A view of this role that is put on screen
// after all gets them back.
void showScrollbars(WebKitWebView* view, gpointer) {
  webkit_user_content_manager_remove_all_style_sheets(
      webkit_web_view_get_user_content_manager(view));
  g_signal_handlers_disconnect_by_func(view, reinterpret_cast<gpointer>(showScrollbars), nullptr);
}

void hideScrollbars(WebKitWebView* view) {
  auto sheet = std::unique_ptr<WebKitUserStyleSheet, decltype(&webkit_user_style_sheet_unref)>(
      webkit_user_style_sheet_new("::-webkit-scrollbar { display: none; }",
                                  WEBKIT_USER_CONTENT_INJECT_ALL_FRAMES,
                                  WEBKIT_USER_STYLE_LEVEL_USER, nullptr, nullptr),
      webkit_user_style_sheet_unref);
  webkit_user_content_manager_add_style_sheet(webkit_web_view_get_user_content_manager(view),
                                              sheet.get());
  g_signal_connect(view, "realize", G_CALLBACK(showScrollbars), nullptr);
}

void disableServiceWorkers(WebKitSettings* settings) {
  std::unique_ptr<WebKitFeatureList, decltype(&webkit_feature_list_unref)> features(
      webkit_settings_get_all_features(), webkit_feature_list_unref);
  for (gsize i = 0; i < webkit_feature_list_get_length(features.get()); ++i) {
    WebKitFeature* feature = webkit_feature_list_get(features.get(), i);
    if (std::strcmp(webkit_feature_get_identifier(feature), "ServiceWorkers") == 0)
      webkit_settings_set_feature_enabled(settings, feature, FALSE);
  }
}

}  // namespace

GtkWebContext::GtkWebContext(std::string dataDirectory, std::string cacheDirectory)
    : dataDirectory_(std::move(dataDirectory)), cacheDirectory_(std::move(cacheDirectory)) {
  g_weak_ref_init(&processAnchor_, nullptr);
  g_weak_ref_init(&firstAdView_, nullptr);
}

GtkWebContext::~GtkWebContext() {
  clearTimer_.reset();
  closeEnded_.reset();
  for (Spare& spare : spares_) {
    g_signal_handlers_disconnect_by_data(spare.view.get(), this);
    gtk_widget_destroy(spare.view.get());
  }
  spares_.clear();
  if (adView_) gtk_widget_destroy(adView_.get());
  stuckCheck_.reset();
  g_weak_ref_clear(&processAnchor_);
  g_weak_ref_clear(&firstAdView_);
  context_.reset();
  sweep(cacheDirectory_);
}

std::string GtkWebContext::defaultDataDirectory(const std::string& applicationId) {
  return std::string(g_get_user_data_dir()) + "/" + applicationId + "/WebKit";
}

std::string GtkWebContext::defaultCacheDirectory(const std::string& applicationId) {
  return std::string(g_get_user_cache_dir()) + "/" + applicationId + "/WebKit";
}

WebKitWebContext* GtkWebContext::get() {
  if (!context_) {
    sweep(dataDirectory_, {kCookieFile, kContentRulesFolder});
    sweep(cacheDirectory_);
    g_mkdir_with_parents(dataDirectory_.c_str(), 0700);
    double share = shareOfVolume(kOriginStorageBytes);
    auto manager = glibsupport::adopt(webkit_website_data_manager_new(
        "base-data-directory", (cacheDirectory_ + "/data").c_str(), "base-cache-directory",
        (cacheDirectory_ + "/cache").c_str(), "origin-storage-ratio", share, "total-storage-ratio",
        4 * share, nullptr));
    webkit_cookie_manager_set_persistent_storage(
        webkit_website_data_manager_get_cookie_manager(manager.get()),
        (dataDirectory_ + "/" + kCookieFile).c_str(), WEBKIT_COOKIE_PERSISTENT_STORAGE_SQLITE);
    std::unique_ptr<WebKitMemoryPressureSettings, decltype(&webkit_memory_pressure_settings_free)>
        memory(webkit_memory_pressure_settings_new(), webkit_memory_pressure_settings_free);
    webkit_memory_pressure_settings_set_memory_limit(memory.get(), memoryLimitMegabytes_);
    // In this order: each threshold must lie between its neighbours.
    webkit_memory_pressure_settings_set_kill_threshold(memory.get(), kKillThreshold);
    webkit_memory_pressure_settings_set_strict_threshold(memory.get(), kStrictThreshold);
    webkit_memory_pressure_settings_set_conservative_threshold(memory.get(),
                                                               kConservativeThreshold);
    webkit_memory_pressure_settings_set_poll_interval(memory.get(), kMemoryPollSeconds);
    context_ = glibsupport::adopt(WEBKIT_WEB_CONTEXT(
        g_object_new(WEBKIT_TYPE_WEB_CONTEXT, "website-data-manager", manager.get(),
                     "memory-pressure-settings", memory.get(), nullptr)));
    GtkWebViewGuard::guardContext(context_.get());
  }
  return context_.get();
}

GtkPageWatchdog::Limits GtkWebContext::watchdogLimits() const {
  GtkPageWatchdog::Limits limits = watchdogLimits_;
  limits.memoryLimitMegabytes = memoryLimitMegabytes_;
  return limits;
}

GtkLocalNetworkFilter& GtkWebContext::localNetworkFilter() {
  get();
  return GtkLocalNetworkFilter::shared(dataDirectory_ + "/" + kContentRulesFolder);
}

glibsupport::GObjectPtr<GtkWidget> GtkWebContext::takeWebView(WebViewRole role) {
  auto ready = std::find_if(spares_.begin(), spares_.end(), [](const Spare& s) { return s.ready; });
  if (role == WebViewRole::Ad && adView_) return std::move(adView_);
  if (role != WebViewRole::Hidden || ready == spares_.end())
    return glibsupport::adopt(GTK_WIDGET(g_object_ref_sink(makeWebView(role))));
  glibsupport::GObjectPtr<GtkWidget> view = std::move(ready->view);
  spares_.erase(ready);
  g_signal_handlers_disconnect_by_data(view.get(), this);
  return view;
}

void GtkWebContext::startWebProcess() {
  auto made = glibsupport::adopt(static_cast<WebKitWebView*>(g_weak_ref_get(&firstAdView_)));
  if (adView_ || made || lentFirstAdProcess_) return;
  adView_ = glibsupport::adopt(GTK_WIDGET(g_object_ref_sink(makeWebView(WebViewRole::Ad))));
}

void GtkWebContext::giveBack(glibsupport::GObjectPtr<GtkWidget> view) {
  if (spares_.size() >= kMaxSpares || isLent(WEBKIT_WEB_VIEW(view.get()))) {
    gtk_widget_destroy(view.get());
    return;
  }
  auto* webView = WEBKIT_WEB_VIEW(view.get());
  webkit_web_view_stop_loading(webView);
  webkit_web_view_set_zoom_level(webView, 1.0);
  keepSpare(std::move(view));
  if (clearTimer_) return;
  clearTimer_.reset(g_timeout_source_new(kClearDelayMilliseconds));
  g_source_set_callback(clearTimer_.get(), clearSpares, this, nullptr);
  g_source_attach(clearTimer_.get(), nullptr);
}

void GtkWebContext::keepSpare(glibsupport::GObjectPtr<GtkWidget> view) {
  g_signal_connect(view.get(), "decide-policy", G_CALLBACK(spareDecidePolicy), this);
  g_signal_connect(view.get(), "load-changed", G_CALLBACK(spareLoadChanged), this);
  g_signal_connect(view.get(), "web-process-terminated", G_CALLBACK(spareTerminated), this);
  spares_.push_back({std::move(view)});
}

void GtkWebContext::clearSpare(Spare& spare) {
  spare.clearing = true;
  spare.clearingSince = g_get_monotonic_time();
  webkit_web_view_load_html(WEBKIT_WEB_VIEW(spare.view.get()), "", nullptr);
}

gboolean GtkWebContext::endStuckSpares(gpointer self) {
  auto* context = static_cast<GtkWebContext*>(self);
  gint64 due = g_get_monotonic_time() - gint64{kSpareClearLimitSeconds} * G_USEC_PER_SEC;
  std::vector<WebKitWebView*> stuck;
  bool waiting = false;
  for (const Spare& spare : context->spares_) {
    if (!spare.clearing || spare.ready || spare.ended) continue;
    if (spare.clearingSince <= due) {
      stuck.push_back(WEBKIT_WEB_VIEW(spare.view.get()));
    } else {
      waiting = true;
    }
  }
  // Ending a process closes its spares, on a later pass.
  for (WebKitWebView* view : stuck) {
    platform::Console::log(
        "<Talvik> Ended the web process of a hidden page that did not give way to an empty one.");
    webkit_web_view_terminate_web_process(view);
  }
  if (waiting) return G_SOURCE_CONTINUE;
  context->stuckCheck_.reset();
  return G_SOURCE_REMOVE;
}

gboolean GtkWebContext::clearSpares(gpointer self) {
  auto* context = static_cast<GtkWebContext*>(self);
  for (Spare& spare : context->spares_) {
    if (!spare.clearing && !spare.ended) clearSpare(spare);
  }
  if (!context->stuckCheck_) {
    context->stuckCheck_.reset(g_timeout_source_new_seconds(kSpareClearLimitSeconds));
    g_source_set_callback(context->stuckCheck_.get(), endStuckSpares, context, nullptr);
    g_source_attach(context->stuckCheck_.get(), nullptr);
  }
  // The loop holds its own reference to the source while this runs.
  context->clearTimer_.reset();
  return G_SOURCE_REMOVE;
}

bool GtkWebContext::hasReadyView() const {
  return std::any_of(spares_.begin(), spares_.end(), [](const Spare& s) { return s.ready; });
}

GtkWidget* GtkWebContext::makeWebView(WebViewRole role) {
  auto anchor = glibsupport::adopt(static_cast<WebKitWebView*>(g_weak_ref_get(&processAnchor_)));
  // Each view has settings of its own: some WebKit versions would hand a related view the
  // settings object of the view it joins.
  auto settings = glibsupport::adopt(webkit_settings_new());
  if (!hardwareAccelerated_) {
    webkit_settings_set_hardware_acceleration_policy(settings.get(),
                                                     WEBKIT_HARDWARE_ACCELERATION_POLICY_NEVER);
  }
  disableServiceWorkers(settings.get());
  auto firstAd = glibsupport::adopt(static_cast<WebKitWebView*>(g_weak_ref_get(&firstAdView_)));
  GtkWidget* view = nullptr;
  if (role == WebViewRole::Hidden && !anchor && firstAd && !lentFirstAdProcess_) {
    lentFirstAdProcess_ = true;
    view = GTK_WIDGET(g_object_new(WEBKIT_TYPE_WEB_VIEW, "related-view", firstAd.get(), "settings",
                                   settings.get(), nullptr));
    g_object_set_data(G_OBJECT(view), kLentKey, GINT_TO_POINTER(1));
    if (std::optional<pid_t> process = processOf(firstAd.get()))
      setProcessOf(WEBKIT_WEB_VIEW(view), *process);
  } else if (role != WebViewRole::Hidden || !anchor) {
    view = GTK_WIDGET(g_object_new(WEBKIT_TYPE_WEB_VIEW, "web-context", get(), "settings",
                                   settings.get(), nullptr));
    if (role == WebViewRole::Hidden) {
      g_weak_ref_set(&processAnchor_, view);
      g_signal_connect(view, "web-process-terminated", G_CALLBACK(anchorTerminated),
                       &processAnchor_);
    }
  } else {
    view = GTK_WIDGET(g_object_new(WEBKIT_TYPE_WEB_VIEW, "related-view", anchor.get(), "settings",
                                   settings.get(), nullptr));
    if (std::optional<pid_t> process = processOf(anchor.get()))
      setProcessOf(WEBKIT_WEB_VIEW(view), *process);
  }
  if (role == WebViewRole::Ad && !firstAd && !lentFirstAdProcess_)
    g_weak_ref_set(&firstAdView_, view);
  GtkWebViewGuard::guardView(WEBKIT_WEB_VIEW(view));
  if (role == WebViewRole::Hidden) hideScrollbars(WEBKIT_WEB_VIEW(view));
  if (role == WebViewRole::Ad) startProcess(WEBKIT_WEB_VIEW(view));
  return view;
}

void GtkWebContext::startProcess(WebKitWebView* view) {
  g_object_set_data(G_OBJECT(view), kStartingKey, GINT_TO_POINTER(1));
  g_signal_connect(view, "load-changed", G_CALLBACK(startingLoadChanged), nullptr);
  std::optional<pid_t> process =
      GtkWebProcess::startedBy([&] { webkit_web_view_load_html(view, "", nullptr); });
  if (process) setProcessOf(view, *process);
}

void GtkWebContext::startingLoadChanged(WebKitWebView* view, WebKitLoadEvent event, gpointer) {
  if (event != WEBKIT_LOAD_FINISHED) return;
  g_object_set_data(G_OBJECT(view), kStartingKey, nullptr);
  g_signal_handlers_disconnect_by_func(view, reinterpret_cast<gpointer>(startingLoadChanged),
                                       nullptr);
}

bool GtkWebContext::isStarting(WebKitWebView* view) {
  return g_object_get_data(G_OBJECT(view), kStartingKey) != nullptr;
}

void GtkWebContext::setProcessOf(WebKitWebView* view, pid_t process) {
  g_object_set_data(G_OBJECT(view), kProcessKey, GINT_TO_POINTER(process));
}

bool GtkWebContext::isLent(WebKitWebView* view) {
  return g_object_get_data(G_OBJECT(view), kLentKey) != nullptr;
}

std::optional<pid_t> GtkWebContext::processOf(WebKitWebView* view) {
  gpointer process = g_object_get_data(G_OBJECT(view), kProcessKey);
  if (!process) return std::nullopt;
  return static_cast<pid_t>(GPOINTER_TO_INT(process));
}

// A view whose process ended gets a new one with its next page; later hidden views are not to
// wait for that, nor to join a process that is gone.
void GtkWebContext::anchorTerminated(WebKitWebView* view, WebKitWebProcessTerminationReason,
                                     gpointer anchor) {
  auto* weak = static_cast<GWeakRef*>(anchor);
  auto current = glibsupport::adopt(static_cast<WebKitWebView*>(g_weak_ref_get(weak)));
  if (current.get() == view) g_weak_ref_set(weak, nullptr);
  g_signal_handlers_disconnect_by_data(view, anchor);
}

GtkWebContext::Spare* GtkWebContext::spareOf(WebKitWebView* view) {
  for (Spare& spare : spares_) {
    if (spare.view.get() == GTK_WIDGET(view)) return &spare;
  }
  return nullptr;
}

void GtkWebContext::closeSpare(WebKitWebView* view) {
  auto spare = std::find_if(spares_.begin(), spares_.end(),
                            [&](const Spare& s) { return s.view.get() == GTK_WIDGET(view); });
  if (spare == spares_.end()) return;
  glibsupport::GObjectPtr<GtkWidget> closing = std::move(spare->view);
  spares_.erase(spare);
  g_signal_handlers_disconnect_by_data(closing.get(), this);
  gtk_widget_destroy(closing.get());
}

// A waiting view loads nothing but its empty page: whatever its earlier page still tries before
// that (a timer that navigates, a window it opens) goes nowhere.
gboolean GtkWebContext::spareDecidePolicy(WebKitWebView*, WebKitPolicyDecision* decision,
                                          WebKitPolicyDecisionType type, gpointer) {
  if (type == WEBKIT_POLICY_DECISION_TYPE_RESPONSE) {
    webkit_policy_decision_use(decision);
    return TRUE;
  }
  WebKitNavigationAction* action = webkit_navigation_policy_decision_get_navigation_action(
      WEBKIT_NAVIGATION_POLICY_DECISION(decision));
  const char* uri = webkit_uri_request_get_uri(webkit_navigation_action_get_request(action));
  if (type == WEBKIT_POLICY_DECISION_TYPE_NAVIGATION_ACTION && std::strcmp(uri, kEmptyPage) == 0) {
    webkit_policy_decision_use(decision);
  } else {
    webkit_policy_decision_ignore(decision);
  }
  return TRUE;
}

// Ready once the empty page has replaced the earlier one and its load is over, so that a new user
// hears no load events that are not its own.
void GtkWebContext::spareLoadChanged(WebKitWebView* view, WebKitLoadEvent event, gpointer self) {
  Spare* spare = static_cast<GtkWebContext*>(self)->spareOf(view);
  if (!spare) return;
  const char* uri = webkit_web_view_get_uri(view);
  if (event == WEBKIT_LOAD_COMMITTED) {
    spare->emptied = spare->clearing && uri && std::strcmp(uri, kEmptyPage) == 0;
  }
  if (event == WEBKIT_LOAD_FINISHED) {
    spare->ready = spare->emptied && webkit_back_forward_list_get_length(
                                         webkit_web_view_get_back_forward_list(view)) == 0;
  }
}

// WebKit goes on using the view after it has said that the process ended, when it crashed or was
// ended for misbehaving: the view is closed on the next pass of the loop, not here.
void GtkWebContext::spareTerminated(WebKitWebView* view, WebKitWebProcessTerminationReason,
                                    gpointer self) {
  auto* context = static_cast<GtkWebContext*>(self);
  Spare* spare = context->spareOf(view);
  if (!spare) return;
  spare->ended = true;
  spare->ready = false;
  if (context->closeEnded_) return;
  context->closeEnded_.reset(g_idle_source_new());
  g_source_set_callback(context->closeEnded_.get(), closeEndedSpares, context, nullptr);
  g_source_attach(context->closeEnded_.get(), nullptr);
}

gboolean GtkWebContext::closeEndedSpares(gpointer self) {
  auto* context = static_cast<GtkWebContext*>(self);
  std::vector<WebKitWebView*> ended;
  for (const Spare& spare : context->spares_) {
    if (spare.ended) ended.push_back(WEBKIT_WEB_VIEW(spare.view.get()));
  }
  for (WebKitWebView* view : ended)
    context->closeSpare(view);
  context->closeEnded_.reset();
  return G_SOURCE_REMOVE;
}

}  // namespace platform::gtk
