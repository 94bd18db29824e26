#include "platform/glib/StderrConsole.h"

#include "base/Log.h"

namespace platform::glib {

void StderrConsole::write(std::string_view line) {
  base::Log::write(base::Log::Level::Message, base::Log::Source::Library, line);
}

void StderrConsole::writePageLine(std::string_view line) {
  base::Log::write(base::Log::Level::Info, base::Log::Source::Page, line);
}

}  // namespace platform::glib
