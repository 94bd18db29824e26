#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/net/Reachability.h"

namespace platform::sim {

// Reachability whose reports a test sends: report(flags) reaches every scheduled target on the
// next pass of the run loop. Creation can be made to fail; every created host is recorded.
class SimReachability : public ReachabilityBackend {
 public:
  SimReachability();
  std::unique_ptr<ReachabilityTarget> makeTarget(std::string_view host) override;

  void report(uint32_t flags);
  void setCanCreateTargets(bool can) { canCreate_ = can; }
  const std::vector<std::string>& createdHosts() const { return createdHosts_; }
  size_t scheduledTargetCount() const;

  class Target;
  struct Hub;

 private:
  std::shared_ptr<Hub> hub_;
  bool canCreate_ = true;
  std::vector<std::string> createdHosts_;
};

}  // namespace platform::sim
