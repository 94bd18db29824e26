#include "encoding/RookAssertion.h"

#include <string>
#include <utility>

#include "base/Log.h"

namespace {

// A broken invariant inside the library, which it steps over, rather than the program's misuse:
// a warning, as GLib's own runtime checks report theirs.
void writeToLog(std::string_view message) {
  std::string line = "<Talvik> Assertion failed: ";
  line.append(message);
  base::Log::write(base::Log::Level::Warning, base::Log::Source::Library, line);
}

RookAssertionHandler& currentHandler() {
  static RookAssertionHandler handler = writeToLog;
  return handler;
}

}  // namespace

RookAssertionHandler RookSetAssertionHandler(RookAssertionHandler handler) {
  if (!handler) handler = writeToLog;
  return std::exchange(currentHandler(), std::move(handler));
}

void RookReportAssertionFailure(std::string_view message) {
  currentHandler()(message);
}
