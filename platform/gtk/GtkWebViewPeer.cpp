#include "platform/gtk/GtkWebViewPeer.h"

#include <utility>

#include "platform/core/Console.h"
#include "platform/glibsupport/GlibURLError.h"
#include "platform/gtk/GtkLocalNetworkFilter.h"
#include "platform/gtk/GtkWebProcess.h"
#include "platform/gtk/GtkWebViewGuard.h"
#include "platform/net/LocalNetworkRules.h"
#include "platform/net/URLError.h"

namespace platform::gtk {

namespace {

WebViewNavigationType navigationType(WebKitNavigationType type) {
  switch (type) {
    case WEBKIT_NAVIGATION_TYPE_LINK_CLICKED:
      return WebViewNavigationType::LinkClicked;
    case WEBKIT_NAVIGATION_TYPE_FORM_SUBMITTED:
      return WebViewNavigationType::FormSubmitted;
    case WEBKIT_NAVIGATION_TYPE_BACK_FORWARD:
      return WebViewNavigationType::BackForward;
    case WEBKIT_NAVIGATION_TYPE_RELOAD:
      return WebViewNavigationType::Reload;
    case WEBKIT_NAVIGATION_TYPE_FORM_RESUBMITTED:
      return WebViewNavigationType::FormResubmitted;
    case WEBKIT_NAVIGATION_TYPE_OTHER:
      break;
  }
  return WebViewNavigationType::Other;
}

// The request as the client sees it. WebKit puts "User-Agent" only on the requests of http
// navigations; the client sees it on every request (a message URL's too), as the engine sends it.
std::optional<URLRequest> describe(WebKitURIRequest* request, WebKitSettings* settings) {
  std::optional<base::URL> url = base::URL::fromString(webkit_uri_request_get_uri(request));
  if (!url) return std::nullopt;
  URLRequest described(std::move(*url));
  if (SoupMessageHeaders* headers = webkit_uri_request_get_http_headers(request)) {
    SoupMessageHeadersIter fields;
    soup_message_headers_iter_init(&fields, headers);
    const char* name = nullptr;
    const char* value = nullptr;
    while (soup_message_headers_iter_next(&fields, &name, &value))
      described.setValue(value, name);
  }
  if (!described.valueForHTTPHeaderField("User-Agent")) {
    described.setValue(webkit_settings_get_user_agent(settings), "User-Agent");
  }
  return described;
}

URLError::Code loadErrorCode(const GError* error) {
  if (error->domain == WEBKIT_NETWORK_ERROR) {
    switch (error->code) {
      case WEBKIT_NETWORK_ERROR_CANCELLED:
        return URLError::Cancelled;
      case WEBKIT_NETWORK_ERROR_UNKNOWN_PROTOCOL:
        return URLError::UnsupportedURL;
      default:
        return URLError::Unknown;
    }
  }
  // A navigation refused on its way (a redirect to a message URL) ends the load as cancelled;
  // what WebKit cannot show is unsupported.
  if (g_error_matches(error, WEBKIT_POLICY_ERROR,
                      WEBKIT_POLICY_ERROR_FRAME_LOAD_INTERRUPTED_BY_POLICY_CHANGE))
    return URLError::Cancelled;
  if (error->domain == WEBKIT_POLICY_ERROR) return URLError::UnsupportedURL;
  return glibsupport::urlErrorCode(*error);
}

std::string_view terminationReason(WebKitWebProcessTerminationReason reason) {
  switch (reason) {
    case WEBKIT_WEB_PROCESS_CRASHED:
      return "the web process crashed";
    case WEBKIT_WEB_PROCESS_EXCEEDED_MEMORY_LIMIT:
      return "the web process ran out of memory";
    case WEBKIT_WEB_PROCESS_TERMINATED_BY_API:
      break;
  }
  return "the web process was ended";
}

// A script's result as text, as the page would print it; nothing for undefined and null.
std::string textOf(JSCValue* value) {
  if (!value || jsc_value_is_undefined(value) || jsc_value_is_null(value)) return {};
  glibsupport::GCharPtr text(jsc_value_to_string(value));
  return text ? text.get() : "";
}

struct PendingScript {
  WebViewPeer::ScriptResult done;

  static void finished(GObject* webView, GAsyncResult* result, gpointer data) {
    std::unique_ptr<PendingScript> pending(static_cast<PendingScript*>(data));
    glibsupport::GErrorPtr error;
    auto value = glibsupport::adopt(
        webkit_web_view_evaluate_javascript_finish(WEBKIT_WEB_VIEW(webView), result, error.out()));
    // Cancelled: the view went away.
    if (error && g_error_matches(error.get(), G_IO_ERROR, G_IO_ERROR_CANCELLED)) return;
    if (pending->done) pending->done(textOf(value.get()));
  }
};

}  // namespace

GtkWebViewPeer::GtkWebViewPeer(GtkViewPeer& base, WebViewPeerClient& client,
                               std::shared_ptr<GtkWebContext> context, WebViewRole role)
    : base_(base),
      client_(client),
      context_(std::move(context)),
      role_(role),
      webView_(context_->takeWebView(role)),
      watchdog_(WEBKIT_WEB_VIEW(webView_.get()), role, context_->watchdogLimits()),
      scripts_(glibsupport::adopt(g_cancellable_new())) {
  g_signal_connect(webView_.get(), "decide-policy", G_CALLBACK(decidePolicy), this);
  g_signal_connect(webView_.get(), "create", G_CALLBACK(createWindow), this);
  g_signal_connect(webView_.get(), "load-changed", G_CALLBACK(loadChanged), this);
  g_signal_connect(webView_.get(), "load-failed", G_CALLBACK(loadFailed), this);
  g_signal_connect(webView_.get(), "web-process-terminated", G_CALLBACK(webProcessTerminated),
                   this);
  g_signal_connect(webView_.get(), "button-press-event", G_CALLBACK(pressed), this);
  g_signal_connect(webView_.get(), "button-release-event", G_CALLBACK(released), this);
  g_signal_connect(webView_.get(), "key-press-event", G_CALLBACK(keyChanged), this);
  g_signal_connect(webView_.get(), "key-release-event", G_CALLBACK(keyChanged), this);
  g_signal_connect(webView_.get(), "realize", G_CALLBACK(realized), this);
  gtk_widget_show(webView_.get());
  base_.setContent(webView_.get());
  if (role_ == WebViewRole::Ad) {
    warming_ = GtkWebContext::isStarting(webView());
    watchdog_.pageStarted(GtkWebContext::processOf(webView()));
  }
}

GtkWebViewPeer::~GtkWebViewPeer() {
  g_cancellable_cancel(scripts_.get());
  g_signal_handlers_disconnect_by_data(webView_.get(), this);
  base_.setContent(nullptr);
  if (canBeGivenBack()) {
    watchdog_.letGoOfView();
    context_->giveBack(std::move(webView_));
    return;
  }
  if (reportingEnd_) {
    // WebKit goes on using the view after it has said that its process ended: it is closed on the
    // next pass of the loop. Its page is gone already, so nothing of it runs until then. The idle
    // source owns the view's reference until it is removed.
    using Held = glibsupport::GObjectPtr<GtkWidget>;
    auto held = std::make_unique<Held>(std::move(webView_));
    g_idle_add_full(
        G_PRIORITY_DEFAULT_IDLE,
        [](gpointer view) {
          gtk_widget_destroy(static_cast<Held*>(view)->get());
          return G_SOURCE_REMOVE;
        },
        held.release(), [](gpointer view) { delete static_cast<Held*>(view); });
    return;
  }
  // Closes the page now, even while a pending script still holds a reference to the widget.
  gtk_widget_destroy(webView_.get());
}

void GtkWebViewPeer::loadHTMLString(const std::string& html,
                                    const std::optional<base::URL>& baseURL) {
  std::string base = baseURL ? baseURL->absoluteString() : std::string();
  loadWhenFiltered(baseURL, [this, html, base] {
    webkit_web_view_load_html(webView(), html.c_str(), base.empty() ? nullptr : base.c_str());
  });
}

void GtkWebViewPeer::loadRequest(const URLRequest& request) {
  auto uriRequest =
      glibsupport::adopt(webkit_uri_request_new(request.url().absoluteString().c_str()));
  if (SoupMessageHeaders* headers = webkit_uri_request_get_http_headers(uriRequest.get())) {
    for (const auto& [name, value] : request.allHTTPHeaderFields())
      soup_message_headers_replace(headers, name.c_str(), value.c_str());
  }
  loadWhenFiltered(request.url(), [this, uriRequest] {
    webkit_web_view_load_request(webView(), uriRequest.get());
  });
}

void GtkWebViewPeer::loadWhenFiltered(const std::optional<base::URL>& pageURL,
                                      std::function<void()> load) {
  loadedAny_ = true;
  ++waitingLoads_;
  unsigned generation = loadGeneration_;
  context_->localNetworkFilter().prepare(webView(), pageURL, alive_,
                                         [this, generation, pageURL, load = std::move(load)] {
                                           --waitingLoads_;
                                           if (generation != loadGeneration_) return;
                                           loadingURL_ = pageURL;
                                           start(load);
                                         });
}

void GtkWebViewPeer::start(std::function<void()> load) {
  if (warming_) {
    waitingLoad_ = std::move(load);
    return;
  }
  // The process that the load starts, if it starts one, is the view's own from then on, and of
  // the views that join it; its memory is read by the watchdog (and an ad's budget). WebKit starts
  // one inside the load call only for a view that has none running: while the view's known
  // process runs, the load is not watched for a new one (looking through every thread's children
  // before and after cost a refresh dozens of reads of /proc).
  std::optional<pid_t> known = GtkWebContext::processOf(webView());
  if (known && !processEnded_ && GtkWebProcess::isRunning(*known)) {
    load();
  } else if (std::optional<pid_t> started = GtkWebProcess::startedBy(load)) {
    GtkWebContext::setProcessOf(webView(), *started);
  }
  watchdog_.pageStarted(GtkWebContext::processOf(webView()));
}

void GtkWebViewPeer::warmedUp() {
  warming_ = false;
  if (std::function<void()> waiting = std::move(waitingLoad_)) start(std::move(waiting));
}

void GtkWebViewPeer::stopLoading() {
  // A load still waiting for its rules or for the process never starts.
  ++loadGeneration_;
  waitingLoad_ = nullptr;
  webkit_web_view_stop_loading(webView());
}

void GtkWebViewPeer::reload() {
  webkit_web_view_reload(webView());
}

void GtkWebViewPeer::goBack() {
  webkit_web_view_go_back(webView());
}

void GtkWebViewPeer::goForward() {
  webkit_web_view_go_forward(webView());
}

bool GtkWebViewPeer::canGoBack() const {
  return webkit_web_view_can_go_back(webView());
}

bool GtkWebViewPeer::canGoForward() const {
  return webkit_web_view_can_go_forward(webView());
}

bool GtkWebViewPeer::isLoading() const {
  return waitingLoads_ > 0 || webkit_web_view_is_loading(webView());
}

std::optional<base::URL> GtkWebViewPeer::currentURL() const {
  // A view given back shows an empty page until its new peer loads one.
  if (!loadedAny_) return std::nullopt;
  const char* uri = webkit_web_view_get_uri(webView());
  if (!uri || !*uri) return std::nullopt;
  return base::URL::fromString(uri);
}

void GtkWebViewPeer::evaluateJavaScript(const std::string& script, ScriptResult done) {
  webkit_web_view_evaluate_javascript(webView(), script.c_str(), static_cast<gssize>(script.size()),
                                      nullptr, nullptr, scripts_.get(), PendingScript::finished,
                                      new PendingScript{std::move(done)});
}

// What has no equivalent in WebKitGTK (scaling pages to fit, data detection, AirPlay, and
// scrolling to the top, which the desktop has no gesture for) is kept by the view only.
void GtkWebViewPeer::settingsChanged(const WebViewSettings& settings) {
  WebKitSettings* webSettings = webkit_web_view_get_settings(webView());
  webkit_settings_set_media_playback_allows_inline(webSettings, settings.allowsInlineMediaPlayback);
  webkit_settings_set_media_playback_requires_user_gesture(
      webSettings, settings.mediaPlaybackRequiresUserAction);
  GtkWebViewGuard::setShowsDialogs(webView(), settings.showsScriptDialogs);
}

bool GtkWebViewPeer::shouldStart(WebKitNavigationAction* action, const std::weak_ptr<void>& alive) {
  std::optional<URLRequest> request = describe(webkit_navigation_action_get_request(action),
                                               webkit_web_view_get_settings(webView()));
  // An address that cannot be told to the client is not loaded.
  if (!request) return false;
  // A page reaches no local address but its own; the program's own load, and its redirects, may
  // stay at the origin the program asked for.
  bool programsOrigin = loadingURL_ && LocalNetworkRules::sameOrigin(*loadingURL_, request->url());
  if (!programsOrigin && GtkLocalNetworkFilter::refuses(pageURL_, request->url())) return false;
  // An inline frame document is the one navigation that is known to be a sub-frame's.
  bool mainFrame = request->url().absoluteString() != "about:srcdoc";
  bool allowed = client_.webViewPeerShouldStartLoad(
      *request, navigationType(webkit_navigation_action_get_navigation_type(action)), mainFrame,
      webkit_navigation_action_is_user_gesture(action));
  return allowed && !alive.expired();
}

void GtkWebViewPeer::loadInPlace(WebKitURIRequest* request) {
  approvedURI_ = webkit_uri_request_get_uri(request);
  webkit_web_view_load_request(webView(), request);
}

// Only a hidden page's view serves another. A view that was on screen would carry its size, focus
// and drawing state into its next life, and WebKit cannot clear a history; a view whose web process
// ended is not trusted again.
bool GtkWebViewPeer::canBeGivenBack() const {
  return role_ == WebViewRole::Hidden && !shown_ && !processEnded_ &&
         webkit_back_forward_list_get_length(webkit_web_view_get_back_forward_list(webView())) == 0;
}

void GtkWebViewPeer::fail(const base::Error& error) {
  loadFailed_ = true;
  client_.webViewPeerDidFailLoad(error);
}

gboolean GtkWebViewPeer::decidePolicy(WebKitWebView*, WebKitPolicyDecision* decision,
                                      WebKitPolicyDecisionType type, gpointer self) {
  auto* peer = static_cast<GtkWebViewPeer*>(self);
  // The client may drop the view, and with it the widget, while it decides.
  auto held = glibsupport::retain(decision);
  if (peer->warming_ && type == WEBKIT_POLICY_DECISION_TYPE_NAVIGATION_ACTION) {
    // The empty page that starts the process, which the client never hears of.
    webkit_policy_decision_use(decision);
    return TRUE;
  }
  if (type == WEBKIT_POLICY_DECISION_TYPE_RESPONSE) {
    // What WebKit cannot show is not downloaded either.
    if (webkit_response_policy_decision_is_mime_type_supported(
            WEBKIT_RESPONSE_POLICY_DECISION(decision))) {
      webkit_policy_decision_use(decision);
    } else {
      webkit_policy_decision_ignore(decision);
    }
    return TRUE;
  }
  WebKitNavigationAction* action = webkit_navigation_policy_decision_get_navigation_action(
      WEBKIT_NAVIGATION_POLICY_DECISION(decision));
  WebKitURIRequest* request = webkit_navigation_action_get_request(action);
  if (type == WEBKIT_POLICY_DECISION_TYPE_NAVIGATION_ACTION && !peer->approvedURI_.empty()) {
    bool approved = peer->approvedURI_ == webkit_uri_request_get_uri(request);
    peer->approvedURI_.clear();
    if (approved) {
      webkit_policy_decision_use(decision);
      return TRUE;
    }
  }
  bool allowed = peer->shouldStart(action, peer->alive_);
  if (type == WEBKIT_POLICY_DECISION_TYPE_NEW_WINDOW_ACTION) {
    webkit_policy_decision_ignore(decision);
    if (allowed) peer->loadInPlace(request);
  } else if (allowed) {
    webkit_policy_decision_use(decision);
  } else {
    webkit_policy_decision_ignore(decision);
  }
  return TRUE;
}

// window.open: no window of its own; the page it would show loads here if the client lets it.
GtkWidget* GtkWebViewPeer::createWindow(WebKitWebView*, WebKitNavigationAction* action,
                                        gpointer self) {
  auto* peer = static_cast<GtkWebViewPeer*>(self);
  if (peer->shouldStart(action, peer->alive_))
    peer->loadInPlace(webkit_navigation_action_get_request(action));
  return nullptr;
}

void GtkWebViewPeer::loadChanged(WebKitWebView*, WebKitLoadEvent event, gpointer self) {
  auto* peer = static_cast<GtkWebViewPeer*>(self);
  if (peer->warming_) {
    if (event == WEBKIT_LOAD_FINISHED) peer->warmedUp();
    return;
  }
  if (event == WEBKIT_LOAD_COMMITTED) {
    const char* uri = webkit_web_view_get_uri(peer->webView());
    peer->pageURL_ = uri ? base::URL::fromString(uri) : std::nullopt;
    peer->loadingURL_.reset();
  }
  if (event == WEBKIT_LOAD_STARTED) {
    peer->loadFailed_ = false;
    peer->client_.webViewPeerDidStartLoad();
  } else if (event == WEBKIT_LOAD_FINISHED && !peer->loadFailed_) {
    peer->client_.webViewPeerDidFinishLoad();
  }
}

gboolean GtkWebViewPeer::loadFailed(WebKitWebView*, WebKitLoadEvent, gchar* uri, GError* error,
                                    gpointer self) {
  auto* peer = static_cast<GtkWebViewPeer*>(self);
  // A failed empty page still started the process; WebKit finishes the load after it.
  if (peer->warming_) return TRUE;
  peer->fail(URLError::make(loadErrorCode(error), uri ? uri : "", error->message));
  return TRUE;  // no error page of WebKit's own
}

void GtkWebViewPeer::webProcessTerminated(WebKitWebView* webView,
                                          WebKitWebProcessTerminationReason reason, gpointer self) {
  const char* uri = webkit_web_view_get_uri(webView);
  auto* peer = static_cast<GtkWebViewPeer*>(self);
  if (reason == WEBKIT_WEB_PROCESS_EXCEEDED_MEMORY_LIMIT)
    Console::log("<Talvik> WebKit ended the web process of a page that used too much memory.");
  peer->processEnded_ = true;
  peer->watchdog_.processEnded();
  if (peer->warming_) {
    peer->warmedUp();
    return;
  }
  // The client may drop the view while it hears of the failure.
  peer->reportingEnd_ = true;
  std::weak_ptr<void> alive = peer->alive_;
  peer->fail(URLError::make(URLError::Unknown, uri ? uri : "", terminationReason(reason)));
  if (!alive.expired()) peer->reportingEnd_ = false;
}

// WebKit takes the presses on the page, so the view's peer does not hear them by itself.
gboolean GtkWebViewPeer::pressed(GtkWidget*, GdkEventButton* event, gpointer self) {
  auto* peer = static_cast<GtkWebViewPeer*>(self);
  if (event->type == GDK_BUTTON_PRESS) {
    peer->watchdog_.pressed();
    peer->base_.reportTouch(Point{event->x, event->y});
  }
  return FALSE;  // the page gets the press too
}

gboolean GtkWebViewPeer::released(GtkWidget*, GdkEventButton* event, gpointer self) {
  auto* peer = static_cast<GtkWebViewPeer*>(self);
  if (event->type == GDK_BUTTON_RELEASE)
    peer->client_.webViewPeerUserInput(WebViewUserInput::PressReleased);
  return FALSE;
}

// Handlers run before WebKit's own, so the key is known to be down before the page hears it.
gboolean GtkWebViewPeer::keyChanged(GtkWidget*, GdkEventKey* event, gpointer self) {
  auto* peer = static_cast<GtkWebViewPeer*>(self);
  switch (event->keyval) {
    case GDK_KEY_Return:
    case GDK_KEY_KP_Enter:
    case GDK_KEY_ISO_Enter:
    case GDK_KEY_space:
    case GDK_KEY_KP_Space:
      break;
    default:
      return FALSE;
  }
  if (event->type == GDK_KEY_PRESS) {
    if (peer->keyDown_ == event->keyval) return FALSE;  // the key repeats
    peer->keyDown_ = event->keyval;
    peer->client_.webViewPeerUserInput(WebViewUserInput::KeyPressed);
  } else if (event->type == GDK_KEY_RELEASE) {
    if (peer->keyDown_ != event->keyval) return FALSE;
    peer->keyDown_ = 0;
    peer->client_.webViewPeerUserInput(WebViewUserInput::KeyReleased);
  }
  return FALSE;  // the page gets the key too
}

void GtkWebViewPeer::realized(GtkWidget*, gpointer self) {
  static_cast<GtkWebViewPeer*>(self)->shown_ = true;
}

}  // namespace platform::gtk
