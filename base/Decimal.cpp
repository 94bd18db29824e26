#include "base/Decimal.h"

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
  digits_ = std::to_string(magnitude);
  while (digits_.size() > 1 && digits_.back() == '0') {
    digits_.pop_back();
    ++exponent_;
  }
}

std::optional<Decimal> Decimal::fromString(std::string_view text) {
  size_t i = 0;
  Decimal result;
  bool negative = false;
  if (i < text.size() && text[i] == '-') {
    negative = true;
    ++i;
  }
  std::string digits;
  size_t integerStart = i;
  while (i < text.size() && isDigit(text[i]))
    digits.push_back(text[i++]);
  if (i == integerStart) return std::nullopt;
  if (i - integerStart > 1 && text[integerStart] == '0') return std::nullopt;
  int64_t exponent = 0;
  if (i < text.size() && text[i] == '.') {
    ++i;
    size_t fractionStart = i;
    while (i < text.size() && isDigit(text[i]))
      digits.push_back(text[i++]);
    if (i == fractionStart) return std::nullopt;
    exponent = -static_cast<int64_t>(i - fractionStart);
  }
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    bool negativeExponent = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negativeExponent = text[i++] == '-';
    size_t exponentStart = i;
    int64_t written = 0;
    while (i < text.size() && isDigit(text[i])) {
      if (written < kMaxExponent) written = written * 10 + (text[i] - '0');
      ++i;
    }
    if (i == exponentStart || written >= kMaxExponent) return std::nullopt;
    exponent += negativeExponent ? -written : written;
  }
  if (i != text.size()) return std::nullopt;

  size_t firstNonZero = digits.find_first_not_of('0');
  if (firstNonZero == std::string::npos) return result;  // zero, whatever its sign
  size_t lastNonZero = digits.find_last_not_of('0');
  exponent += static_cast<int64_t>(digits.size() - 1 - lastNonZero);
  // Keep every exponent that toString() may print — the normalised one and the scientific one —
  // within what this function reads back.
  auto significantDigits = static_cast<int64_t>(lastNonZero - firstNonZero + 1);
  if (exponent <= -kMaxExponent || exponent + significantDigits > kMaxExponent) return std::nullopt;
  result.negative_ = negative;
  result.digits_ = digits.substr(firstNonZero, lastNonZero - firstNonZero + 1);
  result.exponent_ = exponent;
  return result;
}

std::optional<int64_t> Decimal::toInt64() const {
  if (exponent_ < 0 || exponent_ > 19) return std::nullopt;
  if (digits_.size() + static_cast<size_t>(exponent_) > 19) return std::nullopt;
  uint64_t magnitude = 0;
  std::from_chars(digits_.data(), digits_.data() + digits_.size(), magnitude);
  for (int64_t i = 0; i < exponent_; ++i)
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
  std::string text = negative_ ? "-" : "";
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
    return text;
  }
  text += digits_[0];
  if (length > 1) {
    text += '.';
    text.append(digits_, 1);
  }
  int64_t scientificExponent = pointPosition - 1;
  text += scientificExponent < 0 ? "E-" : "E+";
  text += std::to_string(scientificExponent < 0 ? -scientificExponent : scientificExponent);
  return text;
}

}  // namespace base
