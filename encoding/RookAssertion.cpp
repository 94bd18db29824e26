#include "encoding/RookAssertion.h"

#include <cstdio>
#include <string>
#include <utility>

namespace {

void writeToStandardError(std::string_view message) {
  std::string line = "<Talvik> Assertion failed: ";
  line.append(message);
  line.push_back('\n');
  std::fwrite(line.data(), 1, line.size(), stderr);
}

RookAssertionHandler& currentHandler() {
  static RookAssertionHandler handler = writeToStandardError;
  return handler;
}

}  // namespace

RookAssertionHandler RookSetAssertionHandler(RookAssertionHandler handler) {
  if (!handler) handler = writeToStandardError;
  return std::exchange(currentHandler(), std::move(handler));
}

void RookReportAssertionFailure(std::string_view message) {
  currentHandler()(message);
}
