#include "base/Decimal.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <limits>

namespace base {

namespace {

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

constexpr int64_t kMaxExponent = int64_t{1} << 31;
constexpr size_t kMaxPlainLength = 64;

}  // namespace

Decimal::Decimal(int64_t value) {
  if (value == 0) return;
  negative_ = value < 0;
  // Negating INT64_MIN overflows, so widen through the unsigned magnitude.
  uint64_t magnitude = negative_ ? uint64_t{0} - static_cast<uint64_t>(value) : value;
  while (magnitude % 10 == 0) {
    magnitude /= 10;
    ++exponent_;
  }
  significand_ = magnitude;
}

Decimal::Decimal(const Decimal& other)
    : significand_(other.significand_),
      longDigits_(other.longDigits_ ? std::make_unique<std::string>(*other.longDigits_) : nullptr),
      exponent_(other.exponent_),
      negative_(other.negative_) {}

Decimal& Decimal::operator=(const Decimal& other) {
  if (this != &other) *this = Decimal(other);
  return *this;
}

bool operator==(const Decimal& a, const Decimal& b) {
  if (a.significand_ != b.significand_ || a.exponent_ != b.exponent_ ||
      a.negative_ != b.negative_) {
    return false;
  }
  if (!a.longDigits_ || !b.longDigits_) return !a.longDigits_ && !b.longDigits_;
  return *a.longDigits_ == *b.longDigits_;
}

std::string_view Decimal::digitsIn(char (&room)[kShortDigits + 1]) const {
  if (longDigits_) return *longDigits_;
  auto written = std::to_chars(room, room + sizeof room, significand_);
  return std::string_view(room, static_cast<size_t>(written.ptr - room));
}

std::string Decimal::digits() const {
  char room[kShortDigits + 1];
  return std::string(digitsIn(room));
}

size_t Decimal::digitCount() const {
  if (longDigits_) return longDigits_->size();
  // Compared with powers of ten rather than divided, as dividing is slow.
  size_t count = 1;
  for (uint64_t power = 10; count < kShortDigits && significand_ >= power; power *= 10)
    ++count;
  return count;
}

std::optional<Decimal> Decimal::fromString(std::string_view text) {
  const char* cursor = text.data();
  const char* const end = cursor + text.size();
  auto skipDigits = [&cursor, end] {
    const char* start = cursor;
    while (cursor != end && isDigit(*cursor))
      ++cursor;
    return std::string_view(start, static_cast<size_t>(cursor - start));
  };
  bool negative = cursor != end && *cursor == '-';
  if (negative) ++cursor;
  std::string_view integer = skipDigits();
  if (integer.empty() || (integer.size() > 1 && integer[0] == '0')) return std::nullopt;
  std::string_view fraction;
  if (cursor != end && *cursor == '.') {
    ++cursor;
    fraction = skipDigits();
    if (fraction.empty()) return std::nullopt;
  }
  int64_t exponent = -static_cast<int64_t>(fraction.size());
  if (cursor != end && (*cursor == 'e' || *cursor == 'E')) {
    ++cursor;
    bool negativeExponent = false;
    if (cursor != end && (*cursor == '+' || *cursor == '-')) negativeExponent = *cursor++ == '-';
    std::string_view written = skipDigits();
    int64_t magnitude = 0;
    for (char digit : written) {
      if (magnitude < kMaxExponent) magnitude = magnitude * 10 + (digit - '0');
    }
    if (written.empty() || magnitude >= kMaxExponent) return std::nullopt;
    exponent += negativeExponent ? -magnitude : magnitude;
  }
  if (cursor != end) return std::nullopt;

  // The significand's digits run over the integer and the fraction; leading and trailing zeros
  // are trimmed off both before anything is copied.
  auto trimStart = [](std::string_view& part) {
    part.remove_prefix(std::min(part.find_first_not_of('0'), part.size()));
  };
  auto trimEnd = [&exponent](std::string_view& part) {
    size_t kept = part.find_last_not_of('0') + 1;  // 0 when all are zeros
    exponent += static_cast<int64_t>(part.size() - kept);
    part.remove_suffix(part.size() - kept);
  };
  trimStart(integer);
  if (integer.empty()) trimStart(fraction);
  trimEnd(fraction);
  if (fraction.empty()) trimEnd(integer);
  if (integer.empty() && fraction.empty()) return Decimal();  // zero, whatever its sign
  // Keep every exponent that toString() may print — the normalised one and the scientific one —
  // within what this function reads back.
  auto significantDigits = static_cast<int64_t>(integer.size() + fraction.size());
  if (exponent <= -kMaxExponent || exponent + significantDigits > kMaxExponent) return std::nullopt;
  std::optional<Decimal> result(std::in_place);
  if (significantDigits <= static_cast<int64_t>(kShortDigits)) {  // the usual case
    uint64_t significand = 0;
    for (char digit : integer)
      significand = significand * 10 + static_cast<uint64_t>(digit - '0');
    for (char digit : fraction)
      significand = significand * 10 + static_cast<uint64_t>(digit - '0');
    result->significand_ = significand;
  } else {
    result->longDigits_ = std::make_unique<std::string>();
    result->longDigits_->reserve(static_cast<size_t>(significantDigits));
    result->longDigits_->append(integer).append(fraction);
  }
  result->negative_ = negative;
  result->exponent_ = static_cast<int32_t>(exponent);
  return result;
}

std::optional<int64_t> Decimal::toInt64() const {
  if (exponent_ < 0 || exponent_ > 19 || longDigits_) return std::nullopt;
  if (digitCount() + static_cast<size_t>(exponent_) > 19) return std::nullopt;
  uint64_t magnitude = significand_;
  for (int32_t i = 0; i < exponent_; ++i)
    magnitude *= 10;
  constexpr uint64_t kMaxPositive = std::numeric_limits<int64_t>::max();
  if (!negative_) {
    if (magnitude > kMaxPositive) return std::nullopt;
    return static_cast<int64_t>(magnitude);
  }
  if (magnitude > kMaxPositive + 1) return std::nullopt;
  return static_cast<int64_t>(uint64_t{0} - magnitude);
}

double Decimal::toDouble() const {
  // Digits and an exponent, no decimal point: strtod reads this the same in every locale, and
  // unlike from_chars it answers ±infinity and 0 past the double's range.
  std::string text = negative_ ? "-" : "";
  text.append(digits()).append("e").append(std::to_string(exponent_));
  return std::strtod(text.c_str(), nullptr);
}

std::string Decimal::toString() const {
  std::string text;
  appendTo(text);
  return text;
}

void Decimal::appendTo(std::string& text) const {
  char room[kShortDigits + 1];
  std::string_view digits = digitsIn(room);
  if (negative_) text += '-';
  int64_t length = static_cast<int64_t>(digits.size());
  int64_t pointPosition = length + exponent_;  // digits before the decimal point
  int64_t plainLength = exponent_ >= 0 ? pointPosition
                                       : std::max<int64_t>(pointPosition, 1) + 1 +
                                             std::max<int64_t>(-exponent_, length);
  if (plainLength <= static_cast<int64_t>(kMaxPlainLength)) {
    if (exponent_ >= 0) {
      text += digits;
      text.append(static_cast<size_t>(exponent_), '0');
    } else if (pointPosition > 0) {
      text += digits.substr(0, static_cast<size_t>(pointPosition));
      text += '.';
      text += digits.substr(static_cast<size_t>(pointPosition));
    } else {
      text += "0.";
      text.append(static_cast<size_t>(-pointPosition), '0');
      text += digits;
    }
    return;
  }
  text += digits[0];
  if (length > 1) {
    text += '.';
    text += digits.substr(1);
  }
  int64_t scientificExponent = pointPosition - 1;
  text += scientificExponent < 0 ? "E-" : "E+";
  text += std::to_string(scientificExponent < 0 ? -scientificExponent : scientificExponent);
}

}  // namespace base
