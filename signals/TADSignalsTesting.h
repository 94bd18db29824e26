#pragma once

// Hooks that let tests pin the signal texts. Not for use by the ad library.

#include <functional>
#include <string>

namespace signals {

// The clock, in seconds, that measures the time since the component started (default: the
// monotonic clock). An empty function restores the default.
void setClockForTesting(std::function<double()> clock);

// The source of the calling stack that click texts are bound to (default: RookStackTrace). An
// empty function restores the default.
void setStackTraceForTesting(std::function<std::string()> stackTrace);

// Forgets every touch and request; the component starts again at the clock's next reading.
void resetForTesting();

}  // namespace signals
