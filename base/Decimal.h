#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace base {

// An exact decimal number: sign × significand × 10^exponent, with the significand kept as its
// decimal digits so that no value read from text is ever rounded (0.1 stays 0.1 and 1e400 stays
// finite). Values are normalised — no leading or trailing zeros in the significand, zero is
// "0" with exponent 0 and no sign — so equal numbers compare equal member by member.
class Decimal {
 public:
  Decimal() = default;
  explicit Decimal(int64_t value);
  Decimal(const Decimal&) = default;
  Decimal& operator=(const Decimal&) = default;
  // Moved without a call to copy short digits (see StringOf.h): decimals are moved from the
  // reader into their containers.
  Decimal(Decimal&& other) noexcept;
  Decimal& operator=(Decimal&& other) noexcept;

  // Parses the JSON number grammar: optional '-', digits, optional fraction, optional exponent.
  // Returns nothing for any other text, or for a value whose exponent, written or normalised, lies
  // beyond ±2^31.
  static std::optional<Decimal> fromString(std::string_view text);

  bool isNegative() const { return negative_; }
  bool isZero() const { return digits_ == "0"; }
  const std::string& digits() const { return digits_; }
  int64_t exponent() const { return exponent_; }

  // Whether the value is a whole number that fits in 64 bits, and that number.
  std::optional<int64_t> toInt64() const;
  // The nearest double (±infinity past the double range, as strtod would give).
  double toDouble() const;

  // The standard decimal text: plain notation ("-12.5", "0.001", "1000") while that stays
  // within 64 characters, otherwise scientific notation with the significand's digits
  // ("1E+400", "1.25E-300").
  std::string toString() const;
  // Appends toString()'s text to out, without a string of its own in between.
  void appendTo(std::string& out) const;

  friend bool operator==(const Decimal&, const Decimal&) = default;

 private:
  // Every exponent that fromString() accepts lies within 32 bits; held in them, with the sign in
  // what would be padding, a decimal takes 40 bytes, which keeps base::Value small.
  std::string digits_ = "0";
  int32_t exponent_ = 0;
  bool negative_ = false;
};

}  // namespace base
