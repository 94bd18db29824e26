#include "platform/sim/SimReachability.h"

#include <algorithm>

#include "platform/core/RunLoop.h"

namespace platform::sim {

// The scheduled targets. Targets keep the hub alive, so a target that outlives its platform stays
// safe to destroy.
struct SimReachability::Hub {
  std::vector<Target*> scheduled;
};

class SimReachability::Target : public ReachabilityTarget {
 public:
  explicit Target(std::shared_ptr<Hub> hub) : hub_(std::move(hub)) {}
  ~Target() override { unscheduleFromRunLoop(); }

  void setCallback(Callback callback) override { callback_ = std::move(callback); }
  bool scheduleWithRunLoop() override {
    if (std::find(hub_->scheduled.begin(), hub_->scheduled.end(), this) == hub_->scheduled.end()) {
      hub_->scheduled.push_back(this);
    }
    return true;
  }
  void unscheduleFromRunLoop() override {
    RunLoop::main().cancel(this);
    std::erase(hub_->scheduled, this);
  }
  void deliver(uint32_t flags) {
    RunLoop::main().post(0, this, [this, flags] {
      if (callback_) callback_(flags);
    });
  }

 private:
  std::shared_ptr<Hub> hub_;
  Callback callback_;
};

SimReachability::SimReachability() : hub_(std::make_shared<Hub>()) {}

std::unique_ptr<ReachabilityTarget> SimReachability::makeTarget(std::string_view host) {
  createdHosts_.emplace_back(host);
  if (!canCreate_) return nullptr;
  return std::make_unique<Target>(hub_);
}

void SimReachability::report(uint32_t flags) {
  for (Target* target : hub_->scheduled)
    target->deliver(flags);
}

size_t SimReachability::scheduledTargetCount() const {
  return hub_->scheduled.size();
}

}  // namespace platform::sim
