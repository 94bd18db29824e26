#pragma once

#include <gio/gio.h>

#include <string>
#include <string_view>

#include "platform/glibsupport/GlibPtr.h"
#include "platform/net/Reachability.h"

namespace platform::glib {

// One host watched through a GNetworkMonitor. While scheduled, it asks the monitor whether the
// host can be reached (port 80) once right away and again on every change of the network, and
// reports each answer on context: reachable when the monitor says so, over the cellular network
// when the connection is metered. A newer question cancels an older one still in flight, and so
// do unscheduling and destruction: no report arrives after either.
class GioReachabilityTarget : public ReachabilityTarget {
 public:
  GioReachabilityTarget(std::string_view host, GNetworkMonitor* monitor, GMainContext* context);
  ~GioReachabilityTarget() override;
  GioReachabilityTarget(const GioReachabilityTarget&) = delete;
  GioReachabilityTarget& operator=(const GioReachabilityTarget&) = delete;

  void setCallback(Callback callback) override { callback_ = std::move(callback); }
  bool scheduleWithRunLoop() override;
  void unscheduleFromRunLoop() override;

 private:
  struct Question;
  static void networkChanged(GNetworkMonitor*, gboolean available, gpointer self);
  static void answered(GObject* monitor, GAsyncResult* result, gpointer question);
  void ask();
  void cancelQuestion();
  void report(bool reachable);

  std::string host_;
  glibsupport::GObjectPtr<GNetworkMonitor> monitor_;
  glibsupport::GMainContextPtr context_;
  Callback callback_;
  gulong changedHandler_ = 0;
  glibsupport::GObjectPtr<GCancellable> pending_;
};

}  // namespace platform::glib
