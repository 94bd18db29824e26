#pragma once

#include <memory>
#include <optional>
#include <string>

#include "base/Value.h"

// Where a request's parameter dictionary gathers what the rest of the library knows: the device
// and application facts, the network type and the running statistics. The library's own sources
// answer by default; tests may stand others in.
class TADRequestContributors {
 public:
  virtual ~TADRequestContributors() = default;

  static TADRequestContributors& current();
  // Stands contributors in for the library's own; nullptr restores those.
  static void setCurrent(std::shared_ptr<TADRequestContributors> contributors);

  virtual base::Dictionary deviceParameters() = 0;
  // "wi", "ed" and the like; none when the type is unknown.
  virtual std::optional<std::string> networkTypeString() = 0;
  // Hands over, and clears, the pending statistics report.
  virtual base::Dictionary statisticsParameters() = 0;
};
