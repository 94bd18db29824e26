#pragma once

#include <webkit2/webkit2.h>

#include <string>
#include <vector>

#include "platform/glibsupport/GlibPtr.h"

namespace platform::gtk {

// The program's one WebKit web context: every web view is made in it, so they share web
// processes, the network process, cookies and the page caches. Website data (cookies, local
// storage, databases) is kept in dataDirectory and caches in cacheDirectory; neither needs to
// exist yet. WebKit's context is made when the first web view asks for it (or startWebProcess), so
// a program that shows no page starts nothing of WebKit's.
//
// Every view made here, and the context itself, carries the guard against what no page may do by
// itself (GtkWebViewGuard).
//
// Web views are handed out and taken back, so that a view made for one short job (a hidden page
// that only runs a script) serves the next such job too: making a WebKit view costs about as much
// as loading a small page into it, and some of what GTK and WebKit allocate for each view is never
// given back to the process.
class GtkWebContext {
 public:
  GtkWebContext(std::string dataDirectory, std::string cacheDirectory);
  ~GtkWebContext();
  GtkWebContext(const GtkWebContext&) = delete;
  GtkWebContext& operator=(const GtkWebContext&) = delete;

  // The folders of the installed program: "WebKit" in the user's data and cache folders
  // (XDG_DATA_HOME, XDG_CACHE_HOME) under the application's identifier.
  static std::string defaultDataDirectory(const std::string& applicationId);
  static std::string defaultCacheDirectory(const std::string& applicationId);

  WebKitWebContext* get();

  // Whether the views made from now on composite their pages with the graphics hardware (on by
  // default, as in WebKit). Off, a page is drawn by the processor alone, as a whole: a view shows
  // its first frame without the GL set-up that a composited page waits for when it is first
  // shown, which takes a hundred milliseconds and more where GL is a software renderer (no GPU, a
  // virtual display). Pages still have 3D transforms and WebGL either way.
  void setHardwareAccelerated(bool accelerated) { hardwareAccelerated_ = accelerated; }

  // A web view of this context for a new user. When a view given back earlier is ready, it is that
  // one: unparented, idle (no load in flight), showing an empty page, with an empty history, zoom
  // 1 and no signal handlers of its earlier user; the new user applies its own settings. Otherwise
  // a new view, which joins the web process of a view made before that is still alive, so that a
  // short-lived view does not start a process of its own, which costs far more than its page; it
  // has settings of its own all the same.
  glibsupport::GObjectPtr<GtkWidget> takeWebView();
  // Starts WebKit's web process now rather than at the first page: a view is made and given an
  // empty page at once, and waits, like a view given back, to be handed out by takeWebView. The
  // web process takes 100–300 ms to start, which a program's own start-up can partly cover. Does
  // nothing while any view of this context lives (its process runs, or will).
  void startWebProcess();
  // Takes back a view whose user is done with it. The user has disconnected its handlers and taken
  // the view out of its parent; the view was never on screen, its web process never ended and its
  // history is empty. Its load is stopped at once; a little later (kClearDelayMilliseconds) its
  // page is replaced by an empty one, which ends the page's scripts, timers and media, and only
  // then can it be handed out again. A view that finds two views waiting already, or whose web
  // process ends while it waits, is closed.
  void giveBack(glibsupport::GObjectPtr<GtkWidget> view);
  // Views given back and kept, and whether one of them is ready to be handed out.
  size_t waitingViews() const { return spares_.size(); }
  bool hasReadyView() const;

  const std::string& dataDirectory() const { return dataDirectory_; }

 private:
  struct Spare {
    glibsupport::GObjectPtr<GtkWidget> view;
    // Its empty page has been asked for.
    bool clearing = false;
    // The empty page has been committed, and then its load finished.
    bool emptied = false;
    bool ready = false;
    // Its web process ended; it is closed on the next pass of the loop.
    bool ended = false;
  };
  static constexpr size_t kMaxSpares = 2;
  // Views share a web process, and a view is given back while its user's work goes on (the ad
  // page is fetched and shown right after the script that ran in the view has answered): an empty
  // page loaded at once would take the process's time from that work.
  static constexpr guint kClearDelayMilliseconds = 50;

  GtkWidget* makeWebView();
  void keepSpare(glibsupport::GObjectPtr<GtkWidget> view);
  static void clearSpare(Spare& spare);
  Spare* spareOf(WebKitWebView* view);
  static gboolean clearSpares(gpointer self);
  static gboolean closeEndedSpares(gpointer self);
  void closeSpare(WebKitWebView* view);
  static gboolean spareDecidePolicy(WebKitWebView*, WebKitPolicyDecision* decision,
                                    WebKitPolicyDecisionType type, gpointer self);
  static void spareLoadChanged(WebKitWebView* view, WebKitLoadEvent event, gpointer self);
  static void spareTerminated(WebKitWebView* view, WebKitWebProcessTerminationReason,
                              gpointer self);

  std::string dataDirectory_;
  std::string cacheDirectory_;
  bool hardwareAccelerated_ = true;
  glibsupport::GObjectPtr<WebKitWebContext> context_;
  // The view whose process later views join, while it lives.
  GWeakRef processAnchor_;
  // Views given back, oldest first; they go before the context.
  std::vector<Spare> spares_;
  glibsupport::GSourcePtr clearTimer_;
  glibsupport::GSourcePtr closeEnded_;
};

}  // namespace platform::gtk
