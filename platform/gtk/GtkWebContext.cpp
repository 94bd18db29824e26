#include "platform/gtk/GtkWebContext.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "platform/gtk/GtkWebViewGuard.h"

namespace platform::gtk {

namespace {

// What an empty page loaded from text (which leaves no history) shows as its address.
constexpr const char kEmptyPage[] = "about:blank";

}  // namespace

GtkWebContext::GtkWebContext(std::string dataDirectory, std::string cacheDirectory)
    : dataDirectory_(std::move(dataDirectory)), cacheDirectory_(std::move(cacheDirectory)) {
  g_weak_ref_init(&processAnchor_, nullptr);
}

GtkWebContext::~GtkWebContext() {
  clearTimer_.reset();
  closeEnded_.reset();
  for (Spare& spare : spares_) {
    g_signal_handlers_disconnect_by_data(spare.view.get(), this);
    gtk_widget_destroy(spare.view.get());
  }
  spares_.clear();
  g_weak_ref_clear(&processAnchor_);
}

std::string GtkWebContext::defaultDataDirectory(const std::string& applicationId) {
  return std::string(g_get_user_data_dir()) + "/" + applicationId + "/WebKit";
}

std::string GtkWebContext::defaultCacheDirectory(const std::string& applicationId) {
  return std::string(g_get_user_cache_dir()) + "/" + applicationId + "/WebKit";
}

WebKitWebContext* GtkWebContext::get() {
  if (!context_) {
    auto manager = glibsupport::adopt(
        webkit_website_data_manager_new("base-data-directory", dataDirectory_.c_str(),
                                        "base-cache-directory", cacheDirectory_.c_str(), nullptr));
    context_ = glibsupport::adopt(webkit_web_context_new_with_website_data_manager(manager.get()));
    GtkWebViewGuard::guardContext(context_.get());
  }
  return context_.get();
}

glibsupport::GObjectPtr<GtkWidget> GtkWebContext::takeWebView() {
  auto ready = std::find_if(spares_.begin(), spares_.end(), [](const Spare& s) { return s.ready; });
  if (ready == spares_.end())
    return glibsupport::adopt(GTK_WIDGET(g_object_ref_sink(makeWebView())));
  glibsupport::GObjectPtr<GtkWidget> view = std::move(ready->view);
  spares_.erase(ready);
  g_signal_handlers_disconnect_by_data(view.get(), this);
  return view;
}

void GtkWebContext::startWebProcess() {
  auto anchor = glibsupport::adopt(static_cast<WebKitWebView*>(g_weak_ref_get(&processAnchor_)));
  if (anchor) return;
  keepSpare(glibsupport::adopt(GTK_WIDGET(g_object_ref_sink(makeWebView()))));
  // Nothing ran in it: it is emptied at once, which is what starts the process.
  clearSpare(spares_.back());
}

void GtkWebContext::giveBack(glibsupport::GObjectPtr<GtkWidget> view) {
  if (spares_.size() >= kMaxSpares) {
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
  webkit_web_view_load_html(WEBKIT_WEB_VIEW(spare.view.get()), "", nullptr);
}

gboolean GtkWebContext::clearSpares(gpointer self) {
  auto* context = static_cast<GtkWebContext*>(self);
  for (Spare& spare : context->spares_) {
    if (!spare.clearing && !spare.ended) clearSpare(spare);
  }
  // The loop holds its own reference to the source while this runs.
  context->clearTimer_.reset();
  return G_SOURCE_REMOVE;
}

bool GtkWebContext::hasReadyView() const {
  return std::any_of(spares_.begin(), spares_.end(), [](const Spare& s) { return s.ready; });
}

GtkWidget* GtkWebContext::makeWebView() {
  auto anchor = glibsupport::adopt(static_cast<WebKitWebView*>(g_weak_ref_get(&processAnchor_)));
  // Each view has settings of its own: some WebKit versions would hand a related view the
  // settings object of the view it joins.
  auto settings = glibsupport::adopt(webkit_settings_new());
  if (!hardwareAccelerated_) {
    webkit_settings_set_hardware_acceleration_policy(settings.get(),
                                                     WEBKIT_HARDWARE_ACCELERATION_POLICY_NEVER);
  }
  GtkWidget* view = nullptr;
  if (!anchor) {
    view = GTK_WIDGET(g_object_new(WEBKIT_TYPE_WEB_VIEW, "web-context", get(), "settings",
                                   settings.get(), nullptr));
    g_weak_ref_set(&processAnchor_, view);
  } else {
    view = GTK_WIDGET(g_object_new(WEBKIT_TYPE_WEB_VIEW, "related-view", anchor.get(), "settings",
                                   settings.get(), nullptr));
  }
  GtkWebViewGuard::guardView(WEBKIT_WEB_VIEW(view));
  return view;
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
