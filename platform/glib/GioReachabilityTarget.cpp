#include "platform/glib/GioReachabilityTarget.h"

#include <cstdint>

namespace platform::glib {

namespace {
constexpr guint16 kPort = 80;
}

// What an answer needs to find its target: the target cancels the question before it goes, so
// an answer that is not cancelled may use it.
struct GioReachabilityTarget::Question {
  GioReachabilityTarget* target;
  GCancellable* cancellable;
};

GioReachabilityTarget::GioReachabilityTarget(std::string_view host, GNetworkMonitor* monitor,
                                             GMainContext* context)
    : host_(host),
      monitor_(G_NETWORK_MONITOR(g_object_ref(monitor))),
      context_(g_main_context_ref(context)) {}

GioReachabilityTarget::~GioReachabilityTarget() {
  unscheduleFromRunLoop();
  g_object_unref(monitor_);
  g_main_context_unref(context_);
}

bool GioReachabilityTarget::scheduleWithRunLoop() {
  if (changedHandler_ == 0) {
    changedHandler_ =
        g_signal_connect(monitor_, "network-changed", G_CALLBACK(networkChanged), this);
  }
  ask();
  return true;
}

void GioReachabilityTarget::unscheduleFromRunLoop() {
  if (changedHandler_ != 0) {
    g_signal_handler_disconnect(monitor_, changedHandler_);
    changedHandler_ = 0;
  }
  cancelQuestion();
}

void GioReachabilityTarget::networkChanged(GNetworkMonitor*, gboolean, gpointer self) {
  static_cast<GioReachabilityTarget*>(self)->ask();
}

void GioReachabilityTarget::ask() {
  cancelQuestion();
  pending_ = g_cancellable_new();
  auto* question = new Question{this, G_CANCELLABLE(g_object_ref(pending_))};
  GSocketConnectable* address = g_network_address_new(host_.c_str(), kPort);
  // The answer is delivered on the context that is the thread's default when asking.
  g_main_context_push_thread_default(context_);
  g_network_monitor_can_reach_async(monitor_, address, pending_, answered, question);
  g_main_context_pop_thread_default(context_);
  g_object_unref(address);
}

void GioReachabilityTarget::cancelQuestion() {
  if (!pending_) return;
  g_cancellable_cancel(pending_);
  g_object_unref(pending_);
  pending_ = nullptr;
}

void GioReachabilityTarget::answered(GObject* monitor, GAsyncResult* result, gpointer data) {
  auto* question = static_cast<Question*>(data);
  GError* error = nullptr;
  bool reachable = g_network_monitor_can_reach_finish(G_NETWORK_MONITOR(monitor), result, &error);
  bool cancelled = g_cancellable_is_cancelled(question->cancellable);
  if (error) g_error_free(error);
  if (!cancelled) {
    GioReachabilityTarget* target = question->target;
    g_object_unref(target->pending_);
    target->pending_ = nullptr;
    target->report(reachable);
  }
  g_object_unref(question->cancellable);
  delete question;
}

void GioReachabilityTarget::report(bool reachable) {
  uint32_t flags = 0;
  if (reachable) flags |= kFlagReachable;
  if (g_network_monitor_get_network_metered(monitor_)) flags |= kFlagIsWWAN;
  // A local copy: the callback may unschedule or replace itself.
  Callback callback = callback_;
  if (callback) callback(flags);
}

}  // namespace platform::glib
