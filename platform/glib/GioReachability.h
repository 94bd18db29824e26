#pragma once

#include <glib.h>

#include <memory>
#include <string_view>

#include "platform/glibsupport/GlibPtr.h"
#include "platform/net/Reachability.h"

namespace platform::glib {

// Watches hosts through GIO's network monitor (GioReachabilityTarget). Reports are delivered on
// context, the main loop's context (the default one unless another is given).
class GioReachability : public ReachabilityBackend {
 public:
  explicit GioReachability(GMainContext* context = nullptr);
  GioReachability(const GioReachability&) = delete;
  GioReachability& operator=(const GioReachability&) = delete;

  // nullptr when the system offers no network monitor.
  std::unique_ptr<ReachabilityTarget> makeTarget(std::string_view host) override;

 private:
  glibsupport::GMainContextPtr context_;
};

}  // namespace platform::glib
