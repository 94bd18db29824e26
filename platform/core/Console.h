#pragma once

#include <string_view>

namespace platform {

// The diagnostics console: single lines for the integrating developer. Real backends hand them
// to the process's log (base::Log), which writes them to stderr unless the host routes them; the
// simulated one keeps them for tests.
class Console {
 public:
  virtual ~Console() = default;

  // Writes one line of the library's own to the installed platform's console; to the log when
  // none is installed.
  static void log(std::string_view line);
  // Writes one console line of an ad page, already made safe to show (TADPageConsole), the same
  // way but marked as the page's.
  static void logPageLine(std::string_view line);

  virtual void write(std::string_view line) = 0;
  // A console that does not tell a page's lines from the library's writes them as any other.
  virtual void writePageLine(std::string_view line) { write(line); }
};

}  // namespace platform
