#pragma once

#include <optional>
#include <string>

#include "ads/Request/TADRequestContributors.h"

// Contributors whose answers a test sets, counting how often the statistics report is taken.
class StandInContributors : public TADRequestContributors {
 public:
  base::Dictionary device;
  std::optional<std::string> network;
  base::Dictionary statistics;
  int statisticsTaken = 0;

  base::Dictionary deviceParameters() override { return device; }
  std::optional<std::string> networkTypeString() override { return network; }
  base::Dictionary statisticsParameters() override {
    ++statisticsTaken;
    return std::exchange(statistics, {});
  }
};

// Installs stand-in contributors for the lifetime of a test.
class ScopedStandIns {
 public:
  ScopedStandIns() : contributors(std::make_shared<StandInContributors>()) {
    TADRequestContributors::setCurrent(contributors);
  }
  ~ScopedStandIns() { TADRequestContributors::setCurrent(nullptr); }
  std::shared_ptr<StandInContributors> contributors;
};
