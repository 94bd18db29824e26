#include "adnetwork/FaultTable.h"

#include <cmath>
#include <locale>
#include <sstream>
#include <vector>

#include "base/ASCII.h"
#include "base/NumberText.h"

namespace adnetwork {

namespace {

using Fault = AdNetwork::Fault;
using Route = AdNetwork::Route;

constexpr const char kErrorDomain[] = "adnetwork.fault";
// A day: longer delays are never meant, and must stay within what a timer takes.
constexpr double kMaximumDelaySeconds = 86400;

struct FaultName {
  const char* name;
  Fault fault;
};

// Status and delay read their number from the text; the others take none, but a redirect chain's
// length.
constexpr FaultName kFaultNames[] = {
    {"status", Fault::Status},
    {"delay", Fault::Delay},
    {"stall", Fault::Stall},
    {"empty", Fault::EmptyPage},
    {"garbage", Fault::Garbage},
    {"oversized", Fault::Oversized},
    {"redirect-chain", Fault::RedirectChain},
    {"redirect-loop", Fault::RedirectLoop},
    {"close", Fault::CloseMidAnswer},
    {"silent", Fault::ScriptSilent},
    {"throws", Fault::ScriptThrows},
};

constexpr std::pair<const char*, Route> kRouteNames[] = {
    {"script", Route::Script},
    {"ad", Route::Ad},
    {"tracking", Route::Tracking},
    {"landing", Route::Landing},
};

// Whole numbers beyond what the faults take (statuses, chain lengths) count as none.
std::optional<int> wholeNumber(const std::string& text) {
  auto value = base::decimalFromText(text);
  if (!value || *value != std::floor(*value) || std::fabs(*value) > 1e6) return std::nullopt;
  return static_cast<int>(*value);
}

base::Error refuse(const std::string& text, const std::string& why) {
  return base::Error::withDescription(kErrorDomain, 1, "\"" + text + "\": " + why);
}

// The plan that the fault's name and optional number make, or the error when they make none.
base::Expected<AdNetwork::FaultPlan> readFault(const std::string& text,
                                               std::vector<std::string> pieces) {
  AdNetwork::FaultPlan plan;
  if (pieces.empty() || pieces.size() > 2)
    return refuse(text, "expected <route>:<fault>[:<number>]");
  // A bare status code stands for "status:<code>".
  if (pieces.size() == 1 && wholeNumber(pieces[0])) pieces.insert(pieces.begin(), "status");
  const FaultName* found = nullptr;
  for (const FaultName& entry : kFaultNames) {
    if (pieces[0] == entry.name) found = &entry;
  }
  if (!found) return refuse(text, "unknown fault \"" + pieces[0] + "\"");
  plan.fault = found->fault;
  const bool hasNumber = pieces.size() == 2;
  switch (plan.fault) {
    case Fault::Status: {
      auto status = hasNumber ? wholeNumber(pieces[1]) : std::nullopt;
      if (!status || *status < 100 || *status > 599) {
        return refuse(text, "a status needs a code from 100 to 599");
      }
      plan.status = *status;
      return plan;
    }
    case Fault::Delay: {
      auto seconds = hasNumber ? base::decimalFromText(pieces[1]) : std::nullopt;
      if (!seconds || *seconds < 0 || *seconds > kMaximumDelaySeconds) {
        return refuse(text, "a delay needs seconds, 0 to 86400");
      }
      plan.seconds = *seconds;
      return plan;
    }
    case Fault::RedirectChain: {
      if (!hasNumber) return plan;
      auto count = wholeNumber(pieces[1]);
      if (!count || *count < 1 || *count > FaultTable::kMaximumRedirectCount) {
        return refuse(text, "a redirect chain needs 1 to 100 redirects");
      }
      plan.count = *count;
      return plan;
    }
    default:
      if (hasNumber) return refuse(text, "\"" + pieces[0] + "\" takes no number");
      return plan;
  }
}

}  // namespace

void FaultTable::add(Route route, FaultPlan plan, int times) {
  if (times == 0) return;
  entries_[route].push_back({plan, times});
}

void FaultTable::clear() {
  entries_.clear();
}

std::optional<AdNetwork::FaultPlan> FaultTable::take(Route route) {
  auto found = entries_.find(route);
  if (found == entries_.end() || found->second.empty()) return std::nullopt;
  Entry& entry = found->second.front();
  FaultPlan plan = entry.plan;
  if (entry.remaining > 0 && --entry.remaining == 0) found->second.pop_front();
  return plan;
}

base::Expected<std::pair<Route, AdNetwork::FaultPlan>> FaultTable::parse(const std::string& text) {
  std::vector<std::string> pieces = base::split(text, ':');
  if (pieces.size() < 2) return refuse(text, "expected <route>:<fault>[:<number>]");
  std::optional<Route> route;
  for (const auto& [name, value] : kRouteNames) {
    if (pieces[0] == name) route = value;
  }
  if (!route) {
    return refuse(text, "unknown route \"" + pieces[0] + "\" (script, ad, tracking, landing)");
  }
  base::Expected<FaultPlan> plan = readFault(text, {pieces.begin() + 1, pieces.end()});
  if (!plan) return plan.error();
  const bool scriptFault = plan->fault == Fault::ScriptSilent || plan->fault == Fault::ScriptThrows;
  if (scriptFault && *route != Route::Script) {
    return refuse(text, "\"silent\" and \"throws\" apply to the script route only");
  }
  return std::make_pair(*route, *plan);
}

std::string FaultTable::describe(const FaultPlan& plan) {
  for (const FaultName& entry : kFaultNames) {
    if (entry.fault != plan.fault) continue;
    std::ostringstream text;
    text.imbue(std::locale::classic());
    text << entry.name;
    if (plan.fault == Fault::Status) text << ':' << plan.status;
    if (plan.fault == Fault::Delay) text << ':' << plan.seconds;
    if (plan.fault == Fault::RedirectChain) text << ':' << plan.count;
    return text.str();
  }
  return "unknown";
}

const char* FaultTable::routeName(Route route) {
  for (const auto& [name, value] : kRouteNames) {
    if (value == route) return name;
  }
  return "unknown";
}

}  // namespace adnetwork
