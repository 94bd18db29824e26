#pragma once

#include <string_view>

#include "platform/core/Console.h"

namespace platform::glib {

// The console of a desktop program: each line goes to the process's log (base::Log) at once, the
// library's own lines as messages and the pages' as information. The log writes them to stderr
// as they are unless the host routes them elsewhere.
class StderrConsole : public Console {
 public:
  void write(std::string_view line) override;
  void writePageLine(std::string_view line) override;
};

}  // namespace platform::glib
