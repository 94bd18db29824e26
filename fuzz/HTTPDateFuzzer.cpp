// Reads arbitrary text as a received "Last-Modified" date and writes dates for arbitrary instants.
// Reading must never fault; a date that reads must write to text that reads back to the same
// instant, naming the same day and time; and any instant from year 1 to year 9999 must write to
// text that reads back to it.
//
// Input: the text to read. Its first eight bytes also pick the instant to write.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "ads/Network/TADHTTPDate.h"

namespace {

constexpr int64_t kFirstSecondOfYear0 = -62167219200;    // 0000-01-01 00:00:00
constexpr int64_t kFirstSecondOfYear1 = -62135596800;    // 0001-01-01 00:00:00
constexpr int64_t kLastSecondOfYear9999 = 253402300799;  // 9999-12-31 23:59:59
constexpr size_t kLength = sizeof("Sun, 06 Nov 1994 08:49:37") - 1;

void require(bool condition, const char* what, std::string_view detail) {
  if (condition) return;
  std::fprintf(stderr, "%s\n%.*s\n", what, int(detail.size()), detail.data());
  std::abort();
}

// Writes seconds and reads the text back: the same instant, in the fixed shape.
std::string checkWritten(int64_t seconds) {
  std::string text = TADHTTPDate::format(seconds);
  require(text.size() == kLength, "a date was written in another shape", text);
  require(TADHTTPDate::parse(text) == seconds, "a written date reads back to another instant",
          text);
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  if (std::optional<int64_t> seconds = TADHTTPDate::parse(text)) {
    require(*seconds >= kFirstSecondOfYear0 && *seconds <= kLastSecondOfYear9999 + 1,
            "a four-digit year read outside its range", text);
    std::string written = checkWritten(*seconds);
    // The day, month, year and time are those read, unless the second was a leap second.
    if (text.substr(23, 2) != "60") {
      require(written.substr(4) == text.substr(4, kLength - 4),
              "a date read names another day or time than its text", text);
    }
  }

  uint64_t bits = 0;
  std::memcpy(&bits, data, size < sizeof bits ? size : sizeof bits);
  constexpr uint64_t kSpan = uint64_t(kLastSecondOfYear9999 - kFirstSecondOfYear1) + 1;
  checkWritten(kFirstSecondOfYear1 + int64_t(bits % kSpan));
  return 0;
}
