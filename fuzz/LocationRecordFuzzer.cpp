// Reads arbitrary text as the wire form of a location, and makes wire forms from coordinates
// taken from the input. Reading must never fault, and every location made reads back to its
// whole record and nothing more, whatever length the record has (so every amount of padding, a
// whole block included, is met).
//
// Input: the first 20 bytes give latitude, longitude, accuracy (floats) and the timestamp
// (double) of a location; all of it is also tried as a wire form.

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "ads/Device/TADLocation.h"
#include "platform/sim/SimPlatform.h"

namespace {

void require(bool condition, const char* what, std::string_view input) {
  if (condition) return;
  std::fprintf(stderr, "%s\ninput: %.*s\n", what, int(input.size()), input.data());
  std::abort();
}

template <typename T>
T take(const uint8_t*& data) {
  T value;
  std::memcpy(&value, data, sizeof value);
  data += sizeof value;
  return value;
}

void checkMadeLocation(const uint8_t* data, std::string_view input) {
  float latitude = take<float>(data);
  float longitude = take<float>(data);
  float accuracy = take<float>(data);
  double timestamp = take<double>(data);
  auto location = TADLocation::initWithLatitude(latitude, longitude, accuracy);
  if (!location) return;
  if (std::isfinite(timestamp)) location->setTimestamp(timestamp);
  std::optional<std::string> wire = location->oolongRepresentation();
  require(wire.has_value() && wire->starts_with("e1+"), "precise coordinates made no wire form",
          input);
  std::optional<std::string> record = TADLocation::recordFromOolongRepresentation(*wire);
  require(record.has_value(), "a wire form made here does not read back", input);
  require(record->starts_with("role: 6 ") && record->find(" radius: ") != std::string::npos,
          "a wire form made here reads back as another record", input);
  char last = record->back();
  require(last >= '0' && last <= '9', "padding survived at the end of a record", input);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  // Locations take their time from the platform's clock.
  static platform::sim::SimPlatform platform;
  TADLocation::recordFromOolongRepresentation(input);
  if (size >= 20) checkMadeLocation(data, input);
  return 0;
}
