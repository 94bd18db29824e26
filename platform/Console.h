#pragma once

#include <string_view>

namespace platform {

// The diagnostics console: single lines for the integrating developer. Real backends write them
// to stderr; the simulated one keeps them for tests.
class Console {
 public:
  virtual ~Console() = default;

  // Writes one line to the installed platform's console; to stderr when none is installed.
  static void log(std::string_view line);

  virtual void write(std::string_view line) = 0;
};

}  // namespace platform
