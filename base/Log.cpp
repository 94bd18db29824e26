#include "base/Log.h"

#include <cstdio>
#include <string>
#include <utility>

namespace base {

namespace {

Log::Writer& installed() {
  static Log::Writer writer;
  return writer;
}

thread_local bool writing = false;

}  // namespace

void Log::write(Level level, Source source, std::string_view text) {
  const Writer& writer = installed();
  if (!writer || writing) {
    writeToStandardError(text);
    return;
  }
  struct Writing {
    Writing() { writing = true; }
    ~Writing() { writing = false; }
  } during;
  writer(level, source, text);
}

Log::Writer Log::setWriter(Writer writer) {
  return std::exchange(installed(), std::move(writer));
}

void Log::writeToStandardError(std::string_view text) {
  std::string line(text);
  line.push_back('\n');
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fflush(stderr);
}

}  // namespace base
