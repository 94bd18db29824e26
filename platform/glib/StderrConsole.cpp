#include "platform/glib/StderrConsole.h"

#include <cstdio>

namespace platform::glib {

void StderrConsole::write(std::string_view line) {
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fputc('\n', stderr);
  std::fflush(stderr);
}

}  // namespace platform::glib
