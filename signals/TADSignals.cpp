#include "signals/TADSignals.h"

#include <chrono>
#include <functional>
#include <optional>
#include <utility>

#include "signals/TADSignalRecord.h"
#include "signals/TADSignalState.h"
#include "signals/TADSignalsTesting.h"
#include "stacktrace/RookStackTrace.h"

namespace {

constexpr std::string_view kRequestSignalName = "sig";

double monotonicSeconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// The component's process-wide state. Only the main thread calls in, so nothing is locked.
struct Component {
  std::function<double()> clock = monotonicSeconds;
  std::function<std::string()> stackTrace = RookStackTrace;
  std::optional<TADSignalState> state;

  TADSignalState& currentState() {
    if (!state) state.emplace(clock());
    return *state;
  }
};

Component& component() {
  static Component instance;
  return instance;
}

}  // namespace

int tad_gmrs(std::string& out) {
  if (!out.empty()) return 0;
  Component& signals = component();
  const TADSignalState& state = signals.currentState();
  out.append(kRequestSignalName).append("=");
  out.append(TADSignalRecord::requestText(state, signals.clock()));
  return 1;
}

int tad_gmcs(const std::string& clickValue, std::string& out) {
  if (!out.empty()) return 0;
  Component& signals = component();
  const TADSignalState& state = signals.currentState();
  out = TADSignalRecord::clickText(state, signals.clock(), clickValue, signals.stackTrace());
  return 1;
}

void tad_htg(int32_t tx, int32_t ty, int32_t td) {
  component().currentState().recordTouch({tx, ty, td});
}

void tad_gig(int32_t requestType, const std::string& sdkVersion) {
  component().currentState().recordRequest(requestType, sdkVersion);
}

namespace signals {

void setClockForTesting(std::function<double()> clock) {
  component().clock = clock ? std::move(clock) : monotonicSeconds;
}

void setStackTraceForTesting(std::function<std::string()> stackTrace) {
  component().stackTrace = stackTrace ? std::move(stackTrace) : RookStackTrace;
}

void resetForTesting() {
  component().state.reset();
}

}  // namespace signals
