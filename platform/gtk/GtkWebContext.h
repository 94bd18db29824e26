#pragma once

#include <sys/types.h>
#include <webkit2/webkit2.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/glibsupport/GlibPtr.h"
#include "platform/gtk/GtkPageWatchdog.h"
#include "platform/ui/WebViewPeer.h"

namespace platform::gtk {

class GtkLocalNetworkFilter;

// The program's one WebKit web context: every web view is made in it. What each view is for
// (WebViewRole) decides whom its pages share a web process with: hidden pages that only run a
// script share one, so that a short-lived page does not start a process of its own, which costs
// far more than its page; an ad and a screen the user opened each have one of their own, so that a
// page that never yields or eats memory stalls or takes down its own view alone. Every view's
// pages are watched (GtkPageWatchdog): a page that stops answering has its process ended, and so
// has an untouched ad over its budget. Each web process has a memory limit (kMemoryLimitMegabytes)
// past which it is ended: by the watchdogs of its views, and by WebKit's own, slower check where
// the program could not tell a view's process; a view whose process ended reports a failed load
// and its next page gets a fresh process.
//
// Pages leave nothing behind. Website data (local storage, databases, caches) lives in
// cacheDirectory for as long as the program runs: the folder is emptied when the context is first
// used and again when it goes, and each origin may keep only kOriginStorageBytes there, so what an
// ad stores is bounded, never serves a later run, and is not left on the user's disk. (WebKit
// bounds an origin's storage only where it keeps it in a folder: an ephemeral data manager would
// let a page fill the network process's memory, and would lose the cookies at every exit.) Service
// workers are off in every view: a worker that one ad registers would otherwise answer for every
// page of its origin — another ad, or the landing page the user opened — with whatever it likes.
// Cookies are kept in dataDirectory from one run to the next, as ad servers count with them how
// often they showed an ad, and so are the program's own compiled rules (GtkLocalNetworkFilter);
// nothing else stays there (what earlier versions kept there is removed at the first use too).
// Neither folder needs to exist. WebKit's context is made when the first web view asks for it (or
// startWebProcess), so a program that shows no page starts nothing of WebKit's.
//
// Every view made here, and the context itself, carries the guard against what no page may do by
// itself (GtkWebViewGuard).
//
// Hidden views are handed out and taken back, so that a view made for one short job serves the
// next such job too: making a WebKit view costs about as much as loading a small page into it,
// and some of what GTK and WebKit allocate for each view is never given back to the process.
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

  // The memory each web process may use, in megabytes; set before the context is first used.
  void setMemoryLimit(unsigned megabytes) { memoryLimitMegabytes_ = megabytes; }
  // How the pages of views made from now on are watched; the product's limits unless set, shorter
  // ones for tests that cannot wait. The memory limit is the context's own (setMemoryLimit).
  void setWatchdogLimits(const GtkPageWatchdog::Limits& limits) { watchdogLimits_ = limits; }
  GtkPageWatchdog::Limits watchdogLimits() const;

  // Whether the views made from now on composite their pages with the graphics hardware (on by
  // default, as in WebKit). Off, a page is drawn by the processor alone, as a whole: a view shows
  // its first frame without the GL set-up that a composited page waits for when it is first
  // shown, which takes a hundred milliseconds and more where GL is a software renderer (no GPU, a
  // virtual display). Pages still have 3D transforms and WebGL either way.
  void setHardwareAccelerated(bool accelerated) { hardwareAccelerated_ = accelerated; }

  // A web view of this context for a new user, in a web process of its own unless role is
  // Hidden. For a hidden page, when a view given back earlier is ready, it is that one: unparented,
  // idle (no load in flight), showing an empty page, with an empty history, zoom 1 and no signal
  // handlers of its earlier user; the new user applies its own settings. Otherwise a new view,
  // which joins the web process of a hidden view made before that is still alive; it has settings
  // of its own all the same. The very first hidden page is the exception: while no other hidden
  // view lives, it joins the process of the first ad's view, so that the program starts one web
  // process before its first ad, not two side by side (the page that chooses the first ad runs
  // before there is an ad to stall); that view is never handed out again, and the hidden pages
  // after it have a process of their own.
  glibsupport::GObjectPtr<GtkWidget> takeWebView(WebViewRole role = WebViewRole::Hidden);
  // Starts the first ad's web process now rather than at its first page: its view is made and
  // given an empty page at once, and handed to the first ad as it is. A web process takes
  // 100–300 ms to start, which a program's own start-up can partly cover. Does nothing once an
  // ad's view has been made.
  void startWebProcess();
  // An ad's view starts its web process as it is made, with an empty page, so that the ad's first
  // page finds it running: whether that page is still loading (the view's user then waits for its
  // load to finish before loading its own), and the process, when it could be told.
  static bool isStarting(WebKitWebView* view);
  // The web process of the view, as far as the program could tell: the one its first page
  // started, which a view made to join another's process shares with it.
  static std::optional<pid_t> processOf(WebKitWebView* view);
  static void setProcessOf(WebKitWebView* view, pid_t process);
  // Whether the view is the hidden one that runs in the first ad's process.
  static bool isLent(WebKitWebView* view);
  // Takes back a view whose user is done with it. The user has disconnected its handlers and taken
  // the view out of its parent; the view was never on screen, its web process never ended and its
  // history is empty. Its load is stopped at once; a little later (kClearDelayMilliseconds) its
  // page is replaced by an empty one, which ends the page's scripts, timers and media, and only
  // then can it be handed out again. A view that finds two views waiting already, or whose web
  // process ends while it waits, is closed. One whose page does not give way to the empty one
  // within kSpareClearLimitSeconds never yields: its web process is ended (and with it the pages of
  // every hidden view, which it stalled anyway), so that the next hidden page gets a fresh one.
  void giveBack(glibsupport::GObjectPtr<GtkWidget> view);
  // Views given back and kept, and whether one of them is ready to be handed out.
  size_t waitingViews() const { return spares_.size(); }
  bool hasReadyView() const;

  const std::string& dataDirectory() const { return dataDirectory_; }
  // The rules every view's loads wait for; they are kept with the engine's data, as they are the
  // program's own. The context is made first, as its first use empties that folder.
  GtkLocalNetworkFilter& localNetworkFilter();

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
    // When its empty page was asked for (monotonic microseconds).
    gint64 clearingSince = 0;
  };
  static constexpr size_t kMaxSpares = 2;
  // Views share a web process, and a view is given back while its user's work goes on (the ad
  // page is fetched and shown right after the script that ran in the view has answered): an empty
  // page loaded at once would take the process's time from that work.
  static constexpr guint kClearDelayMilliseconds = 50;
  static constexpr guint kSpareClearLimitSeconds = 3;
  // A banner's page needs tens of megabytes; a landing page in a screen a few hundred. What goes
  // far past that is a page that eats memory, which would otherwise take the machine's.
  static constexpr unsigned kMemoryLimitMegabytes = 1024;
  // What a page may keep in website data per origin: enough for any ad's frequency counts and
  // state, far less than what a page that fills storage would take of the program's memory.
  static constexpr double kOriginStorageBytes = 5.0 * 1024 * 1024;

  GtkWidget* makeWebView(WebViewRole role);
  static void startProcess(WebKitWebView* view);
  static void startingLoadChanged(WebKitWebView* view, WebKitLoadEvent event, gpointer);
  static gboolean endStuckSpares(gpointer self);
  static void anchorTerminated(WebKitWebView* view, WebKitWebProcessTerminationReason,
                               gpointer anchor);
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
  unsigned memoryLimitMegabytes_ = kMemoryLimitMegabytes;
  GtkPageWatchdog::Limits watchdogLimits_;
  glibsupport::GObjectPtr<WebKitWebContext> context_;
  // The hidden view whose process later hidden views join, while it lives and its process runs.
  GWeakRef processAnchor_;
  // Views given back, oldest first; they go before the context.
  std::vector<Spare> spares_;
  // The first ad's view, its process started ahead, until it is taken.
  glibsupport::GObjectPtr<GtkWidget> adView_;
  // The first ad's view once made, and whether a hidden page has joined its process.
  GWeakRef firstAdView_;
  bool lentFirstAdProcess_ = false;
  glibsupport::GSourcePtr clearTimer_;
  glibsupport::GSourcePtr closeEnded_;
  glibsupport::GSourcePtr stuckCheck_;
};

}  // namespace platform::gtk
