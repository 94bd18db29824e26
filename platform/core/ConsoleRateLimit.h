#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/core/RunLoop.h"

namespace platform {

// The console lines of one source that strangers can make speak (a page's log, the open gate's
// refusals, the web view guard's), written no faster than a reader can follow and a log can
// hold: at most linesPerSecond lines in each second, counted on the monotonic clock from the
// first line of the second. The rest of that second is dropped, and at its end one line says how
// many: "<Talvik> dropped <n> <what> (at most <linesPerSecond> a second are written)". A report
// still due when the limit goes is not written.
class ConsoleRateLimit {
 public:
  ConsoleRateLimit(int linesPerSecond, std::string what)
      : linesPerSecond_(linesPerSecond), what_(std::move(what)) {}
  ConsoleRateLimit(const ConsoleRateLimit&) = delete;
  ConsoleRateLimit& operator=(const ConsoleRateLimit&) = delete;

  // Counts one line: true when it may be written now, false when it is dropped. For a source
  // whose lines cost something to make, so that a dropped one is never made.
  bool take();
  // Writes line unless it is dropped.
  void log(std::string_view line);

 private:
  void reportDropped();

  int linesPerSecond_;
  std::string what_;
  double secondStart_ = 0;
  int written_ = 0;
  int dropped_ = 0;
  RunLoop::Timer dropReport_;
  // The main loop of the platform whose clock the counts are on.
  std::weak_ptr<RunLoop> loop_;
};

}  // namespace platform
