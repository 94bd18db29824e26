#pragma once

#include <webkit2/webkit2.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/glibsupport/GlibPtr.h"
#include "platform/gtk/GtkPageWatchdog.h"
#include "platform/gtk/GtkViewPeer.h"
#include "platform/gtk/GtkWebContext.h"
#include "platform/ui/WebViewPeer.h"

namespace platform::gtk {

// A web view on a GTK screen: a WebKitWebView of the program's web context, the content of the
// view's peer (base), filling the view's frame.
//
// Every navigation WebKit is about to make — of the page or of a frame in it: a link, a form, a
// script's location change, a frame's source, a target="_blank" link, window.open — is put to the
// client before anything is fetched; a refusal means nothing is fetched and nothing is shown.
// Navigations that would open a window of their own load in this view instead, when the client
// lets them, and are not put to it a second time. The request the client sees carries the
// "User-Agent" that WebKit sends. WebKitGTK does not say which frame a navigation is for: only an
// inline frame document (about:srcdoc) is reported as a sub-frame's. It does say whether the
// navigation carries the user's gesture, which the client hears.
//
// Load start and finish come from WebKit's load events of the page. A failed load, and a web
// process that crashed or was ended, are reported as failures: a page never goes blank silently.
// WebKit's own error pages are never shown; the client decides what a failure means. A button
// press on the page is a touch of the view; its release, and Enter, Space and the keypad's Enter
// going down and up while the view has the keyboard focus, are the view's user input (a key held
// down is one press however often it repeats). What no page may do by itself (redirects to other
// schemes, downloads, dialogs) the view's guard refuses before the client hears of it
// (GtkWebViewGuard).
//
// The view's pages run in a web process as its role says (GtkWebContext), and are watched
// (GtkPageWatchdog): a page that stops answering, or an untouched ad over its budget, has its web
// process ended, which is reported as a failed load like any other end of the process. An ad's
// view comes with its process starting (GtkWebContext): the client never hears of the empty page
// that starts it, and its first page is loaded once that page has finished.
//
// Script results come back on the GLib main loop, as text ("" for undefined, null and a script
// that threw). A peer that goes away drops its pending completions.
//
// A page reaches local addresses (loopback, private ranges) only at its own origin: WebKit's
// content rules block the rest of its loads (GtkLocalNetworkFilter), and a navigation to one is
// refused before the client is asked. A load the client asks for waits until those rules are in
// place.
//
// The WebKit view may have served an earlier peer (GtkWebContext::takeWebView), and a peer gives
// its view back when it goes if that view was never on screen, its web process never ended and
// its history is empty (as it stays while only text is loaded into it: a hidden page that runs a
// script). So a view that comes back has no history, and shows no address before its first load.
class GtkWebViewPeer : public WebViewPeer {
 public:
  GtkWebViewPeer(GtkViewPeer& base, WebViewPeerClient& client,
                 std::shared_ptr<GtkWebContext> context, WebViewRole role = WebViewRole::Hidden);
  ~GtkWebViewPeer() override;
  GtkWebViewPeer(const GtkWebViewPeer&) = delete;
  GtkWebViewPeer& operator=(const GtkWebViewPeer&) = delete;

  void loadHTMLString(const std::string& html, const std::optional<base::URL>& baseURL) override;
  void loadRequest(const URLRequest& request) override;
  void stopLoading() override;
  void reload() override;
  void goBack() override;
  void goForward() override;
  bool canGoBack() const override;
  bool canGoForward() const override;
  bool isLoading() const override;
  std::optional<base::URL> currentURL() const override;
  void evaluateJavaScript(const std::string& script, ScriptResult done) override;
  void settingsChanged(const WebViewSettings& settings) override;
  bool holdsLaterPages() const override { return !GtkWebContext::isLent(webView()); }

  WebKitWebView* webView() const { return WEBKIT_WEB_VIEW(webView_.get()); }

 private:
  static gboolean decidePolicy(WebKitWebView*, WebKitPolicyDecision* decision,
                               WebKitPolicyDecisionType type, gpointer self);
  static GtkWidget* createWindow(WebKitWebView*, WebKitNavigationAction* action, gpointer self);
  static void loadChanged(WebKitWebView*, WebKitLoadEvent event, gpointer self);
  static gboolean loadFailed(WebKitWebView*, WebKitLoadEvent, gchar* uri, GError* error,
                             gpointer self);
  static void webProcessTerminated(WebKitWebView*, WebKitWebProcessTerminationReason reason,
                                   gpointer self);
  static gboolean pressed(GtkWidget*, GdkEventButton* event, gpointer self);
  static gboolean released(GtkWidget*, GdkEventButton* event, gpointer self);
  static gboolean keyChanged(GtkWidget*, GdkEventKey* event, gpointer self);
  static void realized(GtkWidget*, gpointer self);

  // Puts a navigation to the client; true when it may go ahead. The client may drop the view
  // while it decides: the answer is then false, and the peer is gone (alive has expired).
  bool shouldStart(WebKitNavigationAction* action, const std::weak_ptr<void>& alive);
  // Makes the navigation of a window that is not opened in this view.
  void loadInPlace(WebKitURIRequest* request);
  // Runs load (of a page at pageURL) once the view's rules keep the page off local addresses but
  // its own (GtkLocalNetworkFilter); stopLoading drops a load that still waits.
  void loadWhenFiltered(const std::optional<base::URL>& pageURL, std::function<void()> load);
  void fail(const base::Error& error);
  bool canBeGivenBack() const;
  // Runs a load of the client's: at once, or once the empty page that starts the process is done.
  void start(std::function<void()> load);
  void warmedUp();

  GtkViewPeer& base_;
  WebViewPeerClient& client_;
  std::shared_ptr<GtkWebContext> context_;
  WebViewRole role_;
  glibsupport::GObjectPtr<GtkWidget> webView_;
  GtkPageWatchdog watchdog_;
  // The empty page that starts an ad's process is loading; the client's first load waits.
  bool warming_ = false;
  std::function<void()> waitingLoad_;
  glibsupport::GObjectPtr<GCancellable> scripts_;
  // The address that loadInPlace let go ahead, until its navigation comes.
  std::string approvedURI_;
  // The address of the load the program asked for last, until a page is committed.
  std::optional<base::URL> loadingURL_;
  // The address of the page the view shows (committed).
  std::optional<base::URL> pageURL_;
  int waitingLoads_ = 0;
  unsigned loadGeneration_ = 0;
  bool loadFailed_ = false;
  bool loadedAny_ = false;
  bool shown_ = false;
  bool processEnded_ = false;
  // The activating key that is down, 0 when none is.
  guint keyDown_ = 0;
  // Telling the client that the web process ended.
  bool reportingEnd_ = false;
  // Lives as long as the peer, for callers of the client to watch.
  std::shared_ptr<void> alive_ = std::make_shared<int>(0);
};

}  // namespace platform::gtk
