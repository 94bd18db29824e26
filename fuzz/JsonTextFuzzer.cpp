// Reads arbitrary bytes as JSON text, as mutations of real documents reach it, and checks what
// every reading must hold (JsonFuzzChecks.h).

#include <cstdint>
#include <string>

#include "fuzz/JsonFuzzChecks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  jsonfuzz::checkReading(std::string(reinterpret_cast<const char*>(data), size));
  return 0;
}
