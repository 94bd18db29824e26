#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>

namespace platform {

// Watches whether a host can be reached and over which kind of link. Reports are flag words
// delivered on the main run loop while the target is scheduled.
class ReachabilityTarget {
 public:
  static constexpr uint32_t kFlagReachable = 1u << 1;
  static constexpr uint32_t kFlagIsWWAN = 1u << 18;  // over the cellular (metered) network
  using Callback = std::function<void(uint32_t flags)>;

  virtual ~ReachabilityTarget() = default;

  // A target for host on the installed platform; nullptr when the platform cannot watch it.
  static std::unique_ptr<ReachabilityTarget> createWithName(std::string_view host);

  virtual void setCallback(Callback callback) = 0;
  // Starts and stops the reports; answers whether reports will come.
  virtual bool scheduleWithRunLoop() = 0;
  virtual void unscheduleFromRunLoop() = 0;
};

// What a backend supplies to watch hosts.
class ReachabilityBackend {
 public:
  virtual ~ReachabilityBackend() = default;
  virtual std::unique_ptr<ReachabilityTarget> makeTarget(std::string_view host) = 0;
};

}  // namespace platform
