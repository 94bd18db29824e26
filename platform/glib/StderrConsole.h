#pragma once

#include <string_view>

#include "platform/Console.h"

namespace platform::glib {

// The console of a desktop program: each line goes to standard error at once.
class StderrConsole : public Console {
 public:
  void write(std::string_view line) override;
};

}  // namespace platform::glib
