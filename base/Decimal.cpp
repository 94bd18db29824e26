#include "base/Decimal.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <limits>

#include "base/StringOf.h"

namespace base {

namespace {

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

constexpr int64_t kMaxExponent = int64_t{1} << 31;
constexpr size_t kMaxPlainLength = 64;
constexpr int64_t kShortDigits = 32;

}  // namespace

Decimal::Decimal(int64_t value) {
  if (value == 0) return;
  negative_ = value < 0;
  // Negating INT64_MIN overflows, so widen through the unsigned magnitude.
  uint64_t magnitude = negative_ ? uint64_t{0} - static_cast<uint64_t>(value) : value;
  digits_ = std::to_string(magnitude);
  while (digits_.size() > 1 && digits_.back() == '0') {
    digits_.pop_back();
    ++exponent_;
  }
}

Decimal::Decimal(Decimal&& other) noexcept
    : digits_(stringTakenFrom(other.digits_)),
      exponent_(other.exponent_),
      negative_(other.negative_) {}

Decimal& Decimal::operator=(Decimal&& other) noexcept {
  digits_ = std::move(other.digits_);
  exponent_ = other.exponent_;
  negative_ = other.negative_;
  return *this;
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
  if (significantDigits <= kShortDigits) {  // the usual case: gathered here, copied in once
    char digits[kShortDigits];
    size_t count = 0;
    for (char digit : integer)
      digits[count++] = digit;
    for (char digit : fraction)
      digits[count++] = digit;
    result->digits_ = stringOf(std::string_view(digits, count));
  } else {
    result->digits_.reserve(static_cast<size_t>(significantDigits));
    result->digits_.assign(integer).append(fraction);
  }
  result->negative_ = negative;
  result->exponent_ = static_cast<int32_t>(exponent);
  return result;
}

std::optional<int64_t> Decimal::toInt64() const {
  if (exponent_ < 0 || exponent_ > 19) return std::nullopt;
  if (digits_.size() + static_cast<size_t>(exponent_) > 19) return std::nullopt;
  uint64_t magnitude = 0;
  std::from_chars(digits_.data(), digits_.data() + digits_.size(), magnitude);
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
  std::string text = (negative_ ? "-" : "") + digits_ + "e" + std::to_string(exponent_);
  return std::strtod(text.c_str(), nullptr);
}

std::string Decimal::toString() const {
  std::string text;
  appendTo(text);
  return text;
}

void Decimal::appendTo(std::string& text) const {
  if (negative_) text += '-';
  int64_t length = static_cast<int64_t>(digits_.size());
  int64_t pointPosition = length + exponent_;  // digits before the decimal point
  int64_t plainLength = exponent_ >= 0 ? pointPosition
                                       : std::max<int64_t>(pointPosition, 1) + 1 +
                                             std::max<int64_t>(-exponent_, length);
  if (plainLength <= static_cast<int64_t>(kMaxPlainLength)) {
    if (exponent_ >= 0) {
      text += digits_;
      text.append(static_cast<size_t>(exponent_), '0');
    } else if (pointPosition > 0) {
      text.append(digits_, 0, static_cast<size_t>(pointPosition));
      text += '.';
      text.append(digits_, static_cast<size_t>(pointPosition));
    } else {
      text += "0.";
      text.append(static_cast<size_t>(-pointPosition), '0');
      text += digits_;
    }
    return;
  }
  text += digits_[0];
  if (length > 1) {
    text += '.';
    text.append(digits_, 1);
  }
  int64_t scientificExponent = pointPosition - 1;
  text += scientificExponent < 0 ? "E-" : "E+";
  text += std::to_string(scientificExponent < 0 ? -scientificExponent : scientificExponent);
}

}  // namespace base
