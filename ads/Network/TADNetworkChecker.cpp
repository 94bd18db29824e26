#include "ads/Network/TADNetworkChecker.h"

#include "ads/Configuration/TADConfiguration.h"
#include "platform/Platform.h"
#include "platform/net/Reachability.h"

TADNetworkChecker& TADNetworkChecker::sharedChecker() {
  static TADNetworkChecker* checker = [] {
    auto* made = new TADNetworkChecker();  // lives for the process, like the platform's watcher
    made->setEnabled(true);
    return made;
  }();
  return *checker;
}

TADNetworkChecker::~TADNetworkChecker() {
  stopNetworkChecking();
}

void TADNetworkChecker::setEnabled(bool enabled) {
  if (enabled == isEnabled()) return;
  if (enabled) {
    startNetworkChecking();
  } else {
    stopNetworkChecking();
  }
}

void TADNetworkChecker::startNetworkChecking() {
  networkType_ = kNetworkTypeUnknown;
  if (networkRef_) return;
  networkRef_ = platform::ReachabilityTarget::createWithName(kTADReachabilityProbeHost);
  if (!networkRef_) return;
  networkRef_->setCallback([this](uint32_t flags) { setNetworkTypeFromFlags(flags); });
  if (!networkRef_->scheduleWithRunLoop()) networkRef_.reset();
}

void TADNetworkChecker::stopNetworkChecking() {
  if (!networkRef_) return;
  networkRef_->unscheduleFromRunLoop();
  networkRef_.reset();
  networkType_ = kNetworkTypeUnknown;
}

void TADNetworkChecker::setNetworkTypeFromFlags(uint32_t flags) {
  ++changeCount_;
  if (!(flags & platform::ReachabilityTarget::kFlagReachable)) {
    networkType_ = kNetworkTypeNotReachable;
  } else if (flags & platform::ReachabilityTarget::kFlagIsWWAN) {
    networkType_ = kNetworkTypeCellular;
  } else {
    networkType_ = kNetworkTypeLocal;
  }
}

std::optional<std::string> TADNetworkChecker::networkTypeString() const {
  if (networkType_ == kNetworkTypeLocal) return "wi";
  if (networkType_ == kNetworkTypeCellular) return "ed";
  return std::nullopt;
}
