#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The date text of HTTP's "Last-Modified" and "If-Modified-Since" without its zone designator:
// "EEE, dd MMM yyyy HH:mm:ss" in English and in UTC, for example "Sun, 06 Nov 1994 08:49:37".
// The zone is left to the caller, which cuts " GMT" off received dates and adds it to sent ones.
class TADHTTPDate {
 public:
  TADHTTPDate() = delete;

  // secondsSince1970 as date text in UTC.
  static std::string format(int64_t secondsSince1970);
  // The seconds since 1970 that text names; white space at its end does not count. None for text
  // of any other shape, an unknown weekday or month name, or a day or time that does not exist.
  static std::optional<int64_t> parse(std::string_view text);
};
