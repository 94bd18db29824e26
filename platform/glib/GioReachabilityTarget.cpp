#include "platform/glib/GioReachabilityTarget.h"

#include <cstdint>
#include <memory>

namespace platform::glib {

namespace {
constexpr guint16 kPort = 80;
}

// What an answer needs to find its target: the target cancels the question before it goes, so
// an answer that is not cancelled may use it.
struct GioReachabilityTarget::Question {
  GioReachabilityTarget* target;
  glibsupport::GObjectPtr<GCancellable> cancellable;
};

GioReachabilityTarget::GioReachabilityTarget(std::string_view host, GNetworkMonitor* monitor,
                                             GMainContext* context)
    : host_(host), monitor_(glibsupport::retain(monitor)), context_(g_main_context_ref(context)) {}

GioReachabilityTarget::~GioReachabilityTarget() {
  unscheduleFromRunLoop();
}

bool GioReachabilityTarget::scheduleWithRunLoop() {
  if (changedHandler_ == 0) {
    changedHandler_ =
        g_signal_connect(monitor_.get(), "network-changed", G_CALLBACK(networkChanged), this);
  }
  ask();
  return true;
}

void GioReachabilityTarget::unscheduleFromRunLoop() {
  if (changedHandler_ != 0) {
    g_signal_handler_disconnect(monitor_.get(), changedHandler_);
    changedHandler_ = 0;
  }
  cancelQuestion();
}

void GioReachabilityTarget::networkChanged(GNetworkMonitor*, gboolean, gpointer self) {
  static_cast<GioReachabilityTarget*>(self)->ask();
}

void GioReachabilityTarget::ask() {
  cancelQuestion();
  pending_ = glibsupport::adopt(g_cancellable_new());
  auto* question = new Question{this, pending_};
  auto address = glibsupport::adopt(g_network_address_new(host_.c_str(), kPort));
  // The answer is delivered on the context that is the thread's default when asking.
  g_main_context_push_thread_default(context_.get());
  g_network_monitor_can_reach_async(monitor_.get(), address.get(), pending_.get(), answered,
                                    question);
  g_main_context_pop_thread_default(context_.get());
}

void GioReachabilityTarget::cancelQuestion() {
  if (!pending_) return;
  g_cancellable_cancel(pending_.get());
  pending_.reset();
}

void GioReachabilityTarget::answered(GObject* monitor, GAsyncResult* result, gpointer data) {
  std::unique_ptr<Question> question(static_cast<Question*>(data));
  glibsupport::GErrorPtr error;
  bool reachable =
      g_network_monitor_can_reach_finish(G_NETWORK_MONITOR(monitor), result, error.out());
  if (g_cancellable_is_cancelled(question->cancellable.get())) return;
  GioReachabilityTarget* target = question->target;
  target->pending_.reset();
  target->report(reachable);
}

void GioReachabilityTarget::report(bool reachable) {
  uint32_t flags = 0;
  if (reachable) flags |= kFlagReachable;
  if (g_network_monitor_get_network_metered(monitor_.get())) flags |= kFlagIsWWAN;
  // A local copy: the callback may unschedule or replace itself.
  Callback callback = callback_;
  if (callback) callback(flags);
}

}  // namespace platform::glib
