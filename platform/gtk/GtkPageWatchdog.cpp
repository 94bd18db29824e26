#include "platform/gtk/GtkPageWatchdog.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "platform/core/Console.h"
#include "platform/gtk/GtkWebProcess.h"

namespace platform::gtk {

namespace {

// The world the pings run in: the page's own scripts never see it.
constexpr const char kPingWorld[] = "talvik-watchdog";
// How often the process's memory and budget are read: a page that eats memory takes hundreds of
// megabytes a second.
constexpr double kTickSeconds = 1;
// Processor time of the main thread since the last answer below which it counts as not having
// run: what the kernel's accounting charges an idle process now and then, and the ping's own work.
// A page in a loop takes far more, even on a loaded machine.
constexpr double kIdleProcessorSeconds = 0.02;

double now() {
  return static_cast<double>(g_get_monotonic_time()) / G_USEC_PER_SEC;
}

std::string seconds(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}

}  // namespace

GtkPageWatchdog::GtkPageWatchdog(WebKitWebView* view, WebViewRole role, const Limits& limits)
    : view_(view),
      role_(role),
      limits_(limits),
      pings_(glibsupport::adopt(g_cancellable_new())),
      token_(std::make_shared<Token>(Token{this})) {
  if (role_ == WebViewRole::Ad)
    g_signal_connect(view_, "resource-load-started", G_CALLBACK(resourceStarted), this);
}

GtkPageWatchdog::~GtkPageWatchdog() {
  letGoOfView();
}

void GtkPageWatchdog::letGoOfView() {
  g_cancellable_cancel(pings_.get());
  if (view_) g_signal_handlers_disconnect_by_data(view_, this);
  view_ = nullptr;
  timer_.reset();
  watching_ = false;
}

void GtkPageWatchdog::pageStarted(std::optional<pid_t> process) {
  if (process) process_ = process;
  watching_ = true;
  ended_ = false;
  pressed_ = false;
  networkBytes_ = 0;
  samples_.clear();
  processorAtStart_ = process_ ? GtkWebProcess::mainThreadSeconds(*process_) : std::nullopt;
  processorAtAnswer_.reset();
  if (timer_) return;
  double tickSeconds = std::min(limits_.pingSeconds, kTickSeconds);
  ticksPerPing_ = std::max(1, static_cast<int>(std::lround(limits_.pingSeconds / tickSeconds)));
  ticksPerQuietPing_ = std::max(
      ticksPerPing_, static_cast<int>(std::lround(limits_.quietPingSeconds / tickSeconds)));
  ticksSincePing_ = ticksPerPing_;
  // In whole seconds GLib wakes the program once for all such timers due in the same second: the
  // watchdogs of the banner and of the hidden pages share their wake-ups.
  timer_.reset(tickSeconds == std::floor(tickSeconds)
                   ? g_timeout_source_new_seconds(static_cast<guint>(tickSeconds))
                   : g_timeout_source_new(static_cast<guint>(tickSeconds * 1000)));
  g_source_set_callback(timer_.get(), tick, this, nullptr);
  g_source_attach(timer_.get(), nullptr);
}

void GtkPageWatchdog::processEnded() {
  watching_ = false;
  pingSentAt_.reset();
  process_.reset();
  processorAtStart_.reset();
  processorAtAnswer_.reset();
}

// Ending the process may end the view's user, and this watchdog with it: it is the last thing
// done here, as in every handler below.
gboolean GtkPageWatchdog::tick(gpointer self) {
  auto* watchdog = static_cast<GtkPageWatchdog*>(self);
  if (!watchdog->watching_) return G_SOURCE_CONTINUE;
  if (!watchdog->pingSentAt_) {
    ++watchdog->ticksSincePing_;
    if (watchdog->pingDue()) watchdog->ping();
  } else if (now() - *watchdog->pingSentAt_ >= watchdog->limits_.unresponsiveSeconds) {
    watchdog->end("Ended the web process of a page that did not answer for " +
                  seconds(watchdog->limits_.unresponsiveSeconds) + " seconds.");
    return G_SOURCE_CONTINUE;
  }
  if (watchdog->checkMemory()) return G_SOURCE_CONTINUE;
  watchdog->measure();
  return G_SOURCE_CONTINUE;
}

bool GtkPageWatchdog::pingDue() const {
  if (ticksSincePing_ < ticksPerPing_) return false;
  if (ticksSincePing_ >= ticksPerQuietPing_ || !process_ || !processorAtAnswer_) return true;
  std::optional<double> used = GtkWebProcess::mainThreadSeconds(*process_);
  return !used || *used - *processorAtAnswer_ >= kIdleProcessorSeconds;
}

void GtkPageWatchdog::ping() {
  pingSentAt_ = now();
  ticksSincePing_ = 0;
  webkit_web_view_evaluate_javascript(view_, "0", -1, kPingWorld, nullptr, pings_.get(), answered,
                                      this);
}

// Also the answer of a ping that the process's end cut short.
void GtkPageWatchdog::answered(GObject* view, GAsyncResult* result, gpointer data) {
  glibsupport::GErrorPtr error;
  auto value = glibsupport::adopt(
      webkit_web_view_evaluate_javascript_finish(WEBKIT_WEB_VIEW(view), result, error.out()));
  // Cancelled: the watchdog went away.
  if (error && g_error_matches(error.get(), G_IO_ERROR, G_IO_ERROR_CANCELLED)) return;
  auto* watchdog = static_cast<GtkPageWatchdog*>(data);
  watchdog->pingSentAt_.reset();
  watchdog->processorAtAnswer_ =
      watchdog->process_ ? GtkWebProcess::mainThreadSeconds(*watchdog->process_) : std::nullopt;
}

bool GtkPageWatchdog::checkMemory() {
  if (limits_.memoryLimitMegabytes == 0 || !process_) return false;
  std::optional<long> used = GtkWebProcess::privateResidentBytes(*process_);
  if (!used || *used <= static_cast<long>(limits_.memoryLimitMegabytes) << 20) return false;
  // The line the engine's own check gives, so that the user hears of one kind of ending.
  end("WebKit ended the web process of a page that used too much memory.");
  return true;
}

void GtkPageWatchdog::measure() {
  if (role_ != WebViewRole::Ad || pressed_ || !process_ || !processorAtStart_) return;
  std::optional<double> used = GtkWebProcess::mainThreadSeconds(*process_);
  if (!used) return;
  double time = now();
  samples_.push_back({time, *used});
  while (samples_.size() > 1 && samples_[1].time <= time - limits_.adWindowSeconds)
    samples_.pop_front();
  if (*used - *processorAtStart_ > limits_.adProcessorSeconds) {
    end("Unloaded an ad that used the processor for more than " +
        seconds(limits_.adProcessorSeconds) + " seconds.");
  } else if (*used - samples_.front().processorSeconds > limits_.adProcessorSecondsInWindow) {
    end("Unloaded an ad that used the processor for more than " +
        seconds(limits_.adProcessorSecondsInWindow) + " seconds in " +
        seconds(limits_.adWindowSeconds) + ".");
  }
}

void GtkPageWatchdog::resourceStarted(WebKitWebView*, WebKitWebResource* resource,
                                      WebKitURIRequest*, gpointer self) {
  auto* watchdog = static_cast<GtkPageWatchdog*>(self);
  g_signal_connect_data(
      resource, "notify::response", G_CALLBACK(responded),
      new std::weak_ptr<Token>(watchdog->token_),
      [](gpointer token, GClosure*) { delete static_cast<std::weak_ptr<Token>*>(token); },
      GConnectFlags(0));
}

// What a response announces is counted when it arrives: an ad that would load more than its
// budget goes before it has.
void GtkPageWatchdog::responded(WebKitWebResource* resource, GParamSpec*, gpointer token) {
  std::shared_ptr<Token> alive = static_cast<std::weak_ptr<Token>*>(token)->lock();
  if (!alive) return;
  GtkPageWatchdog& watchdog = *alive->watchdog;
  WebKitURIResponse* response = webkit_web_resource_get_response(resource);
  if (!response || !watchdog.watching_ || watchdog.pressed_) return;
  guint64 length = webkit_uri_response_get_content_length(response);
  if (length == 0 || length > G_MAXINT64) return;
  watchdog.networkBytes_ += static_cast<int64_t>(length);
  if (watchdog.networkBytes_ > watchdog.limits_.adNetworkBytes) {
    watchdog.end("Unloaded an ad that loaded more than " +
                 std::to_string(watchdog.limits_.adNetworkBytes) + " bytes.");
  }
}

void GtkPageWatchdog::end(const std::string& why) {
  if (ended_) return;
  ended_ = true;
  watching_ = false;
  Console::log("<Talvik> " + why);
  webkit_web_view_terminate_web_process(view_);
}

}  // namespace platform::gtk
