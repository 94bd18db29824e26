#include "ads/Network/TADHTTPDate.h"

#include <array>
#include <chrono>
#include <cstdio>

namespace {

constexpr std::array<std::string_view, 7> kWeekdays = {"Sun", "Mon", "Tue", "Wed",
                                                       "Thu", "Fri", "Sat"};
constexpr std::array<std::string_view, 12> kMonths = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                      "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// Reads exactly `count` decimal digits at text[position], moving position past them.
std::optional<int> digits(std::string_view text, size_t& position, size_t count) {
  if (position + count > text.size()) return std::nullopt;
  int value = 0;
  for (size_t i = 0; i < count; ++i) {
    char c = text[position + i];
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  position += count;
  return value;
}

bool literal(std::string_view text, size_t& position, std::string_view expected) {
  if (text.substr(position, expected.size()) != expected) return false;
  position += expected.size();
  return true;
}

template <size_t N>
std::optional<size_t> name(std::string_view text, size_t& position,
                           const std::array<std::string_view, N>& names) {
  for (size_t i = 0; i < N; ++i) {
    if (literal(text, position, names[i])) return i;
  }
  return std::nullopt;
}

}  // namespace

std::string TADHTTPDate::format(int64_t secondsSince1970) {
  using namespace std::chrono;
  sys_seconds instant{seconds{secondsSince1970}};
  sys_days day = floor<days>(instant);
  year_month_day date{day};
  hh_mm_ss time{instant - day};
  weekday weekdayOfDate{day};

  char text[64];
  std::snprintf(text, sizeof text, "%s, %02u %s %04d %02ld:%02ld:%02ld",
                kWeekdays[weekdayOfDate.c_encoding()].data(), static_cast<unsigned>(date.day()),
                kMonths[static_cast<unsigned>(date.month()) - 1].data(),
                static_cast<int>(date.year()), static_cast<long>(time.hours().count()),
                static_cast<long>(time.minutes().count()),
                static_cast<long>(time.seconds().count()));
  return text;
}

std::optional<int64_t> TADHTTPDate::parse(std::string_view text) {
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r' ||
                           text.back() == '\n')) {
    text.remove_suffix(1);
  }
  size_t at = 0;
  if (!name(text, at, kWeekdays) || !literal(text, at, ", ")) return std::nullopt;
  std::optional<int> day = digits(text, at, 2);
  if (!day || !literal(text, at, " ")) return std::nullopt;
  std::optional<size_t> month = name(text, at, kMonths);
  if (!month || !literal(text, at, " ")) return std::nullopt;
  std::optional<int> year = digits(text, at, 4);
  if (!year || !literal(text, at, " ")) return std::nullopt;
  std::optional<int> hour = digits(text, at, 2);
  if (!hour || !literal(text, at, ":")) return std::nullopt;
  std::optional<int> minute = digits(text, at, 2);
  if (!minute || !literal(text, at, ":")) return std::nullopt;
  std::optional<int> second = digits(text, at, 2);
  if (!second || at != text.size()) return std::nullopt;

  using namespace std::chrono;
  year_month_day date{std::chrono::year{*year},
                      std::chrono::month{static_cast<unsigned>(*month + 1)},
                      std::chrono::day{static_cast<unsigned>(*day)}};
  if (!date.ok() || *hour > 23 || *minute > 59 || *second > 60) return std::nullopt;
  sys_seconds instant = sys_days{date} + hours{*hour} + minutes{*minute} + seconds{*second};
  // A leap second counts as the next minute's first; on the last day of year 9999 that would be
  // a date that four year digits cannot write back.
  if (instant >= sys_days{std::chrono::year{10000} / January / 1}) return std::nullopt;
  return instant.time_since_epoch().count();
}
