#include "platform/glib/GioReachability.h"

#include <gio/gio.h>

#include "platform/glib/GioReachabilityTarget.h"

namespace platform::glib {

GioReachability::GioReachability(GMainContext* context)
    : context_(g_main_context_ref(context ? context : g_main_context_default())) {}

std::unique_ptr<ReachabilityTarget> GioReachability::makeTarget(std::string_view host) {
  GNetworkMonitor* monitor = g_network_monitor_get_default();
  if (!monitor || host.empty()) return nullptr;
  return std::make_unique<GioReachabilityTarget>(host, monitor, context_.get());
}

}  // namespace platform::glib
