#pragma once

#include <sys/types.h>
#include <webkit2/webkit2.h>

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>

#include "platform/glibsupport/GlibPtr.h"
#include "platform/ui/WebViewPeer.h"

namespace platform::gtk {

// Watches the pages of one web view for its peer and ends the view's web process when a page
// misbehaves; the view then reports that its process ended, which its peer reports as a failed
// load, and the next page the view loads gets a fresh process.
//
// The watchdog reads the process (memory, budget) on a tick of its own, every second or every
// pingSeconds when that is shorter, and pings on every tick that is pingSeconds after the last
// ping.
//
// - A page that stops answering: every pingSeconds a script is run in a world of the watchdog's
//   own (the page cannot see or stall it, other than by keeping the process busy); when one has
//   had no answer for unresponsiveSeconds, the page never yields (a loop, or a process stuck in a
//   way of its own) and nothing else would ever end it. A page whose process's main thread has not
//   run since the last answer is pinged only every quietPingSeconds: nothing runs there that
//   could keep it from answering but a wait that never ends, which costs the machine nothing.
// - An ad that nobody has pressed since its page began (role Ad), held to a budget as browsers
//   unload heavy ads: the processor time of its process's main thread (the thread that runs the
//   page's scripts, layout and drawing), in total and in any window of adWindowSeconds, and the
//   bytes of network that its responses announce. A pressed ad is the user's, and goes on.
// - A page whose process holds more memory of its own than memoryLimitMegabytes (what it has
//   resident beyond the files it maps: its heap, not the libraries every web process shares), read
//   on each tick when the view's process is known. A page that eats memory takes hundreds of
//   megabytes a second; the kernel's short summary (/proc/PID/statm) costs microseconds to read,
//   where the engine's own check walks every mapping of the process and is left to run seldom.
//
// Each ending says why in one console line. The watchdog runs from the first page of its view's
// user on, and stops when it is destroyed.
class GtkPageWatchdog {
 public:
  struct Limits {
    // An answer takes milliseconds even on a busy machine; a page silent this long is not going
    // to answer, and a banner that waits longer is blank for longer. A ping wakes the page's
    // process and the program: one a second was a good part of what an idle banner cost, and one
    // every two seconds ends a page that stopped answering at most a second later.
    double pingSeconds = 2;
    double unresponsiveSeconds = 5;
    // Each ping wakes the page's process and the program: an idle banner and the hidden page
    // loaded ahead were pinged ten times a refresh, for nothing.
    double quietPingSeconds = 10;
    // The heavy-ad budget browsers hold ads to: more than a minute of the main thread in all,
    // more than half of any 30 seconds, or 4 MB of network is more than any ad needs for what it
    // shows, and what an untouched ad uses beyond it is taken from the user's battery, data plan
    // and the program's own pages.
    double adProcessorSeconds = 60;
    double adWindowSeconds = 30;
    double adProcessorSecondsInWindow = 15;
    int64_t adNetworkBytes = 4 * 1000 * 1000;
    // None unless the web context sets its own.
    unsigned memoryLimitMegabytes = 0;
  };

  GtkPageWatchdog(WebKitWebView* view, WebViewRole role, const Limits& limits);
  ~GtkPageWatchdog();
  GtkPageWatchdog(const GtkPageWatchdog&) = delete;
  GtkPageWatchdog& operator=(const GtkPageWatchdog&) = delete;

  // The view's user loads a page: its budget starts afresh. process is the web process that
  // runs it, when known (it is kept for later pages that do not say).
  void pageStarted(std::optional<pid_t> process);
  // The user pressed the view: the page is no longer held to the budget.
  void pressed() { pressed_ = true; }
  // The view's web process ended: nothing is waited for until the next page.
  void processEnded();
  // The view goes to another owner (a pool of views) that may let it go at once: the watchdog
  // stops watching it and touches it no more.
  void letGoOfView();

 private:
  struct Sample {
    double time;
    double processorSeconds;
  };
  // What the handlers of WebKit's resources reach while the watchdog lives.
  struct Token {
    GtkPageWatchdog* watchdog;
  };

  static gboolean tick(gpointer self);
  static void answered(GObject* view, GAsyncResult* result, gpointer data);
  static void resourceStarted(WebKitWebView*, WebKitWebResource* resource, WebKitURIRequest*,
                              gpointer self);
  static void responded(WebKitWebResource* resource, GParamSpec*, gpointer token);
  // Whether a ping is due on this tick: pingSeconds after the last one while the process's main
  // thread runs, quietPingSeconds while it does not.
  bool pingDue() const;
  void ping();
  void measure();
  // Whether the process was ended for its memory.
  bool checkMemory();
  void end(const std::string& why);

  WebKitWebView* view_;
  WebViewRole role_;
  Limits limits_;
  glibsupport::GSourcePtr timer_;
  glibsupport::GObjectPtr<GCancellable> pings_;
  std::shared_ptr<Token> token_;
  bool watching_ = false;
  std::optional<double> pingSentAt_;
  // Ticks since the last ping was sent, and how many make pingSeconds and quietPingSeconds.
  int ticksSincePing_ = 0;
  int ticksPerPing_ = 1;
  int ticksPerQuietPing_ = 1;
  // Processor time of the process's main thread when the last ping was answered.
  std::optional<double> processorAtAnswer_;
  bool pressed_ = false;
  bool ended_ = false;
  std::optional<pid_t> process_;
  // Processor time of the process when the page began, and the samples of the last window.
  std::optional<double> processorAtStart_;
  std::deque<Sample> samples_;
  int64_t networkBytes_ = 0;
};

}  // namespace platform::gtk
