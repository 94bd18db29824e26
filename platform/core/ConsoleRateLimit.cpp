#include "platform/core/ConsoleRateLimit.h"

#include "platform/core/Clock.h"
#include "platform/core/Console.h"

namespace platform {

bool ConsoleRateLimit::take() {
  // A limit that outlives its platform (a process-wide one) starts afresh with the next, whose
  // clock is another.
  std::shared_ptr<RunLoop> loop = RunLoop::main().shared_from_this();
  if (loop_.lock() != loop) {
    loop_ = loop;
    written_ = 0;
    dropped_ = 0;
    dropReport_.stop();
  }
  double now = Clock::shared().monotonicSeconds();
  if (written_ == 0 || now - secondStart_ >= 1 || now < secondStart_) {
    // The report of the second before may not have run yet: it comes first.
    if (dropped_ > 0) {
      dropReport_.stop();
      reportDropped();
    }
    secondStart_ = now;
    written_ = 0;
  }
  if (written_ < linesPerSecond_) {
    ++written_;
    return true;
  }
  if (dropped_++ == 0) {
    dropReport_ = RunLoop::main().startTimer(secondStart_ + 1 - now, [this] { reportDropped(); });
  }
  return false;
}

void ConsoleRateLimit::log(std::string_view line) {
  if (take()) Console::log(line);
}

void ConsoleRateLimit::reportDropped() {
  Console::log("<Talvik> dropped " + std::to_string(dropped_) + " " + what_ + " (at most " +
               std::to_string(linesPerSecond_) + " a second are written)");
  dropped_ = 0;
}

}  // namespace platform
