#pragma once

#include <compare>
#include <string>

namespace base {

// A point in time: seconds since 1 January 2001 00:00:00 UTC, the reference date of the platform
// the library was written for. Dates carry no time zone; formatting chooses one.
class Date {
 public:
  // Seconds between the Unix epoch and the reference date.
  static constexpr double kUnixEpochOffset = 978307200.0;

  constexpr Date() = default;
  constexpr explicit Date(double secondsSinceReferenceDate) : seconds_(secondsSinceReferenceDate) {}

  static constexpr Date fromUnixTime(double seconds) { return Date(seconds - kUnixEpochOffset); }

  constexpr double timeIntervalSinceReferenceDate() const { return seconds_; }
  constexpr double timeIntervalSince1970() const { return seconds_ + kUnixEpochOffset; }
  constexpr double timeIntervalSince(Date other) const { return seconds_ - other.seconds_; }
  constexpr Date addingTimeInterval(double seconds) const { return Date(seconds_ + seconds); }

  // "2001-01-01 00:00:00 +0000": the date in UTC, as dates describe themselves.
  std::string description() const;

  friend constexpr auto operator<=>(const Date&, const Date&) = default;

 private:
  double seconds_ = 0;
};

}  // namespace base
