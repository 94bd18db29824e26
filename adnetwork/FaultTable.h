#pragma once

#include <deque>
#include <map>
#include <optional>
#include <string>
#include <utility>

#include "adnetwork/AdNetwork.h"
#include "base/Error.h"
#include "base/Expected.h"

namespace adnetwork {

// The faults waiting for each route, first injected first applied. An entry applies to a number
// of requests and then goes, or to every request until cleared.
class FaultTable {
 public:
  using Route = AdNetwork::Route;
  using FaultPlan = AdNetwork::FaultPlan;

  // The longest redirect chain a fault may ask for.
  static constexpr int kMaximumRedirectCount = 100;

  // times < 0: every request; 0 adds nothing.
  void add(Route route, FaultPlan plan, int times);
  void clear();
  // The fault for the next request on route, used up by this call; none when nothing waits.
  std::optional<FaultPlan> take(Route route);

  // "<route>:<fault>[:<number>]"; see AdNetwork::parseFault.
  static base::Expected<std::pair<Route, FaultPlan>> parse(const std::string& text);
  // How a fault reads in the log and on the command line: "status:503", "delay:1.5", "stall".
  static std::string describe(const FaultPlan& plan);
  static const char* routeName(Route route);

 private:
  struct Entry {
    FaultPlan plan;
    int remaining;  // < 0: no end
  };
  std::map<Route, std::deque<Entry>> entries_;
};

}  // namespace adnetwork
