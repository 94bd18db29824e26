#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace platform {
class ReachabilityTarget;
}

// Watches whether the probe host can be reached and over which link, so that each ad request can
// say whether the device is on a local network ("wi") or the cellular network ("ed"). The shared
// checker is switched on when first asked for and stays on. Until the platform's first report the
// type is unknown and requests say nothing.
class TADNetworkChecker {
 public:
  enum NetworkType : int32_t {
    kNetworkTypeUnknown = 0,
    kNetworkTypeNotReachable = 1,
    kNetworkTypeLocal = 2,
    kNetworkTypeCellular = 3,
  };

  static TADNetworkChecker& sharedChecker();

  TADNetworkChecker() = default;
  ~TADNetworkChecker();
  TADNetworkChecker(const TADNetworkChecker&) = delete;
  TADNetworkChecker& operator=(const TADNetworkChecker&) = delete;

  bool isEnabled() const { return networkRef_ != nullptr; }
  // Starts or stops watching; nothing when already in that state. A checker whose platform cannot
  // watch the host stays off.
  void setEnabled(bool enabled);
  void startNetworkChecking();
  void stopNetworkChecking();
  // Takes one platform report.
  void setNetworkTypeFromFlags(uint32_t flags);

  int32_t networkType() const { return networkType_; }
  // "wi", "ed", or none while unknown or unreachable.
  std::optional<std::string> networkTypeString() const;
  uint32_t changeCount() const { return changeCount_; }

 private:
  std::unique_ptr<platform::ReachabilityTarget> networkRef_;
  int32_t networkType_ = kNetworkTypeUnknown;
  uint32_t changeCount_ = 0;
};
